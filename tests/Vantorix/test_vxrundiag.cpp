// The capture engine without an analyzer: the reader thread splits what a
// scripted peer writes on a real pseudo-terminal into lines and hands them to
// the page's drain through the ring; a full ring keeps the lines it holds and
// counts the ones it cannot take; the timed capture's count-down.
#include <gtest/gtest.h>

#include <fcntl.h>
#include <unistd.h>

#include <string>
#include <thread>
#include <vector>

#include "qkcommasyn.h"
#include "qklogsrv.h"
#include "qkstrsrv.h"
#include "vxAsynSrv.h"
#include "vxInit.h"
#include "vxRunDiagSrv.h"
#include "qkfilesrv.h"
#include "vxtestsupport.h"

namespace {

using namespace std::chrono_literals;

std::vector<std::string> g_drained;

void keep(vxInfo*, const char* line)
{
    g_drained.emplace_back(line);
}

class VxRunDiag : public ::testing::Test {
protected:
    void SetUp() override
    {
        vxPtr = &vx;
        vxInitialize(&vx);
        ASSERT_EQ(qklogopn(tree_.path("rundiag.log").c_str()), 0);
        g_drained.clear();
    }
    void TearDown() override
    {
        vx.rundiagthrds.state.store(0);
        vxRunDiagExit(&vx);   // no data file: nothing to save
        if (writer_.joinable()) writer_.join();
        vxAsynClose(&vx);
        if (master_ >= 0) close(master_);
        qklogcls();
    }
    // The reader runs on the link to a pseudo-terminal whose master plays the analyzer.
    void startReader()
    {
        master_ = posix_openpt(O_RDWR | O_NOCTTY | O_CLOEXEC);
        ASSERT_GE(master_, 0);
        ASSERT_EQ(grantpt(master_) | unlockpt(master_), 0);
        ASSERT_EQ(symlink(ptsname(master_), tree_.path("dev/ttyV0").c_str()), 0);
        qkcommAsynSetDevName("\\\\.\\COM");
        vx.anaCom.asyn.fd = qkcommAsynOpen(97, 115200, 0, 8, 1);   // ../dev/ttyV0
        ASSERT_GT(vx.anaCom.asyn.fd, 0);
        vx.anaCom.connectType = 1;
        ASSERT_EQ(vxRunDiagInit(&vx), 0);
    }
    void send(std::string bytes)
    {
        writer_ = std::thread([this, bytes = std::move(bytes)] {
            for (std::size_t done = 0; done < bytes.size();) {
                const ssize_t w = write(master_, bytes.data() + done, bytes.size() - done);
                if (w <= 0) return;
                done += static_cast<std::size_t>(w);
            }
        });
    }
    // Drains like the page tick until n lines have come.
    bool drainUntil(std::size_t n)
    {
        return vxtest::waitFor([&] {
            vxRunDiagDrain(&vx, keep);
            return g_drained.size() >= n;
        }, 20s);
    }
    // Fills dataBuf as the splitter does and hands the line over.
    static int put(const std::string& line, int waitMs)
    {
        qkstrset(vx.runDiag.modeData.dataBuf, line.c_str());
        vx.runDiag.modeData.dataFlag = 1;
        return vxRunDiagPutLine(&vx, waitMs);
    }

