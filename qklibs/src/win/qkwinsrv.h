// qkwinsrv (win): the window record of the window framework and every record it
// holds. One qkwinInfo exists per main window, child window, dialog and sub-tab
// page. Its tables are filled when the window's UI definition file is read
// (qkwincfgsrv and the widget modules); the platform layer turns them into
// native windows and controls later. Platform objects are opaque pointers here,
// so the records stay portable.
//
// Threads: a window record belongs to the thread that runs its loop. Fields a
// second thread writes (the run state, the waiting notice box's state, a child
// thread's state) are atomic.
#pragma once

#include <atomic>
#include <cstdint>

#include "qkcfgsrv.h"
#include "qklogsrv.h"

// Audit bits of a window while its definition file is read.
enum : int {
    QKWINCFG_AUD_TRACE = 1,     // every package and element handled
    QKWINCFG_AUD_UNKNOWN = 2,   // element names without a handler
    QKWINCFG_AUD_RECORD = 4,    // record creation and every record name read
    QKWINCFG_AUD_FILE = 8,      // file-level events
};

// Message-box types (the icon of the box).
enum : int {
    QKWIN_MSG_QUESTION = 101,
    QKWIN_MSG_WARN = 102,
    QKWIN_MSG_INFO = 103,
    QKWIN_MSG_STOP = 104,
    QKWIN_MSG_ERROR = 105,
};

// Message-box answers.
enum : int {
    QKWIN_MSG_OK = 121,
    QKWIN_MSG_CANCEL = 122,
    QKWIN_MSG_YES = 123,
    QKWIN_MSG_NO = 124,
};

struct qkwinInfo;
struct qkplotInfo;        // the plot engine's record of a window
struct qkcommAsynInfo;    // serial transport record
struct qkcommTCPInfo;     // TCP transport record
struct qkwinTextInfo;     // free text drawn into a window

// A callback receives the window record and returns a status.
typedef int (*qkwincallback)(qkwinInfo* window);

// Fixed capacities of the records.
constexpr int QKWIN_TEXTSIZE = 128;      // texts: 127 characters
constexpr int QKWIN_COLORNAMESIZE = 32;  // colour names: 31 characters
constexpr int QKWIN_FUNCNAMESIZE = 64;   // callback names: 63 characters
constexpr int QKWIN_PAGENAMESIZE = 64;   // page names: 63 characters
constexpr int QKWIN_FONTNAMESIZE = 32;   // font face names: 31 characters
constexpr int QKWIN_MAXPOINTS = 32;      // polygon points of a region
constexpr int QKWIN_MAXSBARPARTS = 16;   // parts of a status bar
constexpr int QKWIN_MAXWINDOWS = 128;    // slots of the window management table
constexpr int QKWIN_PKGSTACK = 256;      // package stack and handler tables
constexpr uint32_t QKWIN_NOCOLOR = 0x1000000;   // no colour chosen: the platform default stays

// ---- colours ----------------------------------------------------------------

struct qkwincolordef {
    int flags;                       // 1 = transparent
    int rgb;                         // platform colour reference, QKWIN_NOCOLOR when none
    char name[QKWIN_COLORNAMESIZE];
};

struct qkwincolorInfo {
    qkwincolordef bg;
    qkwincolordef fg;
    qkwincolordef border;
    qkwincolordef text;
};

// Named palette colour.
struct qkwinpalettergbdef {
    uint16_t red;
    uint16_t green;
    uint16_t blue;
};

struct qkwinpalettedef {
    char name[QKWIN_COLORNAMESIZE];
    uint32_t value;                  // 0xRRGGBB
    qkwinpalettergbdef rgb;
};

struct qkwinpaletteInfo {
    int audit;
    int cnt;                         // colours in the table
    int ndx;                         // index of the last colour
    qkwinpalettedef* idPtr;          // shared by a main window and its children
};

// ---- small records shared by widgets ------------------------------------------

// An icon or image of a window or control.
struct qkwinimageInfo {
    int state;
    int xsize;
    int ysize;
    char path[QKWIN_TEXTSIZE];
    void* sysPtr;                    // platform image
};

