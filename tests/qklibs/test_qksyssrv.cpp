// The system services: byte order, the dump lines in the log, sleep units and
// their cancellation, date and time, environment, system description, memory
// exhaustion and exit, detached starts, and ending processes by executable
// name with real child processes.
#include <gtest/gtest.h>

#include <atomic>
#include <cerrno>
#include <chrono>
#include <climits>
#include <csignal>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <fcntl.h>
#include <filesystem>
#include <random>
#include <regex>
#include <sstream>
#include <string>
#include <sys/wait.h>
#include <unistd.h>
#include <vector>

#include "qklogsrv.h"
#include "qkstrsrv.h"
#include "qksyssrv.h"
#include "qksystem.h"
#include "qkthrdsrv.h"
#include "vxtestsupport.h"

namespace fs = std::filesystem;

namespace {

// ---- helper modes of a copy of this program -------------------------------------
// A copy of this test program, started under a new name, plays the other
// instances for the process-termination tests. Its mode is chosen by the first
// argument, before the test framework starts.

std::string ownExecutableName()
{
    char link[4096];
    ssize_t n = readlink("/proc/self/exe", link, sizeof link - 1);
    if (n <= 0) return {};
    link[n] = '\0';
    return fs::path(link).filename().string();
}

std::string firstArgument()
{
    std::string all = vxtest::readFile("/proc/self/cmdline");
    size_t end0 = all.find('\0');
    if (end0 == std::string::npos || end0 + 1 >= all.size()) return {};
    return all.substr(end0 + 1, all.find('\0', end0 + 1) - end0 - 1);
}

[[maybe_unused]] const int helperMode = [] {
    std::string mode = firstArgument();
    if (mode == "--vx-sleep-helper") {
        qksystemsleep(60000);   // a process that stays until it is ended: the sleep is its whole job
        _exit(0);
    }
    if (mode == "--vx-killself-helper") {
        // Wait for the other instance under our name, then end "the first
        // other" one: we are older (lower id), so a walk that did not leave
        // the caller out would end us.
        std::string name = ownExecutableName();
        int self = getpid();
        if (!vxtest::waitFor([&] { return qksystemfindprocess(name.c_str(), self) != 0; }, std::chrono::seconds(10)))
            _exit(3);
        qksyskillprocess(name.c_str());
        _exit(0);
    }
    return 0;
}();

class LogFile {
public:
    LogFile() : path_(tree_.path("work/sys.log")) { EXPECT_EQ(qklogopn(path_.c_str()), 0); }
    ~LogFile() { qklogcls(); }
    std::string text() const { return vxtest::readFile(path_); }
    const std::string& path() const { return path_; }
    const vxtest::TempTree& tree() const { return tree_; }

private:
    vxtest::TempTree tree_;
    std::string path_;
};

std::string randomSuffix()
{
    std::random_device rd;
    char buf[16];
    qkstrfmt(buf, sizeof buf, "%06x", rd() & 0xFFFFFF);
    return buf;
}

// ---- byte order ----------------------------------------------------------------

TEST(SysByteOrder, SwapsOnlyWithTypeTwo)
{
    struct Case {
        int type;
        int16_t s, sWant;
        int32_t l, lWant;
    };
    const Case cases[] = {
        {2, 0x1234, 0x3412, 0x12345678, 0x78563412},
        {2, 0x00FF, static_cast<int16_t>(0xFF00), static_cast<int32_t>(0x000000FF), static_cast<int32_t>(0xFF000000)},
        {2, static_cast<int16_t>(0x8001), 0x0180, static_cast<int32_t>(0x80000001), 0x01000080},
        {0, 0x1234, 0x1234, 0x12345678, 0x12345678},
        {1, 0x1234, 0x1234, 0x12345678, 0x12345678},
    };
    for (const auto& c : cases) {
        gqk_sysendiantype = c.type;
        EXPECT_EQ(qksysShtIntEndian(c.s), c.sWant) << "type " << c.type;
        EXPECT_EQ(qksysLngIntEndian(c.l), c.lWant) << "type " << c.type;
    }
    const unsigned char f[4] = {0x3f, 0x80, 0x00, 0x01};
    gqk_sysendiantype = 2;
    const unsigned char swapped[4] = {0x01, 0x00, 0x80, 0x3f};
    EXPECT_EQ(std::memcmp(qksysFltEndian(f), swapped, 4), 0);
    gqk_sysendiantype = 0;
    EXPECT_EQ(std::memcmp(qksysFltEndian(f), f, 4), 0);
}

// ---- dump ------------------------------------------------------------------------

TEST(SysDump, SixteenBytesALineWithPaddingAndDots)
{
    LogFile log;
    std::string data = "Hello, analyzer!";
    data += std::string("\x01" "A" "\x80" "\x7e", 4);
    qksysdump(static_cast<int>(data.size()), data.data());
    qklogcls();
    EXPECT_EQ(log.text(),
              "    00000 | 4865 6c6c 6f2c 2061 6e61 6c79 7a65 7221 | Hello, analyzer!\n"
              "    00016 | 0141 807e 0000 0000 0000 0000 0000 0000 | .A.~............\n");
}

// ---- time --------------------------------------------------------------------------

TEST(SysTime, SleepUnits)
{
    struct Case {
        int unit, count;
        long long minMs, maxMs;
    };
    const Case cases[] = {
        {3, 500, 1, 300},     // one millisecond whatever the count
        {2, 5, 500, 1500},    // tenths
        {4, 30, 30, 500},     // milliseconds
        {1, 1, 1000, 2500},   // seconds
        {9, 1000, 0, 200},    // unknown unit: no wait
        {2, -3, 0, 200},
    };
    for (const auto& c : cases) {
        const vxtest::Stopwatch watch;
        qksyssleep(c.unit, c.count);
        const long long ms = watch.ms();
        EXPECT_GE(ms, c.minMs) << "unit " << c.unit << " count " << c.count;
        EXPECT_LE(ms, c.maxMs) << "unit " << c.unit << " count " << c.count;
    }
}

std::atomic<int> sleeperPhase{0};
void sleeperWorker(void*)
{
    sleeperPhase = 1;
    qksyssleep(1, 30);   // the wait point under test: the stop must end it
    sleeperPhase = 2;   // never reached: the stop unwinds the sleep
}

TEST(SysTime, SleepOfAWorkerEndsAtItsStop)
{
    qkthrdInfo rec{};
    qkthrdsetndx(&rec);
    int id = qkthrdallocate(&rec);
    qkthrdloadadd(&rec, id, sleeperWorker);
    qkthrdstart(&rec, id);
    ASSERT_TRUE(vxtest::waitFor([] { return sleeperPhase.load() == 1; }));
    const vxtest::Stopwatch watch;
    EXPECT_EQ(qkthrdstop(&rec, id), 0);
    EXPECT_LT(watch.ms(), 3000);
    EXPECT_EQ(sleeperPhase.load(), 1);
    qkthrdfreemem(&rec, id);
}

TEST(SysTime, DateTimeAndCalendarTimeAgree)
{
    qksysTSInfo now{};
    std::time_t before = std::time(nullptr);
    qksysdatetime(&now);
    std::time_t after = std::time(nullptr);
    EXPECT_GE(now.year, 2024);
    EXPECT_TRUE(now.mon >= 1 && now.mon <= 12);
    EXPECT_TRUE(now.day >= 1 && now.day <= 31);
    EXPECT_TRUE(now.hr >= 0 && now.hr <= 23);
    EXPECT_TRUE(now.min >= 0 && now.min <= 59);
    EXPECT_TRUE(now.sec >= 0 && now.sec <= 60);
    EXPECT_TRUE(now.msec >= 0 && now.msec <= 99) << "hundredths";
    int cal = qksyssetcaltime(&now);
    EXPECT_GE(cal, static_cast<int>(before) - 1);
    EXPECT_LE(cal, static_cast<int>(after) + 1);

    qksysTSInfo fixed{2017, 4, 29, 14, 11, 8, 0};
    std::tm local{};
    std::time_t t = qksyssetcaltime(&fixed);
    localtime_r(&t, &local);
    EXPECT_EQ(local.tm_year + 1900, 2017);
    EXPECT_EQ(local.tm_mon + 1, 4);
    EXPECT_EQ(local.tm_mday, 29);
    EXPECT_EQ(local.tm_min, 11);
    EXPECT_EQ(local.tm_sec, 8);
}

// ---- environment and system --------------------------------------------------------

TEST(SysEnv, SetGetAndMissing)
{
    std::string name = "VXTEST_ENV_" + randomSuffix();
    EXPECT_EQ(qksysSetEnv(name.c_str(), "first value"), 0);
    char out[64] = "unchanged";
    EXPECT_EQ(qksysGetEnv(name.c_str(), out, sizeof out), 0);
    EXPECT_STREQ(out, "first value");
    EXPECT_EQ(qkputenv(name.c_str(), "second"), 0);
    ASSERT_NE(qkgetenv(name.c_str()), nullptr);
    EXPECT_STREQ(qkgetenv(name.c_str()), "second");
    EXPECT_EQ(qkgetenv(name.c_str()), gqk_syswrkbuf);

    // A long value is cut to the caller's buffer, never past it.
    std::string longValue(200, 'x');
    qksysSetEnv(name.c_str(), longValue.c_str());
    char small[9];
    std::memset(small, '#', sizeof small);
    qksysGetEnv(name.c_str(), small, 8);
    EXPECT_STREQ(small, "xxxxxxx");
    EXPECT_EQ(small[8], '#');

    std::string missing = name + "_MISSING";
    char kept[16] = "kept";
    EXPECT_EQ(qksysGetEnv(missing.c_str(), kept, sizeof kept), 0);
    EXPECT_STREQ(kept, "kept");
    EXPECT_EQ(qkgetenv(missing.c_str()), nullptr);

    EXPECT_EQ(qksysSetEnv("", "x"), -2);
    EXPECT_EQ(qkputenv("BAD=NAME", "x"), -2);
    unsetenv(name.c_str());
}

TEST(SysInfo, DescriptionKindsAndOsType)
{
    EXPECT_EQ(qksysGetSysInfo(1), 0);
    std::string sys = gqk_syswrkbuf;
    EXPECT_EQ(sys.rfind(" Linux ", 0), 0u) << sys;
    EXPECT_LE(sys.size(), 31u);

    EXPECT_EQ(qksysGetSysInfo(2), 0);
    EXPECT_TRUE(std::regex_match(std::string(gqk_syswrkbuf), std::regex(R"( Processor type: \d+)"))) << gqk_syswrkbuf;
#if defined(__x86_64__)
    EXPECT_STREQ(gqk_syswrkbuf, " Processor type: 8664");
#endif

    {
        vxtest::EnvGuard noDomain("USERDOMAIN", nullptr);
        EXPECT_EQ(qksysGetSysInfo(3), 0);
        EXPECT_EQ(gqk_syswrkbuf[0], ' ');
        EXPECT_GT(std::strlen(gqk_syswrkbuf), 1u);
        vxtest::EnvGuard domain("USERDOMAIN", "LABNET");
        EXPECT_EQ(qksysGetSysInfo(3), 0);
        EXPECT_STREQ(gqk_syswrkbuf, "LABNET");
    }

    EXPECT_EQ(qksysGetSysInfo(7), -2);
    EXPECT_STREQ(gqk_syswrkbuf, "");

    EXPECT_EQ(qksysgetOStype(), 2);
    EXPECT_EQ(gqk_sysOStype.load(), 2);

    EXPECT_EQ(qksysgetid(1), getpid());
    EXPECT_EQ(qksysgetid(2), getpid());
    EXPECT_EQ(qksysgetid(3), 0);
    EXPECT_EQ(qksysgetid(0), -1);
    EXPECT_EQ(qksysGetError(), 0);

    char cwd[4096];
    ASSERT_NE(getcwd(cwd, sizeof cwd), nullptr);
    char path[4096];
    EXPECT_EQ(qksysfilegetpath(sizeof path, path), 0);
    EXPECT_STREQ(path, cwd);
    char tiny[2];
    EXPECT_EQ(qksysfilegetcurdir(sizeof tiny, tiny), -1);   // does not fit: refused, not cut
    EXPECT_EQ(qksysfilechgdir("/nonexistent/vxtest"), -1);
}

// ---- memory and exit -----------------------------------------------------------------

TEST(SysMemory, ResizeKeepsContentsAndFreeIgnoresMarkers)
{
    char* p = static_cast<char*>(qksysMemAllocate(nullptr, 8));
    std::memcpy(p, "abcdefg", 8);
    p = static_cast<char*>(qksysMemAllocate(p, 1 << 20));
    EXPECT_STREQ(p, "abcdefg");
    void* z = qksysMemAllocate(nullptr, 0);   // never null, even for nothing
    EXPECT_NE(z, nullptr);
    qksysMemFree(z);
    qksysMemFree(p);
    qksysMemFree(nullptr);
    qksysMemFree(reinterpret_cast<void*>(static_cast<uintptr_t>(0xFEEEFEEEu)));
}

#if !defined(__SANITIZE_ADDRESS__)
TEST(SysMemoryDeathTest, ExhaustionLogsAndEndsWithMinusTwo)
{
    vxtest::TempTree tree;
    std::string path = tree.path("work/mem.log");
    const size_t huge = SIZE_MAX / 2;
    EXPECT_EXIT(
        {
            qklogopn(path.c_str());
            qksysMemAllocate(nullptr, huge);
        },
        ::testing::ExitedWithCode(254), "");
    std::string text = vxtest::readFile(path);
    EXPECT_NE(text.find("qklogErr: error, reason: could not allocate " + std::to_string(huge) + " of memory"),
              std::string::npos)
        << text;
    EXPECT_NE(text.find("qklogErr: error, reason: QK system error exit"), std::string::npos) << text;
}
#endif

TEST(SysExitDeathTest, LogsCodeMessageAndErrno)
{
    vxtest::TempTree tree;
    std::string quiet = tree.path("work/quiet.log");
    std::string loud = tree.path("work/loud.log");
    EXPECT_EXIT(
        {
            qklogopn(quiet.c_str());
            errno = 0;
            qksysExit(3, "bye");
        },
        ::testing::ExitedWithCode(3), "");
    EXPECT_EXIT(
        {
            qklogopn(loud.c_str());
            errno = ENOENT;
            qksysExit(5, "with errno");
        },
        ::testing::ExitedWithCode(5), "");
    std::string q = vxtest::readFile(quiet);
    EXPECT_NE(q.find("qksysExit: exit code: 3, message: bye\n"), std::string::npos) << q;
    EXPECT_EQ(q.find("errno value on exit"), std::string::npos) << q;
    std::string l = vxtest::readFile(loud);
    EXPECT_NE(l.find("qklogErr: error, reason: errno value on exit\n"), std::string::npos) << l;
    EXPECT_NE(l.find("errno: 2, "), std::string::npos) << l;
}

// ---- detached start ------------------------------------------------------------------

TEST(SysExec, StartsDetachedWithoutOurDescriptors)
{
    vxtest::TempTree tree;
    std::string out = tree.path("work/fds.txt");
    // A descriptor of ours without close-on-exec must not reach the program.
    int fd = open(tree.path("work/held").c_str(), O_RDWR | O_CREAT, 0600);
    ASSERT_GE(fd, 0);
    ASSERT_EQ(dup2(fd, 57), 57);
    std::string command = "ls /proc/self/fd > '" + out + "'; echo done >> '" + out + "'";
    EXPECT_EQ(sysWinExec(command.c_str()), 32);
    ASSERT_TRUE(vxtest::waitFor([&] { return vxtest::readFile(out).find("done") != std::string::npos; }));
    std::string listing = vxtest::readFile(out);
    EXPECT_EQ(vxtest::countLines(listing, "57"), 0) << listing;
    close(57);
    close(fd);
    // The started program is no child of ours: nothing is left to reap.
    errno = 0;
    EXPECT_EQ(waitpid(-1, nullptr, WNOHANG), -1);
    EXPECT_EQ(errno, ECHILD);
    EXPECT_EQ(sysWinExec(""), 0);
    EXPECT_EQ(qksyssocketinit(), 0);
}

// ---- ending processes by name -------------------------------------------------------------

bool runsAs(int pid, const std::string& name)
{
    char link[4096];
    std::string exe = "/proc/" + std::to_string(pid) + "/exe";
    ssize_t n = readlink(exe.c_str(), link, sizeof link - 1);
    if (n <= 0) return false;
    link[n] = '\0';
    return fs::path(link).filename() == name;
}

TEST(SysKill, EndsExactlyTheFirstOtherInstance)
{
    LogFile log;
    std::string name = "vxMainT" + randomSuffix();
    std::string copy = log.tree().path(name);
    fs::copy_file("/bin/sleep", copy);
    fs::permissions(copy, fs::perms::owner_all);
    vxtest::Process first({copy, "60"}, log.tree().root());
    vxtest::Process second({copy, "60"}, log.tree().root());
    ASSERT_TRUE(vxtest::waitFor([&] { return runsAs(first.pid(), name) && runsAs(second.pid(), name); }));

    // The name is compared exactly: other case, a prefix or a longer name match nothing.
    std::string upper = name;
    for (char& c : upper) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    for (const std::string& other : {upper, name.substr(0, name.size() - 1), name + "x", std::string("")}) {
        EXPECT_EQ(qksyskillprocess(other.c_str()), 0);
    }
    EXPECT_TRUE(first.running());
    EXPECT_TRUE(second.running());

    const vxtest::Stopwatch watch;
    EXPECT_EQ(qksyskillprocess(name.c_str()), 0);
    EXPECT_LT(watch.ms(), 2500) << "sleep ends at SIGTERM, no grace period needed";
    int lower = std::min(first.pid(), second.pid());
    vxtest::Process& ended = first.pid() == lower ? first : second;
    vxtest::Process& alive = first.pid() == lower ? second : first;
    EXPECT_EQ(ended.wait(std::chrono::seconds(5)), 128 + SIGTERM);
    EXPECT_TRUE(alive.running());
    std::string text = log.text();
    EXPECT_EQ(vxtest::countLines(text, "Terminated Process ID: "), 1) << text;
    EXPECT_NE(text.find("qksyskillprocess: Terminated Process ID: " + std::to_string(lower) + ", name: " + name),
              std::string::npos)
        << text;
}

TEST(SysKill, NeverTheCaller)
{
    // Two copies of this program under one new name: the older one looks for
    // "the first other" instance of its own name and must end the younger one,
    // not itself.
    vxtest::TempTree tree;
    std::string name = "vxMainT" + randomSuffix();
    std::string copy = tree.path(name);
    fs::copy_file("/proc/self/exe", copy);
    fs::permissions(copy, fs::perms::owner_all);
    vxtest::Process caller({copy, "--vx-killself-helper"}, tree.root());
    ASSERT_TRUE(vxtest::waitFor([&] { return runsAs(caller.pid(), name); }));
    vxtest::Process other({copy, "--vx-sleep-helper"}, tree.root());
    EXPECT_EQ(caller.wait(std::chrono::seconds(20)), 0);
    EXPECT_EQ(other.wait(std::chrono::seconds(10)), 128 + SIGTERM);
}

}  // namespace
