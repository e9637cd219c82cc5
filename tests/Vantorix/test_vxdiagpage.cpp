// The diagnostics page end to end (offscreen): the shipped main window, the
// analyzer emulator as an NS analyzer on the virtual port COM97
// (../dev/ttyV0), the page entered by its control and refreshed by its
// button while the emulator's faults change through its control file: the
// values of every configured register with the alarms of the alarm word, a
// Modbus exception on every register, and an analyzer that does not answer.
#include <gtest/gtest.h>

#include <QTimer>

#include <filesystem>
#include <memory>
#include <regex>
#include <string>
#include <vector>

#include "qkcommasyn.h"
#include "qkstrsrv.h"
#include "qksyswincapture.h"
#include "qksyswinlist.h"
#include "qksyswinpage.h"
#include "qksyswinsrv.h"
#include "qksyswindlg.h"
#include "qkwinfuncsrv.h"
#include "vxAnaVersionSrv.h"
#include "vxAnalyzerSrv.h"
#include "vxAsynSrv.h"
#include "vxCallBacks.h"
#include "vxtestapp.h"
#include "vxtestsupport.h"

namespace fs = std::filesystem;

namespace {

constexpr int kValueList = 1516;
constexpr int kAlarmList = 1574;

class DiagPage : public vxtest::ShippedApp {
protected:
    void SetUp() override
    {
        ShippedApp::SetUp();
        if (HasFatalFailure()) return;
        showAsShell();
        if (HasFatalFailure()) return;
        startEmulator({"--record-ms", "20"});
        if (HasFatalFailure()) return;
        connectEmulator();
    }
    void click(int id) { qkwinfuncdispatch(win, QKWIN_PROC_MAIN, id, 0); }
    std::vector<std::string> lines(int list) { return vxtest::listLines(app->dpData.dvData.winPtr, list); }

