// qkwinstdcallbacks (win): the framework's ready-made callbacks for the two
// connection dialogs - the serial line set-up (dialog 9370: port list,
// line parameters, connect with automatic baud-rate detection, disconnect)
// and the TCP set-up (dialog 9560: client or server, address, port, connect,
// disconnect) - bound all at once by qkwinregisterstdcb. The callbacks fill
// the link records the window reaches through stdasynPtr and stdtcpPtr (its
// parent's when it has none); the program watches those records.
//
// Threads: the dialog callbacks run on the thread that serves the dialog;
// qkwinstdconnectasyn and qkwinstdconnecttcp run on the program's connection
// thread while the window loops keep running. A connect callback writes the
// record's status last (release), after every other field it fills, and the
// program reads the other fields only once status says the attempt ended.
//
// Portable: the widgets (combo boxes, static texts, cursor, message pump) are
// reached through the operations the platform layer installs with
// qkwinstdsetwidgets; the dialog functions (qkwindlgstart, qksyswindlgexit,
// qksyswindlgexitconf, qkdspcurrentscale) come from the standard-name table.
#pragma once

#include "qkwinsrv.h"

// Control ids of the two dialogs.
enum : int {
    QKWINSTD_ASYNDLG = 9370,     // serial line set-up dialog
    QKWINSTD_ASYNPORT = 9373,    // port list
    QKWINSTD_ASYNBAUD = 9375,    // baud rate (empty: detected automatically)
    QKWINSTD_ASYNPARITY = 9377,  // "none", "even", "odd"
    QKWINSTD_ASYNDATABITS = 9379,
    QKWINSTD_ASYNSTOPBITS = 9381,
    QKWINSTD_TCPDLG = 9560,      // TCP set-up dialog
    QKWINSTD_TCPSERVICE = 9564,  // "client" or "server"
    QKWINSTD_TCPADDRESS = 9566,
    QKWINSTD_TCPPORT = 9568,
};

// The widget operations of the platform layer that the callbacks use. Each
// returns 0, or -2 when the window has no such control.
struct qkwinstdwidgetInfo {
    int (*comboclear)(qkwinInfo* window, int id);
    int (*comboadditem)(qkwinInfo* window, int id, const char* text);
    // Copies the combo box's chosen text into buffer (size bytes, terminated).
    int (*combogetedit)(qkwinInfo* window, int id, int size, char* buffer);
    int (*staticsettext)(qkwinInfo* window, int id, const char* text);
    // kind 0 the normal cursor, 1 the busy cursor.
    int (*chgcursor)(qkwinInfo* window, int kind);
    // Handles n-1 pending messages of the window on the calling thread.
    int (*runpeekmsg)(qkwinInfo* window, int n);
    // The standard page display callback (qkstdpagedspcb).
    qkwincallback pagedsp;
};

// Installs the platform's widget operations; ops must live as long as the
// program (a static table). Called once at start-up, before windows exist;
// null removes them. Until they are installed the callbacks can neither fill
// nor read the dialogs. Returns 0.
int qkwinstdsetwidgets(const qkwinstdwidgetInfo* ops);

// Binds every standard connection callback by name (each inherited by child
// windows and dialogs) and makes qkwinstdloadasynports the device-change
// hook. Returns 0, -2 without a window.
int qkwinregisterstdcb(qkwinInfo* window);
// The window's device-change hook becomes qkwinstdloadasynports. 0, -2.
int qkwinstdsetasynportsCB(qkwinInfo* window);

// Defaults of a serial record: port and baud when positive, parity when not
// negative, stop bits and data bits when positive. -2 ("No qkcommAsynInfo
// structure defined") without a record, else 0.
int qkwinstdsetasyndefaults(qkcommAsynInfo* record, int port, int baud, int parity, int stopBits, int dataBits);
// The port number of a port-list entry ("COM7 - /dev/ttyS6" gives 7): the
// first word without its "COM"; -2 when the text has no word or the word
// holds no port number.
int qkwinstdgetasynport(const char* text);
// The static text of the active child that shows the detection attempts
// (autoNotifyID of the window's serial record). 0, -2 without a record.
int qkwinstdAsynSetUserNotifyID(qkwinInfo* window, int id);
// Defaults of a TCP record: service 1 (server) or 2 (client) is stored; port
// (when positive) and address (when not empty) go to the part of the stored
// service. -2 with "TCP service error" when no service is stored, or "No
// qkcommTCPInfo structure defined" without a record.
int qkwinstdsetTCPdefaults(qkcommTCPInfo* record, int service, int port, const char* address);

// ---- callbacks (receive the window record) --------------------------------------
// Fills the port list 9373 of the open serial dialog (or the last configured
// one) with "COM%d" for every port from 1 to 256 that is present.
int qkwinstdloadasynports(qkwinInfo* window);
// The serial dialog's OK: takes port, baud, parity, data and stop bits into
// the record (state 20) and closes the dialog; without a port it asks for
// one ("Select COM port") and stays open (-2).
int qkwinstdgetasynparameters(qkwinInfo* window);
// Opens the chosen port at the chosen rate, or finds the rate (baud 0):
// state 50 and status 1 on success (0); status 1 with fd not positive and -2
// on failure.
int qkwinstdconnectasyn(qkwinInfo* window);
// Progress of the baud detection (its user function, arg is the window):
// serves the active child's messages and shows "Attempt %d for baud rate: %d"
// in the static autoNotifyID. Returns 0.
int qkwinstdAsynUserFunc(void* arg);
// Closes the port: fd 0, state 20.
int qkwinstddisconnectasyn(qkwinInfo* window);
// The TCP dialog's OK: service, address and port into the record (state 20,
// status 0) and closes the dialog; an empty field is asked for and the dialog
// stays open (-2).
int qkwinstdgettcpparameters(qkwinInfo* window);
// Connects as client, or listens for and accepts one peer as server: state 50
// and status 1 on success (0); status -2 and -2 on failure.
int qkwinstdconnecttcp(qkwinInfo* window);
// Closes the socket(s) of the record: state 30.
int qkwinstddisconnecttcp(qkwinInfo* window);
