// qksysdevwatch: arrival and removal of serial port devices. A watcher thread
// follows /dev and the virtual port folder "../dev" with inotify and reports
// every port node (or link) that appears or goes, by its port name in the
// fixed numbering of the serial layer (ttyS<n> COM<n+1>, ttyUSB<n> COM<33+n>,
// ttyACM<n> COM<65+n>, ../dev/ttyV<n> COM<97+n>). Other nodes are ignored.
// The report runs on the watcher thread.
#pragma once

#include <cstddef>

// arrived: 1 the port appeared, 0 it went away.
typedef void (*qksysdevwatchfunc)(const char* portName, int arrived, void* argument);

struct qksysdevwatch;

// Starts watching the system device folder and the virtual port folder
// (relative folders are taken from the current directory now; a folder that
// does not exist is skipped). Null when inotify is not available.
qksysdevwatch* qksysdevwatchstart(const char* sysDir, const char* virtDir, qksysdevwatchfunc fn, void* argument);
// Ends the watcher thread and releases it (null is accepted).
void qksysdevwatchstop(qksysdevwatch* watch);

// The port name of node name in a folder of the given kind (0 system, 1
// virtual). 0 with the name in out, -2 when the node is no serial port.
int qksysdevportname(int kind, const char* name, char* out, size_t size);
