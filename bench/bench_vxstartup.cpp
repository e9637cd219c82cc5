// The main program as a user meets it, beside the smallest Qt program with a
// main window and a status bar (qthello), both on the offscreen platform:
//  - start-up: from the start of the process until the main window is shown
//    and the analyzer search has started (the program's log says "Analyzer
//    search started"; qthello says "shown" on its standard output), the two
//    programs started in turn. The main program's figure holds about 0.6 s
//    of waiting: half a second with its main window up before the search,
//    and the 100 ms steps in which it waits for the search window;
//  - memory: resident set once the program has identified the analyzer
//    emulator (its log says " Analyzer ID: ") and once qthello is shown;
//  - idle load: processor time of the connected main window (its timer
//    running) and of qthello over the same 10 s, as % of one core.
// The program runs in a temporary installation-like tree with the shipped
// cfg/ and usercfg/; it finds the emulator as COM97 through ../dev/ttyV0.
//
// Run from a Release tree: build-release/bin/bench_vxstartup (the shipped
// configuration is found through the source tree, the programs beside it).
// Aims, reported but not asserted: start-up at most 1.5 times qthello's,
// resident set at most 1.5 times qthello's plus 20 MB, idle load below 2 %.
#include <benchmark/benchmark.h>

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <sys/inotify.h>
#include <sys/prctl.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <stdexcept>
#include <string>
#include <thread>
#include <vector>

#ifndef VX_SOURCE_DIR
#define VX_SOURCE_DIR "."
#endif
#ifndef VX_BIN_DIR
#define VX_BIN_DIR "."
#endif

extern char** environ;

namespace {

namespace fs = std::filesystem;
using Clock = std::chrono::steady_clock;
using namespace std::chrono_literals;

constexpr const char* kConfigured = "Working DIR is: ";
constexpr const char* kSearchStarted = "Analyzer search started";
constexpr const char* kIdentified = " Analyzer ID: ";
constexpr const char* kShown = "shown\n";
constexpr auto kIdleTime = 10s;

std::string program(const char* name) { return std::string(VX_BIN_DIR) + "/" + name; }

// A temporary installation: work/ (the working folder) beside the shipped
// cfg/ and usercfg/, logs/ and dev/; removed with everything in it.
class Tree {
public:
    Tree()
    {
        char tmpl[] = "/tmp/vxbench.XXXXXX";
        if (mkdtemp(tmpl) == nullptr) throw std::runtime_error("mkdtemp failed");
        root_ = tmpl;
        for (const char* dir : {"cfg", "usercfg"})
            fs::copy(fs::path(VX_SOURCE_DIR) / dir, path(dir), fs::copy_options::recursive);
        for (const char* dir : {"work", "logs", "dev"}) fs::create_directories(path(dir));
    }
    ~Tree()
    {
        std::error_code ec;
        fs::remove_all(root_, ec);
    }
    Tree(const Tree&) = delete;
    Tree& operator=(const Tree&) = delete;
    std::string path(const std::string& relative) const { return root_ + "/" + relative; }

private:
    std::string root_;
};

// A program started in the background with the offscreen platform and the
// message boxes answered "no"; its standard output on a pipe when asked for.
// Ended (SIGTERM, then SIGKILL) and reaped on destruction.
class Child {
public:
    Child(const std::vector<std::string>& argv, const std::string& cwd, bool pipeOut = false)
    {
        std::vector<std::string> env;
        for (char** e = environ; *e != nullptr; ++e)
            if (std::strncmp(*e, "QT_QPA_PLATFORM=", 16) != 0 && std::strncmp(*e, "VX_MSGBOX_AUTOANSWER=", 21) != 0)
                env.emplace_back(*e);
        env.emplace_back("QT_QPA_PLATFORM=offscreen");
        env.emplace_back("VX_MSGBOX_AUTOANSWER=no");
        std::vector<char*> args, envp;
        for (const auto& a : argv) args.push_back(const_cast<char*>(a.c_str()));
        for (const auto& e : env) envp.push_back(const_cast<char*>(e.c_str()));
        args.push_back(nullptr);
        envp.push_back(nullptr);

        int out[2] = {-1, -1};
        if (pipeOut && pipe2(out, O_CLOEXEC) != 0) throw std::runtime_error("pipe failed");
        const pid_t parent = getpid();
        pid_ = fork();
        if (pid_ == 0) {
            // No program outlives the benchmark, however that one ends.
            if (prctl(PR_SET_PDEATHSIG, SIGKILL) != 0 || getppid() != parent) _exit(125);
            if (chdir(cwd.c_str()) != 0) _exit(126);
            const int null = open("/dev/null", O_RDWR);
            dup2(null, 0);
            dup2(pipeOut ? out[1] : null, 1);
            dup2(null, 2);
            execve(args[0], args.data(), envp.data());
            _exit(127);
        }
        if (pipeOut) {
            close(out[1]);
            out_ = out[0];
        }
        if (pid_ < 0) throw std::runtime_error("fork failed");
    }
    ~Child()
    {
        stop();
        if (out_ >= 0) close(out_);
    }
    Child(const Child&) = delete;
    Child& operator=(const Child&) = delete;

