// vxParamFrontPanelSrv: the front-panel tab of the parameters page. An ARM9
// analyzer in front-panel mode streams its four-line display as text with
// terminal escape sequences; a reader thread splits the stream into lines and
// the page tick decodes them (vxFPDecode) onto a grid of 80 one-character
// statics (row r, column c: static 16000 + 100 r + c); the keypad sends keys
// back. Reader on the worker slot paramfpthrds, the rest on the main window's
// thread.
#pragma once

#include "vxMain.h"

// How long the reader waits for the page to free a slot of a full ring before
// it gives the line up (counted in fpData.lostCnt and logged).
constexpr int VX_FPRINGFULLWAITMS = 500;

// Clears the stream state, the line buffer and the ring, flushes the link and
// starts the reader (vxParamPageGetFPdata) on paramfpthrds. 0, -2 when the
// reader could not be started.
int vxParamPageFPinit(vxInfo* app);
// The reader thread's body: splits the stream into lines and stores each in
// the ring while the slot's state is 1; after a failed read it logs once and
// reads the port again only when data wait there. Logs "Exit parameter page
// front panel update thread id: %d" at its end. 0.
int vxParamPageGetFPdata(vxInfo* app);
// The line splitter (reader thread): takes the next bytes of the last chunk
// read from the link into dataBuf (a carriage return becomes a blank, which
// the line feed that ends the line removes again) until a line feed completes
// the line (dataFlag 1, returns 1); reads the next chunk into ibuf when the
// last is used up (0 after a read with data, -1 when nothing came, -2 when
// the read failed). A line longer than dataBuf is cut there.
int vxAnalyzerGetFPdata(vxInfo* app);
// Page tick: decodes the lines the reader has published and applies them to
// the grid (cursor position with text, erase display), emptying each slot.
// The number of lines taken.
int vxParamPageFPupdate(vxInfo* app);
// The next command of the current line (reqPtr) into termReg (cmdPtr,
// cmdSize): its length, 0 when the line has no more, -2 for a command that
// does not fit (skipped).
int vxParamPageFPParseCmds(vxInfo* app);
// Decodes the current command into fpData.cmd: 0, -2 when it is skipped.
int vxParamPageFPgetCmd(vxInfo* app);
// The sequences of the current command into fpData.cmd.code: their number, -2
// when a cursor position is malformed or its text too long.
int vxParamPageGetTermCode(vxInfo* app);
// Sets the 20 statics of display row n (1-4) to one blank; other n do nothing. 0.
int vxParamPageFPclearLine(vxInfo* app, int n);

// Ends front-panel mode wherever the program leaves it (the parameters page
// closes, the Modbus test starts): the reader stops, and when the front-panel
// window exists the analyzer is told to leave the mode ("34") and the enable
// button 1332 is cleared; its update function is removed. 0 when nothing ran.
int vxParamPageFPstop(vxInfo* app);

// Enable check button 1332 (a click only; ARM9 analyzers only, else the box
// "... NOT supported"): switches the emulation on (front-panel mode, access
// code, "display", reader and page tick) or off again (console exit, "34").
int vxParamsFPenableCB(qkwinInfo* window);
// Clear button 1334: blanks the four display rows. 0.
int vxParamsFPclearCB(qkwinInfo* window);
// Keypad buttons 16501-16516: sends the key's character alone to the
// analyzer. The write's status, -2 for an unknown button.
int vxParamsFPkeypadCB(qkwinInfo* window);
