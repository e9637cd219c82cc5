// qksysfile: the operating-system calls behind the file services (qkfilesrv):
// directory listing, file status, directory kind, make and remove directory.
// Each is one small step; the portable module adds the logging and the
// system's status codes. Safe from any thread (nothing is kept between calls).
#pragma once

#include <cstdint>
#include <string>
#include <vector>

// File status as the file services report it; filled here from stat().
struct qkfilestatInfo {
    uint64_t dev;
    uint64_t ino;
    uint32_t mode;
    uint64_t nlink;
    uint32_t uid;
    uint32_t gid;
    uint64_t rdev;
    int64_t size;
    int64_t atime;
    int64_t mtime;
    int64_t ctime;
};

struct qksysfileentry {
    char type;          // 'f' regular file (or a link to one), 'd' directory, 'o' other
    std::string name;
};

// Lists a directory's entries, "." and ".." left out, sorted by name, so every
// walk sees the same order. A link to a directory counts as 'o', so walks never
// loop. 0, or -1 when the directory cannot be opened (errno set).
int qksysfilelist(const char* directory, std::vector<qksysfileentry>& entries);

// File status (the link followed); 0, or -1 (errno set).
int qksysfilestat(const char* path, qkfilestatInfo* status);

// 1 when path names a directory (the link followed), else 0.
int qksysfileisdir(const char* path);

// Make (mode 0777 less the umask) and remove an empty directory; 0 or -1 (errno set).
int qksysfilemkdir(const char* path);
int qksysfilermdir(const char* path);
