// vxMain: the application record of the main program and its static storage.
// One instance (vx) lives for the whole process; every module reaches it
// through vxPtr or through the main window record's appPtr. It owns every
// link, page, worker slot and acquisition record by value.
#pragma once

#include <atomic>
#include <cstdint>

#include "qkstartup.h"
#include "qkthrdsrv.h"
#include "vxTypes.h"

// Bit of the application audit that switches the function-entry trace on.
constexpr int VX_AUD_TRACE = 0x800;

struct vxInfo {
    int pid;                          // process id, written to the log at start
    int debug;
    std::atomic<int> state;           // run state: 0 initialised, 99 stop after an option, 1 not connected,
                                      // 10 unsupported application, 13 unsupported version, 20 connected
    int audit;                        // audit mask of the application
    int userPW;                       // password level of the current user
    int userPWtype;                   // type of that password
    int syspaintCnt;                  // repaint counter of the page refresh
    std::atomic<int> refreashFlag;    // a page refresh is requested
    std::atomic<int> refrashPlots;    // new spectra arrived: redraw the plots
    int cmdlncnt;                     // command-line options that changed a setting
    int srvrate;                      // period of the main window's timer in ms
    int inbcnt;
    int outbcnt;
    int pkgTyp;
    int undx;
    int sndx;
    int lastPageID;                   // page shown last
    std::atomic<int32_t> inDataCnt;   // bytes received from the analyzer
    std::atomic<int32_t> outDataCnt;  // bytes sent to the analyzer
    int rdUpdateNdx;                  // update index of the run-diagnostics status display
    qkstartupCmdLnInfo* suPtr;        // the start-up option record
    vxlogInfo log;
    vxcfgInfo cfg;
    vxcfgInfo* cfgPtr;
    vxFileInfo dataFile;
    vxUserPasswordInfo validPW;
    vxFindAnalyzerInfo anaFind;
    vxAnalyzerComInfo anaCom;
    vxDiagProtInfo diagProt;
    vxAnaSupVerInfo anaSupVer;
    vxAnalyzerInfo anaDetails;
    qkwinprgbarInfo pbar;
    vxRemoteComInfo remote;
    vxPageInfo page;
    vxthreadInfo findanathrds;        // worker slots
    vxthreadInfo connanathrds;
    vxthreadInfo getdpdatathrds;
    vxthreadInfo rundiagthrds;
    vxthreadInfo paramfpthrds;
    vxthreadInfo parammbthrds;
    vxthreadInfo diagdvthrds;
    qkwinInfo* winPtr;                // the main window
    qkwinInfo* actWinPtr;             // the active child window
    qkwinInfo* connWinPtr;            // the connection window while it is open
    qkcfgpkgInfo cpkg;
    vxAnalyzereDataInfo dpRequest;
    vxMonitorPageInfo mpData;
    vxParamsPageInfo ppData;
    vxSpectraPageInfo spData;
    vxDiagPageInfo dpData;
    vxRunDiagInfo runDiag;
    vxModbusInfo mbData;
    char homeDir[128];
    char* inbuf;                      // the two 4096-byte work buffers
    char* outbuf;
    void* dbPtr;                      // the database record, taken from the main window
    vxAnalyzerVersion* anaVerPtr;     // the analyzer version in effect
};

// Program title and version used in log lines and message texts.
inline constexpr char g_vxTitle[] = "Vantorix NQE";
inline constexpr char g_vxVersion[] = "1.6.0";
// Build time stamp: month, day, year and time of the build ("May 17 2017 16:23:20").
extern const char g_vxBD[21];

extern vxInfo vx;
extern vxInfo* vxPtr;
// The application record of a window: its appPtr, else the program's one.
vxInfo* vxAppOf(const qkwinInfo* window);
extern qkstartupCmdLnInfo qkbwstartup;   // start-up options of the main program
extern char g_inbuf[4096];
extern char g_outbuf[4096];
extern char g_wbuf[1024];                // help and version texts
extern char g_tmpbuf[1024];              // the close question
