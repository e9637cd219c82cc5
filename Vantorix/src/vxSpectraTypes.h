// vxSpectraTypes: the spectra records held in vxInfo: the acquisition record
// of the scans (dpRequest) with the scan stores of the 2F, NS and FS
// applications, and the spectra page record (spData) with its profiles, its
// request and plot lists, curve scales and snapshot windows.
// Part of vxTypes.h (include that one).
#pragma once

#include "vxTypes.h"

// ---- acquisition: scan stores --------------------------------------------------------

constexpr int VX_SCANSLOTS = 4;        // ring of the current and three previous scans
constexpr int VX_HDRBYTES = 128;
constexpr int VX_SPECSAMPLES = 640;    // 1280 bytes

// Diagnostic header of one scan, raw as received.
struct vxAnalyzerDiagnosticDataHC12 {
    int32_t id;
    unsigned char hdata[VX_HDRBYTES];
};
typedef vxAnalyzerDiagnosticDataHC12 vxAnalyzerDiagnosticDataFS;

// Spectrum of one scan, in the byte order of the wire.
struct vxAnalyzerSpectrumDataHC12 {
    int32_t ID;
    int16_t sdata[VX_SPECSAMPLES];
};
typedef vxAnalyzerSpectrumDataHC12 vxAnalyzerSpectrumDataFS;

// 2F scan store.
struct vxAnalyzerData2F {
    int32_t state;
    int32_t hdrByteCnt;
    int32_t acByteCnt;
    int32_t dcByteCnt;
    vxAnalyzerDiagnosticDataHC12 diagData[VX_SCANSLOTS];
    vxAnalyzerDiagnosticDataHC12* diagDataPtr;
    vxAnalyzerSpectrumDataHC12 acData[VX_SCANSLOTS];
    vxAnalyzerSpectrumDataHC12* acDataPtr;
    vxAnalyzerSpectrumDataHC12 dcData[VX_SCANSLOTS];
    vxAnalyzerSpectrumDataHC12* dcDataPtr;
};

// NS scan store: header ring and ten spectrum rings.
struct vxAnalyzerDataNS {
    int32_t state;
    int32_t hdrByteCnt;
    int32_t acByteCnt;
    int32_t dcByteCnt;
    int32_t dff2fByteCnt;
    int32_t rf1ByteCnt;
    int32_t d2fByteCnt;
    int32_t ddcByteCnt;
    int32_t d2frByteCnt;
    int32_t ddcrByteCnt;
    int32_t w2fByteCnt;
    int32_t wdcByteCnt;
    int32_t w2frByteCnt;
    int32_t wdcrByteCnt;
    float fitRation;                   // fit ratio of the last NS header
    vxAnalyzerDiagnosticDataFS diagData[VX_SCANSLOTS];
    vxAnalyzerDiagnosticDataFS* diagDataPtr;
    vxAnalyzerSpectrumDataFS diff2fData[VX_SCANSLOTS];
    vxAnalyzerSpectrumDataFS* diff2fDataPtr;
    vxAnalyzerSpectrumDataFS ref1Data[VX_SCANSLOTS];
    vxAnalyzerSpectrumDataFS* ref1DataPtr;
    vxAnalyzerSpectrumDataFS dry2fData[VX_SCANSLOTS];
    vxAnalyzerSpectrumDataFS* dry2fDataPtr;
    vxAnalyzerSpectrumDataFS drydcData[VX_SCANSLOTS];
    vxAnalyzerSpectrumDataFS* drydcDataPtr;
    vxAnalyzerSpectrumDataFS dry2frefData[VX_SCANSLOTS];
    vxAnalyzerSpectrumDataFS* dry2frefDataPtr;
    vxAnalyzerSpectrumDataFS drydcrefData[VX_SCANSLOTS];
    vxAnalyzerSpectrumDataFS* drydcrefDataPtr;
    vxAnalyzerSpectrumDataFS wet2fData[VX_SCANSLOTS];
    vxAnalyzerSpectrumDataFS* wet2fDataPtr;
    vxAnalyzerSpectrumDataFS wetdcData[VX_SCANSLOTS];
    vxAnalyzerSpectrumDataFS* wetdcDataPtr;
    vxAnalyzerSpectrumDataFS wet2frefData[VX_SCANSLOTS];
    vxAnalyzerSpectrumDataFS* wet2frefDataPtr;
    vxAnalyzerSpectrumDataFS wetdcrefData[VX_SCANSLOTS];
    vxAnalyzerSpectrumDataFS* wetdcrefDataPtr;
};

