// qkwincfgelmsrv (win): the element handlers of UI definition files. Each element
// acts on the current record of the table that the enclosing packages select
// and is ignored anywhere else. Runs on the thread that reads the file.
#pragma once

#include "qkwinsrv.h"

// One element name of the vocabulary with its registered value type; add is
// null for names that are accepted and ignored.
struct qkwincfgelmdef {
    const char* name;
    int type;
    qkcfghandler add;
};

// The element names in registration order: first those with handlers (their
// position is the id of their handler entry), then the ignored ones.
extern const qkwincfgelmdef gqk_wincfgelmdefs[];
extern const int gqk_wincfgelmdefcnt;

// Keyword values (unknown keywords give the defaults listed here).
int qkwincfgkwbtnstyle(const char* text);      // PUSHBUTTON 1 .. AUTORADIOBUTTON 7, else 0
int qkwincfgkwborder(const char* text);        // FLAT 6, RAISED 7, SUNKEN 8, else 0
int qkwincfgkwmsgtype(const char* text);       // QKWIN_MSG_QUESTION, _WARN, _STOP, _ERROR, else _INFO
int qkwincfgkwcharset(const char* text);       // ANSI 1, OEM 2, UNICODE 3, RUSSIAN 4, else 1
int qkwincfgkwweight(const char* text);        // BOLD 1, MEDIUM 2, LIGHT 3, THIN 4, else 5
int qkwincfgkwfamily(const char* text);        // ROMAN 1, MODERN 3, else 2
int qkwincfgkwshape(const char* text);         // RECTANGLE 1 .. CIRCLE 6, any other text 1
int qkwincfgkwmode(const char* text);          // PRODUCTION 0, DEVELOPMENT 1, TEST 3, else 0

// The element handlers.
int qkwincfgtitleelm(qkwinInfo* window);
int qkwincfgcallbackelm(qkwinInfo* window);
int qkwincfguserstartfuncelm(qkwinInfo* window);
int qkwincfguserrunfuncelm(qkwinInfo* window);
int qkwincfguserupdatefuncelm(qkwinInfo* window);
int qkwincfguserclosefuncelm(qkwinInfo* window);
int qkwincfgxorigelm(qkwinInfo* window);
int qkwincfgyorigelm(qkwinInfo* window);
int qkwincfgwidthelm(qkwinInfo* window);
int qkwincfgheightelm(qkwinInfo* window);
int qkwincfgstringelm(qkwinInfo* window);
int qkwincfgpathelm(qkwinInfo* window);
int qkwincfgnameelm(qkwinInfo* window);
int qkwincfgrgbelm(qkwinInfo* window);
int qkwincfgidelm(qkwinInfo* window);
int qkwincfgindexelm(qkwinInfo* window);
int qkwincfgfuncelm(qkwinInfo* window);
int qkwincfgalignelm(qkwinInfo* window);
int qkwincfgstyleelm(qkwinInfo* window);
int qkwincfgtypeelm(qkwinInfo* window);
int qkwincfgitemelm(qkwinInfo* window);
int qkwincfgfontidelm(qkwinInfo* window);
int qkwincfgcharsetelm(qkwinInfo* window);
int qkwincfgweightelm(qkwinInfo* window);
int qkwincfgfamilyelm(qkwinInfo* window);
int qkwincfgangleelm(qkwinInfo* window);
int qkwincfgauditelm(qkwinInfo* window);
int qkwincfgscbarelm(qkwinInfo* window);
int qkwincfghelpverelm(qkwinInfo* window);
int qkwincfghelpconelm(qkwinInfo* window);
int qkwincfgscaleelm(qkwinInfo* window);
int qkwincfgstartidelm(qkwinInfo* window);
int qkwincfgcaptionelm(qkwinInfo* window);
int qkwincfgmessageelm(qkwinInfo* window);
int qkwincfgaccountselm(qkwinInfo* window);
int qkwincfgdbelm(qkwinInfo* window);
int qkwincfgtooltiprelm(qkwinInfo* window);
int qkwincfgstopchildelm(qkwinInfo* window);
int qkwincfgtopmostchildelm(qkwinInfo* window);
int qkwincfgmodeelm(qkwinInfo* window);
int qkwincfgshapeelm(qkwinInfo* window);
int qkwincfgpointselm(qkwinInfo* window);
int qkwincfgpageidelm(qkwinInfo* window);
int qkwincfgfillscreenelm(qkwinInfo* window);
