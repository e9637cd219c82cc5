// vxAsynSrv: the serial side of the analyzer link (anaCom): read, write,
// status, flush and close of the port in anaCom.asyn, with the byte counters
// of the application record, and the check that an answer is readable text
// (the program's half of baud detection). The protocol layers call it when
// anaCom.connectType is 1; it runs on whichever thread does the exchange.
// It also holds what both sides of the link share: the bounds of the next
// read and write in the link's buffers, and the link's waits.
#pragma once

#include "vxMain.h"

// Reads what has arrived within two polls into ibPtr (at most maxbyts bytes):
// the count, 0 when nothing came, -1 on a port error. Sets rdByteCnt and adds
// to inDataCnt.
int vxAsynRead(vxInfo* app);
// Writes wrtByteCnt bytes from obPtr (the text length of obuf when it is 0)
// and clears wrtByteCnt; the transport's result. Adds to outDataCnt.
int vxAsynWrite(vxInfo* app);
// The transport's status (1 data waiting); waits 100 ms when it is non-zero
// so that more of the answer arrives.
int vxAsynStatus(vxInfo* app);
// Starts an exchange afresh: discards pending input and output of the port
// (nothing on a closed port) and, on a TCP link, the input already pending on
// the socket, so a late answer to an earlier request is not taken for the
// next one.
int vxAsynFlush(vxInfo* app);
// Closes the port; asyn.fd becomes 0.
int vxAsynClose(vxInfo* app);
// 0 when the first 32 bytes of ibuf are readable text (sets baudDetected),
// else -2.
int vxAsynBaudDetection(vxInfo* app);

// Where the next read stores its data (ibPtr, or ibuf when none is set) and,
// in *room, how many bytes fit there: maxbyts, held to the end of the
// program's buffer that ibPtr points into (ibuf, the Modbus message buffer or
// the data-block buffer). Shared by the serial and the TCP read.
unsigned char* vxLinkReadBounds(vxInfo* app, int* room);
// The bytes of the next write (obPtr, or obuf when none is set) and, in
// *length, their count: wrtByteCnt, or the text length of obuf when it is 0,
// held to the end of obuf when obPtr points into it. Shared by the serial and
// the TCP write; wrtByteCnt is left for the caller to clear.
unsigned char* vxLinkWriteBounds(vxInfo* app, int* length);

// The waits of the link, the protocols and the identification: tenths of a
// second in 100 ms steps through the window framework's sleep on the main
// window, so windows stay responsive and a worker whose stop was requested
// unwinds here.
int vxLinkSleep(vxInfo* app, int tenths);
