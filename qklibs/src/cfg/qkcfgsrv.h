// qkcfgsrv (cfg): the reader of the tagged configuration format that every
// configuration, profile, plot and window definition file is written in.
// A client registers the key names it understands with their value types,
// loads the file, and walks its records once; every record reaches one of the
// client's three handlers (package start, element, package end).
//
// Record syntax in short: records end with a line feed (a last line without
// one is not read); comments "<!--" ... "-->" are cut out first; a record is
// trimmed of tabs, then blanks; the element name lies between its first "<"
// and the next ">"; a registered name makes a key record whose value lies
// between "<NAME>" and "</NAME>" and has its character references decoded.
//
// Limits: a record holds at most 1023 characters, an element name and a value
// at most 127; longer input is refused (status -2) and ends the reading. A zero
// byte in a file ends its text. Include files nest at most QKCFG_MAXINCDEPTH
// levels deep and never include a file that is being read already.
//
// A reader record belongs to one thread at a time (the thread that reads the
// file); the functions keep no state of their own.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

// Value types of registered keys.
enum : int {
    QKCFG_BOOL = 0,
    QKCFG_SHORT = 1,
    QKCFG_LONG = 2,
    QKCFG_FLOAT = 3,
    QKCFG_STRING = 4,
    QKCFG_PACKAGE = 5,
};

// Audit bits of the reader.
enum : int {
    QKCFG_AUD_BOOL = 1,
    QKCFG_AUD_SHORT = 2,
    QKCFG_AUD_LONG = 4,
    QKCFG_AUD_FLOAT = 8,
    QKCFG_AUD_STRING = 16,
    QKCFG_AUD_REGISTER = 32,
    QKCFG_AUD_RETCODE = 64,
    QKCFG_AUD_COMPARE = 128,
    QKCFG_AUD_RECORD = 256,
    QKCFG_AUD_COPY = 512,
    QKCFG_AUD_USERDEF = 1024,
};

constexpr int QKCFG_RECSIZE = 1024;    // record buffer: 1023 characters
constexpr int QKCFG_TEXTSIZE = 128;    // names and values: 127 characters
constexpr int QKCFG_MAXINCDEPTH = 16;  // include files nested deeper are skipped

union qkcfgsrvArgValInfo {
    int16_t bol;
    int16_t sht;
    int32_t lng;
    float flt;
    char str[128];
};

struct qkcfgsrvArgInfo {
    int type;
    char name[128];
    qkcfgsrvArgValInfo val;
};

struct qkcfgsrvRecInfo {
    int ndx;      // records taken so far (non-empty ones)
    int del;      // record delimiter
    char* ptr;    // start of the next record
};

struct qkcfgsrvInfo {
    int size;          // size of the text buffer
    int state;         // 1 when the last record was a key record, else 0
    int cnt;           // key records read so far
    int numArgs;       // registered keys
    int audit;
    int ndx;           // slot of the key matched by the last record, -1 when none
    int pkgcnt;        // registered package keys
    int tfndx;         // audit copies written so far
    char defName[128]; // user-definition file, or empty
    char* path;        // the configuration file's name (owned by the client)
    char ename[128];   // element name of the last record
    char wbuf[1024];   // the last record's text
    char data[128];    // the last key record's value, decoded
    char* cfgBufPtr;   // the file's text
    qkcfgsrvArgInfo* argsPtr;
    qkcfgsrvRecInfo rec;
    // Kept by the reader for its own checks (after the members above):
    int reclen;        // length of the last record as it stood in the text
    int incdepth;      // include files being read at the moment
};

// ---- the reader's operations ---------------------------------------------
// Appends a key slot (argsPtr holds numArgs slots; its table doubles when
// full); returns 0.
int qkcfgaddxmltype(qkcfgsrvInfo* reader, const char* name, int type);
// 0 when name is registered, else "config name: %s not registered" and -2.
int qkcfgvalxmltype(qkcfgsrvInfo* reader, const char* name);
int qkcfgsetaudit(qkcfgsrvInfo* reader, int mask);
int qkcfgsetdelm(qkcfgsrvInfo* reader, int delimiter);
// Reads the file named by path into a new zeroed buffer of twice its size
// (an earlier text is released) and resets the cursor; audit copy with bit
// 512. An empty name, an empty or unreadable file: "no path name", -2.
int qkcfggetfile(qkcfgsrvInfo* reader);
// Takes len bytes of text already in memory as the reader's text, as
// qkcfggetfile does with a file's text (a zero byte ends it). Empty text:
// "no text", -2. qkcfggetfile goes through here.
int qkcfgsettext(qkcfgsrvInfo* reader, const char* text, size_t len);
// Cuts out every comment "<!--" ... "-->"; an opening mark without a closing
// mark after it stops the removal there. Returns 0.
int qkcfgdelcomments(qkcfgsrvInfo* reader);
// Takes the next record into wbuf (trimmed, cut to 1023 characters; reclen
// keeps its real length). Returns the count of non-empty records taken, 0 at
// the end of the text. Empty records before the first one are skipped; later
// empty records come back with the count unchanged (and parse as short). A
// count of 0 restarts the cursor at the beginning of the text.
int qkcfggetrec(qkcfgsrvInfo* reader);
// Parses the record in wbuf: 1 for a short record, -2 for a record without
// "<", a record over 1023 characters, an element name over 127 or a value
// over 127 characters (decoded), else 0. Sets state, ename, ndx, data and the
// matched slot's value; cnt counts the key records.
int qkcfggetxmlparam(qkcfgsrvInfo* reader);
// Applies the user-definition file defName to the text not read yet (the
// records after the current one), so the cursor keeps its place. A definition
// whose replacements would not fit the text buffer is left out (logged).
// Returns 0; -2 with "no path name" when defName is empty or unreadable.
int qkcfggetuserdefs(qkcfgsrvInfo* reader);
// Applies the len bytes of user definitions already in memory the same way
// (qkcfggetuserdefs goes through here). 0, -2 for a missing reader.
int qkcfgsetuserdefs(qkcfgsrvInfo* reader, const char* text, size_t len);
// Logs size and name, advances tfndx; mode 1 writes the text to
// "tmpcfg<tfndx>.txt" in the working directory, mode 2 dumps it into the log.
int qkcfgauditfle(qkcfgsrvInfo* reader, int mode);
// Releases the text and the key slots (not the record).
int qkcfgfreemem(qkcfgsrvInfo* reader);

