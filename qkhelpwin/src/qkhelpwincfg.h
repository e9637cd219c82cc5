// qkhelpwincfg: the help launcher's configuration keys and their handlers.
// The launcher's own keys (log, reader audit, viewers, documents) are read by
// a first pass over the file; the window framework reads the same file again
// for the window. The package stack (cfg.pkgTyp, cfg.pkgNdx) tells each key
// where it stands: a key acts only inside the package it belongs to.
// Main thread.
#pragma once

#include "qkhelpwininit.h"

// Package codes of the launcher's keys.
enum : int {
    QKHELPWIN_PKG_LOGCFG = 1,
    QKHELPWIN_PKG_CONFIGFILECFG = 2,
    QKHELPWIN_PKG_DOCUSE = 3,
    QKHELPWIN_PKG_DOCUMENT = 4,
    QKHELPWIN_PKG_MAINCFG = 5,
    QKHELPWIN_PKG_USERDEFINITION = 1000,
};

// Reads cfg.path into the record and the main window. 0, or -2 when the file
// cannot be read or declares no main window.
int qkhelpwinCfgRead(qkhelpwinInfo* app);
// The handlers of the launcher's pass.
int qkhelpwinCfgPkg(qkhelpwinInfo* app);
int qkhelpwinCfgPkgEnd(qkhelpwinInfo* app);
int qkhelpwinCfgElem(qkhelpwinInfo* app);
