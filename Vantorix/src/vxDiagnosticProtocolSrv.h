// vxDiagnosticProtocolSrv: the analyzer's own text protocol. A request is two
// backslashes, the analyzer address as three digits and a command code; the
// analyzer answers with an acknowledgement holding "OK", with a data block
// (payload between "[" and "]]"), or by starting a record stream. Requests are
// built in anaCom.obuf and travel over the analyzer link; the payload of the
// last data block is kept in diagProt.rspBuf. Runs on the thread doing the
// exchange (identification, a page's worker or a window callback).
//
// Callers prepare the link first: flush, maxbyts 5120, ibPtr = ibuf,
// obPtr = obuf.
#pragma once

#include "vxMain.h"

// Command codes the program sends (the text after the address).
inline constexpr char VX_DP_IDENTITY[] = "01";          // the identity block
inline constexpr char VX_DP_HC12_MBOFF[] = "24";        // leave Modbus mode (type 6)
inline constexpr char VX_DP_HC12_MBON[] = "23";         // enter Modbus mode (type 6)
inline constexpr char VX_DP_ARM9_MBOFF[] = "220000";    // leave Modbus mode (types 7, 8)
inline constexpr char VX_DP_ARM9_MBON[] = "220001";     // enter Modbus mode (types 7, 8)
inline constexpr char VX_DP_PANEL_OFF[] = "34";         // leave front-panel (terminal) mode
inline constexpr char VX_DP_PANEL_ON[] = "33";          // enter front-panel (terminal) mode
inline constexpr char VX_DP_MODE6[] = "06";             // the mode 6 record stream (types 6, 1)
inline constexpr char VX_DP_PARAMS[] = "62";            // the parameters record stream (types 7, 8)
inline constexpr char VX_DP_NEXTBLOCK[] = "070001";     // the next record block

// Writes the request for code (to diagProt.modbusAddr) into anaCom.obuf
// (obPtr points there), to be sent as text.
int vxBuildDiagReqMsg(vxInfo* app, const char* code);
// The same request to address addr, logged under label: the one builder of
// request texts, also used for the Modbus-mode switches.
int vxBuildDiagReqMsgTo(vxInfo* app, int addr, const char* code, const char* label);
// Writes obuf through the link (serial or TCP by connectType): the write result.
int vxSendDiagReqMsg(vxInfo* app);
// Reads a data block into rspBuf (dataCnt bytes, at most 4096): 2 when it is
// complete, or when the answer passed the readability check during this
// exchange (while checkBaud is 1); otherwise 0 after two empty reads.
int vxGetDiagRespMsg(vxInfo* app);
// The scan of one data block across the reads of an exchange (zeroed before
// the first read).
struct vxDiagBlockScanInfo {
    bool started;   // the "[" that opens the payload has come
    bool bracket;   // the last byte seen was a "]" of the payload
};
// Takes the n bytes of one read: the payload after the first "[" goes into
// rspBuf (dataCnt bytes; past the buffer it is dropped) up to "]]". True once
// the block has ended.
bool vxDiagScanBlock(vxDiagProtInfo* dp, vxDiagBlockScanInfo* s, const unsigned char* bytes, int n);
// Waits up to 9 reads for "OK" in anaCom.ibuf: 2 when it came, else -2.
int vxGetDiagOkMsg(vxInfo* app);

// One read / one write through the link chosen by anaCom.connectType
// (-2 when no link is chosen).
int vxDiagLinkRead(vxInfo* app);
int vxDiagLinkWrite(vxInfo* app);
