// qkfilesrv: whole-file and record-wise file operations, directories and the
// recursive file search, each failure logged through qklogErr with a short
// phrase. Configuration, capture, spectra files and log archives go through
// here. The whole-file operations open their own handles per call and are
// safe from any thread; the search changes the process's current directory
// while it runs, so only one thread may search at a time.
#include "qkfilesrv.h"

#include <cerrno>
#include <climits>
#include <cstdarg>
#include <cstring>
#include <filesystem>
#include <memory>
#include <string>
#include <vector>

#include "qklogsrv.h"
#include "qkstrsrv.h"
#include "qksyssrv.h"
#include "qksysfile.h"

int gqk_fileaudit = 0;
int gqk_filefindstatus = 0;

namespace {

qkfileappfunc gqk_fileappfunc = nullptr;
void* gqk_fileapparg = nullptr;

bool audit(int bit) { return (gqk_fileaudit & bit) != 0; }

// qklogErr with a formatted reason.
void logErrf(const char* fmt, ...) __attribute__((format(printf, 1, 2)));
void logErrf(const char* fmt, ...)
{
    int err = errno;
    char reason[1024];
    va_list ap;
    va_start(ap, fmt);
    qkstrvfmt(reason, sizeof reason, fmt, ap);
    va_end(ap);
    errno = err;
    qklogErr(reason);
}

// "could not open file" line of the caller, then the C library's reason.
void logOpenFailure(const char* label, const char* path, const char* mode)
{
    int err = errno;
    qklogf(label, "could not open file: %s, mode: %s", path, mode);
    errno = err;
    qklogErr("call to fopen");
}

int clampInt(long long value) { return value > INT_MAX ? INT_MAX : static_cast<int>(value); }

}  // namespace

// ---- handles and whole files in memory ---------------------------------------

qkfileHandle qkfileopenhandle(const char* path, const char* mode)
{
    if (path == nullptr || mode == nullptr) {
        errno = EINVAL;
        return nullptr;
    }
    return qkfileHandle(std::fopen(path, mode));
}

bool qkfileclosewritten(qkfileHandle& handle)
{
    if (!handle) return false;
    bool ok = std::fflush(handle.get()) == 0 && !std::ferror(handle.get());
    ok = (std::fclose(handle.release()) == 0) && ok;
    return ok;
}

bool qkfileisregular(const char* name)
{
    qklogTrace("qkfileisregular");
    if (name == nullptr || name[0] == '\0') return false;
    std::error_code ec;
    return std::filesystem::is_regular_file(name, ec);
}

bool qkfilereadrest(FILE* handle, std::string& out, size_t maximum)
{
    qklogTrace("qkfilereadrest");
    out.clear();
    if (handle == nullptr) return false;
    char chunk[8192];
    size_t n;
    while ((n = std::fread(chunk, 1, sizeof chunk, handle)) > 0) {
        out.append(chunk, n);
        if (out.size() > maximum) return false;
    }
    return !std::ferror(handle);
}

bool qkfilereadwhole(const char* path, std::string& out, size_t maximum, qkfileKind kind)
{
    qklogTrace("qkfilereadwhole");
    out.clear();
    if (kind == QKFILE_REGULARONLY && !qkfileisregular(path)) return false;
    qkfileHandle f = qkfileopenhandle(path, "rb");
    return f && qkfilereadrest(f.get(), out, maximum);
}

// ---- whole files -------------------------------------------------------------

int qkFileSize(const char* path, int mode)
{
    qklogTrace("qkFileSize");
    // Binary files are measured in bytes; text files as lines, one byte more
    // per line for the carriage return the line end carries in DOS files.
    const char* how = mode == 1 ? "rb" : mode == 2 ? "r" : nullptr;
    if (path == nullptr || how == nullptr) return -2;
    qkfileHandle f(qkfileopenhandle(path, how));
    if (!f) {
        logOpenFailure("qkFileSize", path, how);
        return -2;
    }
    long long size = 0;
    if (mode == 1) {
        char chunk[4096];
        size_t n;
        while ((n = std::fread(chunk, 1, sizeof chunk, f.get())) > 0) size += static_cast<long long>(n);
    } else {
        int c;
        bool open = false;   // a line has begun and not yet ended
        while ((c = std::getc(f.get())) != EOF) {
            ++size;
            open = true;
            if (c == '\n') {
                ++size;
                open = false;
            }
        }
        if (open) ++size;
    }
    if (std::ferror(f.get())) {
        qklogErr("call to fread");
        return -2;
    }
    if (audit(QKFILE_AUD_READ)) qklogf("qkFileSize", "size is: %d bytes", clampInt(size));
    return clampInt(size);
}

