// vxTypes: the records nested by value in the application record vxInfo.
// This header holds the application core, the analyzer identity, search, link
// and protocol records; the page records follow in vxPageTypes.h and the
// spectra records in vxSpectraTypes.h (both included at the end, so including
// this header gives all of them).
//
// Fields, their order and their fixed capacities are those of the system.
// Fields that a worker thread writes while the window thread reads them are
// std::atomic; records holding such fields are cleared with vxRecordClear.
#pragma once

#include <atomic>
#include <cstdint>
#include <cstdio>
#include <new>

#include "qkcommasyn.h"
#include "qkcommtcp.h"
#include "qkthrdsrv.h"
#include "qkwinsrv.h"

// ---- library records of modules still to come -------------------------------
// Records reached only through pointers are declared here.
struct qkcfgsrvInfo;                   // the configuration reader record
struct qkwinTextInfo;                  // a window text record of the window framework
struct qkwincfgelemInfo;               // a window item record of a window definition
struct qkplotInfo;                     // a plot record of the plot engine
struct qkplotIDInfo;                   // one plot entry of a plot record

// Clears a record that holds atomics: a fresh, zeroed record is built in
// place (such records cannot be cleared by writing bytes over them).
template <class T> inline void vxRecordClear(T& record)
{
    record.~T();
    new (&record) T{};
}

// ---- application core ---------------------------------------------------------

// Log settings of the main configuration.
struct vxlogInfo {
    int stdoutflag;
    char path[128];
};

// State of the main configuration file.
struct vxcfgInfo {
    int audit;
    char path[128];
    int pkgTyp[128];       // package stack: codes of the open packages
    int pkgNdx;            // top of the package stack, -1 when empty
    qkcfgsrvInfo* cfgPtr;  // the reader record
    // Kept by the configuration handlers for their own bookkeeping (after the
    // members above):
    char incName[128];     // name of the include file being read (the main window's include name field)
    int paramGroup;        // group that the parameter keys fill, -1 when none
};

// The capture data file of the monitor and run-diagnostics pages.
struct vxFileInfo {
    int audit;
    FILE* fdp;
    char path[128];
};

// One valid password: application type, user level (1-3), password number.
struct vxValidPasswordInfo {
    int appType;
    int pwType;
    int pwID;
};

// The valid passwords by application type.
struct vxUserPasswordInfo {
    int audit;
    int cnt;
    vxValidPasswordInfo pw[8];
};

// ---- analyzer version and identity --------------------------------------------

// Type codes of hardware (hwType) and application (appType).
enum : int {
    VX_TYPE_UNKNOWN = 1,
    VX_HW_PP2F = 3,        // "HC12" or "KT700"
    VX_HW_ARM9 = 4,
    VX_APP_PP2F = 6,
    VX_APP_NS = 7,
    VX_APP_FS = 8,
};

// An analyzer version: hardware, application, revision, build and, for the
// entries of the supported list, the folder of its profiles.
struct vxAnalyzerVersion {
    int hwType;
    int appType;
    int revision;          // 1 once a revision text is set
    int build;             // build number
    char hwName[8];
    char appName[8];
    char revName[8];
    char bldName[8];
    char verFolder[128];
};

constexpr int VX_MAXSUPVER = 64;

// The analyzer versions the program supports (main configuration, SUPPORTED).
struct vxAnaSupVerInfo {
    int audit;
    int cnt;               // entries in use, at most VX_MAXSUPVER
    vxAnalyzerVersion version[VX_MAXSUPVER];
};

// The parsed identity of the analyzer.
struct vxAnalyzerID {
    int16_t type;          // 0 unknown, 1 single, 2 dual, 3 CO2
    char version[64];      // the version text
    char tempUnit;
    char presUnit[5];
    char concUnit[8];
    int32_t placeHolder;
};

