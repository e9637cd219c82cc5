// qksyswinfiledlg: the platform's open-file and save-file dialogs. They
// show on the GUI thread; the caller waits as for a message box. On the
// offscreen platform (or with VX_MSGBOX_AUTOANSWER set to an answer) nobody
// can choose: the dialog is cancelled at once, unless VX_FILEDLG_AUTOANSWER
// names the file to take.
#pragma once

#include <cstddef>

#include "qkwinsrv.h"

// Asks for a file name (save: a new or existing file to write). filter is a
// name pattern such as "*.bmp" or "Bitmaps (*.bmp)", empty for all files.
// 1 with the name in name (cut to size), 0 when cancelled.
int qksyswinfiledlg(qkwinInfo* window, int save, const char* filter, char* name, size_t size);

// Standard callbacks on the window's common-dialog record: the filter comes
// from cdlg.filter, the name goes to cdlg.fName, cdlg.rslt is 1 when a file
// was chosen, else 0. Return 0 (-2 without a window).
int qksyswinopenfile(qkwinInfo* window);
int qksyswinsavefile(qkwinInfo* window);