// Border of a control or region.
struct qkwinborderInfo {
    int type;                        // 6 flat, 7 raised, 8 sunken, 0 none
    int width;
    qkwincolorInfo color;            // bg and fg used by region borders
};

// ---- fonts ------------------------------------------------------------------

struct qkwinfontIDInfo {
    int id;                          // 1-based position
    int itemid;                      // ID of the definition
    int height;
    int width;
    int angle;
    int weight;                      // 1 bold, 2 medium, 3 light, 4 thin, 5 normal
    int charsetID;                   // 1 ANSI, 2 OEM, 3 Unicode, 4 Russian
    int familyID;                    // 1 roman, 2 swiss, 3 modern
    int italicFlag;
    int underlineFlag;
    char name[QKWIN_FONTNAMESIZE];   // face name
    void* sysPtr;
};

struct qkwinfontInfo {
    int audit;
    int cnt;
    int ndx;
    qkwinfontIDInfo* idPtr;
};

// ---- menus --------------------------------------------------------------------

struct qkwinSubMenuIDInfo {
    int id;
    int gid;                         // INDEX
    int pageid;
    int fontid;
    int state;
    char name[QKWIN_TEXTSIZE];
    qkwincolorInfo color;
    void* sysPtr;
};

struct qkwinMenuIDInfo {
    int id;
    int gid;                         // INDEX
    int pageid;
    int fontid;
    int state;
    char name[QKWIN_TEXTSIZE];
    qkwincolorInfo color;
    int subCnt;
    int subNdx;
    qkwinSubMenuIDInfo* subidPtr;
    void* sysPtr;
};

struct qkwinMenuInfo {
    int audit;
    int cnt;
    int ndx;
    qkwinMenuIDInfo* idPtr;
};

// ---- callbacks ----------------------------------------------------------------

struct qkwinfuncIDInfo {
    int type;                        // 2: bound by name
    int gflag;                       // 1: inherited by child windows
    int id;
    qkwincallback add;
    char name[QKWIN_FUNCNAMESIZE];
};

struct qkwinfunctionInfo {
    int audit;
    int cnt;
    int ndx;
    qkwinfuncIDInfo* idPtr;
};

// ---- controls -------------------------------------------------------------------

struct qkwinbtnIDInfo {
    int id;
    int ndx;
    int pageid;
    int style;                       // 1 push .. 7 auto radio
    int state;
    int fontid;
    int xorig;
    int yorig;
    int xsize;
    int ysize;
    char name[QKWIN_TEXTSIZE];       // caption
    qkwincolorInfo color;
    qkwinborderInfo bdr;
    qkwinimageInfo icon;
    void* sysPtr;
};

struct qkwinbtnInfo {
    int audit;
    int cnt;
    int ndx;
    qkwinbtnIDInfo* idPtr;
};

struct qkwinstaticIDInfo {
    int id;
    int ndx;
    int pageid;
    int align;                       // 3 left, 4 right, 5 centre
    int state;
    int fontid;
    int xorig;
    int yorig;
    int xsize;
    int ysize;
    char text[QKWIN_TEXTSIZE];
    qkwincolorInfo color;
    qkwinborderInfo bdr;
    qkwinimageInfo icon;
    void* sysPtr;
};

struct qkwinstaticInfo {
    int audit;
    int cnt;
    int ndx;
    qkwinstaticIDInfo* idPtr;
};

struct qkwineditIDInfo {
    int id;
    int ndx;
    int pageid;
    int style;                       // 1 password
    int align;
    int state;
    int fontid;
    int xorig;
    int yorig;
    int xsize;
    int ysize;
    char text[QKWIN_TEXTSIZE];
    qkwincolorInfo color;
    qkwinborderInfo bdr;
    void* sysPtr;
};

struct qkwineditInfo {
    int audit;
    int cnt;
    int ndx;
    qkwineditIDInfo* idPtr;
};