    pid_t pid() const { return pid_; }
    int out() const { return out_; }
    bool running()
    {
        if (reaped_) return false;
        if (waitpid(pid_, nullptr, WNOHANG) == pid_) reaped_ = true;
        return !reaped_;
    }
    // Asks the program to end through its close path; kills it if it has
    // not ended within a few seconds.
    void stop()
    {
        if (reaped_) return;
        kill(pid_, SIGTERM);
        const auto deadline = Clock::now() + 5s;
        while (running() && Clock::now() < deadline) std::this_thread::sleep_for(5ms);
        if (!reaped_) {
            kill(pid_, SIGKILL);
            waitpid(pid_, nullptr, 0);
            reaped_ = true;
        }
    }

private:
    pid_t pid_ = -1;
    int out_ = -1;
    bool reaped_ = false;
};

// Follows a file that a program writes (its log, a ready file) through the
// change notices of its folder; the file may not exist yet.
class FileWatch {
public:
    explicit FileWatch(const std::string& file) : file_(file)
    {
        notify_ = inotify_init1(IN_CLOEXEC | IN_NONBLOCK);
        if (notify_ >= 0)
            inotify_add_watch(notify_, fs::path(file).parent_path().c_str(), IN_CREATE | IN_MODIFY | IN_CLOSE_WRITE | IN_MOVED_TO);
    }
    ~FileWatch()
    {
        if (fd_ >= 0) close(fd_);
        if (notify_ >= 0) close(notify_);
    }
    FileWatch(const FileWatch&) = delete;
    FileWatch& operator=(const FileWatch&) = delete;

    // Waits until the file holds text; false when the time is up or the
    // writer has ended first. A notice wakes the wait at once; the 2 ms
    // bound only covers a missed one.
    bool waitFor(const std::string& text, std::chrono::milliseconds timeout, Child& writer)
    {
        const auto deadline = Clock::now() + timeout;
        for (;;) {
            readMore();
            if (text_.find(text) != std::string::npos) return true;
            if (Clock::now() >= deadline || !writer.running()) return false;
            pollfd p{notify_, POLLIN, 0};
            if (notify_ >= 0 && poll(&p, 1, 2) > 0) {
                char events[4096];
                while (read(notify_, events, sizeof events) > 0) {
                }
            } else if (notify_ < 0) {
                std::this_thread::sleep_for(2ms);
            }
        }
    }

private:
    // Appends what was written since the last read.
    void readMore()
    {
        if (fd_ < 0) fd_ = open(file_.c_str(), O_RDONLY | O_CLOEXEC);
        if (fd_ < 0) return;
        char buf[8192];
        for (ssize_t n; (n = read(fd_, buf, sizeof buf)) > 0;) text_.append(buf, static_cast<size_t>(n));
    }

