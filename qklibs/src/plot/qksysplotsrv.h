// qksysplotsrv (plot): the drawing steps of the plot engine — region and frame, grid,
// axes with tick marks, axis labels, comments, curves, and the copy of a plot
// to the clipboard and into a bitmap file. Every step draws through the
// portable drawing surface (qkdrawsurface): the one the plot record holds
// while set (tests draw on a recording surface), else the surface of the
// plot's window, opened for the step and released before it returns. So the
// engine itself never touches the toolkit.
//
// Each step selects its own pens and colours and keeps nothing between calls.
// Runs on the thread that draws the plot's window.
#pragma once

#include "qkbmpsrv.h"
#include "qkplotsrv.h"

// The pixel geometry of a plot shared by every drawing step (lengths of the
// definition converted with the window's percentages).
struct qkplotGeomInfo {
    int x0, y0;          // top-left corner of the plot
    int w, h;            // plot size
    int ml, mr, mt, mb;  // margins
    int gx, gy;          // top-left corner of the grid area
    int gw, gh;          // grid size
    int n;               // data points
    float finc;          // pixels per point (0 without points)
    int minstep;         // pixels between minor grid lines
    int majstep;         // pixels between major grid lines
};

// Computes the geometry of plot entry e with the record's scale; sets
// e->grid.finc. Returns 0, -2 for a missing entry.
int qkplotgeometry(const qkplotInfo* plot, qkplotIDInfo* e, qkplotGeomInfo* g);
// A length of the definition in pixels with a percentage of the window's scale.
int qkplotscalex(const qkplotInfo* plot, int value);
int qkplotscaley(const qkplotInfo* plot, int value);

// The platform record of a plot entry.
qksysplotInfo* qksysplotallocate();
int qksysplotfreemem(qksysplotInfo* sysplot);
qksysplotInfo* qksysplotgetPtr(qkplotInfo* plot, int id);
// Takes the window's scale into the record and the window into every plot
// entry's platform record.
int qksysplotsetinfo(qkplotInfo* plot, qkwinInfo* window);
// With request not 0: fills the window's picture with its background colour.
int qksysplotclrdsp(qkplotInfo* plot, int request);

// The drawing steps of plot id. 0, or -2 (nothing drawn) for an unknown plot,
// a plot without data (code 2) or without a surface to draw on.
int qksysplotcreateregion(qkplotInfo* plot, int id);
int qksysplotgrid(qkplotInfo* plot, int id);
int qksysplotaxis(qkplotInfo* plot, int id, int axisType);
int qksysplotlabel(qkplotInfo* plot, int id, int axisType);
int qksysplotcomment(qkplotInfo* plot, int id);
int qksysplotdata(qkplotInfo* plot, int id);
// Copies the plot's rectangle, puts it on the clipboard and saves it to the
// entry's path. -2 ("Clipboard not opened") writes no file.
int qksysplotcopyBMP(qkplotInfo* plot, int id);
// Writes image to the entry's path as a 24-bit bitmap. 0; -1 when the file
// cannot be opened ("Unable to open: %s", nothing written).
int qksysplotsaveBMP(qkplotInfo* plot, int id, const qkbmpImageInfo& image);
