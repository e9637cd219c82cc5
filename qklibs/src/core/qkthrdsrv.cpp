// qkthrdsrv: the thread table. The owner of a qkthrdInfo record (a page, the
// connection dialog, the window framework) prepares a slot, loads routine,
// argument and flags and starts the slot's thread; it stops the thread again
// with qkthrdstop or lets the routine return and releases the table with
// qkthrdfreemem. The record belongs to its owner's thread; the only state
// shared with the worker is the control block below.
//
// A slot's thrd points to a qkthrdctl that the slot owns. The running thread
// shares the block's state (cancel request, done flag, wake-up) with it, so a
// thread that is left to end by itself never touches released memory: the
// state lives until the last of the two lets go.
#include "qkthrdsrv.h"

#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <exception>
#include <memory>
#include <mutex>
#include <system_error>
#include <thread>

#include "qklogsrv.h"
#include "qksyssrv.h"

namespace {

// What the worker and its owner share.
struct qkthrdstate {
    std::atomic<bool> cancel{false};
    std::atomic<bool> done{false};
    std::mutex mtx;              // guards the wait on cv
    std::condition_variable cv;  // wakes qkthrdwait when a stop is requested
    int id = 0;
    qkthrdroutine routine = nullptr;
    void* arg = nullptr;
};

// How long qkthrdstop waits for a thread to reach a wait point and end.
constexpr int kStopWaitMs = 5000;
constexpr int kPumpStepMs = 10;

thread_local qkthrdstate* tls_thrdstate = nullptr;

void qkthrddefaultpump(int milliseconds)
{
    qksystemsleep(milliseconds);
}

std::atomic<qkthrdpumpfunc> gqk_thrdpump{qkthrddefaultpump};

unsigned long qkthrdptr(const void* p)
{
    return static_cast<unsigned long>(reinterpret_cast<uintptr_t>(p));
}

}  // namespace

struct qkthrdctl {
    std::thread thread;
    std::shared_ptr<qkthrdstate> state;
};

namespace {

// Runs the worker routine. A stop request unwinds it with qkthrdCancel so its
// destructors run; any other exception ends only this worker, with a log line.
void qkthrdentry(std::shared_ptr<qkthrdstate> state)
{
    tls_thrdstate = state.get();
    try {
        // A stop requested before the thread got going means it never runs.
        if (!state->cancel.load(std::memory_order_acquire)) state->routine(state->arg);
    } catch (qkthrdCancel&) {
    } catch (const std::exception& e) {
        qklogf("qkthrdentry", "error, worker id: %d ended by an exception: %s", state->id, e.what());
    } catch (...) {
        qklogf("qkthrdentry", "error, worker id: %d ended by an unknown exception", state->id);
    }
    tls_thrdstate = nullptr;
    state->done.store(true, std::memory_order_release);
}

void qkthrdrequestcancel(qkthrdstate& state)
{
    {
        std::lock_guard<std::mutex> lock(state.mtx);
        state.cancel.store(true, std::memory_order_release);
    }
    state.cv.notify_all();
}

bool qkthrdisself(const qkthrdctl* ctl)
{
    return ctl->state.get() == tls_thrdstate;
}

// Lets go of a slot's thread: joined when it has ended, else detached (the
// shared state keeps it safe until it ends by itself).
void qkthrdrelease(qkthrdargInfo& slot)
{
    qkthrdctl* ctl = slot.thrd;
    if (ctl == nullptr) return;
    if (ctl->thread.joinable()) {
        if (ctl->state->done.load(std::memory_order_acquire) && !qkthrdisself(ctl))
            ctl->thread.join();
        else
            ctl->thread.detach();
    }
    delete ctl;
    slot.thrd = nullptr;
}

void qkthrdauditwalk(const qkthrdInfo* record, const char* label)
{
    if (record->audit & QKTHRD_AUD_WALK) qklogf(label, "cnt: %d,  ndx: %d", record->cnt, record->ndx);
}

// Stops one slot's thread; returns its status.
int qkthrdstopslot(qkthrdargInfo& slot)
{
    qkthrdctl* ctl = slot.thrd;
    qkthrdstate& state = *ctl->state;
    qkthrdrequestcancel(state);
    auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(kStopWaitMs);
    while (!state.done.load(std::memory_order_acquire) && std::chrono::steady_clock::now() < deadline)
        gqk_thrdpump.load()(kPumpStepMs);
    if (state.done.load(std::memory_order_acquire)) {
        qkthrdrelease(slot);
        return 0;
    }
    qklogf("qkthrdstop", "error, thread id: %d did not stop in time, left to end by itself", slot.id);
    qkthrdrelease(slot);
    return -1;
}

}  // namespace

