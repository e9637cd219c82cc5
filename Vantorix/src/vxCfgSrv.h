// vxCfgSrv: the main program's vocabulary of the tagged configuration format
// and the reading of its main configuration file ("../cfg/vxMain.xml" or the
// -f file), of the files that it includes and of the version profiles.
// Main thread.
#pragma once

#include "vxMain.h"

// Package codes pushed onto cfg.pkgTyp when a package opens.
enum : int {
    VX_PKG_LOGCFG = 1,
    VX_PKG_CONFIGFILECFG = 2,
    VX_PKG_FINDANALYZER = 3,
    VX_PKG_MAINCFG = 4,
    VX_PKG_DATAFILE = 6,
    VX_PKG_INCLUDE = 8,
    VX_PKG_SUPPORTED = 10,
    VX_PKG_VXVERSION = 15,
    VX_PKG_APPLICATION = 20,
    VX_PKG_PARAMETER = 22,
    VX_PKG_PLOTA = 24,
    VX_PKG_PLOTB = 26,
    VX_PKG_PLOTC = 28,
    VX_PKG_RUNDIAGNOSTICS = 30,
    VX_PKG_MONITORPROFILE = 40,
    VX_PKG_MODE1 = 42,
    VX_PKG_SPECTRAPROFILE = 50,
    VX_PKG_DIAGNOSTICHEADER = 52,
    VX_PKG_DIAGNOSTICPROFILE = 60,
    VX_PKG_DIAGNOSTICDATA = 62,
    VX_PKG_DIAGNOSTICALARMS = 64,
    VX_PKG_DIAGPARAMETER = 66,
    VX_PKG_PARAMETERPROFILE = 70,
    VX_PKG_PARAMLISTGROUP = 72,
    VX_PKG_USERDEFINITION = 1000,
};

// Number of keys registered by vxCfgRegister.
constexpr int VX_CFGKEYCNT = 71;

// The whole read of the main configuration: creates the main window's reader
// record for cfg.path (the window's cfgPtr, also cfg.cfgPtr), registers the
// keys, reads the file (which opens the log), then lets the window framework
// register its names on the same reader and read the file again (the main
// window's definition). 0, or -2 when the file cannot be read or there is no
// main window record (vxGetResources comes first).
int vxCfgRead(vxInfo* app);
// Sets the line-feed delimiter and registers the 71 keys; the last status.
int vxCfgRegister(vxInfo* app);
// The record loop over the main configuration file with the three handlers;
// logs "processed: %d config parameters". 0, or -2 when the file cannot be loaded.
int vxCfgLoad(vxInfo* app);
// Package start, element and package end handlers (status 0).
int vxCfgPkg(vxInfo* app);
int vxCfgElem(vxInfo* app);
int vxCfgPkgEnd(vxInfo* app);
// Reads the include file named by cfg.incName in place, with the same
// handlers. 0, or -2 ("no path name") when the name is empty.
int vxGetIncludeFile(vxInfo* app);

// Reads a file (a version profile) as an include file with these handlers,
// starting with no package open. 0 (also when the file cannot be read, which
// then contributes nothing), or -2 when the name is empty or the main
// configuration has not been read.
int vxCfgReadInclude(vxInfo* app, const char* path);

// Releases the reader record and its buffers (cfg.cfgPtr becomes null; the
// main window no longer refers to it).
int vxCfgFree(vxInfo* app);
