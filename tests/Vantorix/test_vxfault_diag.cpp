// The diagnostics page against a misbehaving line (offscreen): the shipped
// main window, the emulator as an NS analyzer on the virtual port COM97, the
// page entered once and its refresh and capture run while the emulator's
// faults change: noise before every answer, answers in pieces, answers of
// another slave, an analyzer that stays silent during a capture, and last the
// port hung up in the middle of a capture. After each fault the page reads
// its values again, the window answers, and no worker is left running; a
// capture keeps every record the analyzer sent.
#include <gtest/gtest.h>

#include <QAbstractButton>
#include <QTimer>

#include <cstring>
#include <filesystem>
#include <functional>
#include <regex>
#include <string>
#include <thread>
#include <vector>

#include "qkstrsrv.h"
#include "qksyswincapture.h"
#include "qksyswindlg.h"
#include "qksyswinsrv.h"
#include "qksyswinstatic.h"
#include "qkwinfuncsrv.h"
#include "vxCallBacks.h"
#include "vxtestapp.h"
#include "vxtestsupport.h"

namespace fs = std::filesystem;

namespace {

constexpr int kValueList = 1516;
constexpr int kCancel = 1354;
constexpr int kProbeStatic = 1510;   // a static of the page's tab

// The records the emulator logged (verbose) from byte `from` of its log to
// byte `to`, as the analyzer sent them, without the line end.
std::vector<std::string> sentRecords(const std::string& log, size_t from, size_t to)
{
    std::vector<std::string> out;
    const std::regex tx(R"(tx record \d+: (.*)\\r\\n)");
    size_t at = from;
    while (at < to) {
        size_t end = log.find('\n', at);
        if (end == std::string::npos || end > to) break;
        std::smatch m;
        const std::string line = log.substr(at, end - at);
        if (std::regex_search(line, m, tx)) {
            std::string rec = std::regex_replace(m[1].str(), std::regex(R"(\\t)"), "\t");
            out.push_back(rec);
        }
        at = end + 1;
    }
    return out;
}

class FaultDiag : public vxtest::ShippedApp {
protected:
    void SetUp() override
    {
        ShippedApp::SetUp();
        if (HasFatalFailure()) return;
        showAsShell();
        if (HasFatalFailure()) return;
        // A hung-up port stays away for the rest of the test.
        startEmulator({"--record-ms", "20", "--reconnect-ms", "60000", "--verbose"});
        if (HasFatalFailure()) return;
        connectEmulator();
    }
    void click(int id) { qkwinfuncdispatch(win, QKWIN_PROC_MAIN, id, 0); }
    std::vector<std::string> values() { return vxtest::listLines(app->dpData.dvData.winPtr, kValueList); }

    // A refresh, returning when its dialog has closed and its worker ended.
    void refresh()
    {
        click(1518);
        EXPECT_TRUE(vxtest::pumpUntil([&] { return app->diagdvthrds.state.load() == 0; }));
    }
    // A capture; whileOpen runs inside the capture's dialog and may end it.
    void capture(const std::function<void()>& whileOpen)
    {
        QTimer watchdog;   // should the capture never end
        watchdog.setSingleShot(true);
        QObject::connect(&watchdog, &QTimer::timeout, [this] { qkwindlgExitByID(win, 1350); });
        watchdog.start(30000);
        if (whileOpen) QTimer::singleShot(0, whileOpen);
        click(1678);   // returns when the capture has closed its dialog
        EXPECT_TRUE(watchdog.isActive()) << "the capture did not end";
    }
    // Every record sent in [from, to) of the emulator's log is in the capture file.
    std::vector<std::string> missing(size_t from, size_t to)
    {
        const std::string data = vxtest::readFile(app->dataFile.path);
        std::vector<std::string> out;
        const std::vector<std::string> sent = sentRecords(vxtest::readFile(emuLog), from, to);
        for (const std::string& rec : sent)
            if (data.find(rec + "  \n") == std::string::npos) out.push_back(rec);
        if (sent.size() < 5) out.push_back("(only " + std::to_string(sent.size()) + " records sent)");
        return out;
    }