struct qkwinlistItemIDInfo {
    int id;                          // 1-based position in its list
    char item[QKWIN_TEXTSIZE];
};

struct qkwinlistIDInfo {
    int id;
    int ndx;
    int pageid;
    int state;
    int fontid;
    int xorig;
    int yorig;
    int xsize;
    int ysize;
    char name[QKWIN_TEXTSIZE];
    qkwincolorInfo color;
    qkwinborderInfo bdr;
    int itemCnt;
    int itemNdx;
    qkwinlistItemIDInfo* itemidPtr;
    void* sysPtr;
};

struct qkwinlistInfo {
    int audit;
    int cnt;
    int ndx;
    qkwinlistIDInfo* idPtr;
};

struct qkwincomboItemIDInfo {
    int id;                          // 1-based position in its combo box
    char item[QKWIN_TEXTSIZE];
};

struct qkwincomboIDInfo {
    int id;
    int ndx;
    int pageid;
    int state;
    int fontid;
    int xorig;
    int yorig;
    int xsize;
    int ysize;
    char name[QKWIN_TEXTSIZE];
    qkwincolorInfo color;
    qkwinborderInfo bdr;
    int itemCnt;
    int itemNdx;
    qkwincomboItemIDInfo* itemidPtr;
    void* sysPtr;
};

struct qkwincomboInfo {
    int audit;
    int cnt;
    int ndx;
    qkwincomboIDInfo* idPtr;
};

// Free comments drawn into a window.
struct qkwincommentIDInfo {
    int id;
    int fontid;
    int xpos;
    int ypos;
    int xsize;
    int ysize;
    char text[QKWIN_TEXTSIZE];
    qkwincolorInfo color;
};

struct qkwincommentInfo {
    int audit;
    int cnt;
    int ndx;
    qkwincommentIDInfo* idPtr;
};

struct qkwinpointInfo {
    int x;
    int y;
};

struct qkwinregionIDInfo {
    int id;
    int ndx;
    int pageid;
    int shape;                       // 1 rectangle .. 6 circle
    int state;
    int xorig;
    int yorig;
    int xsize;
    int ysize;
    int ptscnt;
    qkwinpointInfo points[QKWIN_MAXPOINTS];
    qkwincolorInfo color;
    qkwinborderInfo bdr;
    qkwinimageInfo image;
    void* sysPtr;
};

struct qkwinregionInfo {
    int audit;
    int cnt;
    int ndx;
    qkwinregionIDInfo* idPtr;
};

// ---- tabs and headers -------------------------------------------------------------

struct qkwinSubTabIDInfo {
    int id;
    int ndx;
    char name[QKWIN_TEXTSIZE];       // label
    char path[QKWIN_TEXTSIZE];       // definition file of the sub-tab page
    char ttip[QKWIN_TEXTSIZE];       // tooltip
    qkwinimageInfo icon;
    qkwinimageInfo image;
    qkwinInfo* cldPtr;               // window record of the sub-tab page
    void* sysPtr;
};

struct qkwinTabIDInfo {
    int id;
    int ndx;
    int pageid;
    int style;
    int startid;
    int fontid;
    int xorig;
    int yorig;
    int xsize;
    int ysize;
    int txsize;                      // label size
    int tysize;
    char name[QKWIN_TEXTSIZE];
    qkwincolorInfo color;
    int subCnt;
    int subNdx;
    qkwinSubTabIDInfo* subidPtr;
    void* sysPtr;
};

struct qkwinTabInfo {
    int audit;
    int cnt;
    int ndx;
    int cid;                         // active tab control
    int csid;                        // selected sub-tab
    qkwinTabIDInfo* idPtr;
    qkwinInfo* ccldPtr;              // window record of the selected sub-tab page
};

struct qkwinSubHdrIDInfo {
    int id;
    int ndx;
    int width;
    char name[QKWIN_TEXTSIZE];
    qkwincolorInfo color;
};