// The identified analyzer.
struct vxAnalyzerInfo {
    int status;
    int audit;
    int type;
    int size;              // length of the identity block in dataID
    int emuFlag;           // 1 when the analyzer reported itself as an emulator
    vxAnalyzerVersion version;
    vxAnalyzerID ID;
    unsigned char dataID[64];  // the identity block as received
    qkwinInfo* winPtr;     // the analyzer-search window
};

constexpr int VX_MAXEXCLUDE = 10;
constexpr int VX_MAXBAUDRATE = 10;

// State of the analyzer search. The search worker and the window thread
// (cancel button, close of the search window) share state and cancelFlag.
struct vxFindAnalyzerInfo {
    int audit;
    std::atomic<int> state;        // 0 searching, 2 found, -2 not found or ended, 1 cancelled
    std::atomic<int> cancelFlag;   // 1 asks the search and the identification to stop
    int excludeCnt;
    int excludeFlag;               // 1 when the current port matched an exclude entry
    int baudCnt;
    int buadRate[VX_MAXBAUDRATE];  // baud rates to try, in order
    char exclude[VX_MAXEXCLUDE][128];  // port-name fragments to skip
    char msgBuf[128];              // current port name; the result text afterwards
    char* pndx[16];
    qkwinInfo* winPtr;             // the search window
};

// ---- analyzer link and protocols ------------------------------------------------

constexpr int VX_LINKBUFSIZE = 5120;

// Audit bits of the analyzer link (anaCom.audit).
enum : int {
    VX_COMAUD_READ = 1,    // reads and TCP writes, with hex dumps
    VX_COMAUD_WRITE = 2,   // serial writes, with hex dumps
};
// Audit bit of the diagnostic protocol (diagProt.audit): requests, sends and
// response sizes, of the Modbus exchanges too.
enum : int {
    VX_DIAGAUD_EXCHANGE = 4,
};

// The analyzer link: one connection, serial or TCP, with its buffers.
struct vxAnalyzerComInfo {
    int audit;             // 1 reads and TCP writes with hex dumps, 2 serial writes with hex dumps
    int checkBaud;         // 1 while an identification wants the answer tested for readable text
    int baudDetected;      // 1 once that test has passed
    int connectType;       // 0 none, 1 serial, 2 TCP
    int maxbyts;           // capacity of the next read at ibPtr
    int rdByteCnt;         // bytes delivered by the last read
    int wrtByteCnt;        // bytes to send next; 0 sends the text length of obuf
    unsigned char* ibPtr;  // where the next read stores its data
    unsigned char* obPtr;  // where the next write takes its data from
    unsigned char ibuf[VX_LINKBUFSIZE];
    unsigned char obuf[VX_LINKBUFSIZE];
    qkcommAsynInfo asyn;
    qkcommTCPInfo tcp;
};

// Working record of the diagnostic protocol.
struct vxDiagProtInfo {
    int state;
    int audit;             // bit 4 logs requests, sends and response sizes
    int dataCnt;           // bytes in rspBuf from the last data block
    int modbusAddr;        // analyzer address written into every request
    char funcCode[16];
    unsigned char reqBuf[1024];
    unsigned char rspBuf[4096];  // payload of the last data block, without its brackets
};

// Modbus register classes (mbRegType).
enum : int {
    VX_MBREG_INVALID = 0,
    VX_MBREG_INT16 = 1,
    VX_MBREG_INT32 = 2,
    VX_MBREG_FLOAT = 3,
};

// Read request frame, function code 3: eight bytes on the wire.
struct vxModbusFc03Info {
    uint8_t slaveAddr;
    uint8_t funcCode;
    uint8_t startHi;       // starting register address, high byte first
    uint8_t startLo;
    uint8_t countHi;       // number of registers, high byte first
    uint8_t countLo;
    uint8_t crcLo;         // CRC-16, low byte first
    uint8_t crcHi;
};
static_assert(sizeof(vxModbusFc03Info) == 8);

// Write frame work area (function code 16; not sent by this program).
struct vxModbusFc16Info {
    uint8_t frame[16];
};

