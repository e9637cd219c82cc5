// The analyzer link and its protocols without an analyzer: request texts,
// Modbus frames and CRC, identity parsing and passwords as pure functions; then the serial read, the data-block reader and the Modbus
// response reader against a scripted peer on a real pseudo-terminal.
#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <cstring>
#include <fcntl.h>
#include <poll.h>
#include <string>
#include <sys/ioctl.h>
#include <thread>
#include <unistd.h>
#include <vector>

#include "qkcommasyn.h"
#include "qklogsrv.h"
#include "qkstrsrv.h"
#include "vxAnaPasswordSrv.h"
#include "vxAnalyzerSrv.h"
#include "vxAsynSrv.h"
#include "vxDiagnosticProtocolSrv.h"
#include "vxInit.h"
#include "vxModbusProtocolSrv.h"
#include "vxRequestDiagProtData.h"
#include "vxtestsupport.h"

namespace {

using namespace std::chrono_literals;

using vxtest::bytes;

class VxLinkProto : public ::testing::Test {
protected:
    void SetUp() override
    {
        vxPtr = &vx;
        vxInitialize(&vx);
        ASSERT_EQ(qklogopn(log_.c_str()), 0);
    }
    void TearDown() override { qklogcls(); }
    std::string log() const { return vxtest::readFile(log_); }

