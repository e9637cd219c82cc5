// The analyzer link end to end: the analyzer emulator on a virtual serial
// port and over TCP is identified, its profiles are loaded from the shipped
// configuration and its registers read through Modbus mode, also under the
// emulator's fault modes; the exit paths of a lost TCP connection; and, as an
// independent peer, libmodbus' own RTU server behind a pseudo-terminal.
#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <climits>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <filesystem>
#include <memory>
#include <modbus.h>
#include <poll.h>
#include <string>
#include <sys/socket.h>
#include <thread>
#include <unistd.h>
#include <vector>

#include "qkcommasyn.h"
#include "qkcommtcp.h"
#include "qklogsrv.h"
#include "qkstrsrv.h"
#include "vxAnaVersionSrv.h"
#include "vxAnalyzerSrv.h"
#include "vxAsynSrv.h"
#include "vxCfgSrv.h"
#include "vxDiagnosticProtocolSrv.h"
#include "vxInit.h"
#include "vxModbusProtocolSrv.h"
#include "vxTcpSrv.h"
#include "vxtestsupport.h"

namespace fs = std::filesystem;

namespace {

using namespace std::chrono_literals;

// The page's Modbus exchange for cnt values from a profile register 4nnnn.
int readRegisters(int number, int cnt)
{
    vxAnalyzerComInfo& com = vx.anaCom;
    vx.diagProt.modbusAddr = 1;
    if (vxValidateMbSlaveAddress(&vx) != 0) return -100;
    vxAsynFlush(&vx);
    com.ibPtr = com.ibuf;
    com.obPtr = com.obuf;
    com.maxbyts = VX_LINKBUFSIZE;
    vxBuildMbDpOnMsg(&vx);
    vxSendMbReqMsg(&vx);
    vxGetMbDpOnOkMsg(&vx);
    vxModbusInfo& mb = vx.mbData;
    mb.mbReg = number - 40001;
    mb.mbRegCnt = cnt;
    vxValidateMbReg(&vx);
    vxBuildMbFc03Msg(&vx);
    std::memcpy(com.obuf, mb.fcPtr, 8);
    com.wrtByteCnt = 8;
    vxSendMbReqMsg(&vx);
    int result = vxGetMbRspMsg(&vx);
    vxBuildMbDpOffMsg(&vx);
    vxSendMbReqMsg(&vx);
    return result;
}

class VxLinkEmu : public ::testing::Test {
protected:
    void SetUp() override
    {
        setenv("QT_QPA_PLATFORM", "offscreen", 0);
        fs::copy(fs::path(VX_SOURCE_DIR) / "cfg", tree_.path("cfg"),
                 fs::copy_options::recursive | fs::copy_options::overwrite_existing);
        fs::create_directories(tree_.path("logs"));
        vxPtr = &vx;
        vxInitialize(&vx);
        // The main window record exists, but no platform window is shown:
        // the link's waits go through it all the same.
        ASSERT_EQ(vxGetResources(&vx), 0);
        qkstrset(vx.cfg.path, "../cfg/vxMain.xml");
        ASSERT_EQ(vxCfgRead(&vx), 0);
        qkcommAsynSetDevName("\\\\.\\COM");
    }
    void TearDown() override
    {
        closeLink();
        emu_.reset();
        vxCfgFree(&vx);
        vxFreeResources(&vx);
        qklogcls();
    }
    std::string log() const { return vxtest::readFile(tree_.path("logs/vxMain.log")); }
    void closeLink()
    {
        vxAsynClose(&vx);
        vxTcpClose(&vx);
        EXPECT_EQ(vx.anaCom.asyn.fd, 0);
        EXPECT_EQ(vx.anaCom.tcp.client.socketState, 0);
    }
    std::string emuLog() const { return vxtest::readFile(tree_.path("work/emu.log")); }

