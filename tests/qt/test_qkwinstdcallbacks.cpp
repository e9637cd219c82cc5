// The standard connection callbacks end to end (offscreen): the shipped serial
// and TCP set-up dialogs opened from a window, filled and confirmed with real
// widgets, then the connect callbacks on a worker against the analyzer
// emulator (its virtual serial port and its TCP port) and a loopback client;
// the refusals; and the binding of the confirming dialog exit.
#include <gtest/gtest.h>

#include <QComboBox>
#include <QLabel>
#include <QTest>

#include <arpa/inet.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

#include <atomic>
#include <climits>
#include <memory>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "qkcommasyn.h"
#include "qkcommtcp.h"
#include "qksyswincombo.h"
#include "qksyswindlg.h"
#include "qksyswinpage.h"
#include "qksyswinsrv.h"
#include "qksyswinstatic.h"
#include "qkwinmsgbox.h"
#include "qkwinstdcallbacks.h"
#include "vxtestqt.h"

namespace {

using vxtest::control;

// The boxes the callbacks show, answered at once.
std::mutex g_boxLock;
std::vector<std::string> g_boxes;
int recordBox(qkwinInfo*, int, const char* text)
{
    std::lock_guard<std::mutex> lock(g_boxLock);
    g_boxes.emplace_back(text);
    return QKWIN_MSG_OK;
}
void clearBoxes()
{
    std::lock_guard<std::mutex> lock(g_boxLock);
    g_boxes.clear();
}
bool boxShown(const std::string& text)
{
    std::lock_guard<std::mutex> lock(g_boxLock);
    for (const auto& b : g_boxes)
        if (b == text) return true;
    return false;
}

const std::string kStdXml = std::string(VX_SOURCE_DIR) + "/cfg/qkwinstdxml/";

// A connection window as the program declares it: both set-up dialogs, the
// static that shows the baud attempts, and a button closing with confirmation.
const std::string kMain =
    "<TITLE>Connection</TITLE>\n<WIDTH>300</WIDTH>\n<HEIGHT>100</HEIGHT>\n"
    "<STATIC>\n<ID>500</ID>\n<STRING>-</STRING>\n<XORIG>5</XORIG>\n<YORIG>5</YORIG>\n"
    "<WIDTH>280</WIDTH>\n<HEIGHT>20</HEIGHT>\n</STATIC>\n"
    "<BUTTON>\n<ID>9997</ID>\n<NAME>Close</NAME>\n<XORIG>5</XORIG>\n<YORIG>40</YORIG>\n"
    "<FUNCTION>qksyswindlgexitconf</FUNCTION>\n</BUTTON>\n"
    "<DIALOG>\n<ID>9370</ID>\n<TITLE>Serial Line Setup</TITLE>\n<STARTID>9371</STARTID>\n<PATH>" +
    kStdXml +
    "qkwinasyndlg.xml</PATH>\n</DIALOG>\n"
    "<DIALOG>\n<ID>9560</ID>\n<TITLE>TCP Setup</TITLE>\n<STARTID>9561</STARTID>\n<PATH>" +
    kStdXml + "qkwintcpdlg.xml</PATH>\n</DIALOG>\n";

// A dialog opened by a worker, which serves it until it closes.
class Dialog {
public:
    Dialog(qkwinInfo* win, int id, const char* title) : win_(win), id_(id)
    {
        thread_ = std::thread([this] {
            qkwindlgdspbyID(win_, id_);
            closed_ = true;
        });
        EXPECT_TRUE(QTest::qWaitFor([&] { return (top_ = vxtest::topLevel(title)) != nullptr; }, 5000)) << title;
    }
    ~Dialog()
    {
        if (!closed_) qkwindlgExitByID(win_, id_);
        if (!QTest::qWaitFor([&] { return closed_.load(); }, 5000)) ADD_FAILURE() << "dialog " << id_ << " not closed";
        thread_.join();
    }
    QComboBox* combo(int id) const { return control<QComboBox>(top_, id); }
    void choose(int id, const QString& text) const
    {
        QComboBox* c = combo(id);
        if (c == nullptr) return;
        c->setCurrentIndex(c->findText(text));
        c->setEditText(text);
    }
    void press(int id) const { QTest::mouseClick(control(top_, id), Qt::LeftButton); }
    bool closes() const
    {
        return QTest::qWaitFor([&] { return closed_.load(); }, 5000);
    }
    bool open() const { return !closed_ && top_ != nullptr && vxtest::topLevel(top_->windowTitle()) != nullptr; }

private:
    qkwinInfo* win_;
    int id_;
    QWidget* top_ = nullptr;
    std::atomic<bool> closed_{false};
    std::thread thread_;
};

// Runs a connect callback on a worker as the program does; the GUI thread
// keeps serving the windows meanwhile.
int onWorker(qkwincallback fn, qkwinInfo* win, int timeoutMs = 30000)
{
    std::atomic<int> result{INT_MIN};
    std::thread t([&] { result = fn(win); });
    EXPECT_TRUE(QTest::qWaitFor([&] { return result.load() != INT_MIN; }, timeoutMs));
    t.join();
    return result;
}

// Starts the emulator in the tree's work folder; returns its ready line.
std::string startEmulator(const vxtest::TempTree& tree, std::vector<std::string> args,
                          std::unique_ptr<vxtest::Process>& emu)
{
    const std::string ready = tree.path("work/ready-" + args[0].substr(2) + ".txt");
    std::vector<std::string> argv = {vxtest::program("anaemu"), "--log", tree.path("work/emu.log"), "--ready-file",
                                     ready};
    argv.insert(argv.end(), args.begin(), args.end());
    emu = std::make_unique<vxtest::Process>(argv, tree.work());
    EXPECT_TRUE(vxtest::waitFor([&] { return vxtest::readFile(ready).find('\n') != std::string::npos; }))
        << "emulator not ready";
    return vxtest::readFile(ready);
}

// A loopback TCP socket: bound to a free port (returned) or connected to one.
int loopback(int port, bool connectTo, int* fd)
{
    *fd = socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    sockaddr_in sa{AF_INET, htons(static_cast<uint16_t>(port)), {htonl(INADDR_LOOPBACK)}, {}};
    socklen_t len = sizeof sa;
    auto* addr = reinterpret_cast<sockaddr*>(&sa);
    if (connectTo ? connect(*fd, addr, len) == 0 : bind(*fd, addr, len) == 0 && getsockname(*fd, addr, &len) == 0)
        return ntohs(sa.sin_port);
    close(*fd);
    *fd = -1;
    return -1;
}

class StdCallbacks : public ::testing::Test {
protected:
    void SetUp() override
    {
        clearBoxes();
    }
    void TearDown() override
    {
        if (oldBox_ != nullptr) qkwinsetmsgboxhook(oldBox_);
    }
    // The window with the program's binding order: definition, standard
    // names, then the standard connection callbacks.
    void bind(qkwinInfo* win)
    {
        // After the first window: the window layer installs its own boxes then.
        if (oldBox_ == nullptr) oldBox_ = qkwinsetmsgboxhook(recordBox);
        win->stdasynPtr = &asyn_;
        win->stdtcpPtr = &tcp_;
        ASSERT_EQ(qkwinregisterstdcb(win), 0);
    }