    vxtest::EnvGuard offscreen{"QT_QPA_PLATFORM", "offscreen"};
    vxtest::EnvGuard answer{"VX_MSGBOX_AUTOANSWER", "ok"};
};

// The start of a value line: name and register.
std::string lineHead(const vxDiagParamInfo& p)
{
    char head[64];
    qkstrfmt(head, sizeof head, "%-25.25s %5d       ", p.name, p.mbReg);
    return head;
}

TEST_F(DiagPage, RefreshListsValuesAndAlarms)
{
    click(1003);
    ASSERT_EQ(win->page.currentpageid, 3);
    const vxDiagAppInfo& diag = *app->dpData.dvData.appPtr;
    ASSERT_EQ(lines(kValueList).size(), static_cast<size_t>(diag.paramCnt)) << "the registers named at the start";

    const std::regex stamp(R"(\d{4}/\d\d/\d\d \d\d:\d\d:\d\d)");
    const std::regex number(R"( *-?\d+(\.\d{4})?)");
    const struct {
        const char* what;
        const char* faults;
        const char* value;   // every value's text; null: numbers; "": no values at all
    } cases[] = {
        {"values and alarms", "alarms 0x2A", nullptr},
        {"exception", "exception 2", "Exception code: 2, ILLEGAL DATA ADDRESS"},
        {"no answer", "silence", ""},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        emulatorFaults(c.faults);
        const size_t logStart = log().size();
        click(1518);   // returns when the refresh has closed its dialog
        EXPECT_TRUE(vxtest::pumpUntil([&] { return app->diagdvthrds.state.load() == 0; }));
        const std::vector<std::string> values = lines(kValueList);
        ASSERT_FALSE(values.empty());
        EXPECT_TRUE(std::regex_match(values[0], stamp)) << values[0];
        if (c.value != nullptr && c.value[0] == '\0') {
            EXPECT_EQ(values.size(), 1u);
            const std::string newLog = log().substr(logStart);
            EXPECT_EQ(vxtest::countLines(newLog, "ent analyzer MODBUS ON request timeout"), 2) << "logged, and its box";
            continue;
        }
        ASSERT_EQ(values.size(), static_cast<size_t>(diag.paramCnt) + 1);
        int word = -1;
        for (int i = 0; i < diag.paramCnt; ++i) {
            const std::string head = lineHead(diag.param[i]);
            ASSERT_EQ(values[i + 1].substr(0, head.size()), head);
            const std::string value = values[i + 1].substr(head.size());
            if (c.value != nullptr) {
                EXPECT_EQ(value, c.value);
                continue;
            }
            // Floats have four decimals, integers none.
            EXPECT_TRUE(std::regex_match(value, number)) << values[i + 1];
            EXPECT_EQ(value.find('.') != std::string::npos, diag.param[i].mbReg >= 47001) << values[i + 1];
            if (diag.param[i].mbReg == diag.alarmRegister) word = std::stoi(value);
        }
        // The alarm list: the same stamp, then alarm n for each bit n + 1 of the word.
        const std::vector<std::string> alarms = lines(kAlarmList);
        ASSERT_FALSE(alarms.empty());
        EXPECT_EQ(alarms[0], values[0]);
        if (c.value != nullptr) continue;
        EXPECT_EQ(word & 0x2A, 0x2A) << "the forced alarm bits";
        std::vector<std::string> expected = {values[0]};
        for (int i = 0; i < diag.alarmCnt; ++i)
            if (word & (2 << diag.alarm[i].id)) expected.emplace_back(diag.alarm[i].name);
        EXPECT_EQ(alarms, expected);
        EXPECT_GE(expected.size(), 4u);

        fs::create_directories(VX_DIAG_SHOT_DIR);
        const std::string shot = std::string(VX_DIAG_SHOT_DIR) + "/vxDiagPage.png";
        EXPECT_EQ(qksyswinsavescreenshot(win, shot.c_str()), 0);
        EXPECT_TRUE(vxtest::imageShowsSomething(shot));
    }

    // Leaving the page (for the home page) switches Modbus mode off.
    emulatorFaults("none");
    click(1184);
    EXPECT_TRUE(vxtest::waitFor([&] { return vxtest::readFile(emuLog).find("Modbus mode off") != std::string::npos; }));
}

// The capture of an ARM9 analyzer: two record blocks, the second asked for
// when the first ends, then the count-down; the records go only to the data
// file, and leaving the page stops the capture and offers the save.
TEST_F(DiagPage, CaptureStoresTwoBlocksAndEndsAfterTheCountDown)
{
    click(1003);
    ASSERT_EQ(win->page.currentpageid, 3);
    qkwintimesetfunc(win, vxWindowTimerCB);   // the page's ticks run the capture
    qkwintimestart(win);
    app->runDiag.mode1Duration = 1;
    const size_t logStart = log().size();
    // The dialog is modal: should the capture never end, it is closed here.
    QTimer watchdog;
    watchdog.setSingleShot(true);
    QObject::connect(&watchdog, &QTimer::timeout, [this] { qkwindlgExitByID(win, 1350); });
    watchdog.start(30000);
    click(1678);

    EXPECT_STREQ(app->runDiag.msg, "Request complete");
    EXPECT_EQ(app->runDiag.modeEndCnt, 2);
    const int records = app->runDiag.recCnt;
    const std::string data = vxtest::readFile(app->dataFile.path);
    EXPECT_EQ(vxtest::countLines(data, "]]"), 2) << data;
    EXPECT_EQ(data.find('\r'), std::string::npos) << "carriage returns become blanks";
    EXPECT_EQ(records, vxtest::countLines(data, ""));
    EXPECT_NE(vxtest::readFile(emuLog).find("parameters stream started"), std::string::npos);

    click(1184);
    const std::string newLog = log().substr(logStart);
    EXPECT_EQ(vxtest::countLines(newLog, "Started Run Diagnostics"), 1) << newLog;
    EXPECT_EQ(vxtest::countLines(newLog, "Run Diagnostics complete, recordes saved: " + std::to_string(records)), 1)
        << newLog;
    EXPECT_EQ(app->rundiagthrds.thrdPtr.load(), nullptr) << "the reader has ended";
}

}  // namespace