    // Starts the emulator; returns the last word of its ready line (the TCP port).
    int startEmu(std::vector<std::string> args)
    {
        emu_.reset();
        std::remove(tree_.path("work/ready.txt").c_str());
        std::vector<std::string> argv = {vxtest::program("anaemu"), "--log", "emu.log", "--ready-file", "ready.txt",
                                         "--seed", "7", "--control", "faults.txt"};
        argv.insert(argv.end(), args.begin(), args.end());
        emu_ = std::make_unique<vxtest::Process>(argv, tree_.work());
        const std::string ready = tree_.path("work/ready.txt");
        EXPECT_TRUE(vxtest::waitFor([&] { return vxtest::readFile(ready).find('\n') != std::string::npos; }))
            << "emulator not ready";
        std::string line = vxtest::readFile(ready);
        while (!line.empty() && (line.back() == '\n' || line.back() == ' ')) line.pop_back();
        return std::atoi(line.substr(line.rfind(' ') + 1).c_str());
    }
    // Switches the emulator's faults and waits until it has taken them.
    void faults(const std::string& text)
    {
        tree_.write("work/faults.txt", text + "\n");
        EXPECT_TRUE(vxtest::waitFor([&] { return emuLog().find("faults now " + text) != std::string::npos; })) << text;
        tree_.write("work/emu.log", "");   // the next wait sees only new lines
    }
    void connectSerial(int vport, int baud)
    {
        vxAnalyzerComInfo& com = vx.anaCom;
        com.asyn.fd = qkcommAsynOpen(97 + vport, baud, 0, 8, 1);
        ASSERT_GT(com.asyn.fd, 0);
        com.asyn.baud = baud;
        com.connectType = 1;
        vx.anaDetails.version.appType = 2;   // not known yet
    }
    void connectTcp(int port)
    {
        qkcommTCPInfo& tcp = vx.anaCom.tcp;
        tcp.service = 2;
        tcp.mode = 1;
        qkstrset(tcp.client.address, "127.0.0.1");
        tcp.client.port = port;
        ASSERT_EQ(qkcommSocketInit(&tcp), 0);
        ASSERT_EQ(qkcommScoketSendConnect(&tcp), 0);
        vx.anaCom.connectType = 2;
        vx.anaDetails.version.appType = 2;
    }
    int identify()
    {
        int result = vxAnalyzerGetID(&vx);
        if (result != 2) return result;
        vxSetAnalyzerID(&vx);
        vxParseAnalyzerID(&vx);
        return result;
    }