    qkwinmsgboxhook oldBox_ = nullptr;
    qkcommAsynInfo asyn_{};
    qkcommTCPInfo tcp_{};
};

TEST_F(StdCallbacks, SerialDialogConnectsToTheEmulatorsVirtualPort)
{
    vxtest::QtWindow w(kMain);
    bind(w.win());
    std::unique_ptr<vxtest::Process> emu;
    // The analyzer understands only 19200 and talks by itself, so automatic
    // detection has something to find (and garbled noise at 9600).
    startEmulator(w.tree(), {"--pty", "0", "--dev-dir", w.tree().path("dev"), "--baud", "19200", "--idle-ms", "100"},
                  emu);
    vxtest::CwdGuard cwd(w.tree().work());  // COM97 is ../dev/ttyV0
    qkwinstdsetasyndefaults(&asyn_, 0, 0, 0, 1, 8);
    qkcommAsynSetAutoDelayCnt(&asyn_, 3);
    qkwinstdAsynSetUserNotifyID(w.win(), 500);

    // Nothing chosen yet: the connect ends at once and the port stays closed.
    EXPECT_EQ(onWorker(qkwinstdconnectasyn, w.win()), -2);
    EXPECT_EQ(asyn_.status.load(), 1);
    EXPECT_EQ(asyn_.fd, 0);

    struct Case {
        const char* port;  // typed in when it is not listed
        int portNumber;
        const char* baud;  // "" leaves the rate to detection
        const char* parity;
        int parityCode;
    };
    for (const Case& c : {Case{"COM98", 98, "19200", "odd", 2}, Case{"COM97", 97, "19200", "none", 0},
                          Case{"COM97", 97, "", "none", 0}}) {
        SCOPED_TRACE(std::string(c.port) + " " + c.baud + " " + c.parity);
        clearBoxes();
        {
            Dialog dlg(w.win(), 9370, "Serial Line Setup");
            ASSERT_NE(dlg.combo(9373), nullptr);
            EXPECT_GE(dlg.combo(9373)->findText("COM97"), 0) << "the emulator's virtual port is listed";
            dlg.press(9382);
            EXPECT_TRUE(QTest::qWaitFor([] { return boxShown("Select COM port"); }, 5000));
            EXPECT_TRUE(dlg.open());
            EXPECT_EQ(asyn_.state.load(), 0);

            dlg.choose(9373, c.port);
            dlg.choose(9375, c.baud);
            dlg.choose(9377, c.parity);
            dlg.press(9382);
            EXPECT_TRUE(dlg.closes());
        }
        EXPECT_EQ(asyn_.state.load(), 20);
        EXPECT_EQ(asyn_.port, c.portNumber);
        EXPECT_STREQ(asyn_.devname, c.port);
        EXPECT_EQ(asyn_.baud, c.baud[0] ? 19200 : 0);
        EXPECT_EQ(asyn_.parity, c.parityCode);

        const int result = onWorker(qkwinstdconnectasyn, w.win());
        EXPECT_EQ(asyn_.status.load(), 1);
        if (c.portNumber != 97) {  // no such port
            EXPECT_EQ(result, -2);
            EXPECT_LE(asyn_.fd, 0);
            EXPECT_EQ(asyn_.state.load(), 20);
            EXPECT_TRUE(boxShown("ASYN open error for port: 98"));
            continue;
        }
        EXPECT_EQ(result, 0);
        EXPECT_EQ(asyn_.state.load(), 50);
        EXPECT_EQ(asyn_.baud, 19200);
        ASSERT_GT(asyn_.fd, 0);
        char line[65];
        EXPECT_TRUE(vxtest::waitFor([&] { return qkcommAsynRead(asyn_.fd, line, 64) > 0; })) << "the analyzer talks";

        EXPECT_EQ(qkwinstddisconnectasyn(w.win()), 0);
        EXPECT_EQ(asyn_.fd, 0);
        EXPECT_EQ(asyn_.state.load(), 20);
    }
    // Detection reported its attempts in the window's static, the last one at the rate it found.
    const QString attempts = control<QLabel>(w.top(), 500)->text();
    EXPECT_TRUE(attempts.startsWith("Attempt ") && attempts.endsWith(" for baud rate: 19200"))
        << attempts.toStdString();
}

TEST_F(StdCallbacks, TcpDialogConnectsAsClientAndAsServer)
{
    vxtest::QtWindow w(kMain);
    bind(w.win());
    std::unique_ptr<vxtest::Process> emu;
    const std::string ready = startEmulator(w.tree(), {"--tcp", "0"}, emu);
    const std::string emuPort =
        ready.substr(ready.find_last_of(' ') + 1, ready.find('\n') - ready.find_last_of(' ') - 1);
    int probe = -1;
    const std::string serverPort = std::to_string(loopback(0, false, &probe));
    close(probe);

    // No role chosen is no connection.
    EXPECT_EQ(onWorker(qkwinstdconnecttcp, w.win()), -2);
    EXPECT_EQ(tcp_.status.load(), -2);

    struct Case {
        int service;  // as the program presets it: 2 its analyzer link, 1 remote access
        const char* address;
        std::string port;
    };
    for (const Case& c : {Case{2, "localhost", emuPort}, Case{1, "127.0.0.1", serverPort}}) {
        SCOPED_TRACE(c.service);
        ASSERT_EQ(qkwinstdsetTCPdefaults(&tcp_, c.service, 0, ""), 0);
        {
            Dialog dlg(w.win(), 9560, "TCP Setup");
            dlg.choose(9566, c.address);
            dlg.press(9569);
            EXPECT_TRUE(QTest::qWaitFor([] { return boxShown("Select TCP Port"); }, 5000));
            EXPECT_TRUE(dlg.open());
            dlg.choose(9568, QString::fromStdString(c.port));
            dlg.press(9569);
            EXPECT_TRUE(dlg.closes());
        }
        const qkcommTCPServiceInfo& part = c.service == 2 ? tcp_.client : tcp_.server;
        EXPECT_EQ(tcp_.state.load(), 20);
        EXPECT_EQ(tcp_.service, c.service);
        EXPECT_EQ(std::to_string(part.port), c.port);

        int peer = -1;
        if (c.service == 2) {
            EXPECT_EQ(onWorker(qkwinstdconnecttcp, w.win()), 0);
        } else {
            std::atomic<int> result{INT_MIN};
            std::thread server([&] { result = qkwinstdconnecttcp(w.win()); });
            EXPECT_TRUE(vxtest::waitFor([&] { return loopback(std::stoi(c.port), true, &peer) > 0; }));
            EXPECT_TRUE(QTest::qWaitFor([&] { return result.load() != INT_MIN; }, 10000));
            server.join();
            EXPECT_EQ(result.load(), 0);
        }
        EXPECT_EQ(tcp_.status.load(), 1);
        EXPECT_EQ(tcp_.state.load(), 50);
        EXPECT_EQ(qkwinstddisconnecttcp(w.win()), 0);
        EXPECT_EQ(tcp_.state.load(), 30);
        if (peer >= 0) close(peer);
    }
}

TEST_F(StdCallbacks, ConfirmingDialogExitKeepsItsOwnFunction)
{
    vxtest::QtWindow w(kMain);
    bind(w.win());
    int exitconf = 0;
    for (int i = 0; i < w.win()->func.cnt; ++i) {
        const qkwinfuncIDInfo& e = w.win()->func.idPtr[i];
        if (std::string(e.name) == "qksyswindlgexitconf") {
            ++exitconf;
            EXPECT_EQ(e.add, qksyswindlgexitconf) << "entry " << i << " id " << e.id;
        } else if (std::string(e.name) == "qksyswindlgexit") {
            EXPECT_EQ(e.add, qksyswindlgexit) << "entry " << i << " id " << e.id;
        }
    }
    EXPECT_EQ(exitconf, 2);  // the close button's and the standard one
    EXPECT_EQ(w.win()->userDevUpDateFunc, qkwinstdloadasynports);
}

TEST(StdCallbacksText, PortNumberOfAPortListEntry)
{
    const struct {
        const char* text;
        int port;
    } cases[] = {{"COM12", 12}, {"  COM7 - ../dev/ttyV0", 7}, {"\\\\.\\COM3", 3}, {"", -2}, {"   ", -2}, {"COM", -2},
                 {"COMx", -2}};
    for (const auto& c : cases) EXPECT_EQ(qkwinstdgetasynport(c.text), c.port) << c.text;
}

}  // namespace
