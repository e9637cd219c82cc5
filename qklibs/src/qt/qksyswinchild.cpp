// qksyswinchild: child windows on their own threads and started programs
// (see the header).
#include "qksyswinchild.h"

#include <chrono>
#include <cstring>
#include <string>

#include "qklogsrv.h"
#include "qkstrsrv.h"
#include "qksyssrv.h"
#include "qksyswinmsgbox.h"
#include "qksyswinprivate.h"
#include "qksyswinsrv.h"
#include "qksyswinthread.h"
#include "qkwincfgpathsrv.h"
#include "qkwinfuncsrv.h"
#include "qkwinmgr.h"
#include "qkwintable.h"

namespace {

struct ChildStart {
    qkwinInfo* parent;
    qkwinInfo* child;
    qkwinInfo* snapshot;   // the parent's callbacks as they were at the start
};

// The child's life on the calling thread, from reading its file to its end.
// Releases the child's platform part (not its record) however it ends.
void runChildBody(qkwinInfo* child, qkwinInfo* snapshot)
{
    qksyswinSetOwner(child);
    qksyswinObjEx* obj = qksyswinobjex(child);
    const int audit = snapshot->audit;
    if (audit & QKWIN_AUD_WINDOW) qklogf("qkwinrunchild", "run child, qkwinPtr: %x", qkwinptrval(child));
    struct Cleanup {
        qkwinInfo* child;
        qkwinInfo* snapshot;
        int audit;
        ~Cleanup()
        {
            if (audit & QKWIN_AUD_WINDOW) qklogf("qkwinrunchild", "exit from child");
            qksyswinFreeSnapshot(snapshot);
            qkwinfreechild(child);
        }
    } cleanup{child, snapshot, audit};

    if (qksyswinReadDefinition(child, obj->defPath.c_str()) != 0) return;
    qksyswinsetstyle(child);
    qksyswinsetclass(child);
    qkwinfuncinherit(child, snapshot);
    if (qksyswindsp(child) != 0) return;
    while (child->state.load() != 0) {
        qksyswinchildpeekmsg(child);
        qkthrdcancelpoint();
        if (child->state.load() == 0) break;
        // A run function that answers -2 has nothing more to do.
        if (child->userRunFunc && child->userRunFunc(child) == -2) child->userRunFunc = nullptr;
    }
}

// Runs on the parent's thread once the child has ended.
void childEnded(qkwinInfo* parent, qkwinInfo* child, qkthrdInfo* threads, int threadId)
{
    if (parent->actcldPtr == child) parent->actcldPtr = nullptr;
    if (threads != nullptr) qkthrdstop(threads, threadId);   // joins the finished thread
    delete child;
    if (qksyswinObjEx* obj = qksyswinobjex(parent)) --obj->liveChildren;
    qksyswinWakeGui();   // a release of the parent may be waiting for this
}

void childEntry(void* argument)
{
    auto* start = static_cast<ChildStart*>(argument);
    qkwinInfo* parent = start->parent;
    qkwinInfo* child = start->child;
    qkwinInfo* snapshot = start->snapshot;
    delete start;
    qkthrdInfo* threads = static_cast<qkthrdInfo*>(child->thrd.thrdPtr);
    int threadId = child->thrd.thrdid;
    auto tellParent = [=] {
        child->thrd.state.store(0);
        if (!qksyswinOwnerCall(parent, [=] { childEnded(parent, child, threads, threadId); })) delete child;
    };
    try {
        runChildBody(child, snapshot);
    } catch (...) {
        tellParent();
        throw;
    }
    tellParent();
}

// A shell word: the text in single quotes.
std::string quoted(const std::string& s)
{
    std::string q = "'";
    for (char c : s) q += c == '\'' ? std::string("'\\''") : std::string(1, c);
    return q + "'";
}

// Closes win (a child or dialog on any thread) if it is still in the table.
bool closeListed(qkwinInfo* win)
{
    bool found = false;
    qkwinmanagementInfo* mgr = win->mgrPtr;
    qkwinmgrforeach(mgr, [&](int, qkwinhandInfo& slot) {
        if (slot.cldwinhdl != win) return;
        found = true;
        win->state.store(0);
        qksyswinPostClose(win);
    });
    return found;
}

}  // namespace