    vxtest::TempTree tree_;
    std::string log_ = tree_.path("link.log");
};

TEST_F(VxLinkProto, RequestAndModeSwitchTexts)
{
    struct Case {
        int addr, appType;
        const char* kind;   // a command code, or "on"/"off" for the Modbus-mode switch
        const char* text;
    } cases[] = {
        {1, 7, "01", "\\\\00101"},     {12, 7, "01", "\\\\01201"},    {1, 6, "on", "\\\\00123"},
        {1, 6, "off", "\\\\00124"},    {1, 7, "on", "\\\\001220001"}, {247, 8, "off", "\\\\247220000"},
        {1, 1, "on", "\\\\001"},       {0, 2, "off", "\\\\000"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::string(c.kind) + " " + std::to_string(c.addr));
        vx.anaDetails.version.appType = c.appType;
        vx.diagProt.modbusAddr = c.addr;
        vx.mbData.modbusAddr = c.addr;
        vx.anaCom.wrtByteCnt = 99;
        if (std::strcmp(c.kind, "on") == 0)
            vxBuildMbDpOnMsg(&vx);
        else if (std::strcmp(c.kind, "off") == 0)
            vxBuildMbDpOffMsg(&vx);
        else
            vxBuildDiagReqMsg(&vx, c.kind);
        EXPECT_STREQ(reinterpret_cast<char*>(vx.anaCom.obuf), c.text);
        EXPECT_EQ(vx.anaCom.wrtByteCnt, 0);   // sent as text
    }
}

TEST_F(VxLinkProto, ReadFramesCrcAndDump)
{
    struct Case {
        int slave, reg, cnt;
        std::vector<unsigned char> frame;
    } cases[] = {
        {1, 3000, 1, {0x01, 0x03, 0x0B, 0xB8, 0x00, 0x01, 0x06, 0x0B}},
        {1, 5000, 3, {0x01, 0x03, 0x13, 0x88, 0x00, 0x06}},   // 3 long values are 6 registers
        {1, 7000, 2, {0x01, 0x03, 0x1B, 0x58, 0x00, 0x04}},
        {247, 4999, 125, {0xF7, 0x03, 0x13, 0x87, 0x00, 0x7D}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.reg);
        vx.mbData.mbSlaveAddr = c.slave;
        vx.mbData.mbReg = c.reg;
        vx.mbData.mbRegCnt = c.cnt;
        ASSERT_EQ(vxValidateMbReg(&vx), 0);
        ASSERT_EQ(vxBuildMbFc03Msg(&vx), 0);
        EXPECT_EQ(vx.mbData.fcID, 3);
        ASSERT_EQ(vx.mbData.fcByteCnt, 8);
        std::string got = bytes(vx.mbData.fcPtr, 8);
        EXPECT_EQ(got.substr(0, c.frame.size()), bytes(c.frame.data(), c.frame.size()));
        // Whatever the frame, a CRC over all 8 bytes is 0 when the CRC is right.
        vx.mbData.fcByteCnt = 10;
        EXPECT_EQ(vxCalculateMbCRC(&vx), 0);
        vx.mbData.fcByteCnt = 8;
    }
    vx.mbData.mbSlaveAddr = 1;
    vx.mbData.mbReg = 3000;
    vx.mbData.mbRegCnt = 1;
    vxValidateMbReg(&vx);
    vxBuildMbFc03Msg(&vx);
    EXPECT_EQ(vxCalculateMbCRC(&vx), 0x0B06);
    vxBuildMbFcDbmsg(&vx);
    EXPECT_STREQ(g_wbuf, "01 03 0b b8 00 01 06 0b ");
    // A frame longer than the work text holds is cut, not written past it.
    vx.mbData.fcPtr = vx.mbData.msgBuf;
    vx.mbData.fcByteCnt = 512;
    vxBuildMbFcDbmsg(&vx);
    EXPECT_EQ(std::strlen(g_wbuf), 1023u);
}

TEST_F(VxLinkProto, SlaveAddresses)
{
    struct Addr {
        int addr, status, kept;
    } addrs[] = {{0, 0, 0}, {247, 0, 247}, {248, -2, 247}, {-1, -2, 247}};
    for (const Addr& a : addrs) {
        vx.diagProt.modbusAddr = a.addr;
        EXPECT_EQ(vxValidateMbSlaveAddress(&vx), a.status) << a.addr;
        EXPECT_EQ(vx.mbData.mbSlaveAddr, a.kept) << a.addr;
        EXPECT_EQ(vx.mbData.modbusAddr, a.kept) << a.addr;
    }
    // The refusal goes to the log and to the information box.
    EXPECT_EQ(vxtest::countLines(log(), "vxValidateMbSlaveAddress: Invalid modbus address: 248"), 1);
    EXPECT_EQ(vxtest::countLines(log(), "vxMsgInfo: Invalid modbus address: 248"), 1);
}

TEST_F(VxLinkProto, IdentityParsing)
{
    using namespace std::string_literals;
    struct Case {
        std::string block;
        int type, emu, hw, app, build;
        const char *version, *rev, *pres;
        int h2oFlag;
    } cases[] = {
        {"HC12-2.30 0123,\0\0,C,psia,ppmv,"s, 1, 0, 3, 6, 291, "HC12-2.30 0123", "2.30", "psia", 0},
        {"HC12 2.30 E901,\0\0,C,psia,ppmv,"s, 1, 0, 3, 6, 59649, "HC12 2.30 E901", "2.30", "psia", 0},
        {"HC12-2.30 E902,\0\0,C,psia,ppmv,"s, 2, 0, 3, 6, 59650, "HC12-2.30 E902", "2.30", "psia", 1},
        {"  HC12-2.30 0123 ,\0\x01,F, psia ,ppmv,x,y"s, 3, 0, 3, 6, 291, "HC12-2.30 0123", "2.30", "psia", 0},
        {"HC12-2.30 0123,\0\x04,C,psia,ppmv,"s, 1, 1, 3, 6, 291, "HC12-2.30 0123", "2.30", "psia", 0},
        {"HC12-2.30 0123,\x01\x04,C,psia,ppmv,"s, 3, 1, 3, 6, 291, "HC12-2.30 0123", "2.30", "psia", 0},
        {"ARM9_NS-1.12 0417,\0\0,C,mbar,ppmv,"s, 0, 0, 4, 7, 1047, "ARM9_NS-1.12 0417", "1.12", "mbar", 0},
        {"ARM9_FS 1.05 0233,\0\x01,C,kPa,ppmv,"s, 0, 0, 4, 8, 563, "ARM9_FS 1.05 0233", "1.05", "kPa", 0},
        {"no commas in this block"s, 0, 0, 1, 1, 1, "", "Unknown", "", 0},
        // Cut to 64 bytes: the fifth field loses its comma and is not stored.
        {"ARM9_NS-1.12 0417,\0\0,C,mbar,"s + std::string(60, 'p') + ","s, 0, 0, 4, 7, 1047, "ARM9_NS-1.12 0417",
         "1.12", "mbar", 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.version);
        vxInitialize(&vx);
        vxAnalyzerInfo& ana = vx.anaDetails;
        ana.size = std::min<int>(static_cast<int>(c.block.size()), 64);
        std::memcpy(ana.dataID, c.block.data(), static_cast<std::size_t>(ana.size));
        if (c.block.size() > 64) ana.size = 1000;   // a size past the block is held to it
        vxSetAnalyzerID(&vx);
        EXPECT_EQ(vxParseAnalyzerID(&vx), 0);
        EXPECT_EQ(vx.anaVerPtr, &ana.version);
        EXPECT_EQ(ana.ID.type, c.type);
        EXPECT_EQ(ana.emuFlag, c.emu);
        EXPECT_EQ(ana.version.hwType, c.hw);
        EXPECT_EQ(ana.version.appType, c.app);
        EXPECT_EQ(ana.version.build, c.build);
        EXPECT_STREQ(ana.ID.version, c.version);
        EXPECT_STREQ(ana.version.revName, c.rev);
        EXPECT_STREQ(ana.ID.presUnit, c.pres);
        EXPECT_EQ(vx.spData.getH2OFlag, c.h2oFlag);
    }
    EXPECT_EQ(vx.anaDetails.ID.concUnit[0], '\0');
    std::string text = log();
    EXPECT_EQ(vxtest::countLines(text, "Analyzer type: dual"), 1);
    EXPECT_EQ(vxtest::countLines(text, "Analyzer connected to emulator"), 2);
    EXPECT_EQ(vxtest::countLines(text, "Analyzer temperatue unit: F"), 1);
}

TEST_F(VxLinkProto, Passwords)
{
    vxLoadValidPassword(&vx);
    ASSERT_EQ(vx.validPW.cnt, 8);
    struct Case {
        int appType, pw, status, level, after;
    } cases[] = {{6, 5206, 0, 1, 5206}, {6, 4931, 0, 3, 4931}, {6, 8374, -2, -1, 5206}, {7, 8374, 0, 2, 8374},
                 {8, 6059, 0, 3, 6059}, {7, 4931, -2, -1, 5206}, {1, 5206, -2, -1, 5206}};
    for (const Case& c : cases) {
        vx.anaVerPtr = &vx.anaDetails.version;
        vx.anaDetails.version.appType = c.appType;
        vx.userPW = c.pw;
        vx.userPWtype = -1;
        EXPECT_EQ(vxValidatePassword(&vx), c.status) << c.appType << " " << c.pw;
        EXPECT_EQ(vx.userPWtype, c.level) << c.appType << " " << c.pw;
        EXPECT_EQ(vx.userPW, c.after) << c.appType << " " << c.pw;
    }
    EXPECT_EQ(vxtest::countLines(log(), "vxMsgInfo: Invalid Password"), 3);
}

TEST_F(VxLinkProto, ReadabilityCheck)
{
    struct Case {
        std::string text;
        int status;
    } cases[] = {{std::string(30, 'a') + "\r\n", 0}, {"\tMeasuring 42.0 ppmv at 14.7 psia ok", 0},
                 {std::string(31, 'a') + "\xc8", -2}, {std::string(5, 'a') + '\0' + std::string(26, 'a'), -2}};
    for (const Case& c : cases) {
        vx.anaCom.baudDetected = 0;
        std::memcpy(vx.anaCom.ibuf, c.text.data(), 32);
        EXPECT_EQ(vxAsynBaudDetection(&vx), c.status) << c.text;
        EXPECT_EQ(vx.anaCom.baudDetected, c.status == 0 ? 1 : 0);
    }
}

TEST_F(VxLinkProto, SpectraWorkerSlot)
{
    for (int round = 0; round < 2; ++round) {
        ASSERT_EQ(vxRunDiagProtReqData(&vx), 0);
        EXPECT_NE(vx.getdpdatathrds.thrdPtr.load(), nullptr);
        EXPECT_EQ(vx.getdpdatathrds.thrdid, 1);
        EXPECT_TRUE(vxtest::waitFor([] { return vx.getdpdatathrds.state == 0; }));   // the scan has ended
    }
    vx.getdpdatathrds.state = 1;
    EXPECT_EQ(vxExitDiagProtReqData(&vx), 0);
    EXPECT_EQ(vx.getdpdatathrds.state, 0);
    EXPECT_EQ(vxStopDiagProtReqData(&vx), 0);
    EXPECT_EQ(vx.getdpdatathrds.thrdPtr.load(), nullptr);
    EXPECT_EQ(vxStopDiagProtReqData(&vx), 0);   // nothing left to stop
}

// ---- a scripted analyzer on a pseudo-terminal ------------------------------------------

class VxLinkPty : public VxLinkProto {
protected:
    void SetUp() override
    {
        VxLinkProto::SetUp();
        master_ = posix_openpt(O_RDWR | O_NOCTTY | O_CLOEXEC);
        ASSERT_GE(master_, 0);
        ASSERT_EQ(grantpt(master_) | unlockpt(master_), 0);
        ASSERT_EQ(symlink(ptsname(master_), tree_.path("dev/ttyV0").c_str()), 0);
        qkcommAsynSetDevName("\\\\.\\COM");
        vxAnalyzerComInfo& com = vx.anaCom;
        com.asyn.fd = qkcommAsynOpen(97, 9600, 0, 8, 1);   // ../dev/ttyV0
        ASSERT_GT(com.asyn.fd, 0);
        com.connectType = 1;
        com.ibPtr = com.ibuf;
        com.obPtr = com.obuf;
        com.maxbyts = VX_LINKBUFSIZE;
    }
    void TearDown() override
    {
        if (peer_.joinable()) peer_.join();
        vxAsynClose(&vx);
        EXPECT_EQ(vx.anaCom.asyn.fd, 0);
        close(master_);
        VxLinkProto::TearDown();
    }
    int pending() const
    {
        int n = 0;
        ioctl(vx.anaCom.asyn.fd, FIONREAD, &n);
        return n;
    }
    // The analyzer answers in pieces: each piece once the link has taken the one before.
    void answer(std::vector<std::string> pieces)
    {
        peer_ = std::thread([this, pieces = std::move(pieces)] {
            for (const std::string& p : pieces) {
                vxtest::waitFor([this] { return pending() == 0; });
                std::size_t done = 0;
                while (done < p.size()) {
                    ssize_t w = write(master_, p.data() + done, p.size() - done);
                    if (w <= 0) return;
                    done += static_cast<std::size_t>(w);
                }
                vxtest::waitFor([this] { return pending() > 0; }, 1s);
            }
        });
    }
    std::string heard()
    {
        std::string got;
        char buf[512];
        pollfd p{master_, POLLIN, 0};
        while (poll(&p, 1, 100) > 0) {
            ssize_t r = read(master_, buf, sizeof buf);
            if (r <= 0) break;
            got.append(buf, static_cast<std::size_t>(r));
        }
        return got;
    }

