// The Modbus test tab under line faults (offscreen): the shipped main window
// on the parameters page's Modbus test tab, the emulator as an NS analyzer on
// the virtual port COM97. Each fault is switched on while the tab stays open,
// one poll of four 16-bit registers runs under it, and its outcome is read
// from the tab's lists; then the fault goes, one poll reads the true values
// again and the poll's worker has ended. The unplugged port comes last.
#include <gtest/gtest.h>

#include <QCheckBox>
#include <QLineEdit>

#include <filesystem>
#include <string>
#include <vector>

#include "qksyswincapture.h"
#include "qksyswinpage.h"
#include "qksyswintab.h"
#include "qkwinfuncsrv.h"
#include "vxParamModbusTestSrv.h"
#include "vxtestapp.h"
#include "vxtestsupport.h"

namespace fs = std::filesystem;

namespace {

constexpr int kFrameList = 1670;
constexpr int kValueList = 1668;
constexpr int kPoll = 1674;
constexpr int kMode = 1657;
constexpr int kClear = 1672;

// Registers 43001-43004 of the NS analyzer: its slave address, kind and type
// codes, fixed for the run.
const std::vector<std::string> kTrueValues = {"\t3000\t\t1", "\t3001\t\t4", "\t3002\t\t0", "\t3003\t\t1"};
const std::string kNoOk = "Analyzer MODBUS OK message not received";

class MbFault : public vxtest::ShippedApp {
protected:
    void SetUp() override
    {
        ShippedApp::SetUp();
        if (HasFatalFailure()) return;
        showAsShell();
        if (HasFatalFailure()) return;
        // An unplugged port stays away for the rest of the test.
        startEmulator({"--reconnect-ms", "60000"});
        if (HasFatalFailure()) return;
        connectEmulator();
        if (HasFatalFailure()) return;
        qkwinfuncdispatch(win, QKWIN_PROC_MAIN, 1006, 0);
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
    int emuRequests() { return vxtest::countLines(vxtest::readFile(emuLog), "modbus: function 3"); }

    // One poll of 43001-43004 in one request, from cleared lists, to its end.
    void poll()
    {
        vxtest::press(kClear);
        vxtest::choose(1656, "43001");
        vxtest::shown<QLineEdit>(1660)->setText("4");
        qkwinfuncdispatch(tab, QKWIN_PROC_SUBTAB, kPoll, 0);
        ASSERT_TRUE(vxtest::pumpUntil([&] { return app->parammbthrds.state.load() == 0; }, std::chrono::seconds(20)))
            << "the poll has not ended";
        EXPECT_EQ(app->ppData.mbData.pollAnaFlg.load(), 0);
    }
    void shoot(const char* name)
    {
        fs::create_directories(VX_FAULT_SHOT_DIR);
        const std::string shot = std::string(VX_FAULT_SHOT_DIR) + "/" + name;
        EXPECT_EQ(qksyswinsavescreenshot(win, shot.c_str()), 0);
    }

    vxtest::EnvGuard offscreen{"QT_QPA_PLATFORM", "offscreen"};
    vxtest::EnvGuard answer{"VX_MSGBOX_AUTOANSWER", "ok"};
    qkwinInfo* tab = nullptr;
};

TEST_F(MbFault, EveryFaultEndsThePollWithItsOutcome)
{
    const vxtest::Stopwatch clock;
    ASSERT_NO_FATAL_FAILURE(poll());
    ASSERT_EQ(lines(kValueList), kTrueValues) << "the registers without a fault";
    const int threadsBefore = vxtest::threadCount();

    const struct {
        const char* faults;
        std::vector<std::string> values;   // list 1668 under the fault
        bool okMissing;                    // the poll stops after Modbus mode on
        const char* shot;
    } cases[] = {
        {"silence", {}, true, "vxMbTest-silence.png"},
        // Noise before each answer is no part of the frame: the true values.
        {"garbage 20", kTrueValues, false, nullptr},
        {"split 4:30", kTrueValues, false, nullptr},
        {"exception 4", {"\t3000\t\tException code: 4, SLAVE DEVICE FAILURE"}, false, "vxMbTest-exception.png"},
        {"exception 11", {"\t3000\t\tException code: 11, UNKNOWN EXCEPTION"}, false, nullptr},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.faults);
        emulatorFaults(c.faults);
        const int asked = emuRequests();
        ASSERT_NO_FATAL_FAILURE(poll());
        const std::vector<std::string> frames = lines(kFrameList);
        EXPECT_EQ(lines(kValueList), c.values);
        ASSERT_GE(frames.size(), 3u);
        EXPECT_EQ(frames[2], c.okMissing ? kNoOk : "Received analyzer MODBUS OK message");
        if (c.okMissing) {
            EXPECT_EQ(frames.size(), 3u) << "no register request after the missing OK";
            EXPECT_EQ(emuRequests(), asked);
        } else {
            EXPECT_EQ(frames.back(), "Received analyzer OK message");
            EXPECT_EQ(emuRequests(), asked + 1);
        }
        if (c.shot != nullptr) shoot(c.shot);

        emulatorFaults("none");
        ASSERT_NO_FATAL_FAILURE(poll());
        EXPECT_EQ(lines(kValueList), kTrueValues) << "the next poll reads again";
        EXPECT_TRUE(vxtest::waitFor([&] { return vxtest::threadCount() <= threadsBefore; })) << "the poll's thread ended";
    }

    // The port unplugged: the poll ends on the errors of the gone port, the
    // window still answers and no thread is left.
    emulatorFaults("drop-after 1");
    ASSERT_NO_FATAL_FAILURE(poll());
    const std::vector<std::string> frames = lines(kFrameList);
    EXPECT_TRUE(frames.empty() || frames.back() == kNoOk) << (frames.empty() ? "" : frames.back());
    EXPECT_TRUE(lines(kValueList).empty());
    EXPECT_NE(log().find("Input/output error"), std::string::npos) << "the port's error is logged";
    const bool perValue = vxtest::shown<QCheckBox>(kMode)->isChecked();
    vxtest::press(kMode);
    EXPECT_TRUE(vxtest::pumpUntil([&] { return vxtest::shown<QCheckBox>(kMode)->isChecked() != perValue; }));
    EXPECT_TRUE(vxtest::waitFor([&] { return vxtest::threadCount() <= threadsBefore; }));
    EXPECT_EQ(app->parammbthrds.state.load(), 0);
    RecordProperty("seconds", static_cast<int>(clock.ms() / 1000));
}

}  // namespace
