// vxModbusProtocolSrv: the Modbus exchange with the analyzer (function code 3,
// read holding registers). The analyzer is switched into Modbus mode with a
// diagnostic-protocol command, answers RTU frames over the analyzer link and
// is switched back afterwards. The working record is the application
// record's mbData; the frames travel through anaCom.
//
// A page's exchange: vxValidateMbSlaveAddress; flush; anaCom buffers at
// ibuf/obuf with capacity 5120; vxBuildMbDpOnMsg, vxSendMbReqMsg,
// vxGetMbDpOnOkMsg; per register: mbReg, mbRegCnt, vxValidateMbReg,
// vxBuildMbFc03Msg, the 8 bytes into obuf with wrtByteCnt 8, vxSendMbReqMsg,
// vxGetMbRspMsg; vxBuildMbDpOffMsg, vxSendMbReqMsg.
#pragma once

#include <cstdint>

#include "vxMain.h"

// Classifies mbData.mbReg (0-based address) into mbData.mbRegType:
// 3000-4999 16-bit integer (1), 5000-6999 32-bit integer (2), 7000-8999
// float (3). Any other address: type 0, "Invalid modbus register: %d", -2.
int vxValidateMbReg(vxInfo* app);
// Takes diagProt.modbusAddr: 0-247 become modbusAddr and mbSlaveAddr (0);
// anything else is logged, shown in an information box and refused (-2).
int vxValidateMbSlaveAddress(vxInfo* app);
// Builds the read request in fc03 from mbSlaveAddr, mbReg, mbRegType and
// mbRegCnt (two registers a value for types 2 and 3); fcID 3, fcByteCnt 8,
// fcPtr = the frame.
int vxBuildMbFc03Msg(vxInfo* app);
// The Modbus CRC-16 of the fcByteCnt - 2 bytes at fcPtr.
uint16_t vxCalculateMbCRC(vxInfo* app);
// Writes through the link (serial or TCP by connectType): the write result.
int vxSendMbReqMsg(vxInfo* app);
// One read through the link: the count.
int vxGetMbReqMsg(vxInfo* app);
// Reads the response into msgBuf: 0 with the values decoded into regVal,
// -99 for an exception or another function code (mbExCode set), -2 when no
// frame of this slave came within 10 reads.
int vxGetMbRspMsg(vxInfo* app);
// Looks for the response in the *total bytes read into msgBuf so far: only a
// whole frame whose CRC holds counts; bytes before it (noise on the line) and
// frames of other slaves are dropped (*total shrinks by them), and the
// frame taken is moved to the start of msgBuf. 1 once a frame of this slave
// is there, with *result as vxGetMbRspMsg returns it; 0 while more bytes are
// needed.
int vxTakeMbRspFrame(vxInfo* app, int* total, int* result);
// Decodes the data bytes of the response in msgBuf into regVal by mbRegType.
int vxGetMbRspMsgValue(vxInfo* app);
// The Modbus-mode switch commands for the analyzer's application type, in
// anaCom.obuf (sent as text).
int vxBuildMbDpOnMsg(vxInfo* app);
int vxBuildMbDpOffMsg(vxInfo* app);
// Waits for the analyzer's "OK" after Modbus mode on: 2, else the waiting
// result (logged).
int vxGetMbDpOnOkMsg(vxInfo* app);
// The hex dump of the fcByteCnt bytes at fcPtr into g_wbuf ("%2.2x " a byte).
int vxBuildMbFcDbmsg(vxInfo* app);

// Text of an exception code ("ILLEGAL DATA ADDRESS" for 2); codes without a
// text give "UNKNOWN EXCEPTION".
const char* vxMbExceptionText(int code);