    vxtest::EnvGuard offscreen{"QT_QPA_PLATFORM", "offscreen"};
    vxtest::EnvGuard answer{"VX_MSGBOX_AUTOANSWER", "ok"};
};

TEST_F(FaultDiag, RefreshAndCaptureSurviveEveryLineFault)
{
    click(1003);
    ASSERT_EQ(win->page.currentpageid, 3);
    qkwintimesetfunc(win, vxWindowTimerCB);   // the page's ticks drain the capture
    qkwintimestart(win);
    app->runDiag.mode1Duration = 1;
    vxDiagAppInfo& diag = *app->dpData.dvData.appPtr;
    diag.paramCnt = 2;   // a time-out takes seconds a register: two are enough
    char head[2][64];
    for (int i = 0; i < 2; ++i)
        qkstrfmt(head[i], sizeof head[i], "%-25.25s %5d       ", diag.param[i].name, diag.param[i].mbReg);
    const std::regex number(R"( *-?\d+(\.\d{4})?)");
    const std::string timeout = "Modbus response timeout";
    // "" every value a number; "timeout" every value a time-out; "number|timeout" either.
    auto checkValues = [&](const char* expect) {
        const std::vector<std::string> v = values();
        ASSERT_EQ(v.size(), 3u) << "heading and two values";
        for (int i = 0; i < 2; ++i) {
            ASSERT_EQ(v[i + 1].substr(0, std::strlen(head[i])), head[i]);
            const std::string value = v[i + 1].substr(std::strlen(head[i]));
            const bool isNumber = std::regex_match(value, number), isTimeout = value == timeout;
            const std::string e = expect;
            EXPECT_TRUE(e.empty() ? isNumber : e == "timeout" ? isTimeout : (isNumber || isTimeout)) << v[i + 1];
        }
    };

    refresh();
    checkValues("");
    const int threads = vxtest::threadCount();

    enum class Run { Refresh, Capture };
    const struct {
        const char* what;
        const char* faults;
        Run run;
        const char* values;   // refresh: the values' outcome
    } cases[] = {
        {"noise before answers", "garbage 20", Run::Refresh, "number|timeout"},
        {"answers in pieces", "split 4:30", Run::Refresh, ""},
        {"another slave answers", "wrong-slave 9", Run::Refresh, "timeout"},
        {"another slave answers, the user cancels", "wrong-slave 9", Run::Refresh, "timeout"},
        {"capture, noise before lines", "garbage 20", Run::Capture, nullptr},
        {"capture, lines in pieces", "split 100:30", Run::Capture, nullptr},
        {"capture, analyzer silent", "silence", Run::Capture, nullptr},
        {"capture, port hung up", "drop-after 1", Run::Capture, nullptr},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        const bool unplug = std::string(c.faults) == "drop-after 1";
        const size_t logStart = log().size();
        const bool cancel = std::string(c.what).find("cancels") != std::string::npos;
        if (c.run == Run::Refresh) {
            emulatorFaults(c.faults);
            if (cancel) {
                // Given up while the first register waits: the second is never asked.
                qkstrset(app->runDiag.msg, "");
                QTimer::singleShot(0, [&] {
                    EXPECT_TRUE(vxtest::pumpUntil([&] {
                        auto* button = vxtest::shown<QAbstractButton>(kCancel);
                        return std::strstr(app->runDiag.msg, "MODBUS reqister") != nullptr && button != nullptr &&
                               button->isEnabled();
                    }));
                    vxtest::press(kCancel);
                });
            }
            refresh();
            const std::string newLog = log().substr(logStart);
            if (cancel) {
                const std::vector<std::string> v = values();
                ASSERT_EQ(v.size(), 2u) << "heading and the register that was waiting";
                EXPECT_EQ(v[1], head[0] + timeout);
                EXPECT_EQ(vxtest::countLines(newLog, "Refresh canceled after 1 of 2 registers"), 1);
                EXPECT_EQ(vxtest::countLines(newLog, "Modbus response timeout, function code: 3"), 1);
            } else {
                checkValues(c.values);
                if (std::string(c.values) == "timeout") {
                    EXPECT_EQ(vxtest::countLines(newLog, "Modbus response timeout, function code: 3"), 2);
                }
            }
        } else {
            if (!unplug) emulatorFaults(c.faults);
            const size_t emuFrom = vxtest::readFile(emuLog).size();
            size_t emuTo = std::string::npos;
            capture([&] {
                if (std::string(c.faults) == "silence") {
                    // Asked, never answered: the user gives up.
                    EXPECT_TRUE(vxtest::pumpUntil(
                        [&] { return vxtest::readFile(emuLog).find("silent: record", emuFrom) != std::string::npos; }));
                    vxtest::press(kCancel);
                } else if (unplug) {
                    EXPECT_TRUE(vxtest::pumpUntil([&] { return app->runDiag.recCnt >= 5; }));
                    emuTo = vxtest::readFile(emuLog).size();
                    emulatorFaults(c.faults);
                    EXPECT_TRUE(vxtest::pumpUntil(
                        [&] { return log().find("read error", logStart) != std::string::npos; }));
                    // What came before the hang-up reaches the file; then the user gives up.
                    EXPECT_TRUE(vxtest::pumpUntil([&] { return missing(emuFrom, emuTo).empty(); }));
                    vxtest::press(kCancel);
                }
            });
            const std::string newLog = log().substr(logStart);
            if (std::string(c.faults) == "silence") {
                EXPECT_EQ(app->runDiag.recCnt, 0);
                EXPECT_STREQ(app->runDiag.msg, "Request complete");
                EXPECT_EQ(vxtest::countLines(newLog, "Run Diagnostics Requesed canceled"), 1);
            } else if (unplug) {
                EXPECT_GE(app->runDiag.recCnt, 5);
                EXPECT_EQ(missing(emuFrom, emuTo), std::vector<std::string>{});
            } else {
                EXPECT_STREQ(app->runDiag.msg, "Request complete");
                EXPECT_EQ(app->runDiag.modeEndCnt, 2);
                EXPECT_GE(app->runDiag.recCnt, 20);
                EXPECT_EQ(missing(emuFrom, std::string::npos), std::vector<std::string>{});
            }
        }
        if (unplug) {
            // On a port that is gone the refresh reports that Modbus mode was not acknowledged.
            const size_t before = log().size();
            refresh();
            EXPECT_EQ(values().size(), 1u);
            EXPECT_EQ(vxtest::countLines(log().substr(before), "ent analyzer MODBUS ON request timeout"), 2)
                << "logged, and its box";
            fs::create_directories(VX_FAULT_SHOT_DIR);
            EXPECT_EQ(qksyswinsavescreenshot(win, (std::string(VX_FAULT_SHOT_DIR) + "/vxDiagUnplugged.png").c_str()), 0);
        } else {
            if (c.run == Run::Refresh && !cancel && std::string(c.faults) == "wrong-slave 9") {
                fs::create_directories(VX_FAULT_SHOT_DIR);
                EXPECT_EQ(qksyswinsavescreenshot(win, (std::string(VX_FAULT_SHOT_DIR) + "/vxDiagWrongSlave.png").c_str()),
                          0);
            }
            // The page does its work again once the line is sound.
            emulatorFaults("none");
            refresh();
            checkValues("");
        }
        // The window answers a change asked from another thread, and no worker is left.
        const std::string probe = std::string("probe: ") + c.what;
        std::thread asker([&] { qkwinstaticsettext(app->dpData.dvData.winPtr, kProbeStatic, probe.c_str()); });
        EXPECT_TRUE(vxtest::pumpUntil([&] { return vxtest::labelText(kProbeStatic) == probe; }));
        asker.join();
        EXPECT_EQ(app->diagdvthrds.state.load(), 0);
        EXPECT_EQ(app->rundiagthrds.state.load(), 0);
        EXPECT_TRUE(vxtest::pumpUntil([&] { return vxtest::threadCount() <= threads; }))
            << vxtest::threadCount() << " threads, " << threads << " before";
    }
    click(1184);
}

}  // namespace
