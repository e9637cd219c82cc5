// qkdatasrv: reads the plot engine's data files (text with "/*" ... "*/"
// comments, one record per line) and splits them into records in place.
// Runs on the caller's thread; keeps no state of its own.
#include "qkdatasrv.h"

#include "qkfilesrv.h"
#include "qklogsrv.h"
#include "qkstrsrv.h"
#include "qksyssrv.h"

#include <cstdio>
#include <cstring>
#include <string>

namespace {

constexpr size_t kMaxDataFile = 256u * 1024u * 1024u;

size_t textLength(const qkdatasrvInfo* d)
{
    return d->inbufPtr ? strnlen(d->inbufPtr, static_cast<size_t>(d->size)) : 0;
}

}  // namespace

int qkdatasetpath(qkdatasrvInfo* record, const char* path)
{
    qklogTrace("qkdatasetpath");
    if (record == nullptr) return -2;
    qkstrset(record->path, path);
    return 0;
}

int qkdatasetcomment(qkdatasrvInfo* record, const char* start, const char* end)
{
    qklogTrace("qkdatasetcomment");
    if (record == nullptr) return -2;
    if (start) qkstrset(record->cstart, start);
    if (end) qkstrset(record->cend, end);
    return 0;
}

int qkdatagetfile(qkdatasrvInfo* record)
{
    qklogTrace("qkdatagetfile");
    if (record == nullptr || record->path[0] == '\0') return -2;
    qkfileHandle fp = qkfileopenhandle(record->path, "rb");
    if (!fp) {
        qklogf("qkdatagetfile", "could not open file: %s", record->path);
        return -2;
    }
    std::string text;
    if (!qkfilereadrest(fp.get(), text, kMaxDataFile)) {
        qklogf("qkdatagetfile", "could not read file: %s", record->path);
        return -2;
    }
    qkdatasettext(record, text.data(), text.size());
    if (record->audit & QKDATA_AUD_READ)
        qklogf("qkdatagetfile", "read: %d bytes from file: %s", static_cast<int>(text.size()), record->path);
    return static_cast<int>(text.size());
}

int qkdatasettext(qkdatasrvInfo* record, const char* text, size_t len)
{
    qklogTrace("qkdatasettext");
    if (record == nullptr || (text == nullptr && len > 0) || len > kMaxDataFile) return -2;
    qksysMemFree(record->inbufPtr);
    record->size = static_cast<int>(len) + 128;
    record->inbufPtr = static_cast<char*>(qksysMemAllocate(nullptr, static_cast<size_t>(record->size)));
    std::memset(record->inbufPtr, 0, static_cast<size_t>(record->size));
    if (len > 0) std::memcpy(record->inbufPtr, text, len);
    return static_cast<int>(len);
}

int qkdatadelcomments(qkdatasrvInfo* record)
{
    qklogTrace("qkdatadelcomments");
    if (record == nullptr || record->inbufPtr == nullptr || record->cstart[0] == '\0' || record->cend[0] == '\0')
        return 0;
    size_t before = textLength(record);
    size_t slen = std::strlen(record->cstart);
    char* w = record->inbufPtr;
    const char* r = record->inbufPtr;
    for (;;) {
        const char* open = std::strstr(r, record->cstart);
        const char* close = open ? std::strstr(open + slen, record->cend) : nullptr;
        if (close == nullptr) {
            size_t n = std::strlen(r);
            if (w != r) std::memmove(w, r, n + 1);
            break;
        }
        size_t keep = static_cast<size_t>(open - r);
        if (w != r) std::memmove(w, r, keep);
        w += keep;
        r = close + std::strlen(record->cend);
    }
    int removed = static_cast<int>(before - textLength(record));
    if (record->audit & QKDATA_AUD_COMMENT)
        qklogf("qkdatadelcomments", "deleted: %d bytes from file: %s", removed, record->path);
    return removed;
}

int qkdatafilter(qkdatasrvInfo* record, const char* characters)
{
    qklogTrace("qkdatafilter");
    if (record == nullptr || record->inbufPtr == nullptr || characters == nullptr || characters[0] == '\0') return 0;
    size_t before = textLength(record);
    size_t flen = std::strlen(characters);
    char* w = record->inbufPtr;
    const char* r = record->inbufPtr;
    while (*r) {
        if (std::strncmp(r, characters, flen) == 0) {
            r += flen;
            continue;
        }
        *w++ = *r++;
    }
    *w = '\0';
    int removed = static_cast<int>(before - textLength(record));
    if (record->audit & QKDATA_AUD_FILTER)
        qklogf("qkdatafilter", "filtered: %d bytes from file: %s", removed, record->path);
    return removed;
}

int qkdatasetdelm(qkdatasrvInfo* record, int delimiter)
{
    qklogTrace("qkdatasetdelm");
    if (record) record->del = delimiter;
    return 0;
}

int qkdataparsebuf(qkdatasrvInfo* record)
{
    qklogTrace("qkdataparsebuf");
    if (record == nullptr) return -2;
    record->dcnt = 0;
    record->pcnt = 0;
    if (record->inbufPtr == nullptr || record->del <= 0 || record->del > 255) return 0;
    char del = static_cast<char>(record->del);
    for (const char* p = record->inbufPtr; *p; ++p)
        if (*p == del) record->dcnt++;
    qksysMemFree(record->pndx);
    record->pndx = static_cast<char**>(
        qksysMemAllocate(nullptr, sizeof(char*) * static_cast<size_t>(record->dcnt + 2)));
    char* start = record->inbufPtr;
    for (char* p = start; *p; ++p) {
        if (*p != del) continue;
        *p = '\0';
        record->pndx[record->pcnt++] = start;
        start = p + 1;
    }
    if (*start) record->pndx[record->pcnt++] = start;
    record->pndx[record->pcnt] = nullptr;
    if (record->audit & QKDATA_AUD_PARSE)
        qklogf("qkdataparsebuf", "parsed: %d records from file: %s", record->pcnt, record->path);
    return record->pcnt;
}

int qkdatasetaudit(qkdatasrvInfo* record, int mask)
{
    qklogTrace("qkdatasetaudit");
    if (record) record->audit = mask;
    return 0;
}

int qkdatafreemem(qkdatasrvInfo* record)
{
    qklogTrace("qkdatafreemem");
    if (record == nullptr) return 0;
    qksysMemFree(record->inbufPtr);
    qksysMemFree(record->pndx);
    record->inbufPtr = nullptr;
    record->pndx = nullptr;
    record->size = 0;
    record->dcnt = 0;
    record->pcnt = 0;
    return 0;
}