// FS scan store: the NS fields without the fit ratio.
struct vxAnalyzerDataFS {
    int32_t state;
    int32_t hdrByteCnt;
    int32_t acByteCnt;
    int32_t dcByteCnt;
    int32_t dff2fByteCnt;
    int32_t rf1ByteCnt;
    int32_t d2fByteCnt;
    int32_t ddcByteCnt;
    int32_t d2frByteCnt;
    int32_t ddcrByteCnt;
    int32_t w2fByteCnt;
    int32_t wdcByteCnt;
    int32_t w2frByteCnt;
    int32_t wdcrByteCnt;
    vxAnalyzerDiagnosticDataFS diagData[VX_SCANSLOTS];
    vxAnalyzerDiagnosticDataFS* diagDataPtr;
    vxAnalyzerSpectrumDataFS diff2fData[VX_SCANSLOTS];
    vxAnalyzerSpectrumDataFS* diff2fDataPtr;
    vxAnalyzerSpectrumDataFS ref1Data[VX_SCANSLOTS];
    vxAnalyzerSpectrumDataFS* ref1DataPtr;
    vxAnalyzerSpectrumDataFS dry2fData[VX_SCANSLOTS];
    vxAnalyzerSpectrumDataFS* dry2fDataPtr;
    vxAnalyzerSpectrumDataFS drydcData[VX_SCANSLOTS];
    vxAnalyzerSpectrumDataFS* drydcDataPtr;
    vxAnalyzerSpectrumDataFS dry2frefData[VX_SCANSLOTS];
    vxAnalyzerSpectrumDataFS* dry2frefDataPtr;
    vxAnalyzerSpectrumDataFS drydcrefData[VX_SCANSLOTS];
    vxAnalyzerSpectrumDataFS* drydcrefDataPtr;
    vxAnalyzerSpectrumDataFS wet2fData[VX_SCANSLOTS];
    vxAnalyzerSpectrumDataFS* wet2fDataPtr;
    vxAnalyzerSpectrumDataFS wetdcData[VX_SCANSLOTS];
    vxAnalyzerSpectrumDataFS* wetdcDataPtr;
    vxAnalyzerSpectrumDataFS wet2frefData[VX_SCANSLOTS];
    vxAnalyzerSpectrumDataFS* wet2frefDataPtr;
    vxAnalyzerSpectrumDataFS wetdcrefData[VX_SCANSLOTS];
    vxAnalyzerSpectrumDataFS* wetdcrefDataPtr;
};

// The acquisition record of spectra scans. The diagnostic-request worker
// runs the scans; the overlay button on the window thread resets the ring.
struct vxAnalyzereDataInfo {
    int32_t error;
    int32_t audit;
    std::atomic<int32_t> scanNdx;      // ring slot of the current scan, 0-3
    std::atomic<int32_t> scanCnt;      // scans run since start
    vxAnalyzerData2F f2;
    vxAnalyzerDataNS ns;
    vxAnalyzerDataFS fs;
    void* appPtr;                      // the store in use: &f2, &ns or &fs
};

// ---- spectra page: profiles -----------------------------------------------------------

constexpr int VX_MAXFC10 = 32;
constexpr int VX_MAXCURVES = 16;       // curves of one plot
constexpr int VX_MAXREQUESTS = 32;
constexpr int VX_MAXPLOTLIST = 50;
constexpr int VX_REFSAMPLES = 512;

