// qksyswinregstdfunc: the standard callback names and their binding (see the
// header).
#include "qksyswinregstdfunc.h"

#include <cstring>

#include "qklogsrv.h"
#include "qkwinfuncsrv.h"

namespace {

struct StdFunc {
    const char* name;
    bool main;       // bound for the main window (type 1)
    bool child;      // bound for child windows and dialogs (type 2 and higher)
    bool inherit;    // entries also marked as inherited
    qkwincallback add;
};

// Binding is by name prefix: a name that begins with another one (for example
// "qksyswinexitconf" and "qksyswinexit") must come after it, so that its own
// function overwrites what the shorter name bound.
// To add a function: put its address in its row, or let its module call
// qksyswinstdfuncset at start-up.
StdFunc g_std[] = {
    {"qksyswinproc", true, false, false, nullptr},
    {"qksyswinchildproc", false, true, false, nullptr},
    {"qksyswinexit", true, false, false, nullptr},
    {"qksyswinexitconf", true, false, false, nullptr},
    {"qksyswinchildexit", true, true, false, nullptr},
    {"qksyswinchildexitconf", true, true, false, nullptr},
    {"qkwinstartchild", true, true, false, nullptr},
    {"qkwinstartproc", true, true, false, nullptr},
    {"qksyswinstdmenuproc", true, true, false, nullptr},
    {"qksyswinstdstaticproc", true, true, false, nullptr},
    {"qksyswinstdbtnproc", true, true, false, nullptr},
    {"qksyswinstdeditproc", true, true, false, nullptr},
    {"qksyswinstdlistproc", true, true, false, nullptr},
    {"qksyswinstdcomboproc", true, true, false, nullptr},
    {"qksyswinstdhdrproc", true, true, false, nullptr},
    {"qksyswinstdhdrdsplist", true, true, false, nullptr},
    {"qkwindlgstart", true, true, false, nullptr},
    {"qksyswindlgexit", true, true, false, nullptr},
    {"qksyswindlgexitconf", true, true, false, nullptr},
    {"qksyswinselectfont", true, true, false, nullptr},
    {"qksyswinselectcolor", true, true, false, nullptr},
    {"qksyswinselectprinter", true, true, false, nullptr},
    {"qksyswinopenfile", true, true, false, nullptr},
    {"qksyswinsavefile", true, true, false, nullptr},
    {"qksyswinprintfile", true, true, false, nullptr},
    {"qksyswinstdfileproc", true, true, false, nullptr},
    {"qksyswinstdexeproc", true, true, false, nullptr},
    {"qksyswinstdtoolproc", true, true, false, nullptr},
    {"qksyswincldrstdfunc", true, true, false, nullptr},
    {"qksyswinzoomcb", true, true, false, nullptr},
    {"qkwinhelpabout", true, true, false, nullptr},
    {"qkwinhelpcontact", true, true, false, nullptr},
    {"qksyswinstdnullproc", true, true, false, qksyswinstdnullproc},
    {"qkwinvkbstartcallback", true, true, false, nullptr},
    {"qkwinvkbcallback", true, true, false, nullptr},
    {"qkwinvkbresetcallback", true, true, false, nullptr},
    {"qkwinuserpwcallback", true, true, true, nullptr},
    {"qkwinmgrcallback", true, false, true, nullptr},
    {"qkwinCaptureScreen", true, true, true, nullptr},
    {"qkwinSaveScreen", true, true, true, nullptr},
    {"qkwinscalecallback", true, true, true, nullptr},
    {"qkdspcurrentscale", true, true, true, nullptr},
    {"qkwinRichEditOpenFile", true, true, false, nullptr},
    {"qkwinRichEditSaveFile", true, true, false, nullptr},
};

StdFunc* find(const char* name)
{
    if (name == nullptr) return nullptr;
    for (StdFunc& f : g_std)
        if (std::strcmp(f.name, name) == 0) return &f;
    return nullptr;
}

}  // namespace

int qksyswinstdnullproc(qkwinInfo* /*window*/)
{
    qklogTrace("qksyswinstdnullproc");
    return 0;
}

int qksyswinstdfuncset(const char* name, qkwincallback address)
{
    qklogTrace("qksyswinstdfuncset");
    StdFunc* f = find(name);
    if (f == nullptr) return -2;
    f->add = address;
    return 0;
}

qkwincallback qksyswinstdfuncget(const char* name)
{
    qklogTrace("qksyswinstdfuncget");
    const StdFunc* f = find(name);
    return f ? f->add : nullptr;
}

int qksyswinregstdfunc(qkwinInfo* window)
{
    qklogTrace("qksyswinregstdfunc");
    if (window == nullptr) return -2;
    const bool isMain = window->type == 1;
    for (const StdFunc& f : g_std) {
        if (isMain ? !f.main : !f.child) continue;
        qkwinfuncloadaddr(window, f.name, f.add);
        if (f.inherit) qkwinfuncsetgflag(window, f.name);
    }
    return 0;
}
