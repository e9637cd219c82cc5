// The analyzer search under the line's faults, as the user meets them: the
// main window of the shipped configuration shown, the search started as the
// shell starts it (search window, worker, identification), the emulator on the
// virtual port COM97 (../dev/ttyV0) answering as an NS analyzer with the fault
// of the moment. After each fault the search ends with its result on the
// status bar and no worker or window thread is left; after a search that found
// nothing a clean line finds the analyzer again. The unplugged port comes last
// (it stays away).
#include <gtest/gtest.h>

#include <QApplication>
#include <QLabel>
#include <QTimer>

#include <filesystem>
#include <set>
#include <string>

#include "qkstrsrv.h"
#include "qksyswincapture.h"
#include "qksyswinsrv.h"
#include "qkwinfuncsrv.h"
#include "vxAsynSrv.h"
#include "vxFindAnalyzer.h"
#include "vxtestapp.h"
#include "vxtestsupport.h"

namespace fs = std::filesystem;
using namespace std::chrono_literals;

namespace {

constexpr const char* kFound = " Analyzer ID: ARM9_NS-1.12 0417";
constexpr const char* kNotFound = "Serial Line NOT connected";

QLabel* searchLabel(int id)
{
    for (QWidget* top : QApplication::topLevelWidgets())
        if (top->isVisible() && top->windowTitle() == "Analyzer Search")
            return top->findChild<QLabel*>(QStringLiteral("id%1").arg(id));
    return nullptr;
}

std::string statusBarText(int part)
{
    for (QWidget* w : QApplication::allWidgets())
        if (auto* label = qobject_cast<QLabel*>(w); label && w->objectName() == QStringLiteral("sbpart%1").arg(part))
            return label->text().toStdString();
    return {};
}

// Threads of this process other than Qt's pooled workers (started by the
// window layer on first use; Qt ends them after a while on its own).
int ownThreads()
{
    int count = 0;
    for (const auto& task : fs::directory_iterator("/proc/self/task"))
        count += vxtest::readFile(task.path() / "comm") != "Thread (pooled)\n";
    return count;
}

class VxFaultIdent : public vxtest::ShippedApp {
protected:
    void SetUp() override
    {
        ShippedApp::SetUp();
        if (HasFatalFailure()) return;
        qkcommAsynInfo& asyn = app->anaCom.asyn;
        asyn.parity = 0;
        asyn.dataBits = 8;
        asyn.stopBits = 1;
        app->anaCom.connectType = 1;
        app->anaDetails.winPtr = win;
        // One rate and only the virtual ports: the ARM9 sequence alone is tried.
        vxFindAnalyzerInfo& f = app->anaFind;
        f.baudCnt = 1;
        f.buadRate[0] = 19200;
        f.excludeCnt = 1;
        qkstrset(f.exclude[0], " - /dev/");
        qkwintimesetup(win, 1, 50);
        qkwinfuncsetcallback(win, 1089, "vxFindAnalyzerCancelCB", vxFindAnalyzerCancelCB, 1);
        ASSERT_EQ(qksyswinsetclass(win), 0);
        ASSERT_EQ(qksyswindsp(win), 0);
    }

    // One search as the shell runs it; the identification texts the search
    // window showed meanwhile (the window served while the line misbehaves).
    std::set<std::string> search(const std::string& shot = {})
    {
        std::set<std::string> shownTexts;
        QTimer watch;
        QObject::connect(&watch, &QTimer::timeout, [&] {
            QLabel* progress = searchLabel(1126);
            if (progress == nullptr || progress->text().isEmpty()) return;
            shownTexts.insert(progress->text().toStdString());
            if (!shot.empty() && progress->text() == "ARM9 query: 2" && app->anaFind.winPtr != nullptr) {
                fs::create_directories(VX_FAULT_SHOT_DIR);
                qksyswinsavescreenshot(app->anaFind.winPtr, (std::string(VX_FAULT_SHOT_DIR) + "/" + shot).c_str());
            }
        });
        watch.start(20);
        vxFindAnalyzer(win);
        watch.stop();
        return shownTexts;
    }
};

TEST_F(VxFaultIdent, SearchUnderLineFaults)
{
    startEmulator({"--personality", "ns", "--reconnect-ms", "60000"});
    ASSERT_FALSE(HasFatalFailure());
    const struct {
        const char* fault;
        bool found;
        const char* shot;   // screenshot of the search window at its second query
    } cases[] = {
        {"garbage 20", true, nullptr},
        {"split 4:30", true, nullptr},
        // The identity block is cut to the 64 bytes of the record.
        {"oversize 5000", true, nullptr},
        {"silence", false, "ident-silence.png"},
        // The emulator hangs up after the first byte of its first answer.
        {"drop-after 1", false, nullptr},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.fault);
        const bool unplug = std::string(c.fault).rfind("drop-after", 0) == 0;
        const int threads = ownThreads();
        emulatorFaults(c.fault);
        const std::size_t logFrom = log().size();
        const vxtest::Stopwatch took;

        const std::set<std::string> shownTexts = search(c.shot ? c.shot : "");

        const std::string newLog = log().substr(logFrom);
        EXPECT_LT(took.elapsed(), 15s);
        const std::string result = c.found ? kFound : kNotFound;
        EXPECT_EQ(std::string(app->anaFind.msgBuf), result);
        EXPECT_EQ(vxtest::countLines(newLog, "vxFindAnalyzer: " + result), 1) << newLog;
        EXPECT_EQ(app->state.load(), c.found ? 20 : 1);
        EXPECT_TRUE(shownTexts.count("ARM9 query: 1")) << "the search window was served";
        // The status bar shows the result: the main window answers.
        EXPECT_TRUE(vxtest::pumpUntil([&] { return statusBarText(2) == result; })) << statusBarText(2);
        if (c.found) {
            EXPECT_STREQ(app->anaDetails.ID.version, "ARM9_NS-1.12 0417");
            EXPECT_LE(app->anaDetails.size, 64);
            EXPECT_GT(app->anaCom.asyn.fd, 0);
        } else {
            EXPECT_EQ(app->anaCom.asyn.fd, 0) << "the port is closed";
            if (!unplug) {
                // Both queries went unanswered.
                EXPECT_TRUE(shownTexts.count("ARM9 query: 2"));
                EXPECT_EQ(vxtest::countLines(newLog, " Analyzer ID: NO response"), 1) << newLog;
            }
        }
        // The worker and the search window's thread are gone.
        EXPECT_EQ(app->findanathrds.state.load(), 0);
        EXPECT_TRUE(vxtest::waitFor([&] { return ownThreads() <= threads; }))
            << ownThreads() << " threads, " << threads << " before";
        if (c.shot != nullptr) {
            const std::string shot = std::string(VX_FAULT_SHOT_DIR) + "/" + c.shot;
            EXPECT_TRUE(vxtest::imageShowsSomething(shot)) << shot;
            qksyswinsavescreenshot(win, (std::string(VX_FAULT_SHOT_DIR) + "/ident-silence-main.png").c_str());
        }
        vxAsynClose(app.get());

        // After a search that found nothing, a clean line: the next search
        // finds the analyzer again.
        if (unplug || c.found) continue;
        emulatorFaults("none");
        search();
        EXPECT_EQ(std::string(app->anaFind.msgBuf), kFound);
        EXPECT_EQ(app->findanathrds.state.load(), 0);
        vxAsynClose(app.get());
    }
}

}  // namespace