int qkFileRecCnt(const char* path)
{
    qklogTrace("qkFileRecCnt");
    if (path == nullptr) return -1;
    qkfileHandle f(qkfileopenhandle(path, "rb"));
    if (!f) {
        logOpenFailure("qkFileRecCnt", path, "rb");
        return -1;
    }
    long long count = 0;
    char chunk[4096];
    size_t n;
    while ((n = std::fread(chunk, 1, sizeof chunk, f.get())) > 0)
        for (size_t i = 0; i < n; ++i)
            if (chunk[i] == '\n') ++count;
    if (std::ferror(f.get())) {
        qklogErr("call to fread");
        return -1;
    }
    return clampInt(count);
}

int qkfilerd(const char* path, char* buffer, int maximum, int mode)
{
    qklogTrace("qkfilerd");
    if (path == nullptr || buffer == nullptr || maximum <= 0) return -2;
    int used = 0;
    if (mode == 3) {
        qkfileHandle f(qkfileopenhandle(path, "rb"));
        if (!f) {
            logErrf("qkrdfile could not open binary file: %s", path);
            return -1;
        }
        used = static_cast<int>(std::fread(buffer, 1, static_cast<size_t>(maximum), f.get()));
        if (std::ferror(f.get())) {
            qklogErr("call to fread");
            return -1;
        }
    } else {
        qkfileHandle f(qkfileopenhandle(path, "r"));
        if (!f) {
            logErrf("qkrdfile could not open file: %s", path);
            return -1;
        }
        // The text is appended line by line until the file ends or the buffer
        // is full, leaving room for the terminating zero; mode 4 joins the
        // lines by dropping their line feeds.
        int c;
        while (used < maximum - 1 && (c = std::getc(f.get())) != EOF) {
            if (mode == 4 && c == '\n') continue;
            buffer[used++] = static_cast<char>(c);
        }
        buffer[used] = '\0';
        if (std::ferror(f.get())) {
            qklogErr("call to fread");
            return -1;
        }
    }
    if (audit(QKFILE_AUD_READ)) qklogf("qkfilerd", "read: %d bytes for file: %s", used, path);
    if (audit(QKFILE_AUD_DUMPREAD)) qksysdump(used, buffer);
    return used;
}

int qkfilewr(const char* path, const char* text, int mode)
{
    qklogTrace("qkfilewr");
    if (path == nullptr) return -2;
    if (text == nullptr) text = "";
    size_t length = std::strlen(text);
    int status = 0;
    if (mode == 2) {
        qkfileHandle f(qkfileopenhandle(path, "wb+"));
        if (!f) {
            logErrf("qkrdfile could not open binary file: %s", path);
            return -1;
        }
        size_t n = std::fwrite(text, 1, length, f.get());
        if (!qkfileclosewritten(f) || n != length) {
            qklogErr("call to fwrite");
            return -1;
        }
        status = static_cast<int>(n);
    } else {
        const char* how = mode == 6 ? "w" : "a";
        qkfileHandle f(qkfileopenhandle(path, how));
        if (!f) {
            logErrf("qkwrfile could not open file: %s, mode: %s", path, how);
            return -1;
        }
        std::fseek(f.get(), 0, SEEK_END);
        bool ok = std::fputs(text, f.get()) >= 0;
        if (!qkfileclosewritten(f) || !ok) {
            qklogErr("call to fwrite");
            return -1;
        }
    }
    if (audit(QKFILE_AUD_WRITE)) qklogf("qkfilewr", "wrote: %d bytes for file: %s", static_cast<int>(length), path);
    if (audit(QKFILE_AUD_DUMPWRITE)) qksysdump(static_cast<int>(length), text);
    return status;
}

