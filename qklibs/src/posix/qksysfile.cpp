// qksysfile: POSIX directory and status calls for the file services.
#include "qksysfile.h"

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>


namespace {

char entryType(int dirFd, const dirent* e)
{
    switch (e->d_type) {
    case DT_DIR: return 'd';
    case DT_REG: return 'f';
    case DT_LNK: {
        struct stat st {};
        if (fstatat(dirFd, e->d_name, &st, 0) == 0 && S_ISREG(st.st_mode)) return 'f';
        return 'o';
    }
    case DT_UNKNOWN: {
        struct stat st {};
        if (fstatat(dirFd, e->d_name, &st, AT_SYMLINK_NOFOLLOW) != 0) return 'o';
        if (S_ISDIR(st.st_mode)) return 'd';
        if (S_ISREG(st.st_mode)) return 'f';
        if (S_ISLNK(st.st_mode) && fstatat(dirFd, e->d_name, &st, 0) == 0 && S_ISREG(st.st_mode)) return 'f';
        return 'o';
    }
    default: return 'o';
    }
}

}  // namespace

int qksysfilelist(const char* directory, std::vector<qksysfileentry>& entries)
{
    entries.clear();
    if (directory == nullptr) {
        errno = EINVAL;
        return -1;
    }
    DIR* d = opendir(*directory ? directory : ".");
    if (d == nullptr) return -1;
    int fd = dirfd(d);
    while (dirent* e = readdir(d)) {
        if (std::strcmp(e->d_name, ".") == 0 || std::strcmp(e->d_name, "..") == 0) continue;
        entries.push_back({entryType(fd, e), e->d_name});
    }
    closedir(d);
    std::sort(entries.begin(), entries.end(),
              [](const qksysfileentry& a, const qksysfileentry& b) { return a.name < b.name; });
    return 0;
}

int qksysfilestat(const char* path, qkfilestatInfo* status)
{
    struct stat st {};
    if (path == nullptr || status == nullptr) {
        errno = EINVAL;
        return -1;
    }
    if (stat(path, &st) != 0) return -1;
    status->dev = st.st_dev;
    status->ino = st.st_ino;
    status->mode = st.st_mode;
    status->nlink = st.st_nlink;
    status->uid = st.st_uid;
    status->gid = st.st_gid;
    status->rdev = st.st_rdev;
    status->size = st.st_size;
    status->atime = st.st_atime;
    status->mtime = st.st_mtime;
    status->ctime = st.st_ctime;
    return 0;
}

int qksysfileisdir(const char* path)
{
    struct stat st {};
    return path && stat(path, &st) == 0 && S_ISDIR(st.st_mode) ? 1 : 0;
}

int qksysfilemkdir(const char* path)
{
    if (path == nullptr) {
        errno = EINVAL;
        return -1;
    }
    return mkdir(path, 0777) == 0 ? 0 : -1;
}

int qksysfilermdir(const char* path)
{
    if (path == nullptr) {
        errno = EINVAL;
        return -1;
    }
    return rmdir(path) == 0 ? 0 : -1;
}
