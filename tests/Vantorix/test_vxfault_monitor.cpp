// The monitor page's capture under the line's faults, in this process
// (offscreen): the main window of the shipped configuration driven by its
// timer, the page entered once, the emulator on the virtual port COM97 as an
// NS analyzer with the fault of the moment. Each capture runs from the capture
// button until its dialog closes (by itself, or by the user's cancel when no
// records come); every line the analyzer sent is then in the data file, no
// thread is left behind and a clean capture follows. The port is unplugged
// last, in the middle of a capture.
#include <gtest/gtest.h>

#include <QApplication>
#include <QLabel>
#include <QTimer>

#include <filesystem>
#include <functional>
#include <regex>
#include <sstream>
#include <string>
#include <vector>

#include "qksyswincapture.h"
#include "qksyswindlg.h"
#include "qksyswinpage.h"
#include "qksyswinsrv.h"
#include "qkwinfuncsrv.h"
#include "vxAsynSrv.h"
#include "vxCallBacks.h"
#include "vxWinSrv.h"
#include "vxtestapp.h"
#include "vxtestsupport.h"

namespace fs = std::filesystem;
using namespace std::chrono_literals;

namespace {

// The first of lines that text does not hold in order, each as the end of a
// file line (noise may stand before it); "" when all are there.
std::string firstMissing(const std::string& text, const std::vector<std::string>& lines)
{
    std::size_t at = 0;
    for (const std::string& line : lines) {
        const std::size_t found = text.find(line + "\n", at);
        if (found == std::string::npos) return line;
        at = found + line.size() + 1;
    }
    return {};
}

std::string statusBarText(int part)
{
    for (QWidget* w : QApplication::allWidgets())
        if (auto* label = qobject_cast<QLabel*>(w); label && w->objectName() == QStringLiteral("sbpart%1").arg(part))
            return label->text().toStdString();
    return {};
}

// Threads of this process other than Qt's pooled workers (the save dialog's
// file system look-ups start them; Qt ends them after a while on its own).
int ownThreads()
{
    int count = 0;
    for (const auto& task : fs::directory_iterator("/proc/self/task"))
        count += vxtest::readFile(task.path() / "comm") != "Thread (pooled)\n";
    return count;
}

class VxFaultMonitor : public vxtest::ShippedApp {
protected:
    void SetUp() override
    {
        ShippedApp::SetUp();
        if (HasFatalFailure()) return;
        showAsShell();
        if (HasFatalFailure()) return;
        qkstdpagedsetstate(win, 1);
        qkwintimesetfunc(win, vxWindowTimerCB);
        qkwintimestart(win);
    }
    void click(int id) { qkwinfuncdispatch(win, QKWIN_PROC_MAIN, id, 0); }