int qkfilecp(const char* source, const char* destination)
{
    qklogTrace("qkfilecp");
    if (source == nullptr || destination == nullptr) return -2;
    qkfileHandle in(qkfileopenhandle(source, "r"));
    if (!in) {
        logErrf("Could not open source file: %s", source);
        return -1;
    }
    qkfileHandle out(qkfileopenhandle(destination, "w"));
    if (!out) {
        logErrf("Could not open destination file: %s", destination);
        return -1;
    }
    // The lines go over unchanged, so a block copy gives the same file.
    char chunk[4096];
    size_t n;
    bool ok = true;
    while (ok && (n = std::fread(chunk, 1, sizeof chunk, in.get())) > 0)
        ok = std::fwrite(chunk, 1, n, out.get()) == n;
    ok = !std::ferror(in.get()) && ok;
    if (!qkfileclosewritten(out) || !ok) {
        qklogErr("file copy");
        return -1;
    }
    return 0;
}

int qkfilerename(const char* oldPath, const char* newPath)
{
    qklogTrace("qkfilerename");
    if (oldPath == nullptr || newPath == nullptr || std::rename(oldPath, newPath) != 0) {
        qklogErr("file rename");
        return -1;
    }
    return 0;
}

int qkfileremove(const char* path)
{
    qklogTrace("qkfileremove");
    if (path == nullptr || std::remove(path) != 0) {
        qklogErr("file remove");
        return -1;
    }
    return 0;
}

int qkFileInq(const char* path, qkfilestatInfo* status)
{
    qklogTrace("qkFileInq");
    if (status == nullptr) return -1;
    if (qksysfilestat(path, status) != 0) {
        std::memset(status, 0, sizeof *status);
        return -1;
    }
    return 0;
}

// ---- open files and records ----------------------------------------------------

FILE* qkfileopen(const char* path, const char* mode)
{
    qklogTrace("qkfileopen");
    if (path == nullptr || mode == nullptr) return nullptr;
    if (audit(QKFILE_AUD_OPEN)) qklogf("qkfileopen", "open file: %s, mode: %s", path, mode);
    FILE* f = std::fopen(path, mode);
    if (f == nullptr) logOpenFailure("qkfileopen", path, mode);
    return f;
}

int qkfileclose(FILE* handle)
{
    qklogTrace("qkfileclose");
    if (handle == nullptr) return 0;
    if (audit(QKFILE_AUD_CLOSE)) qklogf("qkfileclose", "close file: %d", fileno(handle));
    std::fclose(handle);
    return 0;
}

int qkfilerdrec(FILE* handle, int maximum, char* buffer, int delimiter)
{
    qklogTrace("qkfilerdrec");
    if (buffer == nullptr || maximum <= 0) return 0;
    buffer[0] = '\0';
    if (handle == nullptr) return 0;
    // maximum is the buffer's size: at most maximum - 1 characters and the
    // terminating zero are stored; the rest of a longer record follows on the
    // next call.
    int n = 0;
    int c;
    while (n < maximum - 1 && (c = std::getc(handle)) != EOF && c != 0) {
        buffer[n++] = static_cast<char>(c);
        if (c == delimiter) break;
    }
    buffer[n] = '\0';
    return n;
}

int qkfilewrrec(FILE* handle, int length, const char* text)
{
    qklogTrace("qkfilewrrec");
    if (handle == nullptr || text == nullptr || length < 0) return -2;
    std::fseek(handle, 0, SEEK_END);
    size_t n = std::fwrite(text, 1, static_cast<size_t>(length), handle);
    if (std::fflush(handle) != 0 || n != static_cast<size_t>(length)) {
        qklogErr("call to fwrite");
        return -1;
    }
    if (audit(QKFILE_AUD_READ)) qklogf("qkfilewrrec", "wrote: %d bytes", length);
    if (audit(QKFILE_AUD_DUMPWRITE)) qksysdump(length, text);
    return static_cast<int>(n);
}

long qkfilesetbinrec(FILE* handle, int recordSize, int recordNumber)
{
    qklogTrace("qkfilesetbinrec");
    if (handle == nullptr || recordSize < 0 || recordNumber < 0) return -2;
    long offset = static_cast<long>(recordSize) * static_cast<long>(recordNumber);
    if (std::fseek(handle, offset, SEEK_SET) != 0) {
        qklogErr("call to fseek");
        return -1;
    }
    if (audit(QKFILE_AUD_READ)) qklogf("qkfilesetbinrec", "set offset to: %ld bytes", offset);
    return offset;
}