    int master_ = -1;
    vxtest::CwdGuard cwd_{tree_.work()};   // the virtual port is ../dev/ttyV0
    std::thread peer_;
};

TEST_F(VxLinkPty, SerialReadBoundsWritesAndCounters)
{
    vxAnalyzerComInfo& com = vx.anaCom;
    const vxtest::Stopwatch watch;
    EXPECT_EQ(vxAsynRead(&vx), 0);   // nothing waiting: two polls, no window needed
    const auto took = watch.elapsed();
    EXPECT_GE(took, 190ms);
    EXPECT_LT(took, 1500ms);
    EXPECT_EQ(com.rdByteCnt, 0);

    answer({"0123456789ABCDEFGHIJ"});
    com.maxbyts = 8;
    com.ibuf[8] = '#';
    EXPECT_EQ(vxAsynRead(&vx), 8);
    EXPECT_EQ(bytes(com.ibuf, 9), "01234567#");   // nothing written past the capacity
    com.maxbyts = VX_LINKBUFSIZE;
    EXPECT_EQ(vxAsynRead(&vx), 12);
    EXPECT_EQ(bytes(com.ibuf, 12), "89ABCDEFGHIJ");
    EXPECT_EQ(vx.inDataCnt, 20);

    // A text request goes up to its terminator; a frame with zero bytes needs its length.
    vx.diagProt.modbusAddr = 1;
    vxBuildDiagReqMsg(&vx, "01");
    EXPECT_EQ(vxAsynWrite(&vx), 7);
    EXPECT_EQ(heard(), "\\\\00101");
    vx.mbData.mbSlaveAddr = 1;
    vx.mbData.mbReg = 3000;
    vx.mbData.mbRegCnt = 1;
    vxValidateMbReg(&vx);
    vxBuildMbFc03Msg(&vx);
    std::memcpy(com.obuf, vx.mbData.fcPtr, 8);
    com.wrtByteCnt = 8;
    EXPECT_EQ(vxSendMbReqMsg(&vx), 8);
    EXPECT_EQ(heard(), std::string("\x01\x03\x0b\xb8\x00\x01\x06\x0b", 8));
    EXPECT_EQ(com.wrtByteCnt, 0);
    EXPECT_EQ(vx.outDataCnt, 15);
}

TEST_F(VxLinkPty, DataBlocks)
{
    const std::string big(5000, 'x');
    struct Case {
        const char* name;
        std::vector<std::string> pieces;
        int status;
        std::string payload;
    } cases[] = {
        {"brackets inside", {"[ABC]D]]"}, 2, "ABC]D"},
        {"noise before, second [ kept", {"OK\r\n##[A[B]]tail"}, 2, "A[B"},
        {"end marker across reads", {"[AB]", "]"}, 2, "AB"},
        {"raw samples end at 5D 5D", {std::string("[\x01\x5d\x5d\x02\x03]]", 8)}, 2, std::string("\x01", 1)},
        {"5000 bytes over several reads", {"[" + big.substr(0, 3000), big.substr(3000), "]]"}, 2, big.substr(0, 4096)},
        {"cap and end in one read", {"[" + big.substr(0, 4000), big.substr(0, 96) + "zz]]"}, 2, big.substr(0, 4096)},
        {"no end", {"[ABC"}, 0, "ABC"},
        {"nothing", {}, 0, ""},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        vxAsynFlush(&vx);
        vx.diagProt.dataCnt = -1;
        answer(c.pieces);
        EXPECT_EQ(vxGetDiagRespMsg(&vx), c.status);
        peer_.join();
        EXPECT_EQ(vx.diagProt.dataCnt, static_cast<int>(c.payload.size()));
        EXPECT_EQ(bytes(vx.diagProt.rspBuf, static_cast<std::size_t>(vx.diagProt.dataCnt)), c.payload);
    }
    // Readable text without a block passes while identification checks it.
    vx.anaCom.checkBaud = 1;
    answer({"Measuring 42.0 ppmv at 14.7 psia, 25.0 C\r\n"});
    EXPECT_EQ(vxGetDiagRespMsg(&vx), 2);
    EXPECT_EQ(vx.anaCom.baudDetected, 1);
    EXPECT_EQ(vx.diagProt.dataCnt, 0);
}

TEST_F(VxLinkPty, ModbusResponses)
{
    auto frame = [](std::vector<unsigned char> b) {
        vx.mbData.fcPtr = b.data();
        vx.mbData.fcByteCnt = static_cast<int>(b.size()) + 2;
        uint16_t crc = vxCalculateMbCRC(&vx);
        b.push_back(static_cast<unsigned char>(crc & 0xFF));
        b.push_back(static_cast<unsigned char>(crc >> 8));
        return std::string(b.begin(), b.end());
    };
    struct Case {
        const char* name;
        int regType;
        std::vector<std::string> pieces;
        int status, exCode;
        double value;
    } cases[] = {
        {"other function code", 1, {frame({0x01, 0x04, 0x02, 0x00, 0x07})}, -99, 2, 0},
        {"in pieces", 1, {std::string("\x01\x03", 2), frame({0x01, 0x03, 0x02, 0x00, 0x2A}).substr(2)}, 0, 0, 42},
        {"foreign slave first", 1, {frame({0x09, 0x03, 0x02, 0x00, 0x07}) + frame({0x01, 0x03, 0x02, 0x00, 0x2A})}, 0, 0, 42},
        {"32-bit signed", 2, {frame({0x01, 0x03, 0x04, 0xFF, 0xFF, 0xFF, 0xFE})}, 0, 0, -2},
        {"float", 3, {frame({0x01, 0x03, 0x04, 0x42, 0x28, 0x00, 0x00})}, 0, 0, 42},
    };
    vx.mbData.mbSlaveAddr = 1;
    vx.mbData.fcID = 3;
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        vx.mbData.mbRegType = c.regType;
        vx.mbData.mbExCode = 0;
        answer(c.pieces);
        EXPECT_EQ(vxGetMbRspMsg(&vx), c.status);
        peer_.join();
        EXPECT_EQ(vx.mbData.mbExCode, c.exCode);
        if (c.status == 0) {
            const vxModbusValues& v = vx.mbData.regVal;
            EXPECT_EQ(c.regType == 1 ? v.shtVal[0] : c.regType == 2 ? v.lngVal[0] : double(v.fltVal[0]), c.value);
            EXPECT_EQ(v.shtCnt + v.lngCnt + v.fltCnt, 1);
        }
        EXPECT_EQ(vx.anaCom.ibPtr, vx.anaCom.ibuf);   // later exchanges read into ibuf again
    }
}

}  // namespace
