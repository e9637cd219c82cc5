#include "vxtestsupport.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cerrno>
#include <csignal>
#include <cstdlib>
#include <cstring>
#include <dirent.h>
#include <fcntl.h>
#include <filesystem>
#include <fstream>
#include <poll.h>
#include <regex>
#include <sstream>
#include <stdexcept>
#include <sys/prctl.h>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>
#include <utility>

namespace fs = std::filesystem;

namespace vxtest {

TempTree::TempTree()
{
    char tmpl[] = "/tmp/vxtest.XXXXXX";
    if (!mkdtemp(tmpl)) throw std::runtime_error("mkdtemp failed");
    root_ = tmpl;
    for (const char* d : {"work", "cfg", "usercfg", "dev"}) fs::create_directories(root_ + "/" + d);
}

TempTree::~TempTree()
{
    std::error_code ec;
    fs::remove_all(root_, ec);
}

std::string TempTree::write(const std::string& relative, const std::string& text) const
{
    std::string full = path(relative);
    fs::create_directories(fs::path(full).parent_path());
    std::ofstream f(full, std::ios::binary | std::ios::trunc);
    f << text;
    return full;
}

std::string readFile(const std::string& path)
{
    std::ifstream f(path, std::ios::binary);
    std::ostringstream s;
    s << f.rdbuf();
    return s.str();
}

bool fileExists(const std::string& path) { return access(path.c_str(), F_OK) == 0; }

int countLines(const std::string& text, const std::string& needle)
{
    int n = 0;
    std::istringstream s(text);
    for (std::string line; std::getline(s, line);)
        if (line.find(needle) != std::string::npos) ++n;
    return n;
}

std::string program(const std::string& name) { return std::string(VX_BIN_DIR) + "/" + name; }

static pid_t spawn(const std::vector<std::string>& argv, const std::string& cwd, int outFd, int errFd)
{
    std::vector<char*> args;
    for (const auto& a : argv) args.push_back(const_cast<char*>(a.c_str()));
    args.push_back(nullptr);
    const pid_t parent = getpid();
    pid_t pid = fork();
    if (pid == 0) {
        // The child ends with the test process even when that one never
        // unwinds (a death test's exit, a crash, a kill at a time-out), so no
        // emulator or program outlives the suite.
        if (prctl(PR_SET_PDEATHSIG, SIGKILL) != 0 || getppid() != parent) _exit(125);
        if (chdir(cwd.c_str()) != 0) _exit(126);
        int devnull = open("/dev/null", O_RDWR);
        dup2(devnull, 0);
        dup2(outFd >= 0 ? outFd : devnull, 1);
        dup2(errFd >= 0 ? errFd : devnull, 2);
        for (int fd = 3; fd < 1024; ++fd) close(fd);
        execv(args[0], args.data());
        _exit(127);
    }
    return pid;
}

static int decode(int status)
{
    if (WIFEXITED(status)) return WEXITSTATUS(status);
    if (WIFSIGNALED(status)) return 128 + WTERMSIG(status);
    return -1;
}

RunResult run(const std::vector<std::string>& argv, const std::string& cwd, std::chrono::milliseconds timeout)
{
    RunResult r;
    int outPipe[2], errPipe[2];
    if (pipe2(outPipe, O_CLOEXEC) != 0 || pipe2(errPipe, O_CLOEXEC) != 0) return r;
    pid_t pid = spawn(argv, cwd, outPipe[1], errPipe[1]);
    close(outPipe[1]);
    close(errPipe[1]);
    auto deadline = std::chrono::steady_clock::now() + timeout;
    pollfd fds[2] = {{outPipe[0], POLLIN, 0}, {errPipe[0], POLLIN, 0}};
    int open = 2;
    while (open > 0) {
        auto left = std::chrono::duration_cast<std::chrono::milliseconds>(deadline - std::chrono::steady_clock::now());
        if (left.count() <= 0) {
            r.timedOut = true;
            kill(pid, SIGKILL);
            break;
        }
        if (poll(fds, 2, static_cast<int>(left.count())) <= 0) continue;
        for (int i = 0; i < 2; ++i) {
            if (fds[i].fd < 0 || !(fds[i].revents & (POLLIN | POLLHUP | POLLERR))) continue;
            char buf[4096];
            ssize_t n = read(fds[i].fd, buf, sizeof buf);
            if (n <= 0) {
                fds[i].fd = -1;
                --open;
            } else {
                (i == 0 ? r.out : r.err).append(buf, static_cast<size_t>(n));
            }
        }
    }
    close(outPipe[0]);
    close(errPipe[0]);
    int status = 0;
    waitpid(pid, &status, 0);
    r.exitCode = decode(status);
    return r;
}

Process::Process(const std::vector<std::string>& argv, const std::string& cwd) { pid_ = spawn(argv, cwd, -1, -1); }

Process::~Process()
{
    if (pid_ > 0 && !reaped_) {
        kill(pid_, SIGKILL);
        waitpid(pid_, nullptr, 0);
    }
}

bool Process::running()
{
    if (reaped_) return false;
    int status = 0;
    pid_t r = waitpid(pid_, &status, WNOHANG);
    if (r == pid_) {
        reaped_ = true;
        status_ = decode(status);
        return false;
    }
    return r == 0;
}

int Process::wait(std::chrono::milliseconds timeout)
{
    if (!waitFor([this] { return !running(); }, timeout)) return -1;
    return status_;
}

CwdGuard::CwdGuard(const std::string& dir)
{
    char buf[4096];
    if (getcwd(buf, sizeof buf) != nullptr) old_ = buf;
    if (chdir(dir.c_str()) != 0) ADD_FAILURE() << "chdir " << dir;
}

CwdGuard::~CwdGuard()
{
    if (!old_.empty() && chdir(old_.c_str()) != 0) ADD_FAILURE() << "chdir back to " << old_;
}

EnvGuard::EnvGuard(const char* name, const char* value) : name_(name)
{
    if (const char* old = std::getenv(name)) old_ = old, had_ = true;
    if (value)
        setenv(name, value, 1);
    else
        unsetenv(name);
}

EnvGuard::~EnvGuard()
{
    if (had_)
        setenv(name_.c_str(), old_.c_str(), 1);
    else
        unsetenv(name_.c_str());
}

std::string bytePattern(std::size_t n)
{
    std::string s(n, '\0');
    for (std::size_t i = 0; i < n; ++i) s[i] = static_cast<char>((i * 7 + i / 256) & 0xff);
    return s;
}

std::string bytes(const void* data, std::size_t n) { return std::string(static_cast<const char*>(data), n); }

::testing::AssertionResult linesInOrder(const std::string& text, const std::vector<std::string>& patterns)
{
    std::istringstream s(text);
    std::string line;
    for (const std::string& pattern : patterns) {
        const std::regex re(pattern);
        bool found = false;
        while (!found && std::getline(s, line)) found = std::regex_search(line, re);
        if (!found) return ::testing::AssertionFailure() << "no line matching \"" << pattern << "\" in its place in:\n" << text;
    }
    return ::testing::AssertionSuccess();
}

bool waitFor(const std::function<bool()>& cond, std::chrono::milliseconds timeout)
{
    auto deadline = std::chrono::steady_clock::now() + timeout;
    while (!cond()) {
        if (std::chrono::steady_clock::now() >= deadline) return cond();
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    return true;
}

int openDescriptors()
{
    int n = 0;
    DIR* d = opendir("/proc/self/fd");
    if (!d) return -1;
    while (dirent* e = readdir(d))
        if (e->d_name[0] != '.') ++n;
    closedir(d);
    return n - 1;   // the directory stream itself
}

int threadCount()
{
    const std::string status = readFile("/proc/self/status");
    const std::size_t at = status.find("\nThreads:");
    return at == std::string::npos ? -1 : std::atoi(status.c_str() + at + 9);
}

std::vector<std::string> emulatorSentLines(const std::string& log, std::size_t offset)
{
    static const std::regex tx(R"(\btx [^:]*\d+: (.*)$)");
    std::string bytes;
    std::istringstream in(log.substr(std::min(offset, log.size())));
    for (std::string line; std::getline(in, line);) {
        std::smatch m;
        if (!std::regex_search(line, m, tx)) continue;
        const std::string e = m[1];
        for (std::size_t i = 0; i < e.size(); ++i) {
            if (e[i] != '\\' || i + 1 == e.size()) {
                bytes += e[i];
                continue;
            }
            const char c = e[++i];
            bytes += c == 'r' ? '\r' : c == 'n' ? '\n' : c == 't' ? '\t' : c;
        }
    }
    std::vector<std::string> lines;
    std::string current;
    for (char c : bytes) {
        current += c == '\r' || c == '\n' ? ' ' : c;
        if (c == '\n') lines.push_back(std::exchange(current, {}));
    }
    return lines;
}

}  // namespace vxtest
