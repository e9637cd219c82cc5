// qkhelpwinmain: the entry of the help launcher. Start-up runs in a fixed
// order: clear the program record, create the window resources, evaluate the
// command line, read the configuration (which opens the log), then show the
// document list until the user closes it. Every end goes through
// qkhelpwinExit, with exit code 0. Main thread.
#include <cstring>

#include "qkhelpwincfg.h"
#include "qkhelpwingetopts.h"
#include "qkhelpwininit.h"
#include "qkhelpwinsrv.h"
#include "qklogsrv.h"
#include "qkstartup.h"

int main(int argc, char** argv)
{
    qklogTrace("qkhelpwinmain");
    qkhelpwinPtr = &qkhelpwin;
    qkhelpwinInitialize(qkhelpwinPtr);
    qkhelpwinGetResources(qkhelpwinPtr);

    qkhelpwinPtr->suPtr = &qkhelpwinstartup;
    std::memset(&qkhelpwinstartup, 0, sizeof qkhelpwinstartup);
    qkstartupsetargs(qkhelpwinPtr->suPtr, argc, argv);
    if (qkhelpwinGetOpts(qkhelpwinPtr) == QKHELPWIN_STOP || qkhelpwinPtr->state == QKHELPWIN_STOP) qkhelpwinExit();

    if (qkhelpwinCfgRead(qkhelpwinPtr) != 0) {
        qklogf("qkhelpwinmain", "QKHELPWIN configuration error");
        qkhelpwinExit();
    }
    qklogf("qkhelpwinmain", "QKHELPWIN started");
    qkhelpwinDsp(qkhelpwinPtr);
    qkhelpwinExit();
}
