// vxMbModeSrv: the Modbus-mode switch of the analyzer, shared by the pages
// that read registers (diagnostics, parameters, Modbus test). The analyzer
// answers Modbus frames only after a diagnostic-protocol command has switched
// it into Modbus mode, and streams text again once it is switched off.
// Runs on the thread that does the exchange (a page's worker, or the window
// thread when a page is left); one exchange at a time.
#pragma once

#include "vxMain.h"

// Switches Modbus mode "ENABLED" or "DISABLED". Both take the analyzer
// address from the diagnostic protocol, flush the link and point its buffers
// at ibuf/obuf. On: -2 when the command cannot be sent; without the
// analyzer's "OK" the user is asked "Enable MODBUS mode failed\ncontinue"
// (Yes 0, No -2). Off: no answer is awaited. 0 otherwise; -2 for any other
// mode text.
int vxParamPageSetMbMode(vxInfo* app, const char* mode);
// Modbus frames to the analyzer's diagnostic address, the link flushed and its
// buffers at their start: what every Modbus exchange of a page begins with.
void vxMbPrepareLink(vxInfo* app);