    vxtest::TempTree tree_;
    vxtest::CwdGuard cwd_{tree_.work()};
    int master_ = -1;
    std::thread writer_;
};

// The cases, then more numbered records than the ring has slots: the ring
// wraps after its last slot and the page gets every line in order.
TEST_F(VxRunDiag, ReaderSplitsTheStreamIntoLinesThroughTheRing)
{
    const std::string longLine(5000, 'x');
    struct Case {
        std::string sent;
        std::string line;   // as the page gets it
    };
    std::vector<Case> cases = {
        {"2026/12/07\t11:45:00\t42.1\r\n", "2026/12/07\t11:45:00\t42.1  "},
        {"]]\r\n", "]]  "},
        {"bare feed\n", "bare feed "},
        {"a\rb\n", "a b "},
        {"\n", " "},
        {longLine + "\r\n", longLine.substr(0, 1023)},   // cut at the slot
        {"after the long one\n", "after the long one "},
    };
    const int fixed = static_cast<int>(cases.size());
    for (int i = fixed; i < VX_RINGLINES + 54; ++i)
        cases.push_back({"record " + std::to_string(i) + "\r\n", "record " + std::to_string(i) + "  "});
    std::string stream;
    for (const auto& c : cases) stream += c.sent;
    startReader();
    send(stream);
    ASSERT_TRUE(drainUntil(cases.size()));
    ASSERT_EQ(g_drained.size(), cases.size());
    for (std::size_t i = 0; i < cases.size(); ++i) ASSERT_EQ(g_drained[i], cases[i].line) << i;
    EXPECT_EQ(vx.runDiag.modeData.dataLineRdNdx.load(), 54);
    EXPECT_EQ(vx.runDiag.modeData.lostCnt.load(), 0);
}

TEST_F(VxRunDiag, FullRingKeepsItsLinesAndCountsTheLostOnes)
{
    vxModeDatanfo& md = vx.runDiag.modeData;
    for (int i = 0; i < VX_RINGLINES - 1; ++i) ASSERT_EQ(put("line " + std::to_string(i), 0), 0);

    // Full: the reader waits its bounded time, then gives the new line up.
    const vxtest::Stopwatch watch;
    EXPECT_EQ(put("too many", 50), -2);
    EXPECT_GE(watch.ms(), 50);
    EXPECT_EQ(put("and another", 0), -2);
    EXPECT_EQ(md.lostCnt.load(), 2);
    EXPECT_EQ(md.dataNdx, 0);
    EXPECT_EQ(md.dataBuf[0], '\0');

    // The page gets every line the ring held, then there is room again.
    while (vxRunDiagDrain(&vx, keep) > 0) {
    }
    ASSERT_EQ(g_drained.size(), static_cast<std::size_t>(VX_RINGLINES - 1));
    for (int i = 0; i < VX_RINGLINES - 1; ++i) ASSERT_EQ(g_drained[i], "line " + std::to_string(i));
    EXPECT_EQ(put("room again", 0), 0);
    EXPECT_EQ(vxRunDiagDrain(&vx, keep), 1);
    EXPECT_EQ(g_drained.back(), "room again");

    vx.runDiag.modeData.capDataFlag = 1;
    vxRunDiagCountRecord(&vx);
    EXPECT_STREQ(vx.runDiag.msg, "received record: 1, lost: 2");

    // At the program's end the lines no page has taken go to the data file.
    ASSERT_EQ(put("left in the ring", 0), 0);
    ASSERT_EQ(put("and its last", 0), 0);
    vx.dataFile.fdp = qkfileopen(tree_.path("capture.txt").c_str(), "w+");
    ASSERT_NE(vx.dataFile.fdp, nullptr);
    EXPECT_EQ(vxRunDiagWriteRing(&vx), 2);
    qkfileclose(vx.dataFile.fdp);
    vx.dataFile.fdp = nullptr;
    EXPECT_EQ(vxtest::readFile(tree_.path("capture.txt")), "left in the ring\nand its last\n");
}

TEST_F(VxRunDiag, CountDownOfTheTimedCapture)
{
    const int64_t t = 1'800'000'000;
    const struct {
        int state;
        int64_t now;
        const char* msg;
        int capturing;   // capture flag afterwards
    } steps[] = {
        {1, t, "Mode 1 count down second: 300", 1},
        {1, t + 299, "Mode 1 count down second: 1", 1},
        {1, t + 300, "Request complete", 0},
        {0, t + 10, "Request complete", 0},   // cancelled: over at once
    };
    for (const auto& s : steps) {
        SCOPED_TRACE(s.now - t);
        vxRunDiagInfo& rd = vx.runDiag;
        rd.state = s.state;
        rd.mode1Duration = 300;
        rd.mode1TimeStart = t;
        rd.modeData.capDataFlag = 1;
        EXPECT_EQ(vxRunDiagMode1CountDownAt(&vx, s.now), 0);
        EXPECT_STREQ(rd.msg, s.msg);
        EXPECT_EQ(rd.modeData.capDataFlag.load(), s.capturing);
        EXPECT_EQ(rd.mode1TimeCount, s.now);
        EXPECT_EQ(rd.mode1TimeStart, s.capturing ? t : 0) << "a finished count-down does not run again";
    }
}

}  // namespace