struct qkwinHdrIDInfo {
    int id;
    int ndx;
    int pageid;
    int style;
    int delm;                        // INDEX: column delimiter of the header list
    int fontid;
    int xorig;
    int yorig;
    int xsize;
    int ysize;
    char name[QKWIN_TEXTSIZE];
    char path[QKWIN_TEXTSIZE];
    qkwincolorInfo color;
    int subCnt;
    int subNdx;
    qkwinSubHdrIDInfo* subidPtr;
    void* sysPtr;
};

struct qkwinHdrInfo {
    int audit;
    int cnt;
    int ndx;
    qkwinHdrIDInfo* idPtr;
};

// ---- status and progress bar -----------------------------------------------------

struct qkwinstatbarpartInfo {
    int id;
    int width;
    char text[QKWIN_TEXTSIZE];
};

struct qkwinstatbarInfo {
    int audit;
    int state;
    int id;
    int hight;
    int fontid;
    int numParts;
    int ndx;                         // current part, -1 before the first
    qkwincolorInfo color;
    qkwinstatbarpartInfo parts[QKWIN_MAXSBARPARTS];
    void* sysPtr;
};

// A progress bar; its position may be advanced from a timer while a worker runs.
struct qkwinprgbarInfo {
    int audit;
    std::atomic<int> state;          // 1 while the bar is shown
    int id;
    int xorig;
    int yorig;
    int xsize;
    int ysize;
    int minval;
    int maxval;
    std::atomic<int> pos;
    int step;
    qkwinInfo* winPtr;               // window that shows the bar
    void* sysPtr;
};

// ---- date picker, tree view ----------------------------------------------------

struct qkwindatepickIDInfo {
    int id;
    int ndx;
    int pageid;
    int style;                       // 1 long date, 2 long time
    int state;
    int fontid;
    int xorig;
    int yorig;
    int xsize;
    int ysize;
    qkwincolorInfo color;
    void* sysPtr;
};

struct qkwindatepickInfo {
    int audit;
    int cnt;
    int ndx;
    qkwindatepickIDInfo* idPtr;
};

struct qkwinTrVwIDInfo {
    int id;
    int ndx;
    int pageid;
    int audit;
    int opts;
    int xorig;
    int yorig;
    int xsize;
    int ysize;
    char selectedItem[64];
    char title[QKWIN_TEXTSIZE];
    qkwincolorInfo color;
    void* systvPtr;
    qkwincallback userCallback;
};

struct qkwinTrVwInfo {
    int audit;
    int cnt;
    int ndx;
    qkwinTrVwIDInfo* idPtr;
};

// ---- tray -----------------------------------------------------------------------------

struct qkwinTrayInfo {
    int audit;
    int state;
    int id;
    int eid;                         // INDEX: exit item of the tray menu
    char ename[QKWIN_TEXTSIZE];      // NAME
    char commt[QKWIN_TEXTSIZE];      // tooltip
    qkwinimageInfo icon;
    void* sysPtr;
};

// ---- dialogs, messages, pages ------------------------------------------------------

struct qkwindlgIDInfo {
    int id;
    int ndx;
    int startid;                     // first control id of the dialog's own file
    int startcbid;                   // callback id of its start function
    int state;
    int fontid;
    int xorig;
    int yorig;
    int xsize;
    int ysize;
    char name[QKWIN_TEXTSIZE];       // title
    char path[QKWIN_TEXTSIZE];       // definition file
    qkwinInfo* winPtr;               // the dialog's window record once configured
    qkwincallback startFunc;
    qkwincallback exitFunc;
    void* sysPtr;
};

struct qkwindlgInfo {
    int audit;
    int cnt;
    int ndx;
    qkwindlgIDInfo* idPtr;
};

// A message declared in a definition file.
struct qkwinmmsgIDInfo {
    int id;
    int type;                        // QKWIN_MSG_QUESTION .. QKWIN_MSG_ERROR
    int fontid;
    char caption[QKWIN_TEXTSIZE];
    char msg[QKWIN_TEXTSIZE];
};

struct qkwinmmsgInfo {
    int audit;
    int cnt;
    int ndx;
    qkwinmmsgIDInfo* idPtr;
};