    // A capture from the capture button until its dialog closes; user(ms
    // since the start) runs every 20 ms meanwhile and returns true once it has
    // pressed cancel. A capture that never ends is cancelled after 20 s.
    void capture(const std::function<bool(long long)>& user)
    {
        bool cancelled = false;
        const vxtest::Stopwatch since;
        QTimer watch;
        QObject::connect(&watch, &QTimer::timeout, [&] {
            if (cancelled || vxtest::shown<QWidget>(1354) == nullptr) return;   // the dialog is up
            cancelled = user(since.ms());
            if (!cancelled && since.elapsed() > 20s) {
                const std::string emu = vxtest::readFile(emuLog);
                ADD_FAILURE() << "capture still running: " << app->runDiag.msg << ", block ends "
                              << app->runDiag.modeEndCnt << "\nemulator: " << emu.substr(emu.size() > 3000 ? emu.size() - 3000 : 0)
                              << "\ndata: " << vxtest::readFile(dataFile());
                vxtest::press(1354);
                cancelled = true;
            }
        });
        watch.start(20);
        click(1316);   // returns once the capture dialog has closed
        watch.stop();
    }
    std::string dataFile() const { return tree.path("logs/vxCapture.txt"); }
};

TEST_F(VxFaultMonitor, CaptureUnderLineFaults)
{
    const int threadsBefore = ownThreads();
    startEmulator({"--personality", "ns", "-v", "--record-ms", "20", "--seed", "11", "--reconnect-ms", "60000"});
    ASSERT_FALSE(HasFatalFailure());
    connectEmulator();
    ASSERT_FALSE(HasFatalFailure());
    click(1002);
    ASSERT_EQ(win->page.currentpageid, 2);
    ASSERT_EQ(app->rundiagthrds.state.load(), 1) << "reader running";
    const int threadsOnPage = ownThreads();
    app->runDiag.mode1Duration = 1;   // the count-down after the blocks, kept short
    const std::string shots = VX_FAULT_SHOT_DIR;
    fs::create_directories(shots);

    const struct {
        const char* fault;
        bool completes;   // the capture ends by itself (else the user cancels it)
        bool unplug;      // the fault comes in the middle of the capture
    } cases[] = {
        {"garbage 20", true, false},
        {"split 7:10", true, false},   // pieces that part carriage returns from line feeds
        {"silence", false, false},
        {"drop-after 1", false, true},
    };
    int cancels = 0;
    for (const auto& c : cases) {
        SCOPED_TRACE(c.fault);
        const std::size_t emuFrom = vxtest::readFile(emuLog).size();
        const std::size_t fileFrom = vxtest::readFile(dataFile()).size();
        if (!c.unplug) emulatorFaults(c.fault);

        capture([&](long long) {
            const std::string emu = vxtest::readFile(emuLog).substr(emuFrom);
            if (c.unplug) {
                // Unplugged once some records have come; once it has hung up
                // the capture waits for records that cannot come: cancelled.
                if (vxtest::countLines(emu, "faults now") == 0) {
                    if (app->runDiag.recCnt >= 5) emulatorFaults(c.fault);
                    return false;
                }
                if (vxtest::countLines(emu, "hung up") == 0) return false;
            } else if (c.completes || vxtest::countLines(emu, "silent:") == 0) {
                return false;
            } else {
                // The analyzer took the request and keeps quiet.
                qksyswinsavescreenshot(win, (shots + "/monitor-silence.png").c_str());
                qksyswinsavescreenshot(qkwinDLGgetwinPtr(win, 1350), (shots + "/monitor-silence-dialog.png").c_str());
            }
            vxtest::press(1354);
            return true;
        });
        std::string emuSent = vxtest::readFile(emuLog);
        if (c.unplug) {
            // What was sent before the hang-up was asked for.
            const std::size_t at = emuSent.find("faults now", emuFrom);
            ASSERT_NE(at, std::string::npos);
            emuSent.resize(at);
        }

        if (c.completes) {
            EXPECT_STREQ(app->runDiag.msg, "Request complete");
            EXPECT_EQ(app->runDiag.modeEndCnt, 2);
            EXPECT_GE(app->runDiag.recCnt, 22);
        } else {
            EXPECT_STREQ(app->runDiag.msg, "Request canceled");
            EXPECT_EQ(vxtest::countLines(log(), "Run Diagnostics Requesed canceled"), ++cancels);
        }
        EXPECT_EQ(app->runDiag.modeData.capDataFlag.load(), 0);

        // Nothing the analyzer sent is missing from the data file.
        const std::vector<std::string> sent = vxtest::emulatorSentLines(emuSent, emuFrom);
        EXPECT_GE(sent.size(), c.completes ? 22u : c.unplug ? 5u : 0u);
        std::string missing;
        EXPECT_TRUE(vxtest::pumpUntil([&] {
            missing = firstMissing(vxtest::readFile(dataFile()).substr(fileFrom), sent);
            return missing.empty();
        })) << "not in the data file: " << missing;
        EXPECT_EQ(app->runDiag.modeData.lostCnt.load(), 0);
        EXPECT_TRUE(vxtest::waitFor([&] { return ownThreads() <= threadsOnPage; }));
        EXPECT_EQ(app->rundiagthrds.state.load(), 1) << "the reader serves the page on";
        if (c.unplug) break;

        // A clean line: the next capture runs to its end.
        emulatorFaults("none");
        capture([](long long) { return false; });
        EXPECT_STREQ(app->runDiag.msg, "Request complete");
        EXPECT_EQ(app->runDiag.modeEndCnt, 2);
    }
    qksyswinsavescreenshot(win, (shots + "/monitor-unplugged.png").c_str());

    // The page is left after the hang-up: the reader ends, the window answers.
    click(1184);
    EXPECT_EQ(app->rundiagthrds.state.load(), 0);
    EXPECT_TRUE(vxtest::pumpUntil([] { return statusBarText(0) == "SCREEN ID: HOME"; })) << statusBarText(0);
    EXPECT_EQ(vxtest::countLines(log(), "Run Diagnostics complete, recordes saved: "), 1);
    vxAsynClose(app.get());
    emu.reset();
    EXPECT_TRUE(vxtest::waitFor([&] { return ownThreads() <= threadsBefore; }))
        << ownThreads() << " threads, " << threadsBefore << " before";
}

}  // namespace
