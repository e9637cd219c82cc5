// Thread table: slots, start, cooperative stop (never a kill), release.
// Everything the workers and the test share is atomic, so a ThreadSanitizer
// run stays clean.
#include "qkthrdsrv.h"

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <cstdint>
#include <stdexcept>
#include <string>
#include <thread>

#include "qklogsrv.h"
#include "vxtestsupport.h"

namespace {

using namespace std::chrono_literals;

// Prepares one slot in a cleared record, the way the program's owners do.
int Prepare(qkthrdInfo& rec, qkthrdroutine routine, void* arg = nullptr)
{
    rec = qkthrdInfo{};
    qkthrdsetndx(&rec);
    int id = qkthrdallocate(&rec);
    qkthrdloadadd(&rec, id, routine);
    if (arg) qkthrdloadarg(&rec, id, arg);
    return id;
}

struct Flags {
    std::atomic<int> reached{0};
    std::atomic<int> counter{0};
    std::atomic<bool> destroyed{false};
    std::atomic<bool> passedWait{false};
    std::atomic<bool> release{false};
    std::atomic<bool> exited{false};
    std::atomic<intptr_t> argSeen{0};
    qkthrdInfo* record = nullptr;  // written before the thread starts
};

struct SetOnDestroy {
    std::atomic<bool>& flag;
    ~SetOnDestroy() { flag.store(true); }
};

void CountUntilStopped(void* arg)
{
    auto* f = static_cast<Flags*>(arg);
    for (;;) {
        f->counter.fetch_add(1);
        qkthrdwait(2);
    }
}

void BlockInWait(void* arg)
{
    auto* f = static_cast<Flags*>(arg);
    SetOnDestroy guard{f->destroyed};
    f->reached.store(1);
    qkthrdwait(60000);
    f->passedWait.store(true);
}

void IgnoreCancel(void* arg)
{
    auto* f = static_cast<Flags*>(arg);
    f->reached.store(1);
    while (!f->release.load()) std::this_thread::yield();
    f->exited.store(true);
}

std::atomic<intptr_t> gArgSeen{0};
std::atomic<int> gReturned{0};
void ReturnAtOnce(void* arg)
{
    gArgSeen.store(reinterpret_cast<intptr_t>(arg));
    gReturned.fetch_add(1);
}

void StopMyself(void* arg)
{
    auto* f = static_cast<Flags*>(arg);
    SetOnDestroy guard{f->destroyed};
    int rc = qkthrdstop(f->record, 1);  // must not wait for itself
    f->counter.store(rc == 0 && qkthrdcancelled() ? 1 : -1);
    qkthrdwait(60000);  // unwinds at once
    f->passedWait.store(true);
}

std::atomic<bool> gThrown{false};
void Throw(void*)
{
    gThrown.store(true);
    throw std::runtime_error("broken worker");
}

std::atomic<int> gPumpCalls{0};
// Stands in for the window layer's message pump, which waits up to ms for
// messages: the wait is the pump's behaviour, not a pause of the test.
void CountingPump(int ms)
{
    gPumpCalls.fetch_add(1);
    std::this_thread::sleep_for(std::chrono::milliseconds(ms));
}

TEST(QkThrdSrv, SlotsAreNumberedAndArgumentDefaultsToId)
{
    qkthrdInfo rec{};
    EXPECT_EQ(qkthrdsetndx(&rec), 0);
    EXPECT_EQ(qkthrdallocate(&rec), 1);
    EXPECT_EQ(qkthrdsetndx(&rec), 1);
    EXPECT_EQ(qkthrdallocate(&rec), 2);
    EXPECT_EQ(rec.cnt, 2);
    EXPECT_EQ(rec.routinePtr[1].id, 2);
    EXPECT_EQ(rec.routinePtr[1].arg, reinterpret_cast<void*>(intptr_t{2}));
    EXPECT_EQ(qkthrdloadflags(&rec, 2, 4), 0);
    EXPECT_EQ(rec.routinePtr[1].flags, 4);
    EXPECT_EQ(rec.routinePtr[0].flags, 0);

    gReturned.store(0);
    EXPECT_EQ(qkthrdloadadd(&rec, 2, ReturnAtOnce), 0);
    EXPECT_EQ(qkthrdstart(&rec, 2), 0);
    EXPECT_EQ(rec.routinePtr[1].rslt, 0);
    ASSERT_TRUE(vxtest::waitFor([] { return gReturned.load() == 1; }));
    EXPECT_EQ(gArgSeen.load(), 2);

    // Starting a slot without a routine is refused in its status.
    EXPECT_EQ(qkthrdstart(&rec, 1), 0);
    EXPECT_EQ(rec.routinePtr[0].rslt, -2);

    EXPECT_EQ(qkthrdfreemem(&rec, 2), 0);
    EXPECT_EQ(rec.cnt, 0);
    EXPECT_EQ(rec.routinePtr, nullptr);
}

TEST(QkThrdSrv, TwoRecordsEachGetIdOneAndRunIndependently)
{
    Flags fa, fb;
    qkthrdInfo a{}, b{};
    ASSERT_EQ(Prepare(a, CountUntilStopped, &fa), 1);
    ASSERT_EQ(Prepare(b, CountUntilStopped, &fb), 1);
    qkthrdstart(&a, 1);
    qkthrdstart(&b, 1);
    ASSERT_TRUE(vxtest::waitFor([&] { return fa.counter.load() > 3 && fb.counter.load() > 3; }));

    EXPECT_EQ(qkthrdstop(&a, 1), 0);
    EXPECT_EQ(a.routinePtr[0].rslt, 0);
    int stoppedAt = fa.counter.load();
    int bNow = fb.counter.load();
    ASSERT_TRUE(vxtest::waitFor([&] { return fb.counter.load() > bNow + 5; }));
    EXPECT_EQ(fa.counter.load(), stoppedAt);

    EXPECT_EQ(qkthrdstop(&b, 1), 0);
    qkthrdfreemem(&a, 1);
    qkthrdfreemem(&b, 1);
}

TEST(QkThrdSrv, StopWakesBlockedWorkerAndRunsItsDestructors)
{
    vxtest::TempTree tree;
    std::string log = tree.path("work/thrd.log");
    ASSERT_EQ(qklogopn(log.c_str()), 0);

    Flags f;
    qkthrdInfo rec{};
    Prepare(rec, BlockInWait, &f);
    qkthrdsetaudit(&rec, 2 | 4);
    qkthrdstart(&rec, 1);
    ASSERT_TRUE(vxtest::waitFor([&] { return f.reached.load() == 1; }));

    const vxtest::Stopwatch watch;
    EXPECT_EQ(qkthrdstop(&rec, 1), 0);
    EXPECT_LT(watch.elapsed(), 500ms);
    EXPECT_TRUE(f.destroyed.load());
    EXPECT_FALSE(f.passedWait.load());
    EXPECT_EQ(rec.routinePtr[0].rslt, 0);
    EXPECT_EQ(rec.routinePtr[0].thrd, nullptr);
    EXPECT_EQ(qkthrdstop(&rec, 1), 0);  // stopping again finds nothing to do
    qkthrdfreemem(&rec, 1);
    qklogcls();

    std::string out = vxtest::readFile(log);
    EXPECT_EQ(vxtest::countLines(out, "started thread ndx: 0, ndxid: 1, id: 1, rslt: 0"), 1) << out;
    EXPECT_EQ(vxtest::countLines(out, "stopped thread  id: 1, rslt: 0"), 1) << out;
}

TEST(QkThrdSrv, StopOfUnknownIdDoesNothing)
{
    qkthrdInfo empty{};
    EXPECT_EQ(qkthrdstop(&empty, 1), 0);

    Flags f;
    qkthrdInfo rec{};
    Prepare(rec, CountUntilStopped, &f);
    qkthrdstart(&rec, 1);
    EXPECT_EQ(qkthrdstop(&rec, 7), 0);
    int now = f.counter.load();
    ASSERT_TRUE(vxtest::waitFor([&] { return f.counter.load() > now + 3; }));  // still running
    EXPECT_EQ(qkthrdstop(&rec, 1), 0);
    qkthrdfreemem(&rec, 1);
}

TEST(QkThrdSrv, WorkerIgnoringCancelIsLeftToEndByItself)
{
    vxtest::TempTree tree;
    std::string log = tree.path("work/thrd.log");
    ASSERT_EQ(qklogopn(log.c_str()), 0);
    gPumpCalls.store(0);
    qkthrdsetpump(CountingPump);

    static Flags f;  // outlives the test: the detached worker still reads it
    qkthrdInfo rec{};
    Prepare(rec, IgnoreCancel, &f);
    qkthrdsetaudit(&rec, 4);
    qkthrdstart(&rec, 1);
    ASSERT_TRUE(vxtest::waitFor([&] { return f.reached.load() == 1; }));

    const vxtest::Stopwatch watch;
    EXPECT_EQ(qkthrdstop(&rec, 1), -1);
    const auto waited = watch.elapsed();
    EXPECT_GE(waited, 4900ms);
    EXPECT_LT(waited, 8s);
    EXPECT_GT(gPumpCalls.load(), 100);  // the pump ran while waiting
    EXPECT_EQ(rec.routinePtr[0].rslt, -1);
    EXPECT_EQ(rec.routinePtr[0].thrd, nullptr);
    EXPECT_EQ(qkthrdfreemem(&rec, 1), 0);
    qkthrdsetpump(nullptr);

    // The worker ends by itself once released; the table works as before.
    f.release.store(true);
    ASSERT_TRUE(vxtest::waitFor([&] { return f.exited.load(); }));
    Flags g;
    Prepare(rec, BlockInWait, &g);
    qkthrdstart(&rec, 1);
    ASSERT_TRUE(vxtest::waitFor([&] { return g.reached.load() == 1; }));
    EXPECT_EQ(qkthrdstop(&rec, 1), 0);
    EXPECT_TRUE(g.destroyed.load());
    qkthrdfreemem(&rec, 1);
    qklogcls();

    std::string out = vxtest::readFile(log);
    EXPECT_EQ(vxtest::countLines(out, "stopped thread  id: 1, rslt: -1"), 1) << out;
    EXPECT_EQ(vxtest::countLines(out, "did not stop in time"), 1) << out;
}

TEST(QkThrdSrv, FreememAfterWorkerReturned)
{
    gReturned.store(0);
    qkthrdInfo rec{};
    Prepare(rec, ReturnAtOnce);
    qkthrdsetaudit(&rec, 16);
    qkthrdstart(&rec, 1);
    ASSERT_TRUE(vxtest::waitFor([] { return gReturned.load() == 1; }));
    EXPECT_EQ(gArgSeen.load(), 1);
    EXPECT_EQ(qkthrdfreemem(&rec, 1), 0);
    EXPECT_EQ(rec.cnt, 0);
    EXPECT_EQ(rec.ndx, 0);
    EXPECT_EQ(rec.audit, 0);
    EXPECT_EQ(rec.routinePtr, nullptr);

    // The cleared record is used anew and starts at id 1 again.
    EXPECT_EQ(Prepare(rec, ReturnAtOnce), 1);
    qkthrdstart(&rec, 1);
    ASSERT_TRUE(vxtest::waitFor([] { return gReturned.load() == 2; }));
    qkthrdfreemem(&rec, 1);
}

TEST(QkThrdSrv, WorkerStopsItself)
{
    Flags f;
    qkthrdInfo rec{};
    f.record = &rec;
    Prepare(rec, StopMyself, &f);
    qkthrdstart(&rec, 1);
    ASSERT_TRUE(vxtest::waitFor([&] { return f.destroyed.load(); }, 2s));
    EXPECT_EQ(f.counter.load(), 1);
    EXPECT_FALSE(f.passedWait.load());
    EXPECT_EQ(qkthrdstop(&rec, 1), 0);  // the owner's stop joins the ended thread
    EXPECT_EQ(qkthrdfreemem(&rec, 1), 0);
}

TEST(QkThrdSrv, WorkerExceptionEndsOnlyThatWorker)
{
    vxtest::TempTree tree;
    std::string log = tree.path("work/thrd.log");
    ASSERT_EQ(qklogopn(log.c_str()), 0);
    gThrown.store(false);
    qkthrdInfo rec{};
    Prepare(rec, Throw);
    qkthrdstart(&rec, 1);
    ASSERT_TRUE(vxtest::waitFor([] { return gThrown.load(); }));
    EXPECT_EQ(qkthrdstop(&rec, 1), 0);  // joins the ended thread
    EXPECT_EQ(rec.routinePtr[0].rslt, 0);
    qkthrdfreemem(&rec, 1);
    qklogcls();
    std::string out = vxtest::readFile(log);
    EXPECT_EQ(vxtest::countLines(out, "worker id: 1 ended by an exception: broken worker"), 1) << out;
}

TEST(QkThrdSrv, WaitOutsideAWorkerIsAPlainSleep)
{
    EXPECT_FALSE(qkthrdcancelled());
    const vxtest::Stopwatch watch;
    EXPECT_NO_THROW(qkthrdwait(30));
    EXPECT_GE(watch.elapsed(), 30ms);
    EXPECT_NO_THROW(qkthrdcancelpoint());
}

}  // namespace
