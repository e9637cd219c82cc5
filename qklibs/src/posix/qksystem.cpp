// qksystem: the POSIX calls behind the system services. The process walk
// reads /proc (Linux): the executable name is the file name of the exe link,
// or argv[0] of the command line when the link cannot be read.
#include "qksystem.h"

#include <algorithm>
#include <cerrno>
#include <csignal>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <dirent.h>
#include <fcntl.h>
#include <grp.h>
#include <pwd.h>
#include <string>
#include <sys/utsname.h>
#include <sys/wait.h>
#include <unistd.h>
#include <vector>

#include "qkstrsrv.h"

extern char** environ;

void qksystemsleep(int milliseconds)
{
    if (milliseconds <= 0) return;
    timespec left{milliseconds / 1000, (milliseconds % 1000) * 1000000L};
    while (nanosleep(&left, &left) != 0 && errno == EINTR) {
    }
}

int qksystemgetpid() { return static_cast<int>(getpid()); }

namespace {

unsigned processorCode(const char* machine)
{
    if (std::strcmp(machine, "x86_64") == 0) return 8664;
    if (std::strcmp(machine, "aarch64") == 0) return 43620;
    // i386, i486, i586, i686
    if (std::strlen(machine) == 4 && machine[0] == 'i' && machine[1] >= '3' && machine[1] <= '6' &&
        std::strcmp(machine + 2, "86") == 0)
        return 586;
    return 0;
}

}  // namespace

int qksystemuname(qksysnameInfo* info)
{
    if (info == nullptr) return -1;
    std::memset(info, 0, sizeof *info);
    utsname u{};
    int status = 0;
    if (uname(&u) == 0) {
        qkstrfmt(info->sysname, sizeof info->sysname, " %s %s", u.sysname, u.release);
        qkstrfmt(info->machine, sizeof info->machine, " Processor type: %u", processorCode(u.machine));
    } else {
        status = -1;
    }
    if (const char* domain = std::getenv("USERDOMAIN")) {
        qkstrset(info->nodename, domain);
    } else {
        char host[256] = "";
        if (gethostname(host, sizeof host - 1) != 0) host[0] = '\0';
        host[sizeof host - 1] = '\0';
        if (host[0]) qkstrfmt(info->nodename, sizeof info->nodename, " %s", host);
    }
    return status;
}

int qksystemgetenv(const char* name, char* out, size_t outSize)
{
    if (name == nullptr) return 0;
    const char* value = std::getenv(name);
    if (value == nullptr) return 0;
    qkstrlcpy(out, outSize, value);
    return 1;
}

int qksystemsetenv(const char* name, const char* value)
{
    if (name == nullptr) {
        errno = EINVAL;
        return -1;
    }
    return setenv(name, value ? value : "", 1) == 0 ? 0 : -1;
}

int qksystemgroupname(unsigned gid, char* out, size_t outSize)
{
    group gr{};
    group* found = nullptr;
    std::vector<char> buf(16384);
    if (getgrgid_r(static_cast<gid_t>(gid), &gr, buf.data(), buf.size(), &found) != 0 || found == nullptr ||
        found->gr_name == nullptr)
        return -1;
    qkstrlcpy(out, outSize, found->gr_name);
    return 0;
}

int qksystemlogin(char* out, size_t outSize)
{
    char name[256];
    if (getlogin_r(name, sizeof name) == 0 && name[0]) {
        qkstrlcpy(out, outSize, name);
        return 0;
    }
    // No controlling terminal (started from a desktop or a service): the
    // account of the effective user stands in.
    passwd pw{};
    passwd* found = nullptr;
    char buf[4096];
    if (getpwuid_r(geteuid(), &pw, buf, sizeof buf, &found) == 0 && found && found->pw_name) {
        qkstrlcpy(out, outSize, found->pw_name);
        return 0;
    }
    return -1;
}

int qksystemgetcwd(char* out, size_t outSize)
{
    if (out == nullptr || outSize == 0) return -1;
    if (getcwd(out, outSize) == nullptr) {
        out[0] = '\0';
        return -1;
    }
    return 0;
}

int qksystemchdir(const char* path)
{
    if (path == nullptr) {
        errno = EINVAL;
        return -1;
    }
    return chdir(path) == 0 ? 0 : -1;
}

// ---- process walk and termination -------------------------------------------

