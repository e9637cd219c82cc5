// qkcommasyn (comm): the serial transport. It owns one serial port at a time for its
// caller (the analyzer link, the standard connection callbacks, the analyzer
// search): it forms the device name from a port number, opens the port with
// its line settings, reads, writes, polls for received data, purges, closes,
// reports the modem pins, says whether a port exists, and finds the
// analyzer's baud rate by listening for readable text at each rate.
// Portable; the operating-system calls are in posix/qksysport.
//
// Threads: the module state is process-wide and unguarded, so one port is
// used from one thread at a time. Another thread (or the progress hook) may
// cancel a baud detection through the record's autoState; the connect
// callbacks hand the record over through status.
#pragma once

#include <atomic>
#include <cstddef>

struct qkwinInfo;

// Progress hook of the baud detection, called once per probe with its argument.
typedef int (*qkcommAsynUserFunc)(void* arg);

// Audit bits of a serial record: any of them enables the baud-detection messages.
enum : int {
    QKCOMMASYN_AUD_DETECT = 31,
};

struct qkcommAsynInfo {
    std::atomic<int> status;        // connect attempt: 0 under way, 1 finished
    std::atomic<int> state;         // 0 nothing defined, 20 parameters defined, 50 connected
    int audit;                      // any of the bits 31 enables the baud-detection messages
    int sessionType;                // owner kind (not interpreted here)
    int fd;                         // open port; negative after a failed open, 0 when closed
    int port;                       // port number, 1 for the first
    int baud;                       // current or detected rate; 0 asks for detection
    int baudCnt;
    int supportedBaud[10];
    int parity;                     // 0 none, 1 even, 2 odd
    int parityCnt;
    int supportedParity[5];
    int dataBits;                   // 7 or 8
    int dataBitsCnt;
    int supportedDataBits[5];
    int stopBits;                   // 1 or 2
    int stopBitsCnt;
    int supportedStopBits[5];
    int pinstate;                   // modem pins, see qkcommAsynGetPinState
    int portadjust;                 // per-record offset (the module offset is the one applied)
    std::atomic<int> autoState;     // 1 asks a running detection to stop
    int autoRetries;                // passes over the rate list
    int autoDelay;                  // listening time per probe in tenths of a second; 0 means 10
    std::atomic<int> autoAttempt;   // 1-based pass in progress
    int autoNotifyID;               // static text that shows the progress
    const char* autoSendMsg;        // text sent after each open, or null
    char devname[16];               // device name as the user selected it
    qkcommAsynUserFunc userFuncAddr;
    void* userArgAddr;
};

// Module state.
extern std::atomic<int> gqk_qkasynaudit;       // 1 open, 2 writes, 4 reads (with hex dumps), 8 status polls
extern std::atomic<int> gqk_qkasynportadjust;  // added to every port number
extern char gqk_qkasyndevname[16];             // device-name prefix
extern char gqk_qkasyncom[16];                 // full name of the device opened last
extern qkwinInfo* gqk_qkasynwinPtr;            // window the progress hook reports to

int qkcommAsynSetDevName(const char* name);
int qkcommAsynSetPortAdjust(int n);

// The descriptor, or -1 with errno set (EINVAL: settings that the port
// refuses fail the open; EBUSY: the port is held elsewhere).
int qkcommAsynOpen(int port, int baud, int parity, int dataBits, int stopBits);
int qkcommAsynClose(int fd);
int qkcommAsynFlush(int fd);
// 1 received bytes waiting, 0 none, -2 line error or device gone, -1 no port.
int qkcommAsynStat(int fd);
// buffer holds max + 1 bytes: a NUL follows the bytes read. Returns what has
// arrived, waiting at most a second for the first bytes.
int qkcommAsynRead(int fd, void* buffer, int max);
int qkcommAsynWrite(int fd, const void* buffer, int count);
int qkcommAsynGetPinState(int fd, int* pins);
int qkcommAsynSetPinState(int fd, int* pins);

// name is a "COM%d" text in a buffer of size bytes; when the port exists,
// " - " and its device path are appended (cut to fit) and 1 is returned.
int qkcommAsynValidate(char* name, size_t size);
template <size_t N> inline int qkcommAsynValidate(char (&name)[N]) { return qkcommAsynValidate(name, N); }

int qkcommAsynGetDefaults(qkcommAsynInfo* record);
// 0 detected (port left open), 1 cancelled, -1 open failure, -2 no rate found.
// A rate the port refuses (or a port busy for one probe) only moves detection
// on to the next rate.
int qkcommAsynBaudDetection(qkcommAsynInfo* record);

int qkcommAsynSetAudit(int mask);
int qkcommAsynSetUserFunc(qkcommAsynInfo* record, qkcommAsynUserFunc func, void* arg);
int qkcommAsynSetAutoSendMsg(qkcommAsynInfo* record, const char* text);
int qkcommAsynSetAutoDelayCnt(qkcommAsynInfo* record, int n);