int qkfilerdbinrec(FILE* handle, int length, void* buffer)
{
    qklogTrace("qkfilerdbinrec");
    if (handle == nullptr || buffer == nullptr || length <= 0) return 0;
    int n = static_cast<int>(std::fread(buffer, 1, static_cast<size_t>(length), handle));
    if (audit(QKFILE_AUD_READ)) qklogf("qkfilerdbinrec", "read: %d bytes", n);
    if (audit(QKFILE_AUD_DUMPREAD)) qksysdump(n, buffer);
    return n;
}

int qkfilewrbinrec(FILE* handle, int length, const void* buffer)
{
    qklogTrace("qkfilewrbinrec");
    if (handle == nullptr || buffer == nullptr || length <= 0) return 0;
    int n = static_cast<int>(std::fwrite(buffer, static_cast<size_t>(length), 1, handle));
    if (n != 1) {
        qklogErr("call to fwrite");
        return n;
    }
    if (audit(QKFILE_AUD_READ)) qklogf("qkfilewrbinrec", "wrote: %d bytes", length);
    if (audit(QKFILE_AUD_DUMPWRITE)) qksysdump(length, buffer);
    return n;
}

// ---- paths and directories -----------------------------------------------------

int qkfileSetPathType(int type, char* path)
{
    qklogTrace("qkfileSetPathType");
    if (path == nullptr) return -2;
    for (char* p = path; *p; ++p) {
        if (type == 1 && *p == '\\') *p = '/';
        else if (type == 2 && *p == '/') *p = '\\';
    }
    return 0;
}

int qkfilegetpath(int length, char* out)
{
    qklogTrace("qkfilegetpath");
    if (qksysfilegetpath(length, out) != 0) {
        qklogErr("current dir");
        return -1;
    }
    return 0;
}

int qkfilegetcurdir(int length, char* out)
{
    qklogTrace("qkfilegetcurdir");
    if (qksysfilegetcurdir(length, out) != 0) {
        qklogErr("current dir");
        return -1;
    }
    return 0;
}

int qkfilechgdir(const char* path)
{
    qklogTrace("qkfilechgdir");
    if (qksysfilechgdir(path) != 0) {
        qklogErr("change dir");
        return -1;
    }
    return 0;
}

int qkfilemkdir(const char* path)
{
    qklogTrace("qkfilemkdir");
    if (qksysfilemkdir(path) != 0) {
        qklogErr("create dir");
        return -1;
    }
    return 0;
}

int qkfileremdir(const char* path)
{
    qklogTrace("qkfileremdir");
    if (qksysfilermdir(path) != 0) {
        qklogErr("remove dir");
        return -1;
    }
    return 0;
}

int qkfileDirInq(const char* path, int create)
{
    qklogTrace("qkfileDirInq");
    if (path == nullptr) return -2;
    if (qksysfileisdir(path)) return 0;
    if (create == 1) return qkfilemkdir(path);
    return -2;
}

int qkfiledirclean(const char* directory)
{
    qklogTrace("qkfiledirclean");
    std::vector<qksysfileentry> entries;
    if (qksysfilelist(directory, entries) != 0) {
        qklogErr("opendir");
        return -1;
    }
    // One entry that could not be removed makes the whole clean fail, even
    // when later entries went.
    int status = 0;
    for (const auto& e : entries) {
        std::string path = std::string(directory) + "/" + e.name;
        if (qkfileremove(path.c_str()) != 0) status = -1;
    }
    return status;
}

namespace {

// A pattern with "*" looks for the text between its first "*" and the next
// one (or its end) anywhere in a name; without "*" only the identical name
// matches; an empty pattern or search text matches every name.
struct NamePattern {
    std::string text;
    bool wildcard = false;

    explicit NamePattern(const char* pattern)
    {
        std::string p = pattern ? pattern : "";
        size_t star = p.find('*');
        if (p.empty()) {
            wildcard = true;
        } else if (star == std::string::npos) {
            text = p;
        } else {
            wildcard = true;
            size_t next = p.find('*', star + 1);
            text = p.substr(star + 1, next == std::string::npos ? std::string::npos : next - star - 1);
        }
    }
    bool matches(const std::string& name) const
    {
        return wildcard ? name.find(text) != std::string::npos : name == text;
    }
};

}  // namespace

