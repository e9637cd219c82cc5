// aeOptions: the emulator's command line and its help text.
#pragma once

#include <string>

#include "aeFaults.h"

namespace ae {

enum class LinkKind { Pty, Serial, Tcp };

struct Options {
    // Personality and identity.
    std::string personality = "ns";
    std::string versionText;     // announced instead of the personality's own
    bool unsupported = false;    // announce a version that is not supported
    bool emuBit = false;         // announce the emulator in the type bytes
    int slave = 1;               // Modbus slave address (register 43001)
    int peakType = 0;            // H2O peak type register (0: by personality)
    double conc = 0.0;           // base concentration (0: by personality)
    std::string accessCode;      // front-panel access code (empty: any eight digits)
    unsigned seed = 0;
    bool seedSet = false;
    // Transport.
    LinkKind kind = LinkKind::Pty;
    int ptyNum = 0;
    std::string devDir = "../dev";
    std::string serialDev;
    int baud = 0;                // 0: any speed on a virtual port, 9600 on a device
    int tcpPort = 0;
    std::string bindAddr = "127.0.0.1";
    std::string readyFile;
    // Line behaviour.
    int idleMs = 0;
    int recordMs = 200;
    int reconnectMs = 1000;
    // Faults.
    Faults faults;
    std::string controlFile;
    // Logging.
    std::string logFile;
    bool verbose = false;
};

// 0: run; 1: help shown, stop with success; -2: error (message in err).
int optionsParse(int argc, char** argv, Options& o, std::string& err);
const char* optionsHelp();

}  // namespace ae
