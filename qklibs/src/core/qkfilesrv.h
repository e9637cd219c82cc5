// qkfilesrv (core): whole-file and record-wise file operations, directories and the
// recursive file search, with uniform logging of every failure. Portable: the
// directory and status calls go through posix/qksysfile. Also the one file
// handle guard and the one whole-file reader of the library (configuration,
// resource, palette, bitmap and data files go through them).
// The whole-file operations keep their handles and line buffer per call, so
// they are safe from any thread.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <memory>
#include <string>

#include "qksysfile.h"   // the file status record

// Audit bits of the file services (qkFileSetAudit).
enum : int {
    QKFILE_AUD_READ = 1,         // bytes read, sizes, offsets and directory walks
    QKFILE_AUD_WRITE = 2,        // bytes written by qkfilewr
    QKFILE_AUD_DUMPREAD = 4,     // hex dump of what was read
    QKFILE_AUD_DUMPWRITE = 8,    // hex dump of what was written
    QKFILE_AUD_OPEN = 16,        // every qkfileopen
    QKFILE_AUD_CLOSE = 32,       // every qkfileclose
};

extern int gqk_fileaudit;
extern int gqk_filefindstatus;

struct qkfiledirlistinfo {
    char type;        // 'f' file, 'd' directory, 'o' other
    char name[128];
};

typedef int (*qkfileappfunc)(void* argument);

// A file handle the library owns internally: closed when it goes out of scope.
// The system's explicit qkfileopen/qkfileclose stay for the callers that keep
// a file open across calls.
struct qkfileCloser {
    void operator()(FILE* handle) const noexcept
    {
        if (handle) std::fclose(handle);
    }
};
using qkfileHandle = std::unique_ptr<FILE, qkfileCloser>;

// Opens path with the fopen mode; an empty handle (errno set) when it cannot be
// opened or path is null. Logs nothing: each caller logs its own line.
qkfileHandle qkfileopenhandle(const char* path, const char* mode);
// Closes a file that was written and tells whether everything reached it.
bool qkfileclosewritten(qkfileHandle& handle);

// Whole files into memory, up to the caller's bound (each reader knows how
// much text it can hold).
enum qkfileKind : int {
    QKFILE_ANYKIND = 0,
    // Only a regular file counts: a FIFO or a device would block or never end.
    QKFILE_REGULARONLY = 1,
};
// True when name is a regular file (a link to one counts).
bool qkfileisregular(const char* name);
// Reads the rest of an open file into out (cleared first). False on a read
// error or when it holds more than maximum bytes.
bool qkfilereadrest(FILE* handle, std::string& out, size_t maximum);
// Reads a whole file as it stands on disk into out (cleared first). False when
// it cannot be opened or read, holds more than maximum bytes, or is no regular
// file while kind asks for one.
bool qkfilereadwhole(const char* path, std::string& out, size_t maximum, qkfileKind kind = QKFILE_ANYKIND);

// Whole files.
int qkFileSize(const char* path, int mode);
int qkFileRecCnt(const char* path);
int qkfilerd(const char* path, char* buffer, int maximum, int mode);
// Text modes return 0 when everything was written, mode 2 the byte count; -1 on failure.
int qkfilewr(const char* path, const char* text, int mode);
int qkfilecp(const char* source, const char* destination);
int qkfilerename(const char* oldPath, const char* newPath);
int qkfileremove(const char* path);
int qkFileInq(const char* path, qkfilestatInfo* status);

// Open files and records.
FILE* qkfileopen(const char* path, const char* mode);
int qkfileclose(FILE* handle);
// maximum is the size of buffer: at most maximum - 1 characters and the zero are stored.
int qkfilerdrec(FILE* handle, int maximum, char* buffer, int delimiter);
int qkfilewrrec(FILE* handle, int length, const char* text);
long qkfilesetbinrec(FILE* handle, int recordSize, int recordNumber);
int qkfilerdbinrec(FILE* handle, int length, void* buffer);
int qkfilewrbinrec(FILE* handle, int length, const void* buffer);

// Paths and directories.
int qkfileSetPathType(int type, char* path);
int qkfilegetpath(int length, char* out);
int qkfilegetcurdir(int length, char* out);
int qkfilechgdir(const char* path);
int qkfilemkdir(const char* path);
int qkfileremdir(const char* path);
int qkfileDirInq(const char* path, int create);
// -1 when any entry could not be removed.
int qkfiledirclean(const char* directory);
int qkfiledirlist(int maximum, const char* directory, const char* pattern, qkfiledirlistinfo* entries);
int qkfindfilepath(const char* directory, char* name);   // name holds 128 characters
int qkFileSetAudit(int mask);
int qkfilesetappfunc(qkfileappfunc function, void* argument);
