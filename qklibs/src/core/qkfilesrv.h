// qkfilesrv: whole-file and record-wise file operations, directories and the
// recursive file search, with uniform logging of every failure. Portable: the
// directory and status calls go through posix/qksysfile.
// The whole-file operations keep their handles and line buffer per call, so
// they are safe from any thread.
#pragma once

#include <cstdint>
#include <cstdio>

#include "qksysfile.h"   // the file status record

extern int gqk_fileaudit;
extern int gqk_filefindstatus;

struct qkfiledirlistinfo {
    char type;        // 'f' file, 'd' directory, 'o' other
    char name[128];
};

typedef int (*qkfileappfunc)(void* argument);

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
