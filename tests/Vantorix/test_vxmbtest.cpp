// The Modbus test tab end to end (offscreen): the shipped main window, the
// analyzer emulator as an NS analyzer on the virtual port COM97
// (../dev/ttyV0), the parameters page entered by its control and its Modbus
// test tab driven by its own controls: the frames logged as hex, the values
// listed by register, exceptions, answers from another slave and a cancel
// that stops the poll before its next request.
#include <gtest/gtest.h>

#include <QCheckBox>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>

#include <filesystem>
#include <memory>
#include <regex>
#include <string>
#include <vector>

#include "qkcommasyn.h"
#include "qksyswincapture.h"
#include "qksyswinlist.h"
#include "qksyswinpage.h"
#include "qksyswintab.h"
#include "qkwinfuncsrv.h"
#include "vxAnaVersionSrv.h"
#include "vxAnalyzerSrv.h"
#include "vxAsynSrv.h"
#include "vxParamModbusTestSrv.h"
#include "vxtestapp.h"
#include "vxtestsupport.h"

namespace fs = std::filesystem;

namespace {

constexpr int kFrameList = 1670;
constexpr int kValueList = 1668;
constexpr int kPoll = 1674;
constexpr int kMode = 1657;

class MbTest : public vxtest::ShippedApp {
protected:
    void SetUp() override
    {
        ShippedApp::SetUp();
        if (HasFatalFailure()) return;
        showAsShell();
        if (HasFatalFailure()) return;
        startEmulator();
        if (HasFatalFailure()) return;
        connectEmulator();
        if (HasFatalFailure()) return;

        qkwinfuncdispatch(win, QKWIN_PROC_MAIN, 1006, 0);   // the parameters page
        ASSERT_EQ(win->page.currentpageid, 6);
        ASSERT_EQ(qksyswinSetActiveTabID(win, 1616), 0);
        qksyswinsubtabdsp(win);
        tab = qkwintabgetactivecldPtr(win);
        ASSERT_NE(tab, nullptr);
    }
    void TearDown() override
    {
        vxParamPageMBstop(app.get());
        ShippedApp::TearDown();
    }
    std::vector<std::string> lines(int list) { return vxtest::listLines(tab, list); }

