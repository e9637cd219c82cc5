// The log writer: line layout, trace switch, error lines, archive switch,
// standard-output copy, and whole lines under concurrent writers.
#include <gtest/gtest.h>

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <regex>
#include <sstream>
#include <thread>
#include <unistd.h>
#include <vector>

#include "qklogsrv.h"
#include "qkversion.h"
#include "vxtestsupport.h"

namespace {

class LogTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        path = tree.path("work/test.log");
        ASSERT_EQ(qklogopn(path.c_str()), 0);
    }
    void TearDown() override
    {
        qklogcls();
        qklogsettrace(0);
        qklogsetstdout(0);
        qklogsettimestamp(0);
    }
    std::vector<std::string> lines()
    {
        std::vector<std::string> out;
        std::istringstream s(vxtest::readFile(path));
        for (std::string l; std::getline(s, l);) out.push_back(l);
        return out;
    }
    vxtest::TempTree tree;
    std::string path;
};

TEST_F(LogTest, LineLayoutWithAndWithoutLabel)
{
    qklogf("vxmain", "Vantorix NQE Started");
    qklogf("", "%s", "dump text");
    qklogsettimestamp(0);
    qklogf("plain", "no stamp");
    auto l = lines();
    ASSERT_EQ(l.size(), 3u);
    EXPECT_TRUE(std::regex_match(l[0], std::regex(R"(\d{17}-vxmain: Vantorix NQE Started)"))) << l[0];
    EXPECT_EQ(l[1], "    dump text");
    EXPECT_EQ(l[2], "plain: no stamp");
}

TEST_F(LogTest, TimeStampIsSeventeenDigitsOfLocalTime)
{
    char ts[18];
    qkloggts(ts);
    ASSERT_EQ(std::strlen(ts), 17u);
    time_t now = time(nullptr);
    tm local{};
    localtime_r(&now, &local);
    char year[5];
    strftime(year, sizeof year, "%Y", &local);
    EXPECT_EQ(std::string(ts, 4), year);
    for (char c : std::string(ts)) EXPECT_TRUE(isdigit(static_cast<unsigned char>(c)));
}

TEST_F(LogTest, TraceWritesOnlyWhileOn)
{
    qklogTrace("qkfirst");
    qklogsettrace(1);
    qklogTrace("qksecond");
    qklogsettrace(0);
    qklogTrace("qkthird");
    auto l = lines();
    ASSERT_EQ(l.size(), 1u);
    EXPECT_NE(l[0].find("-qklogTrace: qksecond"), std::string::npos);
}

TEST_F(LogTest, ErrorLinesFollowErrno)
{
    errno = 0;
    qklogErr("nothing wrong");
    errno = ENOENT;
    qklogErr("call to fopen");
    auto l = lines();
    ASSERT_EQ(l.size(), 4u);   // one line, then the reason, errno line and its empty line
    EXPECT_NE(l[0].find("qklogErr: error, reason: nothing wrong"), std::string::npos);
    EXPECT_NE(l[1].find("qklogErr: error, reason: call to fopen"), std::string::npos);
    EXPECT_NE(l[2].find("qklogErr: errno: 2, No such file or directory"), std::string::npos);
    EXPECT_EQ(l[3], "");
}

TEST_F(LogTest, SwitchKeepsArchiveAndStartsEmpty)
{
    qklogf("t", "old line");
    std::string archive = tree.path("work/test.old");
    ASSERT_EQ(qklogswitch(path.c_str(), archive.c_str()), 0);
    qklogf("t", "new line");
    EXPECT_NE(vxtest::readFile(archive).find("old line"), std::string::npos);
    auto l = lines();
    ASSERT_EQ(l.size(), 1u);
    EXPECT_NE(l[0].find("new line"), std::string::npos);
}

TEST_F(LogTest, OverlongTextAndLabelAreCut)
{
    std::string big(5000, 'x');
    qklogf(std::string(200, 'L').c_str(), "%s", big.c_str());
    auto l = lines();
    ASSERT_EQ(l.size(), 1u);
    EXPECT_LT(l[0].size(), 1200u);
    EXPECT_NE(l[0].find(std::string(1000, 'x')), std::string::npos);
}

TEST_F(LogTest, ConcurrentWritersNeverMixLines)
{
    constexpr int kThreads = 4, kLines = 500;
    std::vector<std::thread> t;
    for (int i = 0; i < kThreads; ++i)
        t.emplace_back([i] {
            for (int n = 0; n < kLines; ++n) qklogf("writer", "thread %d line %d %s", i, n, std::string(40, 'a' + i).c_str());
        });
    for (auto& th : t) th.join();
    auto l = lines();
    ASSERT_EQ(l.size(), static_cast<size_t>(kThreads * kLines));
    std::regex shape(R"(\d{17}-writer: thread (\d) line \d+ ([a-d])\2{39})");
    for (const auto& line : l) {
        std::smatch m;
        ASSERT_TRUE(std::regex_match(line, m, shape)) << line;
        EXPECT_EQ(m[2].str()[0], 'a' + (m[1].str()[0] - '0'));
    }
}

TEST_F(LogTest, StandardOutputCopyHasOneLineBreak)
{
    std::string capture = tree.path("work/stdout.txt");
    fflush(stdout);
    int saved = dup(1);
    int fd = open(capture.c_str(), O_CREAT | O_TRUNC | O_WRONLY, 0644);
    dup2(fd, 1);
    close(fd);
    qklogsettimestamp(0);
    qklogsetstdout(1);
    qklogf("vxStop", "Option: x, not defined in option string");
    qklogverblddate();
    qklogsetstdout(0);
    fflush(stdout);
    dup2(saved, 1);
    close(saved);
    EXPECT_EQ(vxtest::readFile(capture),
              "vxStop: Option: x, not defined in option string\n"
              "qklogverblddate:  QK library version: v.6.0.0,  Build date: Apr 29 2017 14:11:08\n");
}

TEST(LogNoFile, OpenFailsInMissingFolderAndLinesGoNowhere)
{
    EXPECT_EQ(qklogopn("/nonexistent-folder/x.log"), -1);
    EXPECT_EQ(qkloggetfd(), nullptr);
    qklogf("t", "goes nowhere");   // must not crash
    qklogsettimestamp(0);
}

}  // namespace
