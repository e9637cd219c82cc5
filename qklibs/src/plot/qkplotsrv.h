// qkplotsrv (plot): the plot engine's records and its main entry points. A window
// that shows plots owns one plot record (qkplotInfo, the window's plotPtr);
// each PLOT package of a plot definition file adds one plot entry to it.
// This module reads the definition files (with the package and element
// handlers of qkplotpkgsrv and qkplotelmsrv), grows and looks up the entries,
// binds data to a plot and computes its range, keeps the scale settings, and
// offers the window-level calls that draw a plot into its window (the drawing
// steps themselves are qksysplotsrv's, on the portable drawing surface).
//
// Threads: a plot record belongs to the thread that draws its window; the
// image-saving worker may copy a plot while the window thread leaves the page
// alone (the page's save flags keep them apart). Nothing here takes a lock.
#pragma once

#include <cstdint>

#include "qkcfgsrv.h"
#include "qkdatasrv.h"
#include "qkwinsrv.h"

class qkdrawSurface;

// Audit bits of a plot record.
enum : int {
    QKPLOT_AUD_FILE = 1,     // file reading
    QKPLOT_AUD_ALLOC = 2,    // entries, axes and comments allocated
    QKPLOT_AUD_LOOKUP = 4,   // look-ups by id and item id
    QKPLOT_AUD_SCALE = 32,   // data scale and label ranges
};

// Engine error codes reported through qkplotmsg.
enum : int {
    QKPLOT_ERR_ID = 1,        // "could not find ID pointer"
    QKPLOT_ERR_NODATA = 2,    // "No data"
    QKPLOT_ERR_SOURCE = 3,    // "data source"
    QKPLOT_ERR_SCALETYPE = 4, // "unsupported scale type"
    QKPLOT_ERR_DATATYPE = 5,  // "unsupported data type"
    QKPLOT_ERR_INDEX = 6,     // "could not find index"
    QKPLOT_ERR_ITEMID = 7,    // "could not find item ID"
};

// Plot classes, axis types, data sources and types.
enum : int { QKPLOT_CLASS_LINE = 1, QKPLOT_CLASS_BAR = 2, QKPLOT_CLASS_HIST = 3 };
enum : int { QKPLOT_AXIS_TOP = 1, QKPLOT_AXIS_BOTTOM = 2, QKPLOT_AXIS_LEFT = 3, QKPLOT_AXIS_RIGHT = 4 };
enum : int { QKPLOT_SRC_FILE = 1, QKPLOT_SRC_MEMORY = 2 };
enum : int { QKPLOT_DATA_SHORT = 1, QKPLOT_DATA_LONG = 2, QKPLOT_DATA_FLOAT = 3, QKPLOT_DATA_DOUBLE = 4 };

constexpr int QKPLOT_TEXTSIZE = 128;   // paths, names, comment texts: 127 characters
constexpr int QKPLOT_FORMATSIZE = 32;  // label formats: 31 characters

// ---- records of a plot definition ------------------------------------------------

// A pen: platform colour reference, line style (1 solid, 2 dot, 3 dash,
// 4 dash-dot), width in pixels.
struct qkplotPenInfo {
    int color;
    int type;
    int width;
};

struct qkplotBorderInfo {
    int width;
    int fgcolor;
    int bgcolor;
    int edcolor;
};

struct qkplotAxisInfo {
    int id;                              // the plot it belongs to
    int type;                            // 1 top, 2 bottom, 3 left, 4 right
    int inc;                             // label increment, also the curve area's offset
    int adj;                             // label adjustment
    int fontid;
    int maxchar;                         // label width in characters
    char format[QKPLOT_FORMATSIZE];      // label format
    qkplotPenInfo pen;
};

struct qkplotCommentInfo {
    int id;                              // the plot it belongs to
    int fontid;
    int xpos;
    int ypos;
    int xsize;
    int ysize;
    char text[QKPLOT_TEXTSIZE];
    qkwincolorInfo color;                // bg and text are used
};

struct qkplotClassInfo {
    int type;                            // 1 line, 2 bar, 3 histogram; 0 without TYPE (drawn as line)
    int inc;                             // point step of the curve
    qkplotPenInfo pen;
};

// Where the data of a plot comes from. The memory arrays are the caller's.
struct qkplotDatasrcInfo {
    int srcType;                         // 1 file, 2 memory, 0 not set
    int dataType;                        // memory: 1 int16, 2 int32, 3 float, 4 double
    const int16_t* shtdataPtr;
    const int32_t* lngdataPtr;
    const float* fltdataPtr;
    const double* dbldataPtr;
    char path[QKPLOT_TEXTSIZE];          // data file
    qkdatasrvInfo data;                  // the data-file reader record
    qkdatasrvInfo* dpPtr;                // points at data while a file is read
};

