// vxAnaVersionSrv: analyzer versions. The setters fill the version record that
// anaVerPtr points at: an entry of the supported-version list while the main
// configuration is read, the identified analyzer's version while its identity
// is parsed. After identification vxLoadDataCfgFiles matches the analyzer
// against the supported list and loads the four profiles of its folder, which
// define the spectra, parameters and diagnostics pages for that firmware.
// Runs on the thread that reads the configuration or identifies the analyzer
// (the main thread, the analyzer-search worker or a connection callback).
#pragma once

#include "vxMain.h"

// The version at anaVerPtr becomes unknown: names "Unknown", codes 1.
int vxVersionSetUnknown(vxInfo* app);
// Hardware, application, revision, build and profile folder of the version at
// anaVerPtr, taken from a word of the identity text or a configuration value.
int vxVersionSetHW(vxInfo* app, const char* text);
int vxVersionSetApp(vxInfo* app, const char* text);
int vxVersionSetRevision(vxInfo* app, const char* text);
int vxVersionSetBuild(vxInfo* app, const char* text);
int vxVersionSetFolder(vxInfo* app, const char* text);

// Information box about an analyzer whose version gives limited support:
// kind 1 after the search, kind 2 when a page is refused. Other kinds show
// nothing.
int vxVersionMessage(vxInfo* app, int kind);

// The supported entry matching the identified analyzer (application type,
// revision and build text; the first match wins), or null.
const vxAnalyzerVersion* vxVersionFindSupported(const vxInfo* app);

// Matches the identified analyzer and loads the profiles of its folder.
// 0 when loaded; -2 when the version is not supported or a profile could not
// be read.
int vxLoadDataCfgFiles(vxInfo* app);

// Window steps of the loading. The window framework supplies them; until it
// exists they do nothing.
// Lets the main window handle pending messages between the loading steps.
int vxVersionPumpMessages(vxInfo* app);
// Shows text in item 2 of the main window's status bar.
int vxVersionShowStatus(vxInfo* app, const char* text);
// Writes the main window's title again.
int vxVersionRefreshTitle(vxInfo* app);