    vxtest::TempTree tree_;
    vxtest::CwdGuard cwd_{tree_.work()};   // the program's files are ../cfg, ../logs, ../dev
    std::unique_ptr<vxtest::Process> emu_;
};

struct Personality {
    const char* name;
    int appType, idType;
    const char* version;
    const char* folder;
    int build;
    float conc, presLow, presHigh;
};

const Personality kPersonalities[] = {
    {"2f", 6, 1, "HC12-2.30 0123", "HC12_PP2F_2.30", 291, 42.0f, 12, 16},
    {"ns", 7, 0, "ARM9_NS-1.12 0417", "ARM9_NS_1.12", 1047, 42.0f, 900, 1100},
    {"fs", 8, 0, "ARM9_FS-1.05 0233", "ARM9_FS_1.05", 563, 4.0f, 90, 110},
};

// What an identified and loaded analyzer must show, and its registers of
// the three classes read through Modbus mode.
void expectIdentifiedAndReadable(const Personality& p)
{
    const vxAnalyzerInfo& ana = vx.anaDetails;
    EXPECT_STREQ(ana.ID.version, p.version);
    EXPECT_EQ(ana.ID.type, p.idType);
    EXPECT_EQ(ana.version.appType, p.appType);
    EXPECT_EQ(ana.version.build, p.build);
    ASSERT_EQ(vxLoadDataCfgFiles(&vx), 0);
    EXPECT_EQ(ana.status, 0);
    const vxAnalyzerVersion* entry = vxVersionFindSupported(&vx);
    ASSERT_NE(entry, nullptr);
    EXPECT_STREQ(entry->verFolder, p.folder);
    EXPECT_NE(vx.spData.appPtr, nullptr);

    EXPECT_EQ(readRegisters(43001, 1), 0);
    EXPECT_EQ(vx.mbData.regVal.shtCnt, 1);
    EXPECT_EQ(vx.mbData.regVal.shtVal[0], 1);   // the slave address
    EXPECT_EQ(readRegisters(45001, 3), 0);           // 6 registers
    EXPECT_EQ(vx.mbData.regVal.lngCnt, 3);
    EXPECT_EQ(vx.mbData.regVal.lngVal[1], p.build);
    EXPECT_EQ(readRegisters(47001, 2), 0);
    ASSERT_EQ(vx.mbData.regVal.fltCnt, 2);
    EXPECT_NEAR(vx.mbData.regVal.fltVal[0], p.conc, p.conc * 0.5f);
    EXPECT_GE(vx.mbData.regVal.fltVal[1], p.presLow);
    EXPECT_LE(vx.mbData.regVal.fltVal[1], p.presHigh);
}

TEST_F(VxLinkEmu, SerialIdentifyLoadAndReadRegisters)
{
    int vport = 0;
    for (const Personality& p : kPersonalities) {
        SCOPED_TRACE(p.name);
        // The NS analyzer is met at 19200 baud, where only the ARM9 sequence runs.
        const int baud = std::strcmp(p.name, "ns") == 0 ? 19200 : 9600;
        startEmu({"--personality", p.name, "--pty", std::to_string(vport)});
        connectSerial(vport, baud);
        std::size_t before = log().size();
        const vxtest::Stopwatch watch;
        ASSERT_EQ(identify(), 2);
        EXPECT_LT(watch.elapsed(), 15s);
        std::string lines = log().substr(before);
        EXPECT_EQ(vxtest::countLines(lines, "Trying HC12 analyzer at"), baud == 9600 ? 1 : 0);
        EXPECT_EQ(vx.anaCom.checkBaud, 0);
        expectIdentifiedAndReadable(p);
        closeLink();
        ++vport;
    }
}

TEST_F(VxLinkEmu, TcpIdentifyLoadAndReadRegisters)
{
    for (const Personality& p : kPersonalities) {
        if (p.appType == 6) continue;   // the HC12 analyzers have no Ethernet
        SCOPED_TRACE(p.name);
        connectTcp(startEmu({"--personality", p.name, "--tcp", "0"}));
        ASSERT_EQ(identify(), 2);
        EXPECT_EQ(vxtest::countLines(log(), "Analyzer ID data size"), p.appType - 6);
        expectIdentifiedAndReadable(p);
        closeLink();
    }
}

TEST_F(VxLinkEmu, ModbusExceptionsAndTimeouts)
{
    startEmu({"--personality", "ns", "--pty", "0"});
    connectSerial(0, 19200);
    vx.anaDetails.version.appType = 7;
    vx.anaVerPtr = &vx.anaDetails.version;

    EXPECT_EQ(readRegisters(43999, 1), -99);   // a register the analyzer does not have
    EXPECT_EQ(vx.mbData.mbExCode, 2);
    EXPECT_STREQ(vxMbExceptionText(vx.mbData.mbExCode), "ILLEGAL DATA ADDRESS");

    faults("exception 4");
    EXPECT_EQ(readRegisters(47001, 1), -99);
    EXPECT_EQ(vx.mbData.mbExCode, 4);

    // Frames of another slave are ignored: the read runs into its time-out.
    faults("wrong-slave 9");
    const vxtest::Stopwatch watch;
    EXPECT_EQ(readRegisters(43001, 1), -2);
    EXPECT_LT(watch.elapsed(), 9s);

    faults("silence");
    EXPECT_EQ(readRegisters(43001, 1), -2);
    std::string text = log();
    EXPECT_EQ(vxtest::countLines(text, "Time out error, Diagnostic protocol OK not received"), 1);
    EXPECT_EQ(vxtest::countLines(text, "Modbus response timeout, function code: 3"), 2);

    faults("none");
    EXPECT_EQ(readRegisters(43001, 1), 0);
}

TEST_F(VxLinkEmu, IdentificationUnderLineFaults)
{
    startEmu({"--personality", "fs", "--pty", "0"});
    connectSerial(0, 19200);
    struct Case {
        const char* fault;
        int result;
    } cases[] = {{"garbage 20", 2}, {"split 4:30", 2}, {"oversize 5000", 2}, {"silence", 0}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.fault);
        faults(c.fault);
        vx.anaDetails.version.appType = 2;
        vx.anaDetails.size = 0;
        std::size_t before = log().size();
        EXPECT_EQ(vxAnalyzerGetID(&vx), c.result);
        const std::string id = vxtest::bytes(vx.anaDetails.dataID, static_cast<std::size_t>(vx.anaDetails.size));
        if (c.result == 2) {
            EXPECT_NE(id.find("ARM9_FS-1.05 0233,"), std::string::npos) << id;
            EXPECT_LE(vx.diagProt.dataCnt, 4096);
        } else {
            EXPECT_EQ(vxtest::countLines(log().substr(before), " Analyzer ID: NO response"), 1);
        }
    }
    EXPECT_EQ(vx.diagProt.dataCnt, 0);
}