// Values decoded from the last response.
struct vxModbusValues {
    int shtCnt;
    int shtVal[126];       // 16-bit values without sign extension (0-65535)
    int ushtCnt;
    int ushtVal[126];
    int lngCnt;
    int lngVal[63];        // 32-bit values, signed
    int ulngCnt;
    int ulngVal[63];
    int fltCnt;
    float fltVal[63];
    int strCnt;
    char strVal[63][4];
};

// Working record of the Modbus exchange.
struct vxModbusInfo {
    int modbusAddr;        // analyzer address of the Modbus-mode switch commands
    int mbReg;             // register address of the request, 0-based (profile number - 40001)
    int mbRegType;         // 1 16-bit integer, 2 32-bit integer, 3 float, 0 invalid
    int mbRegCnt;          // values requested
    int mbExCode;          // exception code of the last failed response
    int regIntVal;
    float regFltVal;
    int passWord;
    int mbSlaveAddr;       // slave address of every frame
    int msgSize;
    char* msgPtr;
    unsigned char msgBuf[512];   // response buffer
    int fcID;              // function code of the request in progress
    int fcByteCnt;         // byte count of the frame at fcPtr
    unsigned char* fcPtr;  // the frame the CRC and the hex dump work on
    vxModbusFc03Info fc03;
    vxModbusFc16Info fc16short;
    vxModbusFc16Info fc16long;
    vxModbusFc16Info fc16float;
    vxModbusValues regVal;
};

// ---- records of modules still to come ------------------------------------------
// Remote access: the program as a TCP server for one remote client at a time.
// The window thread fills tcp (role, address, port, allowed clients) and
// starts the server worker on srvthrds; from then on only the worker uses tcp
// and tells the window how it stands through the atomics below.
struct vxRemoteComInfo {
    int connectType;                     // 1 once remote access has been asked for
    qkcommTCPInfo tcp;                   // the server record
    vxthreadInfo srvthrds;               // the server worker's slot
    std::atomic<int> srvState;           // 0 stopped, 1 starting, 2 listening, 3 client connected,
                                         // 4 client refused (still listening), 5 failed
    std::atomic<int> srvEvent;           // counts the worker's reports: the same state again is news too
    std::atomic<int> srvErrno;           // the system's reason of a failure (srvState 5)
    std::atomic<uint32_t> peerAddr;      // the last client, host order
    std::atomic<qkwinInfo*> winPtr;      // the remote window while it is open
    int lastEvent;                       // the report the window shows (window thread only)
};

// ---- page navigation of the main window ------------------------------------------

struct vxInfo;
// A page function: run with the application record when a page is entered,
// refreshed or left.
typedef int (*vxPageFunc)(vxInfo* app);

constexpr int VX_MAXPAGEFUNCS = 16;
constexpr int VX_MAXNAVPAGES = 8;

// One page function: the page id it belongs to and its address. A reserved
// update slot has the page id and no address; the owning page stores its
// update function there while it wants periodic updates.
struct vxFuncIDInfo {
    int id;
    std::atomic<vxPageFunc> address;   // a page may fill or clear its slot from a worker
};

struct vxFuncInfo {
    int funcCnt;
    vxFuncIDInfo func[VX_MAXPAGEFUNCS];
};

// A navigation entry: the control that selects the page and the static that
// marks it in the navigation bar.
struct vxNavPageInfo {
    int hid;
    int nid;
    int state;             // 1 the page may be selected, 0 blocked
};

struct vxPageInfo {
    int audit;
    int actitemid;         // page-select control clicked last
    int lastActitemid;     // page-select control of the page shown before
    int navPageCnt;        // navigation entries in use
    vxFuncInfo start;      // run when a page is entered
    vxFuncInfo update;     // run when the current page is refreshed
    vxFuncInfo exit;       // run when a page is left
    vxNavPageInfo navPage[VX_MAXNAVPAGES];
};

#include "vxPageTypes.h"
#include "vxSpectraTypes.h"