struct qkplotSizeInfo {
    int xpos;                            // position and size in the window, pixels
    int ypos;
    int xsize;
    int ysize;
    int color;                           // background of the plot area
    qkplotBorderInfo border;
};

struct qkplotIncInfo {
    int major;
    int minor;
};

struct qkplotMarginInfo {
    int top;
    int bottom;
    int left;
    int right;
};

struct qkplotGridInfo {
    int bgcolor;
    float finc;                          // pixels per data point, set by every drawing step
    qkplotIncInfo incmnt;                // grid increments in data points
    qkplotMarginInfo margin;
    qkplotPenInfo minorpen;
    qkplotPenInfo majorpen;
    qkplotBorderInfo border;
};

struct qkplotScaleOrdInfo {
    int cnt;
    float max;
    int maxndx;
    float min;
    int minndx;
    float absval;                        // max - min
};

struct qkplotScaleInfo {
    int userFlg;
    int autoFlg;
    int normFlg;
    int index;                           // y range the curve uses: 1 left, 2 right
    qkplotScaleOrdInfo x0;
    qkplotScaleOrdInfo yl;
    qkplotScaleOrdInfo yr;
};

struct qkplotUScaleOrdInfo {
    int max;
    int min;
};

struct qkplotUScaleInfo {
    int uflag;
    qkplotUScaleOrdInfo x0;
    qkplotUScaleOrdInfo yl;
    qkplotUScaleOrdInfo yr;
};

struct qkplotDataInfo {
    int cnt;                             // points
    float max;
    int maxndx;
    float min;
    int minndx;
    float absval;
    float yBase;
    float yScale;
    float* dataPtr;                      // the plot's own copy, cnt + 1 values
    char name[QKPLOT_TEXTSIZE];          // curve name
    qkplotPenInfo pen;
};

// The drawing side of one plot entry: which window it draws into and what the
// last step did. The picture copied for the clipboard and the file lives only
// during the copy.
struct qksysplotInfo {
    int rslt;                            // result of the last drawing step
    qkwinInfo* hwnd;                     // the window drawn into
    int bkcolor;                         // text background selected last (QKWIN_NOCOLOR: none)
    int fontid;                          // font selected last, 0 the default
};

struct qkplotIDInfo {
    int id;                              // 1-based
    int itemid;                          // window item (ID key)
    int axisCnt;
    int commtCnt;
    float xfval;                         // offsets of the last point drawn
    float yfval;
    char path[QKPLOT_TEXTSIZE];          // bitmap file name
    qkplotClassInfo pclass;
    qkplotDatasrcInfo src;
    qkplotSizeInfo size;
    qkplotGridInfo grid;
    qkplotScaleInfo scale;
    qkplotUScaleInfo uscale;
    qkplotDataInfo data;
    qkplotAxisInfo* axisidPtr;
    qkplotCommentInfo* commtidPtr;
    qksysplotInfo* sysplotPtr;
};

struct qkplotInfo {
    int audit;
    qkwinscaleInfo scale;                // the window's scale (percentages)
    int cnt;
    int ndx;
    int actid;
    int msgFlg;                          // engine errors also shown to the user
    int cfgrdflg;                        // kept for the program (file read once)
    char path[QKPLOT_TEXTSIZE];          // plot definition file to read
    qkcfgpkgInfo cpkg;                   // package stack and handler tables
    qkcfgsrvInfo* cfgPtr;                // reader record, only while a file is read
    qkplotIDInfo* idPtr;
    void* pkgPtr;
    qkwinInfo* winPtr;
    // Kept by the engine (after the members above):
    // the surface every drawing step draws on while set (a test's recording
    // surface, a benchmark's image, or the window's surface that a window-level
    // call opened once for all its steps); null: each step opens the window's.
    qkdrawSurface* surfPtr;
    int drawing;                         // > 0 while a window-level call holds the surface
    char pendmsg[QKPLOT_TEXTSIZE];       // message box held back until the surface is released
};

// ---- records and files ---------------------------------------------------------

// A new zeroed plot record; it becomes the one qkplotgetPtr returns.
qkplotInfo* qkplotcreate();
qkplotInfo* qkplotgetPtr();
// Creates the plot record of window and links both ways (window->plotPtr,
// record->winPtr and pkgPtr). A record the window had is released first.
qkplotInfo* qkwinplotcreate(qkwinInfo* window);
// Releases the window's plot record and unlinks it.
int qkwinplotfree(qkwinInfo* window);
// Releases every plot entry and the record itself.
int qkplotdestroy(qkplotInfo* plot);

int qkplotsetaudit(qkplotInfo* plot, int mask);
int qkplotsetmsgflg(qkplotInfo* plot, int flag);

