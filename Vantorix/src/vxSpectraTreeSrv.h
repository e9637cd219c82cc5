// vxSpectraTreeSrv: the two views of the spectra profile on the spectra page.
// Tree view 1430 lists every configured curve grouped by plot ("plot A", "plot
// B", "plot C"), each curve with a check box that decides whether the curve is
// requested in the next scan, followed by an item with its colour name; the
// root, the groups and the colour items carry no check box. List 1444 (the
// FC10 list) shows one row per scan: the scan number, for 2F analyzers the
// date and time of the computer, and every FC10 parameter decoded from the
// scan's 128-byte diagnostic header by its TYPE word. The decoding also feeds
// the trend values of the page and, for NS analyzers, the fit ratio.
//
// Threads: the tree functions and the list header run on the window thread;
// vxSpectraPageListData runs on the diagnostic-request worker while the page
// does not touch the list.
#pragma once

#include <cstddef>

#include "vxMain.h"

// Page start: builds tree 1430 once per profile load (nothing while
// spData.tvBuildFlag is 1) on the main window with the size, colours and font
// of its definition, at most 100 items. The profile follows the analyzer's
// application type (6 2F, 7 NS, 8 FS) and becomes spData.appPtr; each curve's
// tvNdx is the list position of its item. Sets spData.state to 1. 0, or -2
// without a window, without the tree's definition, or when no profile matches.
int vxSpectraPageBuildTreeView(vxInfo* app);
// Hides the check box of every item that is no curve, then ticks each curve's
// box from its state. 0, -2 without a profile in use or a window.
int vxSpectraPageSetTreeViewImages(vxInfo* app);
// Reads each curve's check box into its state (1 ticked, 0 not). Called before
// every request list is built and when the page is left. 0, -2 without a
// profile in use or a window.
int vxSpectraPageGetTreeViewImages(vxInfo* app);
// Sets the check boxes (and the curve states) from the saved copy spData.user.
// 0, -2 without a profile in use or a window.
int vxSpectraPageSetUserTreeView(vxInfo* app);
// 2F only: by the analyzer's ID type 1, 2 or 3 ticks the first plot-B curve
// whose name contains "single", "dual" or "CO2". Other types, other
// applications or no match change nothing. 0, -2 without a profile in use.
int vxSpectraPageSetH2OTreeView(vxInfo* app);

// FC10 list header row: "Scan", for 2F "Date & Time", then each FC10
// parameter's name; the list is cleared and gets that row; an open capture
// file gets it too. 0, -2 without a profile in use or a window.
int vxSpectraPageSetListHdr(vxInfo* app);
// Decodes the header of the current scan slot (dpRequest.scanNdx) into one row
// of list 1444 and into each FC10 parameter's value, the trend values and, for
// NS, dpRequest.ns.fitRation. Trims the list first (vxSpectraPageListUpdate).
// Reads only the bytes that came in (hdrByteCnt, at most the 128-byte header):
// a field past them stays empty; a parameter of a type without a width (CHAR8,
// UCHAR8, none) takes no bytes and repeats the text of the field before. 0
// (also when the list is not there), -2 without a profile in use, for another
// application or a scan slot outside the ring.
int vxSpectraPageListData(vxInfo* app);
// Appends one list field to row (capacity size): two spaces, the text, spaces
// up to 22 characters in all (none when the text is longer) and "|". The row
// is cut at its capacity. 0, -2 for a null buffer.
int vxSpectraPageListField(char* row, size_t size, const char* text);
// Trims the list before a new scan row: outside overlay mode all rows after
// the header row go; in overlay mode, once dpRequest.scanCnt exceeds 4, the
// oldest scan row (row 1) goes, so the list keeps the last four scans. 0, -2
// without a window.
int vxSpectraPageListUpdate(vxInfo* app);