qkwinInfo* qkwinchildallocate(qkwinInfo* parent, int itemID)
{
    qklogTrace("qkwinchildallocate");
    if (parent == nullptr) return nullptr;
    qkwinInfo* child = qksyswinNewRecord(2, parent);
    child->pndx = parent->pndx;
    parent->cndx++;
    child->cndx = parent->cndx;
    int slot = qkwinmgrtakeslot(parent->mgrPtr, itemID, parent, child, nullptr);
    if (slot < 0) {
        qksyswinRelease(child, true);
        return nullptr;
    }
    child->mgrNdx = slot;
    if (parent->audit & QKWIN_AUD_WINDOW) {
        qklogf("qkwinchildallocate", "child, cndx: %d, pndx: %d", child->cndx, child->pndx);
        qklogf("qkwinchildallocate", "child, prtPtr: %x, winPtr: %x, syswinPtr: %x", qkwinptrval(parent),
               qkwinptrval(child), qkwinptrval(child->syswinPtr));
    }
    parent->actcldPtr = child;
    return child;
}

int qkwinstartchild(qkwinInfo* window)
{
    qklogTrace("qkwinstartchild");
    if (window == nullptr) return -2;
    const int itemID = window->actitemid;
    qkwincfgpathIDInfo* path = qkwincfgpathgetIDptrByItemID(window, itemID);
    if (path == nullptr) {
        qklogf("qkwinstartchild", "could not find path idPtr for item id: %d", itemID);
        return -2;
    }
    if (window->audit & QKWIN_AUD_WINDOW) qklogf("qkwinstartchild", "start child, qkwinPtr: %x", qkwinptrval(window));
    qkwinInfo* child = qkwinchildallocate(window, itemID);
    if (child == nullptr) return -2;
    qksyswinobjex(child)->defPath = path->path;
    qkwinInfo* snapshot = qksyswinSnapshotFuncs(window);
    snapshot->audit = window->audit;

    qksyswinObjEx* obj = qksyswinobjex(window);
    if (obj->childThreads == nullptr) obj->childThreads = new qkthrdInfo{};
    qkthrdInfo* t = obj->childThreads;
    qkthrdsetndx(t);
    int id = qkthrdallocate(t);
    child->thrd.thrdid = id;
    child->thrd.thrdPtr = t;
    child->thrd.state.store(1);
    ++obj->liveChildren;
    qkthrdloadadd(t, id, childEntry);
    qkthrdloadarg(t, id, new ChildStart{window, child, snapshot});
    qkthrdstart(t, id);
    if (t->routinePtr[id - 1].rslt != 0) {
        auto* start = static_cast<ChildStart*>(t->routinePtr[id - 1].arg);
        delete start;
        --obj->liveChildren;
        if (window->actcldPtr == child) window->actcldPtr = nullptr;
        qksyswinFreeSnapshot(snapshot);
        qksyswinRelease(child, true);
        return -1;
    }
    return 0;
}

int qkwinrunchild(qkwinInfo* window)
{
    qklogTrace("qkwinrunchild");
    if (window == nullptr) return -2;
    const int itemID = window->actitemid;
    qkwincfgpathIDInfo* path = qkwincfgpathgetIDptrByItemID(window, itemID);
    if (path == nullptr) {
        qklogf("qkwinrunchild", "could not find path idPtr for item id: %d", itemID);
        return -2;
    }
    qkwinInfo* child = qkwinchildallocate(window, itemID);
    if (child == nullptr) return -2;
    qksyswinobjex(child)->defPath = path->path;
    qkwinInfo* snapshot = qksyswinSnapshotFuncs(window);
    snapshot->audit = window->audit;
    try {
        runChildBody(child, snapshot);
    } catch (...) {
        if (window->actcldPtr == child) window->actcldPtr = nullptr;
        delete child;
        throw;
    }
    if (window->actcldPtr == child) window->actcldPtr = nullptr;
    delete child;
    return 0;
}

