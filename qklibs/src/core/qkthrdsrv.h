// qkthrdsrv (core): the thread table. A worker routine with one argument runs on its
// own thread in a slot of a qkthrdInfo record. Threads are never killed:
// qkthrdstop asks the slot's thread to cancel, and every wait point of the
// library (qksyssleep, qkwinsleep, the transports' bounded reads) checks the
// request and unwinds the worker with qkthrdCancel, which the thread's entry
// catches, so destructors run. qkthrdstop then waits (pumping window messages
// through the installed pump) until the thread has ended, for a few seconds.
#pragma once

#include <atomic>

typedef void (*qkthrdroutine)(void* argument);

struct qkthrdctl;    // platform thread with its cancel request (opaque)

struct qkthrdargInfo {
    int rslt;                 // status of the last start or stop
    int id;                   // index + 1; 0 marks a released slot
    int flags;                // creation flags
    qkthrdctl* thrd;          // the platform thread
    qkthrdroutine addr;       // the worker routine
    void* arg;                // its one argument
};

// Audit bits of a thread table (qkthrdsetaudit).
enum : int {
    QKTHRD_AUD_ALLOCATE = 1,   // every slot allocated
    QKTHRD_AUD_START = 2,      // every thread started, with its status
    QKTHRD_AUD_STOP = 4,       // every thread stopped, with its status
    QKTHRD_AUD_WALK = 16,      // the table walk of every slot operation
};

struct qkthrdInfo {
    int audit;
    int cnt;
    int ndx;
    qkthrdargInfo* routinePtr;
};

// Worker slot of the main program: state 1 while the worker is to keep running.
struct vxthreadInfo {
    std::atomic<int> state;
    std::atomic<int> thrdid;
    qkthrdInfo thrd;
    std::atomic<qkthrdInfo*> thrdPtr;
};

// Thrown at a wait point of a thread whose stop was requested; caught at the
// thread's entry. Worker code lets it pass (catch (...) must rethrow it).
struct qkthrdCancel {};

int qkthrdsetndx(qkthrdInfo* record);
int qkthrdallocate(qkthrdInfo* record);
int qkthrdloadadd(qkthrdInfo* record, int id, qkthrdroutine routine);
int qkthrdloadarg(qkthrdInfo* record, int id, void* argument);
int qkthrdloadflags(qkthrdInfo* record, int id, int flags);
int qkthrdstart(qkthrdInfo* record, int id);
int qkthrdstop(qkthrdInfo* record, int id);
int qkthrdfreemem(qkthrdInfo* record, int id);
int qkthrdsetaudit(qkthrdInfo* record, int mask);

// Cancellation: true when the calling thread has been asked to stop.
bool qkthrdcancelled();
// Throws qkthrdCancel when the calling thread has been asked to stop.
void qkthrdcancelpoint();
// Sleeps up to milliseconds, waking at once (and throwing qkthrdCancel) when
// the calling thread's stop is requested. Plain sleep on threads of no slot.
void qkthrdwait(int milliseconds);

// What qkthrdstop does while it waits for a thread to end (the window layer
// installs its message pump; the default sleeps). Returns nothing.
typedef void (*qkthrdpumpfunc)(int milliseconds);
void qkthrdsetpump(qkthrdpumpfunc pump);
