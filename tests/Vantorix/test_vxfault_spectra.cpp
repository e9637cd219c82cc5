// The spectra page's scans when the analyzer or its line misbehaves (NS
// emulator on the virtual port COM97), driven through the page's own controls:
// the demand-scan control 1410, the automatic-scan button 1414 and the
// navigation controls (HOME 1184, Spectra 1005), one curve ticked. Per fault:
// what the user is told, the page leaving a running scan behind it (worker
// ended, link free for the next exchange), the page scanning again once the
// fault is gone, and no thread left over. Silence, an oversized block and an
// answer in pieces are reported as Spectra.ScanCheckReportsMissingAndWrongSizedCurves
// (test_vxspectra) shows; they are not repeated here.
#include <gtest/gtest.h>

#include <QApplication>
#include <QMessageBox>
#include <QTimer>

#include <cstring>
#include <filesystem>
#include <functional>
#include <string>
#include <vector>

#include "qksyswincapture.h"
#include "qksyswindlg.h"
#include "qksyswintreeview.h"
#include "vxDiagnosticProtocolSrv.h"
#include "vxRequestDiagProtData.h"
#include "vxSpectraPlotSrv.h"
#include "vxWinSrv.h"
#include "vxtestapp.h"
#include "vxtestsupport.h"

namespace {

constexpr int kDemand = 1410;
constexpr int kAuto = 1414;
constexpr int kHome = 1184;
constexpr int kSpectraNav = 1005;
constexpr int kTree = 1430;
constexpr int kFc10 = 1444;
constexpr int kRequestDialog = 1350;
constexpr int kRequestStatus = 1360;   // the request dialog's status text

// The payload of the last data block the emulator logged under label (its
// verbose log escapes every byte that is not printable).
std::string sentBlock(const std::string& log, const std::string& label)
{
    const size_t at = log.rfind("tx " + label + " ");
    if (at == std::string::npos) return {};
    const size_t start = log.find(": ", at) + 2;
    const size_t end = log.find('\n', start);
    std::string raw;
    for (size_t i = start; i < end; ++i) {
        if (log[i] != '\\') {
            raw += log[i];
            continue;
        }
        const char c = log[++i];
        if (c == 'x') {
            raw += static_cast<char>(std::stoi(log.substr(i + 1, 2), nullptr, 16));
            i += 2;
        } else {
            raw += c == 'r' ? '\r' : c == 'n' ? '\n' : c == 't' ? '\t' : c == 'e' ? '\x1b' : c;
        }
    }
    if (raw.size() < 3 || raw.front() != '[' || raw.compare(raw.size() - 2, 2, "]]") != 0) return {};
    return raw.substr(1, raw.size() - 3);
}

std::string gRemoved;   // the port whose removal the window was told of

// Notes the text of every message box that shows (they answer themselves a
// moment later).
class BoxWatch : public QObject {
public:
    std::vector<std::string> texts;
    bool eventFilter(QObject* object, QEvent* event) override
    {
        if (event->type() == QEvent::Show)
            if (auto* box = qobject_cast<QMessageBox*>(object)) {
                const std::string text = box->text().toStdString();
                if (texts.empty() || texts.back() != text) texts.push_back(text);
            }
        return false;
    }
};

int deviceChanged(qkwinInfo* window)
{
    if (window->device.state == 3) gRemoved = window->device.name;
    return 0;
}

class FaultSpectra : public vxtest::ShippedApp {
protected:
    void TearDown() override
    {
        vxStopDiagProtReqData(app.get());
        vxSpectraPageFreePlots(app.get());
        ShippedApp::TearDown();
    }