int qkwinfreechild(qkwinInfo* child)
{
    qklogTrace("qkwinfreechild");
    if (child == nullptr) return -2;
    qksyswinRelease(child, false);
    return 0;
}

int qkwinstopchild(qkwinInfo* child, int option)
{
    qklogTrace("qkwinstopchild");
    qkwinInfo* main = qkwingetPtr();
    qkwinmanagementInfo* mgr = main ? main->mgrPtr : nullptr;
    bool found = false;
    qkwinmgrforeach(mgr, [&](int, qkwinhandInfo& slot) {
        if (child == nullptr || slot.cldwinhdl != child) return;
        found = true;
        child->state.store(0);
        qksyswinPostClose(child);
    });
    if (!found) {
        qklogf("qkwinstopchild", "child pointer: %d, not active", static_cast<int>(qkwinptrval(child)));
        return -2;
    }
    if (option != 0) {
        auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(5);
        qksyswinWaitUntil(
            [&] {
                return qkwinmgrsrchhdl(mgr, QKWINMGR_CHILD, reinterpret_cast<intptr_t>(child)) < 0 ||
                       std::chrono::steady_clock::now() > deadline;
            },
            false);
    }
    return 0;
}

int qksyswinchildexit(qkwinInfo* window)
{
    qklogTrace("qksyswinchildexit");
    qkwinInfo* target = window;
    while (target != nullptr && qksyswinobjex(target) != nullptr && qksyswinobjex(target)->isPage) target = target->prntPtr;
    if (target == nullptr) return 0;
    if (target->type == 1) target = target->actcldPtr;
    if (target == nullptr || target->type != 2) return 0;
    if (target->opts.stopChilds && target->mgrPtr != nullptr) {
        qkwinmgrforeach(target->mgrPtr, [target](int, qkwinhandInfo& slot) {
            if (slot.prtwinhdl != target || slot.cldwinhdl == nullptr) return;
            slot.cldwinhdl->state.store(0);
            qksyswinPostClose(slot.cldwinhdl);
            slot.syswinhdl = nullptr;
        });
    }
    closeListed(target);
    return 1;
}

int qksyswinchildexitconf(qkwinInfo* window)
{
    qklogTrace("qksyswinchildexitconf");
    if (window == nullptr) return -2;
    if (qkwinmsgquestion(window, "are you sure") != QKWIN_MSG_YES) return 0;
    return qksyswinchildexit(window);
}

int qkwinstartproc(qkwinInfo* window)
{
    qklogTrace("qkwinstartproc");
    if (window == nullptr) return -2;
    qkwincfgpathIDInfo* path = qkwincfgpathgetIDptrByItemID(window, window->actitemid);
    if (path == nullptr) {
        qklogf("qkwinstartproc", "could not find path idPtr for item id: %d", window->actitemid);
        return -2;
    }
    char text[QKWIN_TEXTSIZE];
    qkstrset(text, path->path);
    qkstrTrim(text, ' ');
    std::string all = text;
    size_t blank = all.find(' ');
    std::string program = all.substr(0, blank);
    std::string argument;
    if (blank != std::string::npos) {
        argument = all.substr(blank + 1);
        size_t first = argument.find_first_not_of(' ');
        argument = first == std::string::npos ? std::string() : argument.substr(first);
    }
    std::string command;
    if (program.find(".htm") != std::string::npos)
        command = "xdg-open " + quoted(program);
    else if (program.find(".bat") != std::string::npos)
        command = "sh " + quoted(program);
    else
        command = quoted(program);
    if (!argument.empty() && program.find(".htm") == std::string::npos) command += " " + quoted(argument);
    qkstrset(window->proc.path, program.c_str());
    if (sysWinExec(command.c_str()) <= 31) {
        qklogf("qkwinstartproc", "could not start: %s", text);
        window->proc.state = 0;
        return -1;
    }
    window->proc.state = 1;
    return 0;
}
