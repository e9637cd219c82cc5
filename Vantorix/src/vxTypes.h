// vxTypes: the records nested by value in the application record vxInfo.
// Records whose modules do not exist yet are declared empty here and get
// their fields when their module arrives.
#pragma once

#include <cstdio>

// Library records of the configuration reader and the window framework.
struct qkcfgsrvInfo;                   // the configuration reader record
struct qkwinInfo;                      // the window record of the window framework
struct qkcfgpkgInfo {};                // filled by the window framework (package and element handler tables)
struct qkwinprgbarInfo {};             // filled by the window framework (progress bar)

// Log settings of the main configuration.
struct vxlogInfo {
    int stdoutflag;
    char path[128];
};

// State of the main configuration file.
struct vxcfgInfo {
    int audit;
    char path[128];
    int pkgTyp[128];       // package stack: codes of the open packages
    int pkgNdx;            // top of the package stack, -1 when empty
    qkcfgsrvInfo* cfgPtr;  // the reader record
};

// The capture data file of the monitor and run-diagnostics pages.
struct vxFileInfo {
    int audit;
    FILE* fdp;
    char path[128];
};

// One valid password: application type, user level (1-3), password number.
struct vxValidPasswordInfo {
    int appType;
    int pwType;
    int pwID;
};

// The valid passwords by application type.
struct vxUserPasswordInfo {
    int audit;
    int cnt;
    vxValidPasswordInfo pw[8];
};

struct vxFindAnalyzerInfo {};          // filled by the analyzer search module
struct vxAnalyzerComInfo {};           // filled by the analyzer link module
struct vxDiagProtInfo {};              // filled by the diagnostic protocol module
struct vxAnalyzerVersion {};           // filled by the version profile module
struct vxAnaSupVerInfo {};             // filled by the version profile module (supported versions)
struct vxAnalyzerInfo {};              // filled by the analyzer identification module
struct vxRemoteComInfo {};             // filled by the application callbacks module (remote access)
struct vxPageInfo {};                  // filled by the main window module (page navigation)
struct vxAnalyzereDataInfo {};         // filled by the spectra acquisition modules
struct vxMonitorPageInfo {};           // filled by the monitor page module
struct vxParamsPageInfo {};            // filled by the parameters page module
struct vxSpectraPageInfo {};           // filled by the spectra page module
struct vxDiagPageInfo {};              // filled by the diagnostics page module
struct vxRunDiagInfo {};               // filled by the run-diagnostics module
struct vxModbusInfo {};                // filled by the Modbus protocol module
