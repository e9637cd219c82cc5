// qkplotpkgsrv (plot): the vocabulary of plot definition files and the package
// handlers. Opening a package pushes its type on the plot record's package
// stack (PLOT also starts a new plot entry, AXIS and COMMENT a new axis or
// comment of the current plot); closing a registered package pops it.
// Runs on the thread that reads the definition file.
#pragma once

#include "qkplotsrv.h"

// Audit bit of the definition file's reader (cfgPtr->audit) that logs every
// plot package closed; the reader itself logs float conversions on it too.
constexpr int QKPLOT_CFGAUD_PKGEND = 8;

// Package types pushed on the stack.
enum : int {
    QKPLOT_PKG_SIZE = 115,
    QKPLOT_PKG_MARGIN = 116,
    QKPLOT_PKG_PEN = 117,
    QKPLOT_PKG_BORDER = 118,
    QKPLOT_PKG_COLOR = 120,
    QKPLOT_PKG_BACKGROUND = 122,
    QKPLOT_PKG_FORGROUND = 123,
    QKPLOT_PKG_EDGE = 124,
    QKPLOT_PKG_TEXT = 125,
    QKPLOT_PKG_COMMENT = 138,
    QKPLOT_PKG_RESOURCEFILE = 400,
    QKPLOT_PKG_INCLUDEFILE = 410,
    QKPLOT_PKG_PLOT = 500,
    QKPLOT_PKG_GRID = 520,
    QKPLOT_PKG_SCALE = 522,
    QKPLOT_PKG_MAJOR = 524,
    QKPLOT_PKG_MINOR = 526,
    QKPLOT_PKG_AXIS = 528,
    QKPLOT_PKG_CLASS = 530,
    QKPLOT_PKG_USERDEFINITION = 1000,
};

// One name of the vocabulary: its value type and its handler (package names:
// the package handler; element names: the element handler).
struct qkplotvocabdef {
    const char* name;
    int type;
    int code;                         // package type, 0 for elements
    qkcfghandler add;                 // receives the plot record
};

// A handler of the plot record as the reader's handler type.
template <int (*F)(qkplotInfo*)> int qkplotthunk(void* client)
{
    return F(static_cast<qkplotInfo*>(client));
}

// The package names in registration order (RESOURCEFILE and INCLUDEFILE are
// registered twice), then the element names in registration order.
extern const qkplotvocabdef gqk_plotpkgdefs[];
extern const int gqk_plotpkgdefcnt;
extern const qkplotvocabdef gqk_plotelmdefs[];
extern const int gqk_plotelmdefcnt;

// The read loop's handlers: package start (dispatches the matched key to its
// package handler) and package end (pops a closed registered package).
int qkplotcfgpkg(qkplotInfo* plot);
int qkplotcfgpkgend(qkplotInfo* plot);

// Type of the package k levels below the innermost one (0 the innermost), or
// -1 when the stack is not that deep.
int qkplotpkgat(const qkplotInfo* plot, int k);

// The package handlers.
int qkplotpkgplot(qkplotInfo* plot);
int qkplotpkgclass(qkplotInfo* plot);
int qkplotpkgsize(qkplotInfo* plot);
int qkplotpkggrid(qkplotInfo* plot);
int qkplotpkgaxis(qkplotInfo* plot);
int qkplotpkgcolor(qkplotInfo* plot);
int qkplotpkgbackground(qkplotInfo* plot);
int qkplotpkgforground(qkplotInfo* plot);
int qkplotpkgedge(qkplotInfo* plot);
int qkplotpkgtext(qkplotInfo* plot);
int qkplotpkgmargin(qkplotInfo* plot);
int qkplotpkgscale(qkplotInfo* plot);
int qkplotpkgmajor(qkplotInfo* plot);
int qkplotpkgminor(qkplotInfo* plot);
int qkplotpkgpen(qkplotInfo* plot);
int qkplotpkgcomment(qkplotInfo* plot);
int qkplotpkgborder(qkplotInfo* plot);
int qkplotpkgresfile(qkplotInfo* plot);
int qkplotpkgincfile(qkplotInfo* plot);
int qkplotpkgudef(qkplotInfo* plot);
