// vxParamFrontPanelSrv: the front-panel tab of the parameters page. An ARM9
// analyzer in front-panel mode streams its four-line display as text with
// terminal escape sequences; a reader thread splits the stream into lines and
// the page tick decodes them onto a grid of 80 one-character statics; the
// keypad sends keys back. Reader on the worker slot paramfpthrds, the rest on
// the main window's thread.
#pragma once

#include "vxMain.h"

// Ends front-panel mode wherever the program leaves it (the parameters page
// closes, the Modbus test starts): the reader stops, and when the front-panel
// window exists the analyzer is told to leave the mode ("34") and the enable
// button 1332 is cleared; its update function is removed. 0 when nothing ran.
int vxParamPageFPstop(vxInfo* app);
