// qkhelpwininit: the help launcher's program record and its lifecycle: the
// static record and work buffers, clearing the record at start, the main
// window's resources, the message boxes and the single exit step.
// Main thread.
#pragma once

#include "qkcfgsrv.h"
#include "qkstartup.h"
#include "qkwinsrv.h"

// Id of the document list in the launcher's window, and the callback id it fires.
constexpr int QKHELPWIN_LISTID = 1000;
// Status of the option step when a help or version text was shown.
constexpr int QKHELPWIN_STOP = 99;

struct qkhelpwinlogInfo {
    int stdoutflag;
    char path[256];
};

struct qkhelpwincfgInfo {
    int audit;
    char path[256];
    int pkgTyp[128];
    int pkgNdx;
    qkcfgsrvInfo* cfgPtr;
};

// One document: its path and the viewer command line (or a viewer kind).
struct qkhelpdocIdInfo {
    int id;
    char name[256];
    char exec[256];
};

struct qkhelpdocInfo {
    int cnt;
    int ndx;
    int exitFlag;
    char rootdir[256];
    char pdfexe[256];
    char pdfrdexe[256];
    char docexe[256];
    char htmlexe[256];
    qkhelpdocIdInfo* idPtr;
};

struct qkhelpwinInfo {
    int state;      // 99: stop before the window opens
    int audit;
    int cmdlncnt;   // -f and -d options given
    int srvrate;
    int inbcnt;
    int outbcnt;
    int pkgTyp;
    int undx;
    int ureqCnt;
    int umsgFlg;
    qkstartupCmdLnInfo* suPtr;
    qkhelpwinlogInfo log;
    qkhelpwincfgInfo cfg;
    qkhelpwincfgInfo* cfgPtr;
    qkcfgpkgInfo cpkg;
    qkhelpdocInfo doc;
    qkwinprgbarInfo pbar;
    char defName[256];
    char* inbuf;
    char* outbuf;
    qkwinInfo* winPtr;
    // Kept by the launcher (after the members above): the document shown in
    // each row of the list, so a document left out does not shift the rows.
    int* rowDoc;
    int rowCnt;
};

extern qkhelpwinInfo qkhelpwin;
extern qkhelpwinInfo* qkhelpwinPtr;
extern qkstartupCmdLnInfo qkhelpwinstartup;

// The program record of a window (its appPtr), else the static one.
qkhelpwinInfo* qkhelpwinAppOf(const qkwinInfo* window);

// Clears the record (releasing the tables it holds), points inbuf and outbuf
// at the two static work buffers and writes the default paths. 0.
int qkhelpwinInitialize(qkhelpwinInfo* app);
// Creates the main window record with its palette and message caption and
// links it to the record. 0, -2 without a record.
int qkhelpwinGetResources(qkhelpwinInfo* app);
// Message boxes of the launcher; before the window exists the text goes to the log only.
int qkhelpwinMsgInfo(qkhelpwinInfo* app, const char* text);
int qkhelpwinMsgError(qkhelpwinInfo* app, const char* text);
// The main window's close hook: the window ends, and with it the program.
int qkhelpwinClose(qkwinInfo* window);
// Ends the driver of a test run, logs "QKHELPWIN exit" and ends the process with 0.
[[noreturn]] void qkhelpwinExit();