// Reads the definition file named by plot->path. 0, or -2 when the file
// cannot be read or the vocabulary not registered.
int qkplotcfgread(qkplotInfo* plot);
// The same for a definition text of len bytes already in memory (plot->path
// names it in the log and in the include checks).
int qkplotcfgreadtext(qkplotInfo* plot, const char* text, size_t len);
// Registers the vocabulary with the reader record cfgPtr.
int qkplotcfgregister(qkplotInfo* plot);
int qkplotcfgsetpkgfunc(qkplotInfo* plot);
int qkplotcfgsetelmfunc(qkplotInfo* plot);
// The record loop over the loaded file. 0, or -2 when it cannot be loaded.
int qkplotcfgload(qkplotInfo* plot);
// The loop description that reads records into plot (also for include files).
void qkplotcfgloopinit(qkplotInfo* plot, qkcfgloopInfo* loop, const char* label);

// Growth of the tables.
int qkplotsetndx(qkplotInfo* plot);
int qkplotallocate(qkplotInfo* plot);
int qkplotaxisallocate(qkplotInfo* plot);
int qkplotcommentallocate(qkplotInfo* plot);

// Look-ups. The plot entry with id, or null after reporting code 1.
qkplotIDInfo* qkplotgetIDpointer(qkplotInfo* plot, int id);
// Index + 1 of the first plot whose itemid is itemid, or -2 after reporting
// code 1.
int qkplotgetIDbyItemID(qkplotInfo* plot, int itemid);
qkplotSizeInfo* qkplotgetsize(qkplotInfo* plot, int id);
// The plot being defined (id actid), or null. No report.
qkplotIDInfo* qkplotcurrent(qkplotInfo* plot);

// Releases the axes, comments, data copy and platform record of one plot
// and frees its slot (its id becomes 0); qkplotfreemem does it for all plots
// and releases the entry table.
int qkplotfreeplot(qkplotInfo* plot, int id);
int qkplotfreemem(qkplotInfo* plot);

// Reports an engine error: the message goes to the log and, when msgFlg is
// set, to the user in an error box. Returns -2.
int qkplotmsg(qkplotInfo* plot, int id, int code);

// ---- data binding ------------------------------------------------------------------
int qkplotsetdatasrc(qkplotInfo* plot, int id, int source);
int qkplotsetdatatype(qkplotInfo* plot, int id, int type);
int qkplotsetdataptr(qkplotInfo* plot, int id, const void* data);
int qkplotsetdatacnt(qkplotInfo* plot, int id, int count);
int qkplotsetdatapath(qkplotInfo* plot, int id, const char* path);
int qkplotsetBMPpath(qkplotInfo* plot, int id, const char* path);
int qkplotsetcurvename(qkplotInfo* plot, int id, const char* name);
int qkplotsetcurvepen(qkplotInfo* plot, int id, int style, int width, int color);
// Copies the bound data into the plot's float array and computes its range.
int qkplotgetdata(qkplotInfo* plot, int id);
// Reads the data file into the float array. 0, or -2 (code 2) without values.
int qkplotreaddatafile(qkplotInfo* plot, int id);

// ---- scaling ---------------------------------------------------------------------------
int qkplotsetscaletype(qkplotInfo* plot, int id, int type);
int qkplotsetuscaleflags(qkplotInfo* plot, int id, int flag);
int qkplotsetscalenormstate(qkplotInfo* plot, int id, int state);
int qkplotsetdatascalendx(qkplotInfo* plot, int id, int index);
int qkplotinitdatascale(qkplotInfo* plot, int id);
// axis 1 left (yl), 2 right (yr), 3 x (x0).
int qkplotsetdatascale(qkplotInfo* plot, int id, int axis, float max, float min);
// values: slot 0 ignored, then x0 min, x0 max, yl min, yl max, yr min, yr max.
int qkplotsetuscale(qkplotInfo* plot, int id, const int values[7]);
// out: uflag, x0 max, x0 min, yl max, yl min, yr max, yr min.
int qkplotgetuscale(qkplotInfo* plot, int id, int out[7]);
// Sets format and maxchar of every axis of type.
int qkplotsetaxisformat(qkplotInfo* plot, int id, int type, int maxchar, const char* format);

// ---- window level -------------------------------------------------------------------------
// Binds a source to the window's plot and gets its data.
int qkwinplotdatadef(qkwinInfo* window, int id, int source, int type, const char* path);
// Reads the plot definition of the window item itemid (once) and draws the
// static parts: region, grid, bottom axis and labels, left axis and labels,
// comments. -2 (code 7) when the item or its plot is unknown.
int qkwinplotdspstatic(qkwinInfo* window, int itemid);
// Draws the bound data of plot id with a solid pen of width 2 in color.
int qkwinplotcurve(qkwinInfo* window, int id, const char* name, int color);
// Copies the plot of item itemid to the clipboard and saves it as a bitmap.
int qkwinplotsavebmp(qkwinInfo* window, int itemid, const char* fileName);