// The message box in use.
struct qkwinmsgboxInfo {
    std::atomic<int> state;          // written by the waiting notice's thread
    int optFlg;                      // bit 1: no owner window
    int fontid;
    int type;
    int rslt;
    int rsltType;
    int xpos;
    int ypos;
    int xsize;
    int ysize;
    int msgType;
    char* msgPtr;
    char* capPtr;
    qkwincolorInfo color;
    int msgthred;                    // thread slot of the waiting notice
    void* msgthredPtr;
    char captext[QKWIN_TEXTSIZE];    // holds the caption capPtr points to
};

struct qkwinSubPageIDInfo {
    int pageid;
    int type;
};

struct qkwinPageIDInfo {
    int pageNdx;                     // 1-based
    int subCnt;
    int subNdx;
    int itemid;                      // control that shows the page
    int pageid;
    char name[QKWIN_PAGENAMESIZE];
    qkwinSubPageIDInfo* subidPtr;
};

struct qkwinPageInfo {
    int audit;
    int state;                       // 1: page switching by control is active
    int cnt;
    int ndx;
    int startpageid;
    int homepageid;
    int currentpageid;
    qkwinPageIDInfo* idPtr;
};

// ---- path records, resource files --------------------------------------------------

struct qkwincfgpathIDInfo {
    int id;                          // 1-based position
    int itemid;                      // ID of the definition
    int type;                        // 1 plot, 2 child, 3 process, 4 external data
    char path[QKWIN_TEXTSIZE];
};

struct qkwincfgpathInfo {
    int audit;
    int cnt;
    int ndx;
    qkwincfgpathIDInfo* idPtr;
};

struct qkwinresfileInfo {
    int audit;
    int state;
    int size;
    int del;
    char* bPtr;
    char name[QKWIN_TEXTSIZE];
};

// ---- package machinery of a configuration client -----------------------------------

struct qkcfgfuncInfo {
    int id;                          // 1-based position in its table
    qkcfghandler add;                // receives the client's record
    char name[QKCFG_TEXTSIZE];
};

struct qkcfgpkgInfo {
    int pkgTyp[QKWIN_PKGSTACK];      // types of the open packages; level 0 stays 0
    int pkgNdx;                      // depth of the stack, never below 0
    int pkgCnt;
    int elmCnt;
    void* pkgPtr;                    // table or record the innermost package works on
    qkcfgfuncInfo pkgFunc[QKWIN_PKGSTACK];
    qkcfgfuncInfo elmFunc[QKWIN_PKGSTACK];
};

// The element context: what the element being read works on. One per program,
// refreshed for every element (only one definition file is read at a time).
struct qkwincfgelemInfo {
    int pkgtyp;                      // innermost package type
    int pkgndx;                      // stack depth
    int mndx;                        // current menu
    int smndx;                       // current submenu
    char s1[QKCFG_TEXTSIZE];         // current value text
    qkwinPageInfo* pagePtr;
    qkwinPageIDInfo* pageidPtr;
    qkwinSubPageIDInfo* subpageidPtr;
    qkwincolorInfo* colorPtr;
    qkwinimageInfo* iconPtr;
    qkwinimageInfo* imagePtr;
    qkwinfontInfo* fontPtr;
    qkwinMenuInfo* menuPtr;
    qkwinMenuIDInfo* menuidPtr;
    qkwinSubMenuIDInfo* submenuidPtr;
    qkwinbtnIDInfo* btnPtr;
    qkwinstaticIDInfo* staticPtr;
    qkwineditIDInfo* editPtr;
    qkwinlistInfo* listPtr;
    qkwinlistIDInfo* listidPtr;
    qkwinlistItemIDInfo* itemidPtr;
    qkwincomboInfo* combPtr;
    qkwincomboIDInfo* combidPtr;
    qkwincomboItemIDInfo* combitemidPtr;
    qkwinregionIDInfo* regnPtr;
    qkwinborderInfo* bdrPtr;
    qkwincfgpathInfo* cfgpathPtr;
    qkcfgsrvInfo* cfgPtr;
    qkwinTabInfo* tabPtr;
    qkwinTabIDInfo* tabidPtr;
    qkwinSubTabIDInfo* subtabidPtr;
    qkwinHdrInfo* hdrPtr;
    qkwinHdrIDInfo* hdridPtr;
    qkwindatepickIDInfo* datepickPtr;
    qkwinSubHdrIDInfo* subhdridPtr;
};

