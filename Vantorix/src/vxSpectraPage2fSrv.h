// vxSpectraPage2fSrv: spectra of the 2F analyzers (application type 6) and
// the stored reference spectra that their spectra profile names.
#pragma once

#include <cstdint>

#include "vxMain.h"

// Loads a stored reference curve, one decimal integer per line (at most 512
// values), into the reference array that dpid names: 400101 hc12ach2odp,
// 400102 hc12ach2osp, 400103 hc12acco2. 0, or -2 for another dpid or a file
// that cannot be opened. Values beyond the lines of a short file stay as they were.
int vxSPload2FdataFile(vxInfo* app, int32_t dpid, const char* path);