int qkthrdsetaudit(qkthrdInfo* record, int mask)
{
    qklogTrace("qkthrdsetaudit");
    if (record == nullptr) return -2;
    record->audit = mask;
    return 0;
}

int qkthrdsetndx(qkthrdInfo* record)
{
    qklogTrace("qkthrdsetndx");
    if (record == nullptr) return -2;
    if (record->routinePtr == nullptr) {
        record->ndx = 0;
        record->cnt = 1;
    } else {
        record->ndx = record->cnt;
        record->cnt++;
    }
    return record->ndx;
}

int qkthrdallocate(qkthrdInfo* record)
{
    qklogTrace("qkthrdallocate");
    if (record == nullptr || record->cnt <= 0 || record->ndx < 0 || record->ndx >= record->cnt) return -2;
    record->routinePtr = static_cast<qkthrdargInfo*>(
        qksysMemAllocate(record->routinePtr, sizeof(qkthrdargInfo) * static_cast<size_t>(record->cnt)));
    qkthrdargInfo& slot = record->routinePtr[record->ndx];
    slot.rslt = 0;
    slot.id = record->ndx + 1;
    slot.flags = 0;
    slot.thrd = nullptr;
    slot.addr = nullptr;
    slot.arg = reinterpret_cast<void*>(static_cast<intptr_t>(slot.id));
    if (record->audit & QKTHRD_AUD_ALLOCATE)
        qklogf("qkthrdallocate", "count: %d, index: %d, ID: %d", record->cnt, record->ndx, slot.id);
    return slot.id;
}

int qkthrdloadadd(qkthrdInfo* record, int id, qkthrdroutine routine)
{
    qklogTrace("qkthrdloadadd");
    if (record == nullptr) return -2;
    qkthrdauditwalk(record, "qkthrdloadadd");
    for (int i = 0; i < record->cnt && record->routinePtr; ++i) {
        qkthrdargInfo& slot = record->routinePtr[i];
        if (slot.id != id) continue;
        slot.addr = routine;
        if (record->audit & QKTHRD_AUD_WALK)
            qklogf("qkthrdloadadd", "ndx: %d,  ndxid: %d, id: %d, add: %lx", i, slot.id, id,
                   qkthrdptr(reinterpret_cast<const void*>(routine)));
    }
    return 0;
}

int qkthrdloadarg(qkthrdInfo* record, int id, void* argument)
{
    qklogTrace("qkthrdloadarg");
    if (record == nullptr) return -2;
    qkthrdauditwalk(record, "qkthrdloadarg");
    for (int i = 0; i < record->cnt && record->routinePtr; ++i) {
        qkthrdargInfo& slot = record->routinePtr[i];
        if (slot.id != id) continue;
        slot.arg = argument;
        if (record->audit & QKTHRD_AUD_WALK)
            qklogf("qkthrdloadarg", "ndx: %d,  ndxid: %d, id: %d, arg: %lx", i, slot.id, id, qkthrdptr(argument));
    }
    return 0;
}

int qkthrdloadflags(qkthrdInfo* record, int id, int flags)
{
    qklogTrace("qkthrdloadflags");
    if (record == nullptr) return -2;
    qkthrdauditwalk(record, "qkthrdloadflags");
    for (int i = 0; i < record->cnt && record->routinePtr; ++i) {
        qkthrdargInfo& slot = record->routinePtr[i];
        if (slot.id != id) continue;
        slot.flags = flags;
        if (record->audit & QKTHRD_AUD_WALK)
            qklogf("qkthrdloadflags", "ndx: %d,  ndxid: %d, id: %d, flags: %x", i, slot.id, id, flags);
    }
    return 0;
}