    std::string file_;
    std::string text_;
    int notify_ = -1;
    int fd_ = -1;
};

// Waits until the child's standard output holds text.
bool waitForOutput(Child& child, const std::string& text, std::chrono::milliseconds timeout)
{
    std::string seen;
    const auto deadline = Clock::now() + timeout;
    while (seen.find(text) == std::string::npos) {
        const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(deadline - Clock::now()).count();
        if (left <= 0) return false;
        pollfd p{child.out(), POLLIN, 0};
        if (poll(&p, 1, static_cast<int>(left)) <= 0) continue;
        char buf[256];
        const ssize_t n = read(child.out(), buf, sizeof buf);
        if (n <= 0) return false;   // the program has ended
        seen.append(buf, static_cast<size_t>(n));
    }
    return true;
}

double seconds(Clock::duration d) { return std::chrono::duration<double>(d).count(); }

// Resident set of a process in MB, from its status file.
double rssMB(pid_t pid)
{
    std::ifstream f("/proc/" + std::to_string(pid) + "/status");
    for (std::string line; std::getline(f, line);)
        if (line.rfind("VmRSS:", 0) == 0) return std::strtod(line.c_str() + 6, nullptr) / 1024.0;
    return -1;
}

// User plus system processor time of a process in seconds, from its stat
// file (the fields after the command name, which may hold spaces).
double cpuSeconds(pid_t pid)
{
    std::ifstream f("/proc/" + std::to_string(pid) + "/stat");
    std::string stat((std::istreambuf_iterator<char>(f)), std::istreambuf_iterator<char>());
    const size_t close = stat.rfind(')');
    if (close == std::string::npos) return -1;
    std::istringstream fields(stat.substr(close + 2));
    std::string field;
    unsigned long long utime = 0, stime = 0;
    // state is field 3; utime and stime are fields 14 and 15.
    for (int i = 3; i <= 15 && fields >> field; ++i) {
        if (i == 14) utime = std::strtoull(field.c_str(), nullptr, 10);
        if (i == 15) stime = std::strtoull(field.c_str(), nullptr, 10);
    }
    return static_cast<double>(utime + stime) / static_cast<double>(sysconf(_SC_CLK_TCK));
}

// ---- start-up ---------------------------------------------------------------------------

// Each iteration starts both programs in turn (so both meet the same load on
// the machine); the iteration's time is the main program's. Its time to the
// working folder's log line (configuration read, log open, nothing shown yet)
// and the processor time both programs used until their mark tell waiting
// from work.
void BM_StartUp(benchmark::State& state)
{
    Tree tree;
    const std::string log = tree.path("logs/vxMain.log");
    // Sums over the runs: time to the mark, to the end of the configuration
    // (the main program only), processor time at the mark.
    struct Sums {
        double time = 0, configured = 0, cpu = 0;
        int runs = 0;
        void add(double t, double c, double p)
        {
            time += t;
            configured += c;
            cpu += p;
            ++runs;
        }
        double ms(double sum) const { return 1000 * sum / runs; }
    } vxSums, helloSums;
    for (auto _ : state) {
        std::error_code ec;
        fs::remove(log, ec);
        FileWatch watch(log);
        auto start = Clock::now();
        Child vx({program("vxMain")}, tree.path("work"));
        // The configuration is read and the log open: the main window is built next.
        if (!watch.waitFor(kConfigured, 30s, vx)) {
            state.SkipWithError("vxMain did not get to its main window");
            break;
        }
        const double vxConfigured = seconds(Clock::now() - start);
        if (!watch.waitFor(kSearchStarted, 30s, vx)) {
            state.SkipWithError("vxMain did not start its analyzer search");
            break;
        }
        const double vxTime = seconds(Clock::now() - start);
        const double vxCpu = cpuSeconds(vx.pid());
        vx.stop();

        start = Clock::now();
        Child hello({program("qthello")}, tree.path("work"), true);
        if (!waitForOutput(hello, kShown, 30s)) {
            state.SkipWithError("qthello did not show its window");
            break;
        }
        const double helloTime = seconds(Clock::now() - start);
        const double helloCpu = cpuSeconds(hello.pid());
        hello.stop();

        state.SetIterationTime(vxTime);
        vxSums.add(vxTime, vxConfigured, vxCpu);
        helloSums.add(helloTime, 0, helloCpu);
    }
    if (vxSums.runs == 0) return;
    state.counters["vxMain_ms"] = vxSums.ms(vxSums.time);
    state.counters["vxMain_configured_ms"] = vxSums.ms(vxSums.configured);
    state.counters["vxMain_cpu_ms"] = vxSums.ms(vxSums.cpu);
    state.counters["hello_ms"] = helloSums.ms(helloSums.time);
    state.counters["hello_cpu_ms"] = helloSums.ms(helloSums.cpu);
    state.counters["ratio"] = vxSums.time / helloSums.time;
}
BENCHMARK(BM_StartUp)->UseManualTime()->Iterations(3)->Unit(benchmark::kMillisecond);

// ---- memory and idle load once connected ----------------------------------------------------

// The program against the emulator (an NS analyzer on ../dev/ttyV0) and
// qthello side by side: resident sets once connected or shown, then the
// processor time of both (and the emulator's) over the same idle period.
void BM_ConnectedMemoryAndIdle(benchmark::State& state)
{
    for (auto _ : state) {
        Tree tree;
        const std::string ready = tree.path("work/ready.txt");
        FileWatch readyWatch(ready);
        Child emu({program("anaemu"), "--personality", "ns", "--pty", "0", "--dev-dir", tree.path("dev"), "--log",
                   tree.path("work/emu.log"), "--ready-file", ready},
                  tree.path("work"));
        if (!readyWatch.waitFor("\n", 10s, emu)) {
            state.SkipWithError("emulator not ready");
            break;
        }
        FileWatch log(tree.path("logs/vxMain.log"));
        Child vx({program("vxMain")}, tree.path("work"));
        Child hello({program("qthello")}, tree.path("work"), true);
        if (!waitForOutput(hello, kShown, 30s)) {
            state.SkipWithError("qthello did not show its window");
            break;
        }
        const double helloRss = rssMB(hello.pid());
        if (!log.waitFor(kIdentified, 30s, vx)) {
            state.SkipWithError("vxMain did not identify the analyzer");
            break;
        }
        const double vxRss = rssMB(vx.pid());

        const double vxCpu = cpuSeconds(vx.pid());
        const double helloCpu = cpuSeconds(hello.pid());
        const double emuCpu = cpuSeconds(emu.pid());
        const auto start = Clock::now();
        // The idle period itself is what is measured: nothing to wait for.
        std::this_thread::sleep_for(kIdleTime);
        const double wall = seconds(Clock::now() - start);
        const double percent = 100.0 / wall;

        state.counters["vxMain_RSS_MB"] = vxRss;
        state.counters["hello_RSS_MB"] = helloRss;
        state.counters["RSS_aim_MB"] = 1.5 * helloRss + 20;
        state.counters["vxMain_RSS_after_idle_MB"] = rssMB(vx.pid());
        state.counters["vxMain_idle_pct"] = (cpuSeconds(vx.pid()) - vxCpu) * percent;
        state.counters["hello_idle_pct"] = (cpuSeconds(hello.pid()) - helloCpu) * percent;
        state.counters["anaemu_idle_pct"] = (cpuSeconds(emu.pid()) - emuCpu) * percent;
        if (!vx.running()) state.SkipWithError("vxMain ended during the idle period");
    }
}
BENCHMARK(BM_ConnectedMemoryAndIdle)->Iterations(1)->Unit(benchmark::kSecond);

}  // namespace

BENCHMARK_MAIN();