namespace {

std::vector<int> processIds()
{
    std::vector<int> ids;
    DIR* d = opendir("/proc");
    if (d == nullptr) return ids;
    while (dirent* e = readdir(d)) {
        const char* n = e->d_name;
        if (*n == '\0' || std::strspn(n, "0123456789") != std::strlen(n)) continue;
        ids.push_back(std::atoi(n));
    }
    closedir(d);
    std::sort(ids.begin(), ids.end());
    return ids;
}

std::string baseName(const std::string& path)
{
    size_t slash = path.rfind('/');
    return slash == std::string::npos ? path : path.substr(slash + 1);
}

// The executable file name of a process, or empty when it cannot be told.
std::string executableName(int pid)
{
    std::string proc = "/proc/" + std::to_string(pid);
    char link[4096];
    ssize_t n = readlink((proc + "/exe").c_str(), link, sizeof link - 1);
    if (n > 0) {
        std::string target(link, static_cast<size_t>(n));
        const std::string deleted = " (deleted)";
        if (target.size() > deleted.size() &&
            target.compare(target.size() - deleted.size(), deleted.size(), deleted) == 0)
            target.resize(target.size() - deleted.size());
        return baseName(target);
    }
    // Processes of other users hide the link; their first argument still names them.
    int fd = open((proc + "/cmdline").c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0) return {};
    char args[4096];
    ssize_t got = read(fd, args, sizeof args - 1);
    close(fd);
    if (got <= 0) return {};
    args[got] = '\0';   // argv[0] ends at the first zero byte
    return baseName(args);
}

// True when the process has ended: its entry is gone, or only a zombie is left.
bool processEnded(int pid)
{
    std::string path = "/proc/" + std::to_string(pid) + "/stat";
    int fd = open(path.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0) return true;
    char stat[1024];
    ssize_t n = read(fd, stat, sizeof stat - 1);
    close(fd);
    if (n <= 0) return true;
    stat[n] = '\0';
    // The command name in parentheses may hold blanks and parentheses itself:
    // the state follows the last closing one.
    const char* close = std::strrchr(stat, ')');
    if (close == nullptr || close[1] == '\0' || close[2] == '\0') return true;
    char state = close[2];
    return state == 'Z' || state == 'X' || state == 'x';
}

}  // namespace

int qksystemfindprocess(const char* name, int excludePid)
{
    if (name == nullptr || *name == '\0') return 0;
    for (int pid : processIds()) {
        if (pid == excludePid) continue;
        if (executableName(pid) == name) return pid;
    }
    return 0;
}

int qksystemterminate(int pid, int graceMs)
{
    if (pid <= 0) {
        errno = EINVAL;
        return -1;
    }
    if (kill(pid, SIGTERM) != 0) return -1;
    for (int waited = 0; waited < graceMs; waited += 10) {
        if (processEnded(pid)) return 0;
        qksystemsleep(10);
    }
    if (processEnded(pid)) return 0;
    if (kill(pid, SIGKILL) != 0 && errno != ESRCH) return -1;
    for (int waited = 0; waited < 1000 && !processEnded(pid); waited += 10) qksystemsleep(10);
    return 0;
}

// ---- detached start ------------------------------------------------------------

int qksystemspawn(const char* command)
{
    if (command == nullptr || *command == '\0') {
        errno = EINVAL;
        return -1;
    }
    // Everything the children need is prepared before fork: after fork in a
    // threaded process only async-signal-safe calls are allowed.
    std::string text(command);
    char sh[] = "sh";
    char dashc[] = "-c";
    char* argv[] = {sh, dashc, text.data(), nullptr};
    int report[2];   // the grandchild reports a failed exec through it
    if (pipe2(report, O_CLOEXEC) != 0) return -1;

    pid_t child = fork();
    if (child < 0) {
        int e = errno;
        close(report[0]);
        close(report[1]);
        errno = e;
        return -1;
    }
    if (child == 0) {
        // Middle process: a new session, one more fork, and leave at once so
        // the command is adopted by init and never stays a zombie of ours.
        setsid();
        pid_t grand = fork();
        if (grand != 0) _exit(grand < 0 ? 1 : 0);
        sigset_t none;
        sigemptyset(&none);
        sigprocmask(SIG_SETMASK, &none, nullptr);
        struct sigaction dfl {};
        dfl.sa_handler = SIG_DFL;
        sigaction(SIGPIPE, &dfl, nullptr);
        // No descriptor of ours (log, serial port, sockets) goes with it.
        unsigned keep = static_cast<unsigned>(report[1]);
        if (keep > 3) close_range(3, keep - 1, 0);
        close_range(keep + 1, ~0U, 0);
        execve("/bin/sh", argv, environ);
        int e = errno;
        ssize_t ignored = write(report[1], &e, sizeof e);
        (void)ignored;
        _exit(127);
    }
    close(report[1]);
    int status = 0;
    pid_t w;
    while ((w = waitpid(child, &status, 0)) < 0 && errno == EINTR) {
    }
    bool middleOk = (w == child && WIFEXITED(status) && WEXITSTATUS(status) == 0) || (w < 0 && errno == ECHILD);
    if (!middleOk) {
        close(report[0]);
        errno = ECHILD;
        return -1;
    }
    // End of file: the shell was executed (the descriptor closed on exec).
    int e = 0;
    ssize_t n;
    while ((n = read(report[0], &e, sizeof e)) < 0 && errno == EINTR) {
    }
    close(report[0]);
    if (n == static_cast<ssize_t>(sizeof e)) {
        errno = e;
        return -1;
    }
    return 0;
}