    // Runs action (a press, or page ticks); while a scan's modal request
    // dialog holds it, the page ticks on as under the main window's timer
    // (every 50 ms) and during runs. A scan still running after 30 s has its
    // dialog closed and fails the row: no wait of the test is unbounded.
    void scanning(const std::function<void()>& action, const std::function<void()>& during = {})
    {
        vxtest::Stopwatch sw;
        bool late = false;
        QTimer poll;
        poll.setInterval(50);
        bool tickPending = false;
        QObject::connect(&poll, &QTimer::timeout, [&] {
            // The tick leaves the timer's slot first, as the window's timer
            // does: a tick that opens the request dialog must not hold it.
            if (!tickPending) {
                tickPending = true;
                QMetaObject::invokeMethod(
                    &poll,
                    [&] {
                        tickPending = false;
                        tick();
                    },
                    Qt::QueuedConnection);
            }
            if (during) during();
            if (!late && sw.ms() > 30000) {
                late = true;
                qkwindlgExitByID(win, kRequestDialog);
            }
        });
        poll.start();
        action();
        poll.stop();
        EXPECT_FALSE(late) << "the scan did not end";
    }
    // The page's timer tick, as the main window's timer runs it.
    void tick() { vxPageUpdateFuncTionsCB(win); }
    bool scanDone(int after) { return app->dpRequest.scanCnt.load() > after && app->getdpdatathrds.state.load() == 0; }
    // A demand scan from the page's control, whole and equal to what the
    // emulator sent; the FC10 list shows its header.
    void cleanScan()
    {
        const size_t from = log().size();
        const int before = app->dpRequest.scanCnt.load();
        const std::string row = lastRow();
        scanning([&] { vxtest::press(kDemand); });
        expectClean(from, before, row);
    }
    void expectClean(size_t logFrom, int before, const std::string& rowBefore)
    {
        // The worker closes the request dialog just before it ends.
        ASSERT_TRUE(vxtest::pumpUntil([&] { return scanDone(before); }));
        EXPECT_EQ(log().substr(logFrom).find("detected"), std::string::npos) << log().substr(logFrom);
        const vxSpectraPlotData* c = curve();
        ASSERT_NE(c, nullptr);
        EXPECT_EQ(c->dataCnt, 1024);
        EXPECT_EQ(std::string(static_cast<const char*>(c->dataPtr), 1024),
                  sentBlock(vxtest::readFile(emuLog), "data point " + std::to_string(curveDpid)));
        EXPECT_EQ(app->spData.state.load(), 2);
        // Outside overlay mode the list holds its heading and the latest scan.
        EXPECT_TRUE(vxtest::pumpUntil([&] { return lastRow() != rowBefore; })) << "FC10 row unchanged: " << rowBefore;
        EXPECT_EQ(vxtest::listLines(win, kFc10).size(), 2u);
    }
    std::string lastRow()
    {
        const std::vector<std::string> rows = vxtest::listLines(win, kFc10);
        return rows.empty() ? std::string() : rows.back();
    }
    const vxSpectraPlotData* curve()
    {
        const vxSpectrPlotsInfo& pl = app->spData.plots;
        for (int i = 0; i < pl.plotListCnt; ++i)
            if (pl.plotList[i].plotid == 1460) return &pl.plotList[i];
        return nullptr;
    }
    // The worker gone from its slot and the threads back to count, bounded.
    void expectNothingLeft(int threads)
    {
        EXPECT_TRUE(vxtest::pumpUntil([&] { return app->getdpdatathrds.state.load() == 0; }));
        EXPECT_TRUE(vxtest::pumpUntil([&] { return vxtest::threadCount() <= threads; }))
            << vxtest::threadCount() << " threads, " << threads << " before";
    }
    void shot(const char* name)
    {
        vxSpectraPageRefreashPlots(app.get());
        std::filesystem::create_directories(VX_FAULT_SHOT_DIR);
        const std::string path = std::string(VX_FAULT_SHOT_DIR) + "/spectra_" + name + ".png";
        EXPECT_EQ(qksyswinsavescreenshot(win, path.c_str()), 0);
    }