// FC10 header field types (TYPE key).
enum : int {
    VX_FC10_NONE = 0,
    VX_FC10_INT16 = 1,
    VX_FC10_UINT16 = 2,
    VX_FC10_INT32 = 3,
    VX_FC10_UINT32 = 4,
    VX_FC10_FLOAT32 = 5,
    VX_FC10_CHAR8 = 6,
    VX_FC10_UCHAR8 = 7,
};

// One FC10 header parameter.
struct vxSpectraFC10Data {
    int state;
    int type;                          // VX_FC10_...
    int dspFlag;                       // 1: shown by the snapshot windows
    char name[32];                     // the column title
    char value[32];                    // the last decoded value as text
};

// One configured curve of a plot.
struct vxSpectraParamInfo {
    int state;                         // 1 when ticked
    int tvNdx;                         // its item index in the curve tree
    int overLay;
    int32_t dpid;                      // data-point id
    int16_t* dataPtr;
    char name[32];
    char color[32];                    // palette colour name
};

// The spectra profile of one application (the spectra profile file).
struct vxSpectraAppInfo {
    int digHdrCnt;
    int plotAcnt;
    int plotBcnt;
    int plotCcnt;
    vxSpectraFC10Data digHdr[VX_MAXFC10];
    vxSpectraParamInfo plotA[VX_MAXCURVES];
    vxSpectraParamInfo plotB[VX_MAXCURVES];
    vxSpectraParamInfo plotC[VX_MAXCURVES];
};

// ---- spectra page: requests, plot list, scales ------------------------------------------

// One diagnostic request of a scan.
struct vxSpectraReqInfo {
    int state;                         // 1 made from a ticked curve
    int dataFlag;                      // 0 sent, 1 data came back
    int plotid;                        // 1460, 1462, 1464; 0 auxiliary
    int axis;
    int overLay;
    int32_t dpid;
    char dpReq[8];                     // the request text
    char colorName[32];
    char plotName[32];
};

// One curve to draw.
struct vxSpectraPlotData {
    int state;
    int plotid;
    int dataCnt;                       // bytes received (float values for the trend curve)
    int expectCnt;                     // bytes the curve must have
    int axis;
    int overLay;
    int colorRgb;                      // platform colour value of colorName
    char plotName[32];
    char colorName[32];
    void* dataPtr;                     // 16-bit samples (float values for the trend), owned by the scan store
};

// Common range of the curves of one plot.
struct vxSpectraCurveScale {
    int listCnt;
    int dataCnt;                       // samples per curve
    int32_t max;
    int32_t min;
    int32_t absval;
    int16_t* list[VX_MAXPLOTLIST];
};

struct vxSpectrPlotsInfo {
    int state;
    int plotNdx;                       // index of the plot being drawn in its plot record
    int plotid;                        // item id of the plot being drawn
    int dataCnt;                       // the curve being drawn
    void* dataPtr;
    int plotListCnt;
    int conPlotDataNdx;
    float conPlotData[11];             // the first 10 are the trend values
    vxSpectraPlotData plotList[VX_MAXPLOTLIST];
    vxSpectraCurveScale scaleA;
    vxSpectraCurveScale scaleB;
    vxSpectraCurveScale scaleC;
    vxSpectraCurveScale scaleD;
    qkplotInfo* plotA;                 // plot records, created on first display
    qkplotInfo* plotB;
    qkplotInfo* plotC;
    qkplotInfo* plotD;
};

// Cursor read-out of a snapshot window.
struct vxSpectraXYposInfo {
    int state;                         // 1 when the read-out is active
    int xpos;
    int ypos;
    int xsize;                         // grid area in pixels
    int ysize;
    int xfactor;
    int yfactor;
    int xcnt;                          // points of the plot
    int min;
    int max;
    float yabsv;                       // max - min
    float yfval;                       // vertical pixel offset of the last point drawn
    float xfval;
    qkplotInfo* plotPtr;
    qkplotIDInfo* idPtr;
    vxSpectraCurveScale* scalePtr;
};

