// qksystem: the operating-system calls behind the system services (qksyssrv):
// plain sleep, process id, system description, environment, login name,
// current directory, the process walk with termination, and starting a
// detached command. Each call is one small step; the portable module adds
// the logging and the system's status codes. Callable from any thread, except
// that the current directory and the environment belong to the whole process.
#pragma once

#include <cstddef>

// System description as the system services report it; filled by qksystemuname.
struct qksysnameInfo {
    char sysname[32];
    char nodename[32];
    char release[32];
    char version[32];
    char machine[32];
};

// Process id of the caller.
int qksystemgetpid();

// Fills the system description: sysname " Linux <release>", machine
// " Processor type: <code>" (x86_64 8664, i386..i686 586, aarch64 43620,
// else 0), nodename from USERDOMAIN or " " + host name. release and version
// stay empty. Returns 0, or -1 when the system could not be asked.
int qksystemuname(qksysnameInfo* info);

// Copies the variable's value into out (bounded); 1 when it is set, 0 when not.
int qksystemgetenv(const char* name, char* out, size_t outSize);
// Sets (overwrites) a variable; 0, or -1 when the name is not acceptable.
int qksystemsetenv(const char* name, const char* value);

// Login name of the user (the session's, else the account of the effective
// user id); 0, or -1 when there is none.
int qksystemlogin(char* out, size_t outSize);

// Name of the group with id gid (bounded), from the system's group database;
// 0, or -1 when there is no such group.
int qksystemgroupname(unsigned gid, char* out, size_t outSize);

// Current directory (bounded; a path that does not fit gives -1); 0 or -1.
int qksystemgetcwd(char* out, size_t outSize);
// Changes the current directory; 0 or -1 (errno set).
int qksystemchdir(const char* path);

// First running process, in ascending id order, whose executable file name
// equals name exactly, the process excludePid left out; its id, or 0.
int qksystemfindprocess(const char* name, int excludePid);
// Asks a process to end (SIGTERM), waits up to graceMs for it to end (a
// zombie counts as ended), then forces it (SIGKILL). 0, or -1 when it could
// not be signalled (errno set).
int qksystemterminate(int pid, int graceMs);

// Starts command through /bin/sh -c as a detached process (its own session,
// no descriptors but 0-2 inherited, reparented so it never stays a zombie).
// 0 when started, -1 on failure.
int qksystemspawn(const char* command);
