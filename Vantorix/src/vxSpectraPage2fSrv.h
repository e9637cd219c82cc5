// vxSpectraPage2fSrv: spectra of the 2F analyzers (application type 6) and
// the stored reference spectra that their spectra profile names. The scan
// runs on the diagnostic-request worker (vxGetDiagProtReqData); its steps
// serve the ARM9 scans too (vxSpectraArm9Srv).
#pragma once

#include <cstdint>

#include "vxMain.h"

// Loads a stored reference curve, one decimal integer per line (at most 512
// values), into the reference array that dpid names: 400101 hc12ach2odp,
// 400102 hc12ach2osp, 400103 hc12acco2. 0, or -2 for another dpid or a file
// that cannot be opened. Values beyond the lines of a short file stay as they were.
int vxSPload2FdataFile(vxInfo* app, int32_t dpid, const char* path);

// Builds the 2F request list from the 2F profile's ticked curves: "09" and
// "10", then per AC or DC curve of plots A and C its two halves ("12", "13" or
// "14", "15"), per curve of plot B its six-digit data point. 0.
int vxSPbuild2FReqList(vxInfo* app);
// One 2F scan on the diagnostic-request worker: every request sent, every
// response stored into ring slot scanNdx of dpRequest.f2 and listed as a
// curve. The curve-scale status (0), or the negative status of a failed send.
int vxSPget2Fdata(vxInfo* app);

// ---- the steps of a scan, shared with the ARM9 scans --------------------------------

// A curve's entry in the request list (curve null: an entry of its own). False
// when the list is full.
bool vxSPaddRequest(vxInfo* app, int state, int32_t dpid, const char* text, int plotid,
                    const vxSpectraParamInfo* curve);
// Clears the request list and puts the start-of-scan ("09") and header ("10")
// requests at its head.
void vxSPstartReqList(vxInfo* app);
// Start of a scan: store in use, scan count, a check message of the previous
// scan closed, request list built by build, empty plot list, page state 3.
void vxSPscanBegin(vxInfo* app, void* store, int (*build)(vxInfo*));
// Sends request r, shows it as fmt in the status message and waits
// pauseTenths; after "09" also the analyzer's demand poll time, without
// reading. Otherwise reads the response: result is its status (2 complete).
// The send's status (negative: the scan ends, logged, the page idle again).
int vxSPscanRequest(vxInfo* app, vxSpectraReqInfo& r, const char* fmt, int pauseTenths, int& result);
// Stores the header response into hdr (at most 128 bytes), lists it in the
// FC10 list and appends the trend curve.
void vxSPstoreHeader(vxInfo* app, vxAnalyzerDiagnosticDataHC12* hdr, int32_t& hdrByteCnt, int expectCnt);
// Appends the curve of request r (dataCnt bytes at data) to the plot list;
// null when the list is full.
vxSpectraPlotData* vxSPappendCurve(vxInfo* app, const vxSpectraReqInfo& r, int dataCnt, void* data, int expectCnt);
// In overlay mode, for an overlay curve r: up to three copies of the last
// curve appended, pointing into the earlier scans of ring (when given), each
// lighter than the one before.
void vxSPappendOverlays(vxInfo* app, const vxSpectraReqInfo& r, vxAnalyzerSpectrumDataHC12* ring);
// End of a scan: check, curve scales, data ready, page state 2, the ring's
// next slot in overlay mode. The curve-scale status.
int vxSPscanEnd(vxInfo* app);
// The pause after every request: half a second, two for the emulator.
int vxSPpauseTenths(const vxInfo* app);
// Bytes a spectrum curve must have: spectraSize, or 1024 when that is 0.
int vxSPexpectCnt(const vxInfo* app);