// ---- window-level records ---------------------------------------------------------------

struct qkwinoptionInfo {
    int useraccts;
    int dbreq;
    int stopChilds;
    int topmost;
    int fillscreen;
    int mode;                        // 0 production, 1 development, 3 test
};

struct qkwinscaleInfo {
    int state;                       // non-zero while the scale is being changed
    int xval;                        // percent
    int yval;
    int xinc;
    int yinc;
};

struct qkwindeviceInfo {
    int state;                       // 2 arrived, 3 removed
    int chgflg;
    char name[QKWIN_TEXTSIZE];       // port name
};

struct qkwinuserInfo {
    int state;
    int level;
    char name[QKWIN_TEXTSIZE];
};

struct qkwinosInfo {
    int OStype;
    int pthTyp;                      // path-type conversion of file names, 0 none
};

struct qkwinhelpInfo {
    char version[QKWIN_TEXTSIZE];
    char contact[QKWIN_TEXTSIZE];
};

struct qkwincdlgInfo {
    int audit;
    int state;
    int type;
    int rslt;
    char fName[QKWIN_TEXTSIZE];
    char filter[QKWIN_TEXTSIZE];
    void* sysPtr;
};

// A child window's thread.
struct qkwinthrdInfo {
    std::atomic<int> state;
    int thrdid;
    void* thrdPtr;
};

// A program started from a control.
struct qkwinprocInfo {
    int state;
    int pid;
    char path[QKWIN_TEXTSIZE];
};

struct qkwincldrInfo {
    int audit;
    int state;
    int id;
    void* sysPtr;
};

struct qkwincnslInfo {
    int audit;
    int state;
    void* sysPtr;
};

struct qkwintimerInfo {
    int cnt;
    int timeCnt;                     // ms since start
    int id;
    int eventID;
    int elapseTime;                  // ms
    qkwincallback funcAdd;
};

struct qkwincursorInfo {
    int rbd;
    int lbd;
    int xpos;
    int ypos;
    qkwincallback mvfuncPtr;
    qkwincallback rbdfuncPtr;
    qkwincallback lbdfuncPtr;
};

struct qkwinkbinInfo {
    int key;
    qkwincallback kbfuncPtr;
};

struct qkwindrgDrpInfo {
    int id;
    char fName[QKWIN_TEXTSIZE];
    qkwincallback userFunc;
    void* sysPtr;
};

struct qkwinldLibInfo {
    int state;
    char name[QKWIN_TEXTSIZE];
    void* libPtr;
};

struct qkwinrEditInfo {
    int audit;
    int state;
    int id;
    char path[QKWIN_TEXTSIZE];
    void* sysPtr;
};

struct qkwindbInfo {
    int state;
    void* dbPtr;
};

// Window management table: one per program, shared by a main window and its children.
struct qkwinhandInfo {
    int itemID;                      // control that started the window
    qkwinInfo* prtwinhdl;
    qkwinInfo* cldwinhdl;            // empty: the slot is free
    void* syswinhdl;
};

struct qkwinmanagementInfo {
    int audit;
    int cnt;
    int ndx;
    qkwinhandInfo hndl[QKWIN_MAXWINDOWS];
};

// ---- the window record ---------------------------------------------------------------

