// vxSpectraPageSrv: the spectra page. So far the steps a scan runs at its end
// on the diagnostic-request worker: the overlay colour of earlier scans, the
// check of what arrived and the common range of the curves of each plot.
#pragma once

#include "qkwinsrv.h"
#include "vxMain.h"

// Lightens colour (its value 0xRRGGBB) by 70 in each of red, green and blue,
// capped at 255, for the overlay of an earlier scan. 0, -2 without a colour.
int vxSpectraGetOvColor(vxInfo* app, qkwinpalettedef* colour);
// Reports the requests that brought no data and the curves whose byte count
// is not the expected one, each in a threaded message box: 0, or -2 when
// something was reported.
int vxSpectraCheckScan(vxInfo* app);
// The common range of the curves of plots A, B and C (scaleA-C). 0.
int vxSpectraSetCurveScale(vxInfo* app);
// Samples the buffer of a curve holds: the stored reference curves are
// shorter than the spectrum blocks of the scan stores.
int vxSpectraCurveCapacity(const vxSpectraPageInfo& sp, const void* data);
// max, min and absval of the first dataCnt samples of every curve of scale. 0, -2 without one.
int vxSpectraGetCurveScale(vxSpectraCurveScale* scale);