// Starts the thread of every slot with the id. The creation flags have no
// meaning for the threads of this platform; the default stack size is used.
// A slot whose earlier thread still runs is refused (rslt -2); a slot without
// a routine too.
int qkthrdstart(qkthrdInfo* record, int id)
{
    qklogTrace("qkthrdstart");
    if (record == nullptr) return -2;
    qkthrdauditwalk(record, "qkthrdstart");
    for (int i = 0; i < record->cnt && record->routinePtr; ++i) {
        qkthrdargInfo& slot = record->routinePtr[i];
        if (slot.id != id) continue;
        if (record->audit & QKTHRD_AUD_WALK) qklogf("qkthrdstart", "ndx: %d,  ndxid: %d, id: %d", i, slot.id, id);
        if (slot.thrd != nullptr && !slot.thrd->state->done.load(std::memory_order_acquire)) {
            slot.rslt = -2;
        } else if (slot.addr == nullptr) {
            slot.rslt = -2;
        } else {
            qkthrdrelease(slot);
            auto* ctl = new qkthrdctl;
            ctl->state = std::make_shared<qkthrdstate>();
            ctl->state->id = slot.id;
            ctl->state->routine = slot.addr;
            ctl->state->arg = slot.arg;
            // The slot is complete before the thread runs: a worker may look
            // its own slot up (to stop itself) at once.
            slot.thrd = ctl;
            slot.rslt = 0;
            try {
                ctl->thread = std::thread(qkthrdentry, ctl->state);
            } catch (const std::system_error& e) {
                qklogf("qkthrdstart", "error, could not create thread id: %d, reason: %s", slot.id, e.what());
                delete ctl;
                slot.thrd = nullptr;
                slot.rslt = -1;
            }
        }
        if (record->audit & QKTHRD_AUD_START)
            qklogf("qkthrdstart", "started thread ndx: %d, ndxid: %d, id: %d, rslt: %d", i, slot.id, id, slot.rslt);
    }
    return 0;
}

// Ends the thread of every slot with the id: asks it to cancel, then waits up
// to five seconds (pumping window messages) for it to unwind. A thread that
// does not reach a wait point in time is left to end by itself (rslt -1); it
// is never killed. Called by the worker on its own slot, it only asks.
int qkthrdstop(qkthrdInfo* record, int id)
{
    qklogTrace("qkthrdstop");
    if (record == nullptr) return -2;
    qkthrdauditwalk(record, "qkthrdstop");
    int status = 0;
    for (int i = 0; i < record->cnt && record->routinePtr; ++i) {
        qkthrdargInfo& slot = record->routinePtr[i];
        if (slot.id != id) continue;
        if (record->audit & QKTHRD_AUD_WALK) qklogf("qkthrdstop", "ndx: %d,  ndxid: %d, id: %d", i, slot.id, id);
        if (slot.thrd == nullptr) continue;
        int rslt;
        if (qkthrdisself(slot.thrd)) {
            // The worker's own thread: the slot stays as it is (its owner
            // reads it) and the worker unwinds at its next wait point.
            qkthrdrequestcancel(*slot.thrd->state);
            rslt = 0;
        } else {
            rslt = qkthrdstopslot(slot);
            slot.rslt = rslt;
        }
        if (rslt != 0) status = rslt;
        if (record->audit & QKTHRD_AUD_STOP) qklogf("qkthrdstop", "stopped thread  id: %d, rslt: %d", id, rslt);
    }
    return status;
}

// Releases the whole slot table. Ended threads are joined; a thread still
// running is left to end by itself (it keeps its own state). The record is
// cleared.
int qkthrdfreemem(qkthrdInfo* record, int id)
{
    qklogTrace("qkthrdfreemem");
    if (record == nullptr) return -2;
    qkthrdauditwalk(record, "qkthrdfreemem");
    for (int i = 0; i < record->cnt && record->routinePtr; ++i) {
        qkthrdargInfo& slot = record->routinePtr[i];
        if (record->audit & QKTHRD_AUD_WALK) qklogf("qkthrdfreemem", "ndx: %d,  ndxid: %d, id: %d", i, slot.id, id);
        qkthrdrelease(slot);
        if (slot.id == id) slot.id = 0;
    }
    qksysMemFree(record->routinePtr);
    record->audit = 0;
    record->cnt = 0;
    record->ndx = 0;
    record->routinePtr = nullptr;
    return 0;
}

bool qkthrdcancelled()
{
    return tls_thrdstate != nullptr && tls_thrdstate->cancel.load(std::memory_order_acquire);
}

void qkthrdcancelpoint()
{
    if (qkthrdcancelled()) throw qkthrdCancel{};
}

void qkthrdwait(int milliseconds)
{
    qkthrdstate* state = tls_thrdstate;
    if (state == nullptr) {
        if (milliseconds > 0) qksystemsleep(milliseconds);
        return;
    }
    {
        std::unique_lock<std::mutex> lock(state->mtx);
        if (milliseconds > 0)
            state->cv.wait_for(lock, std::chrono::milliseconds(milliseconds),
                               [state] { return state->cancel.load(std::memory_order_acquire); });
    }
    qkthrdcancelpoint();
}

void qkthrdsetpump(qkthrdpumpfunc pump)
{
    qklogTrace("qkthrdsetpump");
    gqk_thrdpump.store(pump ? pump : qkthrddefaultpump);
}
