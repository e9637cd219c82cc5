// The parameters page end to end (offscreen): the shipped main window, the
// analyzer emulator as an NS analyzer on the virtual port COM97 (../dev/ttyV0),
// the page entered by its control and its tree loaded by the window's ticks
// for a user level, while the emulator's faults change through its control
// file: the registers of the profile the level may see with the emulator's
// values, a Modbus exception on every register, and answers from another
// slave (a time-out, which keeps the values shown before). A double click on
// a parameter opens its dialog. The page's capture ends after two blocks.
#include <gtest/gtest.h>

#include <QTimer>
#include <QTreeWidget>

#include <algorithm>
#include <chrono>
#include <filesystem>
#include <iostream>
#include <map>
#include <regex>
#include <set>
#include <string>
#include <vector>

#include "qksyswincapture.h"
#include "qksyswindlg.h"
#include "qksyswinsrv.h"
#include "qkwinfuncsrv.h"
#include "vxAnaPasswordSrv.h"
#include "vxCallBacks.h"
#include "vxtestapp.h"
#include "vxtestsupport.h"

namespace fs = std::filesystem;

namespace {

constexpr int kTree = 1634;
// The serial read of one answer waits three times 100 ms (two polls and the
// pause after the data): the least a register read can take.
constexpr int kFixedWaitsPerRequestMs = 300;

class ParamPage : public vxtest::ShippedApp {
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
        vxLoadValidPassword(app.get());
    }
    // The tree as lines "group", "group/name", "group/name/value".
    static std::vector<std::string> treeLines(QTreeWidget* tree)
    {
        std::vector<std::string> out;
        QTreeWidgetItem* root = tree->topLevelItem(0);
        for (int g = 0; root != nullptr && g < root->childCount(); ++g) {
            const std::string group = root->child(g)->text(0).toStdString();
            out.push_back(group);
            for (int p = 0; p < root->child(g)->childCount(); ++p) {
                QTreeWidgetItem* param = root->child(g)->child(p);
                out.push_back(group + "/" + param->text(0).toStdString());
                for (int v = 0; v < param->childCount(); ++v)
                    out.push_back(group + "/" + param->text(0).toStdString() + "/" + param->child(v)->text(0).toStdString());
            }
        }
        return out;
    }

    vxtest::EnvGuard offscreen{"QT_QPA_PLATFORM", "offscreen"};
    vxtest::EnvGuard answer{"VX_MSGBOX_AUTOANSWER", "ok"};
};

// Passwords that show a parameter on an NS analyzer, by user password.
const std::set<int>& shownTo(int password)
{
    static const std::set<int> level1 = {5206}, level3 = {5206, 8374, 6059};
    return password == 5206 ? level1 : level3;
}

