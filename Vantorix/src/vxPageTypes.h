// vxPageTypes: the records of the measurement pages held in vxInfo: monitor
// page with its monitor profiles, run-diagnostics capture with its line ring,
// diagnostics page, parameters page with front panel and Modbus test.
// Part of vxTypes.h (include that one).
#pragma once

#include "vxFPDecode.h"
#include "vxTypes.h"

// ---- monitor page -----------------------------------------------------------------

constexpr int VX_MAXMONCOLUMNS = 64;

// One monitor profile: the column names of one application's record stream.
struct vxMonitorMode1Data {
    int id;                            // 1-based number of the profile
    int paramCnt;                      // column names in use
    vxAnalyzerVersion version;         // the version the profile is for
    char name[VX_MAXMONCOLUMNS][32];
};

// The monitor profiles; idPtr grows by one entry per profile (counted allocator).
struct vxMonitorMode1Info {
    int cnt;                           // number of profiles
    int ndx;                           // profile being filled by the configuration reader
    vxMonitorMode1Data* idPtr;
};

struct vxMonitorPageInfo {
    int state;
    int audit;
    int recCnt;                        // lines shown since the page opened
    vxMonitorMode1Info mode1;
};

// ---- run diagnostics (capture engine) ----------------------------------------------

constexpr int VX_RINGLINES = 2046;

// Stream state and the ring of complete lines. The reader thread writes the
// slots and the write index; the window thread reads and empties the slots
// and moves the read index. A slot is handed over by the indices: the reader
// publishes a filled slot by storing the write index (release) and the page
// frees it by storing the read index (release); each side loads the other's
// index with acquire. The ring holds at most VX_RINGLINES - 1 unread lines.
struct vxModeDatanfo {
    int state;
    int audit;
    std::atomic<int> capDataFlag;      // 1 while records are being captured
    int lineCnt;                       // lines added to the page list
    int byteCnt;                       // unread bytes of the last chunk read from the link
    int dataCnt;                       // lines written to the data file
    int dataNdx;                       // length of the line being assembled
    int dataFlag;                      // 1 when dataBuf holds a complete line
    std::atomic<int> dataLineWtNdx;    // ring write index (reader thread)
    std::atomic<int> dataLineRdNdx;    // ring read index (page)
    int listUpdateCnt;                 // lines since the list was last scrolled
    int listUpdateSize;                // scroll every this many lines plus one
    char dataBuf[4096];                // line being assembled
    char dataLine[VX_RINGLINES][1024]; // ring of complete lines; an empty slot starts with a NUL
    std::atomic<int> lostCnt;          // lines the reader could not keep because the page fell behind
};

struct vxRunDiagInfo {
    std::atomic<int> state;            // 1 while a capture requested by the user runs
    int recCnt;                        // records received during the capture
    int modeEndCnt;                    // block ends counted during the capture
    int appID;                         // the page that owns the capture (1 monitor page)
    int64_t mode1Duration;             // length of the mode-1 capture, seconds
    int64_t mode1TimeStart;            // start of the mode-1 capture; 0 when none
    int64_t mode1TimeCount;            // time of the last count-down step
    char msg[128];                     // capture message of the waiting dialog
    vxModeDatanfo modeData;
};

// ---- diagnostics page ---------------------------------------------------------------

constexpr int VX_MAXDIAGPARAMS = 50;
constexpr int VX_MAXDIAGALARMS = 32;

struct vxDiagParamInfo {
    char name[32];
    int mbReg;                         // profile register number, such as 45001
};

struct vxDiagAlarmInfo {
    char name[32];
    int32_t id;                        // alarm bit number
};

// Diagnostic values and alarms of one application type.
struct vxDiagAppInfo {
    int paramCnt;
    int alarmCnt;
    int alarmData;                     // last value read from the alarm register
    int alarmRegister;                 // profile register number of the alarm word
    char timestamp[32];
    vxDiagParamInfo param[VX_MAXDIAGPARAMS];
    vxDiagAlarmInfo alarm[VX_MAXDIAGALARMS];
};

struct vxDiagValueInfo {
    std::atomic<int> state;
    int updateNdx;                     // the page's entry in the update-function table
    int runDiagFlag;                   // 1 while the page's capture runs
    vxDiagAppInfo f2;                  // application type 6
    vxDiagAppInfo ns;                  // application type 7
    vxDiagAppInfo fs;                  // application type 8
    vxDiagAppInfo* appPtr;             // the entry of the connected analyzer (selected by the profile load)
    qkwinInfo* winPtr;                 // the tab window holding the lists
};