// A snapshot window of plot A, B or C.
struct vxSpectrWinPlotInfo {
    int actitemid;                     // snapshot window id (1467, 1468, 1469)
    int plotID;                        // the window's plot item (1472, 1474, 1476)
    int ploListID;                     // the page plot shown (1460, 1462, 1464)
    int plotListCnt;
    int plotNdx;
    void* dataPtr;                     // samples of the last curve of this plot
    qkplotInfo* plotPtr;               // the window's plot record
    qkwincfgelemInfo* cidPtr;          // the window item of the plot
    void* idPtr;
    vxSpectraCurveScale scale;
    qkwinTextInfo* txtStr;             // the text record of the FC10 read-out
    vxSpectraPlotData plotList[VX_MAXPLOTLIST];
    // The snapshot keeps the scan it was opened with: the curves' samples and
    // the FC10 values are copied (the page's buffers go on with the next scan,
    // written by the scan worker while this window draws on its own thread).
    int16_t samples[VX_MAXPLOTLIST][VX_SPECSAMPLES];
    int fc10Cnt;
    vxSpectraFC10Data fc10[VX_MAXFC10];
    // Each snapshot window has its own cursor read-out: the three windows run
    // on three threads.
    vxSpectraXYposInfo xyPos;
    int cursorInside;                  // the cursor shape shown: 1 the cross over the grid
};

// ---- spectra page ------------------------------------------------------------------------

// The window thread, the diagnostic-request worker (scans) and the image
// saving thread share this record; the fields they hand over are atomic.
struct vxSpectraPageInfo {
    std::atomic<int> state;            // 0 not built, 1 built, 2 idle, 3 scan in progress
    int plotsRefCnt;                   // update calls since the last redraw
    int audit;
    int userFlg;                       // 1 once the page has been left
    std::atomic<int> getH2OFlag;       // 0 idle, 1 requested, 2 in progress
    std::atomic<int> saveImageFlag;    // 1 requested, 5 in progress, 0 idle
    std::atomic<int> saveDataFlag;
    std::atomic<int> autoScanFlag;     // 1 while automatic scanning is on
    int autoPollRate;                  // seconds between automatic scans
    int demandPollRate;                // tenths of a second after the start-of-scan request
    std::atomic<int> overlayFlag;      // 1 in overlay mode
    std::atomic<int> dataReady;        // 1 at the end of every scan, cleared by every redraw
    int tvImageCnt;
    int tvImageNdx[32];                // curve tree items without a check box
    int tvBuildFlag;
    int diagReqCnt;
    int spectraSize;                   // expected bytes per spectrum curve, 0 for 1024
    std::atomic<int64_t> autoTimeStart;  // automatic-scan clock, seconds
    int64_t autoTimeCount;
    int16_t hc12ach2odp[VX_REFSAMPLES];  // stored reference curves (dpid 400101-400103)
    int16_t hc12ach2osp[VX_REFSAMPLES];
    int16_t hc12acco2[VX_REFSAMPLES];
    vxSpectraReqInfo diagReqList[VX_MAXREQUESTS];
    vxSpectraAppInfo f2;               // profiles of the three applications
    vxSpectraAppInfo ns;
    vxSpectraAppInfo fs;
    vxSpectraAppInfo user;             // copy of the profile in use, taken when the page is left
    vxSpectraAppInfo* appPtr;          // the profile in use (while a profile is read: the one selected by APPLICATION)
    vxSpectrPlotsInfo plots;
    vxSpectrWinPlotInfo winPlotA;
    vxSpectrWinPlotInfo winPlotB;
    vxSpectrWinPlotInfo winPlotC;
    std::atomic<vxSpectrWinPlotInfo*> winPlotPtr;   // the snapshot opened or drawn last
    std::atomic<qkwinInfo*> winPlotPtrA;            // the snapshot windows while open
    std::atomic<qkwinInfo*> winPlotPtrB;
    std::atomic<qkwinInfo*> winPlotPtrC;
    vxthreadInfo savedatathrd;         // the image-saving thread
};