TEST_F(ParamPage, TreeByUserLevelWithValuesExceptionsAndTimeouts)
{
    qkwinfuncdispatch(win, QKWIN_PROC_MAIN, 1006, 0);
    ASSERT_EQ(win->page.currentpageid, 6);
    qkwintimesetfunc(win, vxWindowTimerCB);   // the page's ticks build and load the tree
    qkwintimestart(win);
    ASSERT_TRUE(vxtest::pumpUntil([] { return vxtest::shown<QTreeWidget>(kTree) != nullptr; }));
    QTreeWidget* tree = vxtest::shown<QTreeWidget>(kTree);
    vxParamTvInfo& menu = app->ppData.plData.tvMenu;

    const std::regex integer(R"(     -?\d+)"), real(R"(     -?\d+\.\d{4})");
    // Values the emulator holds whatever its noise.
    const std::map<std::string, std::string> fixed = {
        {"Averaging Time", "     30"}, {"AO High Scale", "     500.0000"}, {"Serial Number", "     20230417"}};
    const struct {
        const char* what;
        const char* faults;
        int password;
        const char* value;   // every value's text; null: the emulator's numbers; "": kept from before
    } cases[] = {
        {"exception, level 1", "exception 2", 5206, "     Exception code: 2, ILLEGAL DATA ADDRESS"},
        {"level 1", "none", 5206, nullptr},
        {"level 3", "none", 6059, nullptr},
        {"another slave answers", "wrong-slave 9", 5206, ""},
    };
    std::vector<std::string> before;
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        emulatorFaults(c.faults);
        // A time-out takes seconds a register: one parameter is enough.
        if (c.value != nullptr && c.value[0] == '\0') {
            menu.groupCnt = 2;
            menu.group[1].itemCnt = 1;
        }
        app->userPW = c.password;
        ASSERT_EQ(vxValidatePassword(app.get()), 0);
        const size_t logStart = log().size();
        app->ppData.plData.tvLoadFlag = 1;   // as the user level's OK does
        ASSERT_TRUE(vxtest::pumpUntil(
            [&] {
                return log().find("parameter registers in", logStart) != std::string::npos &&
                       app->ppData.plData.loadTvParamThrd.state.load() == 0;
            },
            std::chrono::seconds(60)));
        const std::string newLog = log().substr(logStart);

        // The tree against the profile, the values against the emulator.
        std::vector<std::string> expected;
        int requests = 0;
        for (int g = 0; g < menu.groupCnt; ++g) {
            const std::string group = menu.group[g].name;
            expected.push_back(group);
            for (int i = 0; i < menu.group[g].itemCnt; ++i) {
                const vxParamTvItemInfo& p = menu.group[g].items[i];
                if (p.paramApp != 2 || shownTo(c.password).count(p.paramPwId) == 0) continue;
                ++requests;
                const std::string value = p.paramValue;
                expected.push_back(group + "/" + p.paramName);
                expected.push_back(group + "/" + p.paramName + "/" + value);
                if (c.value == nullptr) {
                    EXPECT_TRUE(std::regex_match(value, p.paramMbReg >= 47001 ? real : integer)) << p.paramName;
                    const auto known = fixed.find(p.paramName);
                    EXPECT_TRUE(known == fixed.end() || value == known->second) << p.paramName << ": " << value;
                } else if (c.value[0] != '\0') {
                    EXPECT_EQ(value, c.value) << p.paramName;
                }
            }
        }
        const std::vector<std::string> lines = treeLines(tree);
        EXPECT_EQ(lines, expected);
        EXPECT_EQ(tree->topLevelItem(0)->text(0).toStdString(), "Parameters");
        if (c.value != nullptr && c.value[0] == '\0') {
            // The value shown before stays; the time-out is logged per register.
            for (const std::string& line : lines)
                EXPECT_NE(std::find(before.begin(), before.end(), line), before.end()) << line;
            EXPECT_EQ(vxtest::countLines(newLog, "Modbus response timeout, function code: 3"), requests) << newLog;
        }
        before = lines;

        std::smatch took;
        const std::regex readLine(R"(Read (\d+) parameter registers in (\d+) ms)");
        ASSERT_TRUE(std::regex_search(newLog, took, readLine)) << newLog;
        EXPECT_EQ(std::stoi(took[1]), requests);
        if (c.value == nullptr && c.password == 6059) {
            // The exchange takes no more than the serial reads' own waits, and a little.
            const int ms = std::stoi(took[2]), waits = requests * kFixedWaitsPerRequestMs;
            std::cout << "[ timing ] " << requests << " registers read in " << ms << " ms; fixed waits " << waits
                      << " ms (" << static_cast<double>(ms) / waits << "x)\n";
            EXPECT_LE(ms, waits * 13 / 10);

            // The shot shows floats beside integers.
            QTreeWidgetItem* scale = tree->findItems("AO High Scale", Qt::MatchExactly | Qt::MatchRecursive).value(0);
            ASSERT_NE(scale, nullptr);
            tree->expandAll();
            tree->scrollToItem(scale, QAbstractItemView::PositionAtCenter);
            fs::create_directories(VX_PARAM_SHOT_DIR);
            const std::string shot = std::string(VX_PARAM_SHOT_DIR) + "/vxParamPage.png";
            EXPECT_EQ(qksyswinsavescreenshot(win, shot.c_str()), 0);
            EXPECT_TRUE(vxtest::imageShowsSomething(shot));

            // A double click on a float parameter opens its dialog with name, value and limits.
            emit tree->itemDoubleClicked(scale, 0);
            ASSERT_TRUE(vxtest::pumpUntil([] { return vxtest::labelText(1685) == "AO High Scale"; }));
            EXPECT_EQ(vxtest::labelText(1691), "max: 2000.00, min:    1.00");
            vxtest::press(1692);
            ASSERT_TRUE(vxtest::pumpUntil([&] { return app->ppData.plData.runUpdateFlg.load() == 0; }));
        }
    }

    // Leaving the page (for the home page) switches Modbus mode off.
    emulatorFaults("none");
    qkwinfuncdispatch(win, QKWIN_PROC_MAIN, 1184, 0);
    EXPECT_TRUE(vxtest::waitFor([&] { return vxtest::readFile(emuLog).find("Modbus mode off") != std::string::npos; }));
    EXPECT_EQ(app->ppData.plData.winPtr, nullptr);
}


// The page's capture through the diagnostics page's drain: two record blocks
// of the ARM9 analyzer, the count-down, and the save offered on leaving.
TEST_F(ParamPage, CaptureEndsAfterTheCountDownAndLeavingLogsTheRecords)
{
    qkwinfuncdispatch(win, QKWIN_PROC_MAIN, 1006, 0);
    qkwintimesetfunc(win, vxWindowTimerCB);
    qkwintimestart(win);
    app->runDiag.mode1Duration = 1;
    const size_t logStart = log().size();
    QTimer::singleShot(30000, [this] { qkwindlgExitByID(win, 1350); });   // should it never end
    qkwinfuncdispatch(win, QKWIN_PROC_MAIN, 1620, 0);   // returns when the capture has closed its dialog
    EXPECT_STREQ(app->runDiag.msg, "Request complete");
    EXPECT_EQ(app->runDiag.modeEndCnt, 2);
    const int records = app->runDiag.recCnt;
    EXPECT_EQ(records, vxtest::countLines(vxtest::readFile(app->dataFile.path), ""));
    qkwinfuncdispatch(win, QKWIN_PROC_MAIN, 1184, 0);
    EXPECT_EQ(vxtest::countLines(log().substr(logStart), "Run Diagnostics complete, recordes saved: " +
                                                             std::to_string(records)), 1);
}

}  // namespace
