// vxSpectraArm9Srv: spectra of the ARM9 analyzers, NS (application type 7)
// and FS (type 8). Each kind of spectrum comes whole in one response to its
// six-digit data point; the scan follows the 2F scan's steps
// (vxSpectraPage2fSrv) on the diagnostic-request worker. NS scans also
// combine the dry 2f reference with reference 1 by the header's fit ratio.
#pragma once

#include <cstdint>

#include "vxMain.h"

// Request lists from the NS or FS profile's ticked curves: "09", "10", then
// one six-digit request per ticked curve of plots A, B and C; on NS a derived
// curve of plot A (400201, 400202) is preceded by the request of its source
// (400051, 400056). 0.
int vxSPbuildNSReqList(vxInfo* app);
int vxSPbuildFSReqList(vxInfo* app);
// One NS or FS scan into ring slot scanNdx of dpRequest.ns or dpRequest.fs.
// The curve-scale status (0), or the negative status of a failed send.
int vxSPgetNSdata(vxInfo* app);
int vxSPgetFSdata(vxInfo* app);
// The reference combination of an NS scan on n samples: dry[i] = (int16)
// (dry[i] * fit) + ref[i], then ref[i] += the old dry[i], both modulo 2^16.
void vxSPcombineNSref(int16_t* dry, int16_t* ref, int n, float fit);