TEST_F(VxLinkEmu, UnpluggedSerialPortDuringRead)
{
    startEmu({"--personality", "fs", "--pty", "0", "--drop-after", "5", "--reconnect-ms", "60000"});
    connectSerial(0, 19200);
    const vxtest::Stopwatch watch;
    EXPECT_EQ(identify(), -1);   // the failed write of the identity request
    EXPECT_LT(watch.elapsed(), 10s);
    std::string text = log();
    // The five bytes sent before the hang-up are read; the read after them
    // meets the hang-up.
    EXPECT_GE(vxtest::countLines(text, "qkcommAsynRead: asynRead error: 5 Input/output error"), 1) << text;
    EXPECT_EQ(vxtest::countLines(text, "vxAsynWrite: err: -1, cnt: 7"), 1) << text;
}

// A TCP analyzer that goes away ends the program after the information box.
TEST_F(VxLinkEmu, TcpPeerCloseEndsTheProgram)
{
    GTEST_FLAG_SET(death_test_style, "threadsafe");
    EXPECT_EXIT(
        {
            connectTcp(startEmu({"--personality", "ns", "--tcp", "0", "--drop-after", "1"}));
            identify();
        },
        ::testing::ExitedWithCode(0), "answered automatically: 121: TCP/IP shutdown request detected");
}

TEST_F(VxLinkEmu, TcpSendFailureAsksTheUser)
{
    // Nothing can be sent on a socket that never connected.
    vx.anaCom.tcp.service = 2;
    vx.anaCom.connectType = 2;
    vx.diagProt.modbusAddr = 1;
    vxBuildDiagReqMsg(&vx, "01");
    {
        vxtest::EnvGuard answer("VX_MSGBOX_AUTOANSWER", "no");
        EXPECT_EQ(vxSendDiagReqMsg(&vx), 0);   // No: the program goes on
    }
    EXPECT_EQ(vxtest::countLines(log(), "vxTcpWrite: TCP/IP send error detected"), 1);

    GTEST_FLAG_SET(death_test_style, "threadsafe");
    EXPECT_EXIT(
        {
            setenv("VX_MSGBOX_AUTOANSWER", "yes", 1);
            vxBuildDiagReqMsg(&vx, "01");
            vxSendDiagReqMsg(&vx);
        },
        ::testing::ExitedWithCode(0), "answered automatically: 123: TTCP/IP send error detected");
}

// ---- libmodbus' RTU server as the analyzer ------------------------------------------------

