// qkwincfgpkgsrv (win): the package handlers of UI definition files. Opening a
// package pushes its type on the window's package stack and, where the parent
// package is the expected one, creates the record the package declares and
// points cpkg.pkgPtr at the table or record the package works on.
#pragma once

#include "qkwinsrv.h"

// Package types pushed on the stack.
enum : int {
    QKWIN_PKG_MAINWINDOW = 110,
    QKWIN_PKG_OPTIONS = 112,
    QKWIN_PKG_BORDER = 118,
    QKWIN_PKG_COLOR = 120,
    QKWIN_PKG_BACKGROUND = 122,
    QKWIN_PKG_FORGROUND = 123,
    QKWIN_PKG_EDGE = 124,
    QKWIN_PKG_TEXT = 125,
    QKWIN_PKG_ICON = 130,
    QKWIN_PKG_IMAGE = 132,
    QKWIN_PKG_FONT = 134,
    QKWIN_PKG_MENU = 140,
    QKWIN_PKG_SUBMENU = 141,
    QKWIN_PKG_BUTTON = 150,
    QKWIN_PKG_STATIC = 160,
    QKWIN_PKG_EDIT = 170,
    QKWIN_PKG_LIST = 180,
    QKWIN_PKG_COMBO = 190,
    QKWIN_PKG_REGION = 200,
    QKWIN_PKG_TREEVIEW = 210,
    QKWIN_PKG_DATEPICK = 220,
    QKWIN_PKG_TRAY = 230,
    QKWIN_PKG_TAB = 250,
    QKWIN_PKG_SIZETAB = 252,
    QKWIN_PKG_SUBTAB = 254,
    QKWIN_PKG_HDR = 260,
    QKWIN_PKG_SUBHDR = 261,
    QKWIN_PKG_STATBAR = 280,
    QKWIN_PKG_SUBSTATBAR = 281,
    QKWIN_PKG_DIALOG = 290,
    QKWIN_PKG_MSGBOX = 300,
    QKWIN_PKG_HELP = 350,
    QKWIN_PKG_RESOURCEFILE = 400,
    QKWIN_PKG_INCLUDEFILE = 410,
    QKWIN_PKG_PLOT = 500,
    QKWIN_PKG_PAGE = 540,
    QKWIN_PKG_SUBPAGE = 542,
    QKWIN_PKG_CHILD = 600,
    QKWIN_PKG_PROCESS = 630,
    QKWIN_PKG_ACTION = 640,
    QKWIN_PKG_EXTDATA = 680,
    QKWIN_PKG_VALUE = 900,
    QKWIN_PKG_USERDEFINITION = 1000,
};

// One package name of the vocabulary; add is null for a name that is
// registered but opens nothing (TIMEPICK).
struct qkwincfgpkgdef {
    const char* name;
    int type;
    qkcfghandler add;
};

// The package names in registration order.
extern const qkwincfgpkgdef gqk_wincfgpkgdefs[];
extern const int gqk_wincfgpkgdefcnt;

// Type of a package name of the vocabulary, 0 for any other name.
int qkwincfgpkgtype(const char* name);

// Type of the package k levels below the innermost one (0 the innermost), or
// -1 when the stack is not that deep.
int qkwincfgpkgat(const qkwinInfo* window, int k);
// True when the package k levels below the innermost one is of type and was
// recognised where it stands (its record exists): widget packages in
// MAINWINDOW, sub-packages in their recognised parent, MAINWINDOW, OPTIONS and
// HELP anywhere.
bool qkwincfgpkgis(const qkwinInfo* window, int k, int type);

// The package handlers.
int qkwincfgmainpkg(qkwinInfo* window);
int qkwincfgoptspkg(qkwinInfo* window);
int qkwincfgbordpkg(qkwinInfo* window);
int qkwincfgcolorpkg(qkwinInfo* window);
int qkwincfgbgcolorpkg(qkwinInfo* window);
int qkwincfgfgcolorpkg(qkwinInfo* window);
int qkwincfgedcolorpkg(qkwinInfo* window);
int qkwincfgtxcolorpkg(qkwinInfo* window);
int qkwincfgiconpkg(qkwinInfo* window);
int qkwincfgimagepkg(qkwinInfo* window);
int qkwincfgfontpkg(qkwinInfo* window);
int qkwincfgmenupkg(qkwinInfo* window);
int qkwincfgsubmenupkg(qkwinInfo* window);
int qkwincfgbtnpkg(qkwinInfo* window);
int qkwincfgstatpkg(qkwinInfo* window);
int qkwincfgeditpkg(qkwinInfo* window);
int qkwincfglistpkg(qkwinInfo* window);
int qkwincfgcombpkg(qkwinInfo* window);
int qkwincfgregnpkg(qkwinInfo* window);
int qkwincfgtreeviewpkg(qkwinInfo* window);
int qkwincfgdatepickpkg(qkwinInfo* window);
int qkwincfgtraypkg(qkwinInfo* window);
int qkwincfgtabpkg(qkwinInfo* window);
int qkwincfgtabsizepkg(qkwinInfo* window);
int qkwincfgsubtabpkg(qkwinInfo* window);
int qkwincfghdrpkg(qkwinInfo* window);
int qkwincfgsubhdrpkg(qkwinInfo* window);
int qkwincfgsbarpkg(qkwinInfo* window);
int qkwincfgsubsbarpkg(qkwinInfo* window);
int qkwincfgdlgpkg(qkwinInfo* window);
int qkwincfgmsgboxpkg(qkwinInfo* window);
int qkwincfghelppkg(qkwinInfo* window);
int qkwincfgresfilepkg(qkwinInfo* window);
int qkwincfgincfilepkg(qkwinInfo* window);
int qkwincfgplotpkg(qkwinInfo* window);
int qkwincfgpagepkg(qkwinInfo* window);
int qkwincfgsubpagepkg(qkwinInfo* window);
int qkwincfgchildpkg(qkwinInfo* window);
int qkwincfgprocpkg(qkwinInfo* window);
int qkwincfgactionpkg(qkwinInfo* window);
int qkwincfgexdatapkg(qkwinInfo* window);
int qkwincfgvaluepkg(qkwinInfo* window);
int qkwincfgudefpkg(qkwinInfo* window);
