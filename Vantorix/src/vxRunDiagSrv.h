// vxRunDiagSrv: run diagnostics, the capture engine behind the monitor page
// (and the captures of the diagnostics and parameters pages). It owns the
// reader thread that turns the analyzer's text stream into lines (the line
// splitter) and hands them to the page through the ring of runDiag.modeData,
// the drain that the page tick runs over that ring, the capture data file,
// the capture state and message shown by the waiting dialog 1350, the timed
// mode-1 capture with its count-down, and the capture start shared by the
// pages' capture buttons.
//
// Threads: vxRunDiagGetData and the splitter run on the reader thread (slot
// rundiagthrds); everything else runs on the main window's thread.
#pragma once

#include <cstdint>

#include "vxMain.h"

// How long the reader waits for the page to free a slot of a full ring before
// it gives the line up (counted in lostCnt, logged, shown in the message).
constexpr int VX_RINGFULLWAITMS = 500;

// Clears the capture (times, counters, line buffer, ring); keeps the previous
// capture file, opens the data file afresh ("w+"; without it lines are only
// shown), shows "Storing data in: %s" in static 1324, starts the reader on
// rundiagthrds and enables the capture indicator 1316. 0, or -2 when the
// reader could not be started.
int vxRunDiagInit(vxInfo* app);
// The reader thread's body: splits the stream into lines and stores each in
// the ring while the slot's state is 1. 0.
int vxRunDiagGetData(vxInfo* app);
// Stops the reader (slot state 0; it ends at its next wait point) and
// returns when it has ended. Nothing on the reader thread itself (a link
// error there ends the program). The stop's status.
int vxRunDiagStop(vxInfo* app);
// The line at the read index when the reader has published it, else null.
char* vxRunDiagGetDataReadyFlag(vxInfo* app);
// Stops the reader (slot state 0), ends the capture flag and offers to save
// the data file (vxRunDiagSaveDataFile). The save's status.
int vxRunDiagExit(vxInfo* app);
// The save of the data file (vxRunDiagSaveDataFile) while the capture may
// go on: the drain leaves the lines in the ring until the file is open again.
int vxRunDiagSave(vxInfo* app);
// One count-down step of the timed capture (page tick): "Mode 1 count down
// second: %d" while time remains, else the capture ends with "Request
// complete" and dialog 1350 closes. The At form takes the time in seconds.
int vxRunDiagMode1CountDown(vxInfo* app);
int vxRunDiagMode1CountDownAt(vxInfo* app, int64_t now);

// The line splitter (reader thread): takes the next bytes of the last chunk
// read from the link into dataBuf (carriage return and line feed become
// blanks) until a line feed completes the line (dataFlag 1, returns 1); reads
// the next chunk when the last is used up (returns 0 after a read with data,
// -1 when nothing came). A line longer than dataBuf is cut there.
int vxAnalyzerGetMode1(vxInfo* app);
// Hands the complete line in dataBuf to the page (reader thread): copies it,
// cut to a slot, into the slot at the write index and publishes it. A full
// ring is never overwritten: the reader waits up to waitMs for the page and
// otherwise drops the line (lostCnt). The line buffer is emptied either way.
// 0 stored, -2 lost.
int vxRunDiagPutLine(vxInfo* app, int waitMs);

// Per-line work of a page's drain, on the main window's thread.
typedef void (*vxRunDiagLineFunc)(vxInfo* app, const char* line);
// The page tick's drain: hands each published line to hook, empties its slot
// and advances the read index, while less than srvrate - 5 ms have passed.
// The number of lines drained.
int vxRunDiagDrain(vxInfo* app, vxRunDiagLineFunc hook);
// Appends a line feed to line and writes it at the end of the data file,
// which reaches the system at once (a killed program loses no written line);
// counts it in dataCnt. 0, -2 when the file is not open, -1 on a write error.
int vxRunDiagWriteLine(vxInfo* app, const char* line);
// Stops the reader and waits for it, then writes every line still in the ring
// to the data file: when the program ends, no page tick drains them any more.
// The number of lines written.
int vxRunDiagWriteRing(vxInfo* app);
// True for the ARM9 analyzers (NS and FS), which send one record block per
// request; an HC12 (2F) analyzer streams on.
bool vxIsArm9(const vxInfo* app);
// The capture message, from any thread: it is read by the waiting dialog's
// timer on the main window's thread, so it is written there.
void vxRunDiagSetMsg(vxInfo* app, const char* text);
// A record block of the running capture has ended ("]]"): counted after more
// than 5 records; a 2F capture starts its count-down at the first counted end;
// an ARM9 analyzer is asked for the next block until two have ended, then the
// count-down starts (stopCapture also ends the capture flag at once, as the
// monitor page does).
void vxRunDiagBlockEnd(vxInfo* app, bool stopCapture);
// Counts a record of the running capture and sets "received record: %d"
// (with the lost lines when there are any).
int vxRunDiagCountRecord(vxInfo* app);
// Ends the capture: capture flag and state 0, no count-down, dialog 1350
// closed; msg stays as it is.
int vxRunDiagFinish(vxInfo* app);

// Capture start of the pages' capture buttons after the click test: the
// connected and supported checks (level 10 then 20), the request code sent
// with msg = pending, capture flag, state 1, counters 0, a refresh of the
// title, and dialog 1350 opened with its 500 ms status timer (returns when
// the dialog has closed). The refusal's status, else 0.
int vxRunDiagCaptureStart(vxInfo* app, const char* code, const char* pending);
