// Test support: temporary trees laid out like an installation (a working
// folder beside cfg/ and usercfg/), running the built programs with their
// output captured, and bounded waits for a condition.
#pragma once

#include <chrono>
#include <cstddef>
#include <functional>
#include <string>
#include <vector>

#include <gtest/gtest.h>

namespace vxtest {

// A fresh folder under /tmp, removed with everything in it on destruction.
// Holds work/ (the programs' working directory), cfg/, usercfg/ and dev/.
class TempTree {
public:
    TempTree();
    ~TempTree();
    TempTree(const TempTree&) = delete;
    TempTree& operator=(const TempTree&) = delete;
    const std::string& root() const { return root_; }
    std::string work() const { return root_ + "/work"; }
    std::string path(const std::string& relative) const { return root_ + "/" + relative; }
    // Writes a file (folders made as needed); returns its full path.
    std::string write(const std::string& relative, const std::string& text) const;

private:
    std::string root_;
};

std::string readFile(const std::string& path);
bool fileExists(const std::string& path);
// Counts the lines of text that contain needle.
int countLines(const std::string& text, const std::string& needle);

struct RunResult {
    int exitCode = -1;        // exit status, or 128 + signal
    bool timedOut = false;
    std::string out;          // standard output
    std::string err;          // standard error
};

// Full path of a built program (vxMain, vxStop, ...).
std::string program(const std::string& name);

// Runs argv[0] with the remaining words in cwd, captures its output, and ends
// it with SIGKILL after timeout.
RunResult run(const std::vector<std::string>& argv, const std::string& cwd,
              std::chrono::milliseconds timeout = std::chrono::seconds(20));

// A program started in the background (the stop tool's targets, the
// emulator). The destructor kills and reaps it if it is still running; and
// the program is killed when the thread that started it ends, so start it
// from the test's own thread. The same holds for run().
class Process {
public:
    Process(const std::vector<std::string>& argv, const std::string& cwd);
    ~Process();
    Process(const Process&) = delete;
    Process& operator=(const Process&) = delete;
    int pid() const { return pid_; }
    bool running();                       // reaps it when it has ended
    // Waits for the end; returns the exit status (128 + signal), -1 on time-out.
    int wait(std::chrono::milliseconds timeout);

private:
    int pid_ = -1;
    int status_ = -1;
    bool reaped_ = false;
};

// Changes the process's working directory for one scope and goes back
// afterwards (the programs address cfg/ relative to their working folder).
class CwdGuard {
public:
    explicit CwdGuard(const std::string& dir);
    ~CwdGuard();
    CwdGuard(const CwdGuard&) = delete;
    CwdGuard& operator=(const CwdGuard&) = delete;

private:
    std::string old_;
};

// Sets an environment variable (or with nullptr removes it) for one scope and
// puts back what was there before.
class EnvGuard {
public:
    EnvGuard(const char* name, const char* value);
    ~EnvGuard();
    EnvGuard(const EnvGuard&) = delete;
    EnvGuard& operator=(const EnvGuard&) = delete;

private:
    std::string name_, old_;
    bool had_ = false;
};

// Elapsed time since construction (or the last restart).
class Stopwatch {
public:
    Stopwatch() : start_(std::chrono::steady_clock::now()) {}
    void restart() { start_ = std::chrono::steady_clock::now(); }
    std::chrono::steady_clock::duration elapsed() const { return std::chrono::steady_clock::now() - start_; }
    long long ms() const { return std::chrono::duration_cast<std::chrono::milliseconds>(elapsed()).count(); }

private:
    std::chrono::steady_clock::time_point start_;
};

// n bytes that run through every byte value (carriage returns, XON/XOFF,
// interrupt and end-of-file characters included), different on each turn.
std::string bytePattern(std::size_t n);
// The bytes of a buffer as a string, to compare with EXPECT_EQ.
std::string bytes(const void* data, std::size_t n);

// Each pattern (a regular expression) must match a line of text after the
// line the pattern before it matched.
::testing::AssertionResult linesInOrder(const std::string& text, const std::vector<std::string>& patterns);

// What the emulator logged as sent ("tx <what> <n>: <bytes>", -v logs them
// whole) after offset in its log, as the lines a data file keeps them: a
// carriage return and the line feed each become a blank. The noise a fault
// puts before an answer is not logged as sent.
std::vector<std::string> emulatorSentLines(const std::string& log, std::size_t offset);

// Polls cond every 10 ms until it holds or timeout passes.
bool waitFor(const std::function<bool()>& cond,
             std::chrono::milliseconds timeout = std::chrono::seconds(5));

// Number of open descriptors of this process.
int openDescriptors();
// Number of threads of this process (the Threads line of /proc/self/status).
int threadCount();

}  // namespace vxtest