// libmodbus' server answers the frames; a shim on the master side of a
// pseudo-terminal (whose slave is the virtual port) answers the text
// commands of Modbus mode with "OK" and passes everything else to the server
// through a socket pair, and the server's answers back.
class LibmodbusSlave {
public:
    explicit LibmodbusSlave(const vxtest::TempTree& tree)
    {
        master_ = posix_openpt(O_RDWR | O_NOCTTY | O_CLOEXEC);
        EXPECT_EQ(grantpt(master_) | unlockpt(master_), 0);
        EXPECT_EQ(symlink(ptsname(master_), tree.path("dev/ttyV5").c_str()), 0);
        EXPECT_EQ(socketpair(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0, pair_), 0);
        ctx_ = modbus_new_rtu("/dev/null", 19200, 'N', 8, 1);   // never opened: it talks on the socket
        modbus_set_slave(ctx_, 1);
        modbus_set_socket(ctx_, pair_[0]);
        modbus_set_indication_timeout(ctx_, 0, 100000);
        map_ = modbus_mapping_new_start_address(0, 0, 0, 0, 3000, 6000, 0, 0);
        map_->tab_registers[0] = 1;                                          // 43001
        map_->tab_registers[1] = 0xFFFE;                                     // 43002
        map_->tab_registers[2002] = static_cast<uint16_t>(20230417 >> 16);   // 45003
        map_->tab_registers[2003] = static_cast<uint16_t>(20230417 & 0xFFFF);
        // 47003: 1013.25 as IEEE 754, most significant byte first.
        map_->tab_registers[4002] = 0x447D;
        map_->tab_registers[4003] = 0x5000;
        server_ = std::thread([this] {
            uint8_t query[MODBUS_RTU_MAX_ADU_LENGTH];
            while (!stop_) {
                int rc = modbus_receive(ctx_, query);
                if (rc > 0 && modbus_reply(ctx_, query, rc, map_) > 0) ++served_;
            }
        });
        shim_ = std::thread([this] { shim(); });
    }
    ~LibmodbusSlave()
    {
        stop_ = true;
        shim_.join();
        server_.join();
        modbus_mapping_free(map_);
        modbus_free(ctx_);
        close(pair_[0]);
        close(pair_[1]);
        close(master_);
    }
    int served() const { return served_; }

private:
    void shim()
    {
        while (!stop_) {
            pollfd p[2] = {{master_, POLLIN, 0}, {pair_[1], POLLIN, 0}};
            if (poll(p, 2, 20) <= 0) continue;
            char buf[512];
            if (p[0].revents & POLLIN) {
                ssize_t r = read(master_, buf, sizeof buf);
                std::string in(buf, static_cast<std::size_t>(std::max<ssize_t>(r, 0)));
                if (in.rfind("\\\\", 0) == 0) {
                    if (in.find("22000") != std::string::npos && write(master_, "OK\r\n", 4) != 4) return;
                } else if (!in.empty() && write(pair_[1], in.data(), in.size()) < 0) {
                    return;
                }
            }
            if (p[1].revents & POLLIN) {
                ssize_t r = read(pair_[1], buf, sizeof buf);
                if (r > 0 && write(master_, buf, static_cast<std::size_t>(r)) != r) return;
            }
        }
    }

    int master_ = -1;
    int pair_[2] = {-1, -1};
    modbus_t* ctx_ = nullptr;
    modbus_mapping_t* map_ = nullptr;
    std::atomic<bool> stop_{false};
    std::atomic<int> served_{0};
    std::thread server_, shim_;
};