// Slot of the registered key name (first registered wins), or -1.
int qkcfgfindkey(const qkcfgsrvInfo* reader, const char* name);
// When the last record's element name is "/" followed by a registered package
// key: that key's slot; else -1. The test every package-end handler makes.
int qkcfgpkgclose(const qkcfgsrvInfo* reader);
// Slot of the package registration of name (whatever other types the same
// name has on the reader), or -1.
int qkcfgfindpkg(const qkcfgsrvInfo* reader, const char* name);

// A program's own key table: each key's name, value type and package code (0
// for a key with a value). qkcfgaddkeys registers the table in order (the
// last status); qkcfgkeyindex finds a name in it; qkcfgmatchedkey gives the
// table index of the key the reader's last record matched (a program that
// registered its table first finds its keys at their own slots), -1 for none.
struct qkcfgKeyDef {
    const char* name;
    int type;
    int code;
};
int qkcfgaddkeys(qkcfgsrvInfo* reader, const qkcfgKeyDef* keys, int count);
int qkcfgkeyindex(const qkcfgKeyDef* keys, int count, const char* name);
int qkcfgmatchedkey(const qkcfgsrvInfo* reader, const qkcfgKeyDef* keys, int count);

// Largest file the reader takes (64 MiB): larger files are no configuration,
// and the text buffer of twice the file size must stay within an int. Files
// read into a reader's text (resource and include files) keep the same bound.
constexpr size_t QKCFG_MAXFILESIZE = 64u * 1024u * 1024u;

// ---- the client's record loop --------------------------------------------
// A handler takes the client's own record.
typedef int (*qkcfghandler)(void* client);

enum : int {
    // Short records (status 1) are skipped; without it they reach the
    // dispatch like records that are not key records.
    QKCFG_LOOP_SKIPSHORT = 1,
    // Dispatch by the element name, as the window framework does: a closing
    // tag ("/...") goes to the package-end handler, every other record to the
    // package-start and then the element handler. Without it: key records go
    // to package start and element, all others to package end.
    QKCFG_LOOP_BYCLOSETAG = 2,
    // Log "processed: %d config parameters" with the label when the loop ends.
    QKCFG_LOOP_LOGCOUNT = 4,
};

struct qkcfgloopInfo {
    void* client;           // handed to every handler
    qkcfghandler pkg;       // package start (may be null)
    qkcfghandler elem;      // element (may be null)
    qkcfghandler pkgend;    // package end (may be null)
    int flags;              // QKCFG_LOOP_...
    const char* label;      // label of the count line (the client's function)
};

// Walks the records from the reader's cursor to the end of the text (or to a
// record refused with -2). Returns 0.
int qkcfgrecloop(qkcfgsrvInfo* reader, const qkcfgloopInfo* loop);
// Loads the file named by path, sets the line-feed delimiter, removes the
// comments, sets cnt to 0 and walks the records. Returns 0, or -2 when the
// file cannot be loaded (the loop is not run). The client resets its package
// stack before the call.
int qkcfgload(qkcfgsrvInfo* reader, const qkcfgloopInfo* loop);
// The same for a text already in memory (path, when set, names it in the log
// and in the include checks). -2 for an empty text.
int qkcfgloadtext(qkcfgsrvInfo* reader, const char* text, size_t len, const qkcfgloopInfo* loop);
// Reads the include file fileName in place: its records are walked with the
// same handlers (short records skipped), then the reader's count, text and
// cursor are restored. Returns 0 (also when the file holds nothing readable),
// or -2 with "no path name" for an empty name. A file that is being read
// already (the reader's own file or an include further out) is not read again,
// nor is an include nested deeper than QKCFG_MAXINCDEPTH: both are logged and
// give -2.
int qkcfgreadinclude(qkcfgsrvInfo* reader, const char* fileName, const qkcfgloopInfo* loop);
// The same for an include whose len bytes of text are already in memory;
// fileName names it for the cycle and depth checks.
int qkcfgreadincludetext(qkcfgsrvInfo* reader, const char* fileName, const char* text, size_t len,
                         const qkcfgloopInfo* loop);

// ---- package stack of a client -------------------------------------------
// codes holds capacity entries, *top is the index of the innermost package.
// Push: *top rises by one and the new top takes code; -2 (nothing changes)
// when the stack is full.
int qkcfgstackpush(int* codes, int* top, int capacity, int code);
// Pop: clears the top entry and lowers *top by one, never below floor (-1 for
// a stack that is empty at -1, 0 for one whose level 0 stays empty). Returns 0,
// or -2 when the stack was already at floor.
int qkcfgstackpop(int* codes, int* top, int floor);