struct qkwinInfo {
    // identity and state
    int id;
    int startcbid;
    int runcbid;
    int updatecbid;
    int closecbid;
    int type;                        // 1 main window, 2 child window, 3 dialog
    std::atomic<int> state;          // 1 while the window runs; 0 ends its loop
    int shape;
    int audit;
    int pid;
    int actitemid;
    int exititemid;
    int actitemevent;
    int pndx;
    int cndx;
    int mgrNdx;
    // options, geometry and tables
    qkwinoptionInfo opts;
    qkwinscaleInfo scale;
    qkwinscaleInfo cldscale;
    int fontid;
    int xorig;
    int yorig;
    int xsize;
    int ysize;
    int sbmask;                      // bit 1 vertical, bit 2 horizontal scroll bar
    std::atomic<int> createFlag;     // 1 once all controls exist
    qkwinimageInfo image;
    char title[QKWIN_TEXTSIZE];
    int scrnSaveFlag;
    char* homeDirPtr;
    qkwindeviceInfo device;
    qkwinPageInfo page;
    qkwinuserInfo user;
    qkcfgpkgInfo cpkg;
    qkwinosInfo os;
    qkwinhelpInfo help;
    qkwinresfileInfo resfle;
    qkwinresfileInfo incfle;
    qkwinmmsgInfo mmsg;
    qkwinmsgboxInfo mbox;
    qkwincolorInfo color;
    qkwinpaletteInfo palette;
    qkwinfontInfo font;
    qkwinimageInfo icon;
    qkwinMenuInfo menu;
    qkwinfunctionInfo func;
    qkwinbtnInfo btn;
    qkwinstaticInfo stat;
    qkwineditInfo edit;
    qkwinlistInfo list;
    qkwincomboInfo comb;
    qkwincommentInfo commt;
    qkwinregionInfo regn;
    qkwinTabInfo tab;
    qkwinHdrInfo hdr;
    qkwinstatbarInfo sbar;
    qkwincdlgInfo cdlg;
    qkwincfgpathInfo cfgpath;
    qkwinthrdInfo thrd;
    qkwinprocInfo proc;
    qkwinTrayInfo tray;
    qkwincldrInfo cldr;
    qkwincnslInfo cnsl;
    qkwintimerInfo timer;
    qkwincursorInfo cursor;
    qkwinkbinInfo kbin;
    qkwinTrVwInfo tv;
    qkwindatepickInfo datepick;
    qkwinborderInfo ctrlbdr;
    qkwindlgInfo dlg;
    qkwindrgDrpInfo drgDrp;
    qkwinldLibInfo ldLib;
    qkwinrEditInfo rEdit;
    // links
    void* rmtPtr;
    void* urspPtr;
    qkwinTrayInfo* trayPtr;
    void* appPtr;                    // the program's own record
    void* usrPtr;
    void* syswinPtr;                 // platform window object
    void* utlsPtr;
    qkwincallback userStartFunc;
    qkwincallback userRunFunc;
    qkwincallback userUpdateFunc;
    qkwincallback userCloseFunc;
    qkwincallback userDevUpDateFunc;
    qkwinInfo* actcldPtr;            // the running child
    qkwinInfo* actdlgPtr;            // the open dialog
    qkwinInfo* prntPtr;              // parent window
    qkplotInfo* plotPtr;
    void* vkbPtr;
    qkcfgsrvInfo* cfgPtr;            // reader record of the file being read
    qkwinmanagementInfo* mgrPtr;
    qkwinTextInfo* txtPtr;
    qkwinstatbarInfo* sbarPtr;
    qkwinprgbarInfo* pbarPtr;
    qkcommAsynInfo* stdasynPtr;
    qkcommTCPInfo* stdtcpPtr;
    qkwindbInfo db;
    // Kept by the definition reader (after the members above): the reader
    // record this window created, which it alone releases. A dialog may use
    // its parent's reader in cfgPtr without owning it.
    qkcfgsrvInfo* cfgOwnPtr;
};

// Sets the four colours of a widget to "no colour chosen" with empty names.
inline void qkwincolorsetdefault(qkwincolorInfo* color)
{
    qklogTrace("qkwincolorsetdefault");
    if (color == nullptr) return;
    for (qkwincolordef* c : {&color->bg, &color->fg, &color->border, &color->text}) {
        c->flags = 0;
        c->rgb = static_cast<int>(QKWIN_NOCOLOR);
        c->name[0] = '\0';
    }
}
