// aeOptions: see aeOptions.h.
#include "aeOptions.h"

#include <cstdlib>
#include <cstring>
#include <getopt.h>

namespace ae {

namespace {

const char kHelp[] =
    "Usage: anaemu [options]\n"
    "Analyzer emulator: answers like a 2F (HC12) or an NS or FS (ARM9) gas analyzer on a\n"
    "virtual serial port, a serial device or a TCP port: identity, acknowledgements,\n"
    "record streams, spectra with their headers, Modbus RTU registers and the front panel.\n"
    "\n"
    "Personality:\n"
    "  -p, --personality NAME  2f      HC12-2.30 0123, H2O single-peak line\n"
    "                          2f-dual HC12-2.30 F012, H2O dual-peak line\n"
    "                          2f-co2  HC12-2.30 0123, CO2 analyzer (type bytes 00 01)\n"
    "                          ns      ARM9_NS-1.12 0417, H2O differential (default)\n"
    "                          fs      ARM9_FS-1.05 0233, H2S differential\n"
    "      --version-text TEXT announce TEXT as the version (at most 40 characters)\n"
    "      --unsupported       announce a version of the personality that the shipped\n"
    "                          configuration does not support\n"
    "      --emu-bit           announce the emulator in the identity type bytes\n"
    "      --slave N           Modbus slave address, register 43001 (1..247, default 1)\n"
    "      --peak-type N       H2O peak type, register 43307: 290 single, 291 dual\n"
    "                          (default 290 for 2f, 291 for 2f-dual)\n"
    "      --conc VALUE        base concentration in ppmv (default 42 H2O, 4 H2S)\n"
    "      --alarms WORD       alarm bits forced on in the alarm word (register 45021)\n"
    "      --access-code CODE  front-panel access code of eight digits (default: any)\n"
    "      --seed N            seed of the noise generator (default: from the clock)\n"
    "\n"
    "Transport (one of them; default --pty 0):\n"
    "      --pty N             pseudo-terminal linked as the virtual port ttyV<N> (0..31)\n"
    "      --dev-dir DIR       folder of the virtual ports (default ../dev, made if missing)\n"
    "      --serial DEVICE     a serial device (raw, 8N1)\n"
    "      --baud RATE         line speed: a device is opened at RATE (default 9600); on a\n"
    "                          virtual port the analyzer understands and answers only while\n"
    "                          the port is set to RATE, else it sends garbled bytes\n"
    "                          (default: any speed)\n"
    "      --tcp PORT          TCP server on the bind address (0: any free port)\n"
    "      --bind ADDR         address of the TCP server (default 127.0.0.1)\n"
    "      --ready-file FILE   once the line is ready write \"pty LINK DEVICE\",\n"
    "                          \"serial DEVICE\" or \"tcp ADDR PORT\" to FILE\n"
    "      --reconnect-ms MS   pause before a hung-up virtual port or device comes back\n"
    "                          (default 1000)\n"
    "\n"
    "Line behaviour:\n"
    "      --idle-ms MS        while nothing is asked, send a measurement line every MS ms\n"
    "                          (text for baud detection; default 0, off); lines nobody\n"
    "                          reads are replaced by the newest, answers are kept\n"
    "      --record-ms MS      pause between the records of a stream (default 200)\n"
    "\n"
    "Faults (also switched while running through --control, like --alarms):\n"
    "      --silence           read and log requests, never answer\n"
    "      --garbage N         put N random bytes (1..4096) before every answer\n"
    "      --split SIZE:MS     write answers in pieces of SIZE bytes, MS ms apart\n"
    "      --oversize N        add N filler digits to the payload of every data block\n"
    "      --wrong-slave N     send Modbus answers from address N (0..255, 0 included)\n"
    "      --exception CODE    answer every Modbus request with exception CODE (1..11)\n"
    "      --drop-after N      hang up after sending N bytes, once read (TCP: close)\n"
    "      --slow BPS          send at most BPS bytes per second\n"
    "      --answer-delay MS   delay every answer by MS milliseconds (1..60000)\n"
    "      --control FILE      read the faults from FILE each time it changes (a file\n"
    "                          present at start waits for its first change): one fault\n"
    "                          a line, written as above without the dashes (\"split 4:30\",\n"
    "                          \"alarms 0x9\"), '#' comments, \"none\" or an empty file for\n"
    "                          none; each change replaces the whole set, the faults of\n"
    "                          the command line included\n"
    "\n"
    "Logging:\n"
    "      --log FILE          append the log to FILE (default: standard error)\n"
    "  -v, --verbose           log every byte of every exchange\n"
    "  -h, --help              show this text\n"
    "\n"
    "The emulator ends on SIGTERM or SIGINT and removes its virtual-port link.\n";

enum OptId {
    kVersionText = 1000, kUnsupported, kEmuBit, kSlave, kPeakType, kConc, kAlarms, kAccess, kSeed,
    kPty, kDevDir, kSerial, kBaud, kTcp, kBind, kReady, kReconnect, kIdle, kRecord,
    kSilence, kGarbage, kSplit, kOversize, kWrongSlave, kException, kDropAfter, kSlow, kAnswerDelay, kControl, kLog
};

const option kLong[] = {
    {"personality", required_argument, nullptr, 'p'},
    {"version-text", required_argument, nullptr, kVersionText},
    {"unsupported", no_argument, nullptr, kUnsupported},
    {"emu-bit", no_argument, nullptr, kEmuBit},
    {"slave", required_argument, nullptr, kSlave},
    {"peak-type", required_argument, nullptr, kPeakType},
    {"conc", required_argument, nullptr, kConc},
    {"alarms", required_argument, nullptr, kAlarms},
    {"access-code", required_argument, nullptr, kAccess},
    {"seed", required_argument, nullptr, kSeed},
    {"pty", required_argument, nullptr, kPty},
    {"dev-dir", required_argument, nullptr, kDevDir},
    {"serial", required_argument, nullptr, kSerial},
    {"baud", required_argument, nullptr, kBaud},
    {"tcp", required_argument, nullptr, kTcp},
    {"bind", required_argument, nullptr, kBind},
    {"ready-file", required_argument, nullptr, kReady},
    {"reconnect-ms", required_argument, nullptr, kReconnect},
    {"idle-ms", required_argument, nullptr, kIdle},
    {"record-ms", required_argument, nullptr, kRecord},
    {"silence", no_argument, nullptr, kSilence},
    {"garbage", required_argument, nullptr, kGarbage},
    {"split", required_argument, nullptr, kSplit},
    {"oversize", required_argument, nullptr, kOversize},
    {"wrong-slave", required_argument, nullptr, kWrongSlave},
    {"exception", required_argument, nullptr, kException},
    {"drop-after", required_argument, nullptr, kDropAfter},
    {"slow", required_argument, nullptr, kSlow},
    {"answer-delay", required_argument, nullptr, kAnswerDelay},
    {"control", required_argument, nullptr, kControl},
    {"log", required_argument, nullptr, kLog},
    {"verbose", no_argument, nullptr, 'v'},
    {"help", no_argument, nullptr, 'h'},
    {nullptr, 0, nullptr, 0},
};

// "--name" of an option id, for messages and fault words.
std::string optName(int id)
{
    for (const option* o = kLong; o->name != nullptr; ++o)
        if (o->val == id) return std::string("--") + o->name;
    if (id > 0 && id < 128) return std::string("-") + static_cast<char>(id);
    return "?";
}

bool intArg(const char* text, long lo, long hi, int& v)
{
    char* end = nullptr;
    long x = std::strtol(text, &end, 0);
    if (end == text || *end != '\0' || x < lo || x > hi) return false;
    v = static_cast<int>(x);
    return true;
}

}  // namespace

const char* optionsHelp() { return kHelp; }

int optionsParse(int argc, char** argv, Options& o, std::string& err)
{
    optind = 1;
    opterr = 0;
    int transports = 0;
    int c = 0;
    while ((c = getopt_long(argc, argv, ":p:vh", kLong, nullptr)) != -1) {
        std::string arg = optarg != nullptr ? optarg : "";
        std::string name = optName(c == ':' || c == '?' ? optopt : c);
        auto bad = [&](const char* what) {
            err = std::string("option ") + name + ": " + what;
            return -2;
        };
        int v = 0;
        switch (c) {
        case 'h': return 1;
        case 'v': o.verbose = true; break;
        case 'p':
            if (arg != "2f" && arg != "2f-dual" && arg != "2f-co2" && arg != "ns" && arg != "fs")
                return bad("personality 2f, 2f-dual, 2f-co2, ns or fs expected");
            o.personality = arg;
            break;
        case kVersionText:
            if (arg.empty() || arg.size() > 40 || arg.find(',') != std::string::npos)
                return bad("1..40 characters without a comma expected");
            o.versionText = arg;
            break;
        case kUnsupported: o.unsupported = true; break;
        case kEmuBit: o.emuBit = true; break;
        case kSlave:
            if (!intArg(optarg, 1, 247, v)) return bad("address 1..247 expected");
            o.slave = v;
            break;
        case kPeakType:
            if (!intArg(optarg, 290, 291, v)) return bad("290 or 291 expected");
            o.peakType = v;
            break;
        case kConc: {
            char* end = nullptr;
            double d = std::strtod(optarg, &end);
            if (end == optarg || *end != '\0' || d < 0.0 || d > 2000.0) return bad("0..2000 expected");
            o.conc = d;
            break;
        }
        case kAccess:
            if (arg.size() != 8 || arg.find_first_not_of("0123456789") != std::string::npos)
                return bad("eight digits expected");
            o.accessCode = arg;
            break;
        case kSeed:
            if (!intArg(optarg, 0, 0x7fffffff, v)) return bad("number expected");
            o.seed = static_cast<unsigned>(v);
            o.seedSet = true;
            break;
        case kPty:
            if (!intArg(optarg, 0, 31, v)) return bad("port number 0..31 expected");
            o.kind = LinkKind::Pty;
            o.ptyNum = v;
            ++transports;
            break;
        case kDevDir:
            if (arg.empty()) return bad("folder expected");
            o.devDir = arg;
            break;
        case kSerial:
            if (arg.empty()) return bad("device expected");
            o.kind = LinkKind::Serial;
            o.serialDev = arg;
            ++transports;
            break;
        case kBaud:
            if (!intArg(optarg, 0, 4000000, v)) return bad("rate expected");
            o.baud = v;
            break;
        case kTcp:
            if (!intArg(optarg, 0, 65535, v)) return bad("port 0..65535 expected");
            o.kind = LinkKind::Tcp;
            o.tcpPort = v;
            ++transports;
            break;
        case kBind: o.bindAddr = arg; break;
        case kReady: o.readyFile = arg; break;
        case kReconnect:
            if (!intArg(optarg, 0, 60000, v)) return bad("0..60000 ms expected");
            o.reconnectMs = v;
            break;
        case kIdle:
            if (!intArg(optarg, 0, 3600000, v)) return bad("ms expected");
            o.idleMs = v;
            break;
        case kRecord:
            if (!intArg(optarg, 1, 60000, v)) return bad("1..60000 ms expected");
            o.recordMs = v;
            break;
        case kSilence: faultsApply(o.faults, "silence", "", err); break;
        case kGarbage:
        case kSplit:
        case kOversize:
        case kWrongSlave:
        case kException:
        case kDropAfter:
        case kSlow:
        case kAnswerDelay:
        case kAlarms: {
            std::string word = name.substr(2);
            std::string why;
            if (!faultsApply(o.faults, word, arg, why)) {
                err = "option " + name + ": " + why;
                return -2;
            }
            break;
        }
        case kControl: o.controlFile = arg; break;
        case kLog: o.logFile = arg; break;
        case ':':
            err = std::string("option ") + name + " needs an argument";
            return -2;
        default:
            err = std::string("unknown option ") + (optopt != 0 ? name : argv[optind - 1]);
            return -2;
        }
    }
    if (optind < argc) {
        err = std::string("unexpected argument ") + argv[optind];
        return -2;
    }
    if (transports > 1) {
        err = "choose one transport: --pty, --serial or --tcp";
        return -2;
    }
    return 0;
}

}  // namespace ae
