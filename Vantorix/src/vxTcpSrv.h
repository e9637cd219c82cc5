// vxTcpSrv: the TCP side of the analyzer link (anaCom): read, write, status
// and close through the client role of anaCom.tcp, with the byte counters of
// the application record. The connection is the program's only way to the
// analyzer: when the analyzer closes it or the socket fails, the program
// tells the user and ends. The protocol layers call it when
// anaCom.connectType is 2.
#pragma once

#include "vxMain.h"

// Receives into ibPtr (at most maxbyts bytes): the count, 0 when nothing was
// pending. A peer shutdown or a receive error shows an information box and
// ends the program. Sets rdByteCnt and adds to inDataCnt.
int vxTcpRead(vxInfo* app);
// Sends wrtByteCnt bytes from obPtr (the text length of obuf when it is 0)
// and clears wrtByteCnt; the count sent. When nothing could be sent the user
// chooses between ending the program and carrying on.
int vxTcpWrite(vxInfo* app);
// The readiness poll (1 ms): positive when data or a close is pending.
int vxTcpStatus(vxInfo* app);
// Discards what the analyzer has sent and nobody has read yet, without
// waiting (the socket's counterpart of the serial purge); 0, or -2.
int vxTcpFlush(vxInfo* app);
// Closes the TCP record.
int vxTcpClose(vxInfo* app);
