// qkdatasrv (plot): the plain data-file reader of the plot engine. Reads a text file
// whole, cuts out comments between two marks, filters out unwanted texts and
// splits the rest into records in place.
// Used on the thread that loads the plot; the record belongs to its caller.
#pragma once

#include <cstddef>

// Audit bits.
enum : int {
    QKDATA_AUD_READ = 1,     // "read: %d bytes from file: %s"
    QKDATA_AUD_COMMENT = 2,  // "deleted: %d bytes from file: %s"
    QKDATA_AUD_FILTER = 4,   // "filtered: %d bytes from file: %s"
    QKDATA_AUD_PARSE = 8,    // "parsed: %d records from file: %s"
};

struct qkdatasrvInfo {
    int audit;
    int size;          // size of the text buffer (file size + 128)
    int dcnt;          // delimiters found
    int pcnt;          // records
    int del;           // record delimiter
    char path[128];    // the data file
    char cstart[8];    // comment start mark, e.g. "/*"
    char cend[8];      // comment end mark, e.g. "*/"
    char** pndx;       // record pointers (pcnt of them, then a null pointer)
    char* inbufPtr;    // the text
};

// Sets path, comment marks (any may be null to leave it) of a record.
int qkdatasetpath(qkdatasrvInfo* record, const char* path);
int qkdatasetcomment(qkdatasrvInfo* record, const char* start, const char* end);
// Reads the file into a new buffer of its size plus 128 bytes; returns the
// bytes read, or -2 when the file cannot be read. A zero byte in the file ends
// its text.
int qkdatagetfile(qkdatasrvInfo* record);
// Takes len bytes of text already in memory the same way (qkdatagetfile goes
// through here); returns len, or -2 for a missing record or text.
int qkdatasettext(qkdatasrvInfo* record, const char* text, size_t len);
// Cuts out every comment from cstart to the next cend; a start mark without
// an end mark after it stops the removal and the rest stays as it is.
// Returns the bytes removed.
int qkdatadelcomments(qkdatasrvInfo* record);
// Removes every occurrence of characters (a text); returns the bytes removed.
int qkdatafilter(qkdatasrvInfo* record, const char* characters);
int qkdatasetdelm(qkdatasrvInfo* record, int delimiter);
// Counts the delimiters (dcnt), makes dcnt + 2 record pointers and splits the
// text in place: every delimiter ends a record (also an empty one), a last
// record after the final delimiter counts when it is not empty. Returns pcnt.
int qkdataparsebuf(qkdatasrvInfo* record);
int qkdatasetaudit(qkdatasrvInfo* record, int mask);
int qkdatafreemem(qkdatasrvInfo* record);