    vxtest::EnvGuard offscreen{"QT_QPA_PLATFORM", "offscreen"};
    vxtest::EnvGuard answer{"VX_MSGBOX_AUTOANSWER", "ok"};
    qkwinInfo* tab = nullptr;
};

std::vector<std::string> withPrefix(const std::vector<std::string>& all, const std::string& prefix)
{
    std::vector<std::string> out;
    for (const std::string& s : all)
        if (s.rfind(prefix, 0) == 0) out.push_back(s.substr(prefix.size()));
    return out;
}

TEST_F(MbTest, PollsListFramesAndValues)
{
    const std::string num = R"(-?\d+)", flt = R"(-?\d+\.\d{4})";
    const struct {
        const char* what;
        const char* faults;
        const char* start;
        const char* count;
        bool perValue;
        bool cancel;                          // pressed once the first request is out
        std::vector<std::string> requests;    // addresses of the requests sent (listed)
        const char* firstFrame;               // the first request as hex (regex)
        std::vector<std::string> values;      // the lines of list 1668 (regexes)
    } cases[] = {
        {"single read", "none", "43001", "1", false, false, {"3000"}, "01 03 0b b8 00 01 06 0b ", {"\t3000\t\t1"}},
        {"float block", "none", "47001", "3", false, false, {"7000"}, "01 03 1b 58 00 06 .. .. ",
         {"\t7000\t\t" + flt, "\t7002\t\t" + flt, "\t7004\t\t" + flt}},
        {"a request per value", "none", "45005", "2", true, false, {"5004", "5006"}, "01 03 13 8c 00 02 .. .. ",
         {"\t5004\t\t" + num, "\t5006\t\t" + num}},
        {"past the end", "none", "48999", "2", false, false, {"8998"}, "01 03 23 26 00 04 .. .. ",
         {"\t8998\t\tException code: 2, ILLEGAL DATA ADDRESS"}},
        {"wrong slave", "wrong-slave 5", "43001", "1", false, false, {"3000"}, ".*", {}},
        {"count refused", "none", "43001", "127", false, false, {}, "", {}},
        {"cancel", "answer-delay 400", "43001", "40", true, true, {}, "", {}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        emulatorFaults(c.faults);
        vxtest::press(1672);
        EXPECT_TRUE(lines(kFrameList).empty() && lines(kValueList).empty()) << "clear empties both lists";
        vxtest::choose(1656, c.start);
        vxtest::shown<QLineEdit>(1660)->setText(c.count);
        if (vxtest::shown<QCheckBox>(kMode)->isChecked() != c.perValue) vxtest::press(kMode);
        EXPECT_EQ(vxtest::shown<QCheckBox>(kMode)->isChecked(), c.perValue);
        const size_t logStart = log().size();
        const int asked = vxtest::countLines(vxtest::readFile(emuLog), "modbus: function 3");

        qkwinfuncdispatch(tab, QKWIN_PROC_SUBTAB, kPoll, 0);
        if (c.cancel) {
            ASSERT_TRUE(vxtest::pumpUntil([&] {
                return !withPrefix(lines(kFrameList), "Sent MODBUS request for register: ").empty();
            }));
            vxtest::press(1676);
        }
        ASSERT_TRUE(vxtest::pumpUntil([&] { return app->parammbthrds.state.load() == 0; }, std::chrono::seconds(15)));
        EXPECT_EQ(app->ppData.mbData.pollAnaFlg.load(), 0);
        EXPECT_TRUE(vxtest::shown<QLabel>(kPoll)->isEnabled()) << "the status is back";

        const std::vector<std::string> frames = lines(kFrameList);
        const int sent = vxtest::countLines(vxtest::readFile(emuLog), "modbus: function 3") - asked;
        if (c.cancel) {
            // The request out when cancel came is answered, no other follows.
            EXPECT_EQ(sent, 1);
            EXPECT_TRUE(withPrefix(frames, "Sent MODBUS request for register: ").empty());
            EXPECT_EQ(withPrefix(frames, "Get MODBUS response for register: "), std::vector<std::string>{"3000"});
            ASSERT_FALSE(frames.empty());
            EXPECT_EQ(frames.back(), "Received analyzer OK message");
            continue;
        }
        if (c.requests.empty()) {
            EXPECT_TRUE(frames.empty()) << "nothing sent, not even Modbus mode on";
            EXPECT_EQ(sent, 0);
            EXPECT_EQ(vxtest::countLines(log().substr(logStart), "Invalid poll request: 127"), 2) << "logged, and its box";
            continue;
        }
        ASSERT_GE(frames.size(), 8u);
        EXPECT_EQ(frames[0], "Sent analyzer MODBUS ON request");
        EXPECT_EQ(frames[1], "\\\\001220001");
        EXPECT_EQ(frames[2], "Received analyzer MODBUS OK message");
        EXPECT_TRUE(std::regex_match(frames[4], std::regex(c.firstFrame))) << frames[4];
        EXPECT_EQ(std::vector<std::string>(frames.end() - 3, frames.end()),
                  (std::vector<std::string>{"Sent analyzer MODBUS OFF request", "\\\\001220000",
                                            "Received analyzer OK message"}));
        EXPECT_EQ(withPrefix(frames, "Sent MODBUS request for register: "), c.requests);
        EXPECT_EQ(withPrefix(frames, "Get MODBUS response for register: "), c.requests);
        EXPECT_EQ(sent, static_cast<int>(c.requests.size()));
        EXPECT_EQ(withPrefix(frames, "Modbus response timeout, function code: ").size(), c.values.empty() ? 1u : 0u);

        const std::vector<std::string> values = lines(kValueList);
        ASSERT_EQ(values.size(), c.values.size());
        for (size_t i = 0; i < values.size(); ++i)
            EXPECT_TRUE(std::regex_match(values[i], std::regex(c.values[i]))) << values[i];

        if (std::string(c.what) == "float block") {
            EXPECT_EQ(vxtest::labelText(1652), "float");
            // The frame list shares its id with the clear and cancel entries:
            // choosing one of its lines is no click and empties nothing.
            vxtest::shown<QListWidget>(kFrameList)->setCurrentRow(3);
            EXPECT_EQ(lines(kFrameList), frames);
            fs::create_directories(VX_MBTEST_SHOT_DIR);
            const std::string shot = std::string(VX_MBTEST_SHOT_DIR) + "/vxParamModbusTest.png";
            EXPECT_EQ(qksyswinsavescreenshot(win, shot.c_str()), 0);
            EXPECT_TRUE(vxtest::imageShowsSomething(shot));
        }
    }
}

}  // namespace