struct vxDiagScheduleInfo {
    int state;
    int updateNdx;
    qkwinInfo* winPtr;
};

struct vxDiagPageInfo {
    int state;
    int audit;
    vxDiagValueInfo dvData;
    vxDiagScheduleInfo scData;
};

// ---- parameters page ----------------------------------------------------------------

constexpr int VX_MAXPARAMGROUPS = 32;
constexpr int VX_MAXGROUPPARAMS = 128;

struct vxParamTvItemInfo {
    int state;
    int paramApp;                      // application code: 3 type 6, 2 type 7, 1 type 8
    int paramPwId;                     // password needed to see the parameter
    int paramMbReg;                    // profile register number, 4nnnn
    int paramType;                     // register class 1, 2 or 3
    float paramMin;
    float paramMax;
    char paramName[48];
    char paramPrompt[48];
    char paramValue[48];               // the value text shown in the tree
};

struct vxParamTvGroupInfo {
    int state;
    int itemCnt;
    char name[32];
    vxParamTvItemInfo items[VX_MAXGROUPPARAMS];
};

struct vxParamTvInfo {
    int state;
    int groupCnt;
    vxParamTvGroupInfo group[VX_MAXPARAMGROUPS];
};

struct vxParamListInfo {
    std::atomic<int> state;            // 0 idle, 1 tree sub-tab selected, 2 tree built
    int audit;
    int tvBuildFlag;                   // 1 once the tree control exists
    std::atomic<int> tvLoadFlag;       // 1 asks the next tick to (re)load the tree
    int tvCatCnt;
    int tvImageNdx[1024];              // tree item handles in the order items were added
    int updateNdx;
    int digUpdateNdx;
    int runDiagFlag;                   // 1 while the page's capture runs
    std::atomic<int> runUpdateFlg;     // 1 item selected, 5 while its dialog is open
    vxParamTvInfo tvMenu;              // the parameter groups
    vxParamTvItemInfo* tvItemPtr;      // the parameter being read or shown
    vxthreadInfo uodateParamThrd;      // detail-dialog thread
    vxthreadInfo loadTvParamThrd;      // tree-load thread
    qkwinInfo* winPtr;                 // the tab window holding the tree
};

// Front-panel emulation: the decoded terminal commands (vxTermCodeInfo,
// vxFPdataTermInfo) come with their decoder.
constexpr int VX_FPRINGLINES = 1024;

// The front panel's stream state and its ring of display lines, handed over
// by the indices as in the capture's ring (vxModeDatanfo): the reader
// publishes a slot by storing the write index (release), the page frees it
// by storing the read index (release); a full ring is never overwritten.
struct vxFrontPanelInfo {
    int state;
    int audit;
    int updateNdx;
    std::atomic<int> capDataFlag;
    int lineCnt;
    int byteCnt;
    int dataCnt;
    int dataNdx;
    int dataFlag;
    std::atomic<int> dataLineWtNdx;    // ring write index (reader thread)
    std::atomic<int> dataLineRdNdx;    // ring read index (page)
    int cmdSize;                       // length of the current escape command
    char* reqPtr;                      // parse position inside the current line
    char* cmdPtr;                      // the current escape command (in termReg)
    char termReg[64];
    char dataBuf[1024];                // line being assembled
    char dataLine[VX_FPRINGLINES][256];
    vxFPdataTermInfo cmd;
    qkwinInfo* winPtr;                 // the front-panel tab window
    std::atomic<int> lostCnt;          // lines the reader could not keep because the page fell behind
};

// Modbus test tab.
struct vxMbTestInfo {
    int state;
    std::atomic<int> pollAnaFlg;       // 1 while a poll runs; clearing it stops the poll
    std::atomic<int> pollMode;         // set: one request per value (the button's mark)
    std::atomic<qkwinInfo*> winPtr;    // the Modbus test tab window (its callbacks set it)
};

struct vxParamsPageInfo {
    int state;
    int audit;
    vxParamListInfo plData;
    vxFrontPanelInfo fpData;
    vxMbTestInfo mbData;
};
