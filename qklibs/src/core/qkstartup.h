// qkstartup (core): command-line options. A program registers the letters it accepts,
// each with a value type; qkstartupgetinput scans the command line once with
// the getarg scanner, converts each argument and marks the option present.
// Main thread only, at start-up.
#pragma once

#include <cstdint>

union qkstartupCmdArgValInfo {
    int16_t bol;
    int16_t sht;
    int32_t lng;
    float flt;
    char chr;
    char str[128];
};

struct qkstartupCmdArgInfo {
    int state;     // 1 once found on the command line
    int id;        // the option letter
    int type;      // 0 Bool, 1 Short, 2 Long, 3 Float, 4 Char, 5 String
    qkstartupCmdArgValInfo val;
};

// Audit bits of the command-line record (qkstartupsetaudit).
enum : int {
    QKSTARTUP_AUD_ADD = 1,      // every option registered
    QKSTARTUP_AUD_BOOL = 2,     // the values found, by type
    QKSTARTUP_AUD_SHORT = 4,
    QKSTARTUP_AUD_LONG = 8,
    QKSTARTUP_AUD_FLOAT = 16,
    QKSTARTUP_AUD_CHAR = 32,
    QKSTARTUP_AUD_STRING = 64,
};

struct qkstartupCmdLnInfo {
    int cnt;
    int argCnt;
    int audit;
    int argc;
    char** argv;
    char optionstring[128];
    qkstartupCmdArgInfo args[32];
};

qkstartupCmdLnInfo* qkstartupallocate();
qkstartupCmdLnInfo* qkstartupsetargs(qkstartupCmdLnInfo* record, int argc, char** argv);
int qkstartupaddflag(qkstartupCmdLnInfo* record, int id, int type);
int qkstartupgetinput(qkstartupCmdLnInfo* record);
int qkstartupgetdatandx(qkstartupCmdLnInfo* record, int id);
// 1 when option id was given on the command line, else 0.
int qkstartupisset(const qkstartupCmdLnInfo* record, int id);
int qkstartupsetaudit(qkstartupCmdLnInfo* record, int mask);
int qkstartuperrmsg(qkstartupCmdLnInfo* record, int index);