int qkfiledirlist(int maximum, const char* directory, const char* pattern, qkfiledirlistinfo* entries)
{
    qklogTrace("qkfiledirlist");
    std::vector<qksysfileentry> found;
    if (directory == nullptr || qksysfilelist(directory, found) != 0) {
        qklogErr("opendir");
        return -1;
    }
    NamePattern match(pattern);
    if (audit(QKFILE_AUD_READ)) {
        qklogf("qkfiledirlist", "dname: %s, fsreach: %s, fname: %s", directory, match.text.c_str(),
               pattern ? pattern : "");
        qklogf("qkfiledirlist", "slen: %d, fflag: %d", static_cast<int>(match.text.size()), match.wildcard ? 1 : 0);
    }
    int count = 0;
    for (const auto& e : found) {
        if (count >= maximum || entries == nullptr) break;
        if (audit(QKFILE_AUD_READ)) qklogf("qkfiledirlist", "file: %s", e.name.c_str());
        // A name that does not fit the entry could not address the file.
        if (e.name.size() >= sizeof entries[0].name) continue;
        if (!match.matches(e.name)) continue;
        entries[count].type = e.type;
        qkstrset(entries[count].name, e.name.c_str());
        ++count;
    }
    return count;
}

// ---- recursive search ------------------------------------------------------------

namespace {

// The outermost call of a search starts it afresh: a file found by an earlier
// search must not end this one at once.
thread_local int tFindDepth = 0;
struct FindScope {
    FindScope()
    {
        if (tFindDepth++ == 0) gqk_filefindstatus = 0;
    }
    ~FindScope() { --tFindDepth; }
    FindScope(const FindScope&) = delete;
    FindScope& operator=(const FindScope&) = delete;
};

constexpr size_t kFoundPathSize = 128;   // the caller's name buffer

}  // namespace

int qksysfindfilepath(char* name)
{
    qklogTrace("qksysfindfilepath");
    if (name == nullptr || *name == '\0') return -2;
    FindScope scope;
    std::vector<qksysfileentry> entries;
    if (qksysfilelist(".", entries) != 0) {
        qklogErr("opendir");
        return -1;
    }
    int status = 0;
    for (const auto& e : entries) {
        if (e.type == 'd') {
            status = qkfindfilepath(e.name.c_str(), name);
            if (status == 1) return 1;
        } else if (e.name == name) {
            char here[4096];
            if (qksysfilegetpath(sizeof here, here) != 0) {
                qklogErr("current dir");
                return -1;
            }
            char full[kFoundPathSize];
            qkstrfmt(full, sizeof full, "%s/%s", here, e.name.c_str());
            qkstrlcpy(name, kFoundPathSize, full);
            gqk_filefindstatus = 1;
            return 1;
        }
    }
    return status;
}

int qkfindfilepath(const char* directory, char* name)
{
    qklogTrace("qkfindfilepath");
    if (directory == nullptr || name == nullptr) return -2;
    FindScope scope;
    if (gqk_filefindstatus == 1) return 1;
    if (gqk_fileappfunc) gqk_fileappfunc(gqk_fileapparg);
    if (std::strcmp(directory, ".") == 0 || std::strcmp(directory, "..") == 0) return 0;
    char here[4096];
    if (qksysfilegetpath(sizeof here, here) != 0) {
        qklogErr("current dir");
        return -1;
    }
    if (qksysfilechgdir(directory) != 0) {
        qklogErr("change dir");
        return -1;
    }
    gqk_filefindstatus = qksysfindfilepath(name);
    if (qksysfilechgdir(here) != 0) {
        qklogErr("change dir");
        return -1;
    }
    return gqk_filefindstatus;
}

int qkFileSetAudit(int mask)
{
    qklogTrace("qkFileSetAudit");
    gqk_fileaudit = mask;
    return 0;
}

int qkfilesetappfunc(qkfileappfunc function, void* argument)
{
    qklogTrace("qkfilesetappfunc");
    gqk_fileappfunc = function;
    gqk_fileapparg = argument;
    return 0;
}