    BoxWatch boxes;
    int curveDpid = 0;
    vxtest::EnvGuard offscreen{"QT_QPA_PLATFORM", "offscreen"};
    vxtest::EnvGuard answer{"VX_MSGBOX_AUTOANSWER", "ok"};
};

TEST_F(FaultSpectra, ScansSurviveTheLineAndLeavingThePage)
{
    showAsShell();
    ASSERT_FALSE(HasFatalFailure());
    startEmulator({"--personality", "ns", "-v", "--seed", "7", "--reconnect-ms", "60000"});
    ASSERT_FALSE(HasFatalFailure());
    connectEmulator();
    ASSERT_FALSE(HasFatalFailure());
    vxInfo* a = app.get();
    vxSpectraPageInfo& sp = a->spData;
    sp.demandPollRate = 5;   // the analyzer's pause after the start of a scan, kept short
    sp.autoPollRate = 1;
    // The removal of the port reaches the window; the question and the end
    // of the program that follow in the shell are test_vxmain_shell's.
    win->userDevUpDateFunc = deviceChanged;
    gRemoved.clear();
    QApplication::instance()->installEventFilter(&boxes);

    // Into the page by its navigation control; the first tick displays it.
    vxtest::press(kSpectraNav);
    ASSERT_TRUE(vxtest::pumpUntil([&] { return tick(), sp.state.load() == 2 && sp.getH2OFlag.load() == 0; }));
    // Only the first curve of plot A stays ticked, as a user unticks the rest.
    vxSpectraAppInfo& prof = *sp.appPtr;
    for (auto [curves, cnt] :
         {std::pair{prof.plotA, prof.plotAcnt}, {prof.plotB, prof.plotBcnt}, {prof.plotC, prof.plotCcnt}})
        for (int i = 0; i < cnt; ++i)
            qksyswinTrVwSetChkBoxByID(win, kTree, curves[i].tvNdx, curves == prof.plotA && i == 0);
    curveDpid = prof.plotA[0].dpid;
    cleanScan();
    ASSERT_FALSE(HasFatalFailure());
    const std::string curveRequest = "code " + std::to_string(curveDpid);

    enum class Run { Demand, Auto };
    const struct {
        const char* name;
        const char* faults;
        Run run;
        bool leave;           // HOME pressed once the curve's request reached the analyzer
        const char* logged;   // the page's own log line for the scan ("" none)
        const char* shot;     // screenshot name (null none)
    } rows[] = {
        // Bytes before a block's opening bracket are skipped: the curve is
        // whole unless the noise held a bracket, and then the scan check
        // says which curve came with how many bytes.
        {"garbage", "garbage 20", Run::Demand, false, "", "garbage"},
        // Leaving while the curve's block is still on its way: the page ends
        // the scan and waits the rest of the block out.
        {"leave with a block in flight", "split 64:50", Run::Demand, true, "stopped: page left while it ran", nullptr},
        // Leaving while an automatic scan waits on a silent analyzer.
        {"leave a silent automatic scan", "silence", Run::Auto, true, "stopped: page left while it ran", nullptr},
        // Unplugged: the request cannot be written; the scan ends at once and
        // the page is idle again (last: the port stays away).
        {"unplugged", "drop-after 1", Run::Demand, false, "not sent: ", "unplugged"},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        const int threads = vxtest::threadCount();
        emulatorFaults(row.faults);
        const size_t from = log().size();
        const int before = a->dpRequest.scanCnt.load();
        boxes.texts.clear();
        bool left = false;
        vxtest::Stopwatch took;
        const int requestsBefore = vxtest::countLines(vxtest::readFile(emuLog), curveRequest);
        const auto leaveOnRequest = [&] {
            if (!row.leave || left) return;
            if (vxtest::countLines(vxtest::readFile(emuLog), curveRequest) <= requestsBefore) return;
            left = true;
            vxtest::press(kHome);
        };
        if (row.run == Run::Demand) {
            scanning([&] { vxtest::press(kDemand); }, leaveOnRequest);
        } else {
            scanning(
                [&] {
                    vxtest::press(kAuto);
                    vxtest::pumpUntil([&] { return tick(), scanDone(before); }, std::chrono::seconds(30));
                },
                leaveOnRequest);
        }
        const std::string newLog = log().substr(from);
        std::printf("[ timing ] %s: %lld ms\n", row.name, took.ms());
        EXPECT_EQ(left, row.leave);
        if (row.logged[0] != '\0') {
            EXPECT_NE(newLog.find(row.logged), std::string::npos) << newLog;
        }
        EXPECT_EQ(sp.state.load(), 2) << "the page stays at scan in progress";
        EXPECT_EQ(vxtest::shown<QWidget>(kRequestStatus), nullptr) << "request dialog still open";
        expectNothingLeft(threads);

        if (std::strcmp(row.faults, "garbage 20") == 0) {
            const vxSpectraPlotData* c = curve();
            ASSERT_NE(c, nullptr);
            for (int i = 0; i < sp.diagReqCnt; ++i)
                EXPECT_TRUE(sp.diagReqList[i].dpid == 9 || sp.diagReqList[i].dataFlag == 1) << sp.diagReqList[i].dpReq;
            if (newLog.find("detected data size error for scan: " + std::to_string(before + 1)) == std::string::npos) {
                EXPECT_EQ(c->dataCnt, 1024);
                EXPECT_EQ(std::string(static_cast<const char*>(c->dataPtr), 1024),
                          sentBlock(vxtest::readFile(emuLog), "data point " + std::to_string(curveDpid)));
                EXPECT_TRUE(boxes.texts.empty()) << boxes.texts.front();
            } else {
                const std::string said =
                    " curve: " + std::string(c->plotName) + " received " + std::to_string(c->dataCnt) + " bytes";
                // The box of the scan's check comes up a moment after the scan.
                ASSERT_TRUE(vxtest::pumpUntil([&] { return !boxes.texts.empty(); })) << newLog;
                EXPECT_NE(boxes.texts.back().find(said), std::string::npos) << boxes.texts.back();
            }
        }
        if (row.shot != nullptr) shot(row.shot);

        if (std::strcmp(row.faults, "drop-after 1") == 0) {
            // The port is gone: the window hears of it, and a second press
            // ends as quickly, the page and the window still serving.
            EXPECT_TRUE(vxtest::pumpUntil([&] { return !gRemoved.empty(); })) << "no removal";
            const size_t again = log().size();
            vxtest::Stopwatch second;
            scanning([&] { vxtest::press(kDemand); });
            EXPECT_NE(log().substr(again).find("not sent: "), std::string::npos);
            EXPECT_LT(second.ms(), 5000);
            EXPECT_EQ(sp.state.load(), 2);
            expectNothingLeft(threads);
            continue;
        }

        emulatorFaults("none");
        if (row.leave) {
            // The next exchange gets its own answer: the page left the line
            // clean (no flush here, it would hide bytes still arriving).
            vxAnalyzerComInfo& com = a->anaCom;
            com.ibPtr = com.ibuf;
            com.obPtr = com.obuf;
            com.maxbyts = VX_LINKBUFSIZE;
            ASSERT_EQ(vxBuildDiagReqMsg(a, "01"), 0);
            ASSERT_GT(vxSendDiagReqMsg(a), 0);
            EXPECT_EQ(vxGetDiagRespMsg(a), 2);
            const std::string identity = sentBlock(vxtest::readFile(emuLog), "identity");
            ASSERT_FALSE(identity.empty());
            EXPECT_EQ(std::string(reinterpret_cast<const char*>(a->diagProt.rspBuf), a->diagProt.dataCnt), identity);
            vxtest::press(kSpectraNav);
        }
        if (row.run == Run::Auto) {
            // Back on the page the automatic scans go on, whole again.
            const size_t again = log().size();
            const int next = a->dpRequest.scanCnt.load();
            const std::string row = lastRow();
            scanning([&] { vxtest::pumpUntil([&] { return tick(), scanDone(next); }, std::chrono::seconds(30)); });
            expectClean(again, next, row);
            vxtest::press(kAuto);
            EXPECT_EQ(sp.autoScanFlag.load(), 0);
        } else {
            cleanScan();
        }
        expectNothingLeft(threads);
    }
}

}  // namespace