TEST_F(VxLinkEmu, RegistersOfLibmodbusServer)
{
    LibmodbusSlave slave(tree_);
    connectSerial(5, 19200);
    vx.anaDetails.version.appType = 7;
    vx.anaVerPtr = &vx.anaDetails.version;

    EXPECT_EQ(readRegisters(43001, 2), 0);
    ASSERT_EQ(vx.mbData.regVal.shtCnt, 2);
    EXPECT_EQ(vx.mbData.regVal.shtVal[0], 1);
    EXPECT_EQ(vx.mbData.regVal.shtVal[1], 0xFFFE);
    EXPECT_EQ(readRegisters(45003, 1), 0);
    EXPECT_EQ(vx.mbData.regVal.lngVal[0], 20230417);
    EXPECT_EQ(readRegisters(47003, 1), 0);
    EXPECT_FLOAT_EQ(vx.mbData.regVal.fltVal[0], 1013.25f);
    EXPECT_EQ(readRegisters(49000, 1), -99);   // past the server's registers
    EXPECT_EQ(vx.mbData.mbExCode, MODBUS_EXCEPTION_ILLEGAL_DATA_ADDRESS);
    EXPECT_EQ(slave.served(), 4);
}

// ---- commands without an answer, late answers ---------------------------------------------

// Modbus mode off and the "34" that ends identification are sent without
// awaiting an answer, and the next exchange starts at once with a flush: the
// analyzer must still receive every one of them.
TEST_F(VxLinkEmu, CommandsSentWithoutAnswerReachTheAnalyzer)
{
    startEmu({"--personality", "ns", "--pty", "0"});
    connectSerial(0, 19200);
    vx.anaDetails.version.appType = 7;
    vx.anaVerPtr = &vx.anaDetails.version;
    vx.diagProt.modbusAddr = 1;
    ASSERT_EQ(vxValidateMbSlaveAddress(&vx), 0);
    constexpr int kRounds = 100;
    for (int i = 0; i < kRounds; ++i) {
        vxBuildMbDpOffMsg(&vx);
        ASSERT_EQ(vxSendMbReqMsg(&vx), 11);
        vxAsynFlush(&vx);
        vxBuildDiagReqMsg(&vx, VX_DP_PANEL_OFF);
        ASSERT_EQ(vxSendDiagReqMsg(&vx), 7);
        vxAsynFlush(&vx);
    }
    auto arrived = [&](const char* code) { return vxtest::countLines(emuLog(), std::string("code ") + code); };
    vxtest::waitFor([&] { return arrived("220000") + arrived("34") >= 2 * kRounds; }, 3s);
    EXPECT_EQ(arrived("220000"), kRounds);
    EXPECT_EQ(arrived("34"), kRounds);

    // A register read after the page's exchange (which ends with Modbus mode
    // off) finds the analyzer in its diagnostic mode: the frame is ignored.
    ASSERT_EQ(readRegisters(43001, 1), 0);
    vxAsynFlush(&vx);
    vxBuildMbFc03Msg(&vx);
    std::memcpy(vx.anaCom.obuf, vx.mbData.fcPtr, 8);
    vx.anaCom.wrtByteCnt = 8;
    ASSERT_EQ(vxSendMbReqMsg(&vx), 8);
    EXPECT_TRUE(vxtest::waitFor([&] { return emuLog().find("8 bytes outside a request ignored") != std::string::npos; }));
}

// An analyzer that answers 150 ms late over TCP: the acknowledgement of a
// mode switch that arrives after the exchange moved on must not be taken for
// the next exchange's answer.
TEST_F(VxLinkEmu, LateTcpAnswersStayWithTheirExchange)
{
    connectTcp(startEmu({"--personality", "ns", "--tcp", "0"}));
    faults("answer-delay 150");
    vx.anaDetails.version.appType = 7;
    vx.anaVerPtr = &vx.anaDetails.version;
    struct Case {
        int number, cnt;
    } cases[] = {{43001, 1}, {45001, 3}, {47001, 2}, {43001, 1}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.number);
        EXPECT_EQ(readRegisters(c.number, c.cnt), 0);
        // The acknowledgement of Modbus mode off, which nobody awaits, is
        // there before the next exchange starts.
        EXPECT_TRUE(vxtest::waitFor([] { return vxTcpStatus(&vx) > 0; }));
    }
    EXPECT_EQ(vx.mbData.regVal.shtVal[0], 1);   // the slave address, read last
    EXPECT_EQ(vxtest::countLines(log(), "Modbus response timeout"), 0);
}

}  // namespace
