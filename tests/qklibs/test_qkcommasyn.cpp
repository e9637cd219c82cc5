// Serial transport on real pseudo-terminals. The test holds the master side
// as the analyzer; the transport opens a virtual port: a link ../dev/ttyV<n>
// to the slave beside the working folder, reached as COM97+n. Each case
// works in its tree's work folder and goes back afterwards, and ends with as
// many open descriptors as it started with.
#include "qkcommasyn.h"

#include <gtest/gtest.h>

#include <atomic>
#include <cerrno>
#include <chrono>
#include <fcntl.h>
#include <functional>
#include <poll.h>
#include <stdlib.h>
#include <string>
#include <sys/stat.h>
#include <termios.h>
#include <thread>
#include <unistd.h>
#include <utility>
#include <vector>

#include "qklogsrv.h"
#include "qkstrsrv.h"
#include "qksysport.h"
#include "qkthrdsrv.h"
#include "vxtestsupport.h"

namespace {

using namespace std::chrono_literals;
using Clock = std::chrono::steady_clock;

// One pseudo-terminal; its slave is the virtual port ../dev/ttyV<n>.
struct Pty {
    int master = posix_openpt(O_RDWR | O_NOCTTY | O_CLOEXEC);
    std::string slave, link;
    Pty(const vxtest::TempTree& tree, int n) : slave(ptsname(master)), link(tree.path("dev/ttyV" + std::to_string(n)))
    {
        EXPECT_EQ(grantpt(master) | unlockpt(master) | symlink(slave.c_str(), link.c_str()), 0);
    }
    ~Pty()
    {
        if (master >= 0) close(master);
        unlink(link.c_str());
    }
    // The rate the transport set (the master reports the slave's settings).
    speed_t speed() const
    {
        termios t{};
        tcgetattr(master, &t);
        return cfgetospeed(&t);
    }
    std::string readN(size_t n) const
    {
        std::string got;
        for (const vxtest::Stopwatch watch; got.size() < n && watch.elapsed() < 5s;) {
            pollfd p{master, POLLIN, 0};
            char buf[8192];
            ssize_t r = poll(&p, 1, 20) > 0 ? read(master, buf, std::min(sizeof buf, n - got.size())) : 0;
            if (r > 0) got.append(buf, static_cast<size_t>(r));
        }
        return got;
    }
};

// The analyzer: answers what the transport sends, by the rate set.
class Peer {
public:
    using Answer = std::function<std::string(const std::string& heard, speed_t speed)>;
    Peer(Pty& pty, Answer answer) : thread_([this, &pty, answer] {
        while (!stop_) {
            pollfd p{pty.master, POLLIN, 0};
            char buf[256];
            ssize_t r = poll(&p, 1, 10) > 0 ? read(pty.master, buf, sizeof buf) : 0;
            if (r <= 0) {
                // Nothing, or no slave open at the moment: a master without
                // its slave reports a hang-up at once, so back off instead of
                // spinning until the transport opens the port again.
                std::this_thread::sleep_for(5ms);
                continue;
            }
            ++heard_;
            std::string reply = answer(std::string(buf, static_cast<size_t>(r)), pty.speed());
            if (write(pty.master, reply.data(), reply.size()) != static_cast<ssize_t>(reply.size())) ADD_FAILURE();
        }
    }) {}
    ~Peer()
    {
        stop_ = true;
        thread_.join();
    }
    int heard() const { return heard_; }

private:
    std::atomic<bool> stop_{false};
    std::atomic<int> heard_{0};
    std::thread thread_;
};

class AsynTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        logPath_ = tree.path("comm.log");
        ASSERT_EQ(qklogopn(logPath_.c_str()), 0);
        qkcommAsynSetDevName(" \\\\.\\COM ");
        qkcommAsynSetPortAdjust(0);
        qkcommAsynSetAudit(0);
        fds_ = vxtest::openDescriptors();
    }
    void TearDown() override
    {
        EXPECT_EQ(vxtest::openDescriptors(), fds_) << "descriptors leaked";
        qklogcls();
    }
    bool logged(const std::string& text) const { return vxtest::readFile(logPath_).find(text) != std::string::npos; }

    vxtest::TempTree tree;
    vxtest::CwdGuard cwd_{tree.work()};   // virtual ports are ../dev/ttyV<n>
    std::string logPath_;
    int fds_ = 0;
};

TEST_F(AsynTest, PortNamesMapToFixedDevices)
{
    const std::pair<const char*, const char*> cases[] = {
        {"COM1", "/dev/ttyS0"},     {"COM32", "/dev/ttyS31"},   {"COM33", "/dev/ttyUSB0"}, {"COM64", "/dev/ttyUSB31"},
        {"COM65", "/dev/ttyACM0"},  {"COM96", "/dev/ttyACM31"}, {"COM97", "../dev/ttyV0"}, {"COM128", "../dev/ttyV31"},
        {"\\\\.\\COM98", "../dev/ttyV1"}, {"/dev/pts/7", "/dev/pts/7"},
        {"COM0", nullptr}, {"COM129", nullptr}, {"COM", nullptr}, {"COM9x", nullptr}, {"ttyS0", nullptr},
        {"", nullptr},     {"COM00097", nullptr},
    };
    for (const auto& [name, device] : cases) {
        char path[64] = "";
        EXPECT_EQ(qksysportpath(name, path, sizeof path), device ? 0 : -2) << name;
        EXPECT_STREQ(path, device ? device : "") << name;
    }
    // Validation appends the device path of a present port, cut to the buffer.
    Pty pty(tree, 0);
    tree.write("dev/ttyV2", "a plain file is no port\n");
    char present[128] = "COM97", small[12] = "COM97";
    EXPECT_EQ(qkcommAsynValidate(present), 1);
    EXPECT_STREQ(present, "COM97 - ../dev/ttyV0");
    EXPECT_EQ(qkcommAsynValidate(small), 1);
    EXPECT_STREQ(small, "COM97 - ../");
    for (const char* absent : {"COM98", "COM99", "COM200"}) {
        char name[128];
        qkstrset(name, absent);
        EXPECT_EQ(qkcommAsynValidate(name), 0) << absent;
        EXPECT_STREQ(name, absent);
    }
}

TEST_F(AsynTest, OpenAppliesRawSettingsOrFails)
{
    Pty pty(tree, 0);
    tree.write("dev/ttyV1", "not a terminal\n");
    // A pseudo-terminal always runs 8 bits without parity, so of the frame
    // only the stop bits show; the other codes are still passed through.
    struct Case {
        int baud, parity, dataBits, stopBits;
        speed_t speed;
        tcflag_t stop;
    };
    const Case cases[] = {
        {1200, 0, 8, 1, B1200, 0}, {2400, 1, 7, 2, B2400, CSTOPB}, {57600, 2, 8, 1, B57600, 0},
        {115200, 0, 8, 1, B115200, 0},
        {300, 0, 8, 1, B9600, 0},   // unknown rates run at 9600
        {0, 5, 5, 3, B9600, 0},     // unknown codes: no parity, 8 bits, 1 stop bit
    };
    for (const auto& c : cases) {
        int fd = qkcommAsynOpen(97, c.baud, c.parity, c.dataBits, c.stopBits);
        ASSERT_GE(fd, 3) << c.baud;
        EXPECT_TRUE(fcntl(fd, F_GETFD) & FD_CLOEXEC);
        termios t{};
        ASSERT_EQ(tcgetattr(fd, &t), 0);
        EXPECT_EQ(cfgetospeed(&t), c.speed) << c.baud;
        EXPECT_EQ(t.c_cflag & CSTOPB, c.stop) << c.baud;
        EXPECT_EQ(t.c_lflag & (ICANON | ECHO | ISIG | IEXTEN), 0u);
        EXPECT_EQ(t.c_iflag & (ICRNL | IXON | IXOFF | ISTRIP), 0u);
        EXPECT_EQ(t.c_oflag & OPOST, 0u);
        EXPECT_EQ(qkcommAsynClose(fd), 0);
    }
    EXPECT_STREQ(gqk_qkasyncom, "\\\\.\\COM97");
    EXPECT_TRUE(logged("opened port: 97, device: \\\\.\\COM97"));

    // 1800 baud is refused and leaves the port free; a held port, a file and
    // a missing port fail with the system's error.
    EXPECT_EQ(qkcommAsynOpen(97, 1800, 0, 8, 1), -1);
    int fd = qkcommAsynOpen(97, 9600, 0, 8, 1);
    ASSERT_GE(fd, 3);
    for (auto [port, error] : {std::pair{97, EBUSY}, {98, ENOTTY}, {99, ENOENT}, {0, ENOENT}}) {
        EXPECT_EQ(qkcommAsynOpen(port, 9600, 0, 8, 1), -1) << port;
        std::string line = "Unable to open device: \\\\.\\COM" + std::to_string(port) + ", port: " +
                           std::to_string(port) + ", error: " + std::to_string(error);
        EXPECT_TRUE(logged(line)) << line;
    }
    qkcommAsynClose(fd);
}

TEST_F(AsynTest, BytesPassUnchangedBothWays)
{
    Pty pty(tree, 0);
    int fd = qkcommAsynOpen(97, 115200, 0, 8, 1);
    ASSERT_GE(fd, 3);
    for (size_t n : {1u, 255u, 4096u, 5120u}) {
        std::string data = vxtest::bytePattern(n);
        EXPECT_EQ(qkcommAsynWrite(fd, data.data(), static_cast<int>(n)), static_cast<int>(n));
        EXPECT_EQ(pty.readN(n), data) << n;

        std::thread writer([&] { EXPECT_EQ(write(pty.master, data.data(), n), static_cast<ssize_t>(n)); });
        std::vector<unsigned char> buf(5120 + 1);
        size_t got = 0;
        for (const vxtest::Stopwatch watch; got < n && watch.elapsed() < 5s;) {
            int r = qkcommAsynRead(fd, buf.data() + got, static_cast<int>(n - got));
            if (r < 0) break;
            got += static_cast<size_t>(r);
            EXPECT_EQ(buf[got], 0) << "terminator";
        }
        writer.join();
        EXPECT_EQ(vxtest::bytes(buf.data(), got), data) << n;
    }
    // Empty requests touch nothing; with the module bits the exchange is logged with a dump.
    EXPECT_EQ(qkcommAsynRead(fd, nullptr, 0), 0);
    EXPECT_EQ(qkcommAsynWrite(fd, nullptr, -3), 0);
    qkcommAsynSetAudit(2 | 4);
    EXPECT_EQ(qkcommAsynWrite(fd, "PING", 4), 4);
    EXPECT_EQ(pty.readN(4), "PING");
    for (const std::string& line : {std::string("asynRead maxByts: 0"), std::string("asynWrite bytes: -3"),
                                    std::string("5049 4e47"), "Sent: 4 bytes to comm port: " + std::to_string(fd)})
        EXPECT_TRUE(logged(line)) << line;
    qkcommAsynClose(fd);
}

TEST_F(AsynTest, ReadReturnsWhatHasArrivedWithinASecond)
{
    Pty pty(tree, 0);
    int fd = qkcommAsynOpen(97, 9600, 0, 8, 1);
    ASSERT_GE(fd, 3);
    unsigned char buf[65];
    EXPECT_EQ(qkcommAsynStat(fd), 0);
    vxtest::Stopwatch watch;
    EXPECT_EQ(qkcommAsynRead(fd, buf, 64), 0);
    EXPECT_GE(watch.ms(), 900);
    EXPECT_LT(watch.ms(), 1500);

    std::thread late([&] {
        std::this_thread::sleep_for(200ms);   // the analyzer answers late on purpose, inside the read's second
        EXPECT_EQ(write(pty.master, "abc", 3), 3);
    });
    watch.restart();
    EXPECT_EQ(qkcommAsynRead(fd, buf, 64), 3);
    EXPECT_LT(watch.ms(), 800);
    late.join();
    EXPECT_STREQ(reinterpret_cast<char*>(buf), "abc");

    // Waiting bytes are reported and purged by a flush.
    EXPECT_EQ(write(pty.master, "xyz", 3), 3);
    EXPECT_TRUE(vxtest::waitFor([&] { return qkcommAsynStat(fd) == 1; }));
    EXPECT_EQ(qkcommAsynFlush(fd), 0);
    EXPECT_EQ(qkcommAsynStat(fd), 0);
    qkcommAsynClose(fd);
}

TEST_F(AsynTest, DeviceGoneOrNeverDrainingEndsTheCall)
{
    Pty gone(tree, 0), stuck(tree, 1);   // stuck's master never reads
    int fd = qkcommAsynOpen(97, 9600, 0, 8, 1);
    ASSERT_GE(fd, 3);
    close(std::exchange(gone.master, -1));
    unsigned char buf[16];
    EXPECT_EQ(qkcommAsynStat(fd), -2);
    vxtest::Stopwatch watch;
    EXPECT_EQ(qkcommAsynRead(fd, buf, 8), -1);
    EXPECT_EQ(qkcommAsynWrite(fd, "x", 1), -1);
    EXPECT_LT(watch.ms(), 500);
    EXPECT_TRUE(logged("asynRead error: 5 "));
    EXPECT_EQ(qkcommAsynClose(fd), 0);
    char name[32] = "COM97";
    EXPECT_EQ(qkcommAsynValidate(name), 0);

    fd = qkcommAsynOpen(98, 115200, 0, 8, 1);
    ASSERT_GE(fd, 3);
    std::string big(1 << 20, 'x');
    watch.restart();
    EXPECT_EQ(qkcommAsynWrite(fd, big.data(), static_cast<int>(big.size())), -1);
    EXPECT_TRUE(logged("asynWrite error: 110 "));
    EXPECT_EQ(qkcommAsynClose(fd), 0);
    EXPECT_LT(watch.ms(), 4000);
}

struct Reader {
    int fd = 0;
    std::atomic<int> tid{0};
    std::atomic<bool> unwound{false};
};
void ReadForever(void* arg)
{
    auto* r = static_cast<Reader*>(arg);
    struct OnExit {
        Reader* r;
        ~OnExit() { r->unwound = true; }
    } guard{r};
    unsigned char buf[16];
    for (r->tid = gettid();;) qkcommAsynRead(r->fd, buf, 8);
}

// True while the thread sleeps in the kernel (state S in its stat line).
bool Asleep(int tid)
{
    const std::string stat = vxtest::readFile("/proc/self/task/" + std::to_string(tid) + "/stat");
    const size_t at = stat.rfind(')');
    return at != std::string::npos && at + 2 < stat.size() && stat[at + 2] == 'S';
}

TEST_F(AsynTest, StoppedWorkerLeavesABlockedRead)
{
    Pty pty(tree, 0);
    Reader reader;
    reader.fd = qkcommAsynOpen(97, 9600, 0, 8, 1);
    ASSERT_GE(reader.fd, 3);
    qkthrdInfo rec{};
    qkthrdsetndx(&rec);
    int id = qkthrdallocate(&rec);
    qkthrdloadadd(&rec, id, ReadForever);
    qkthrdloadarg(&rec, id, &reader);
    ASSERT_EQ(qkthrdstart(&rec, id), 0);
    // The stop must find the worker waiting inside the read.
    ASSERT_TRUE(vxtest::waitFor([&] { return reader.tid.load() != 0 && Asleep(reader.tid); }));
    const vxtest::Stopwatch watch;
    EXPECT_EQ(qkthrdstop(&rec, id), 0);
    EXPECT_LT(watch.ms(), 400);
    EXPECT_TRUE(reader.unwound);
    qkthrdfreemem(&rec, id);
    qkcommAsynClose(reader.fd);
}

// ---- baud-rate detection -----------------------------------------------------

class DetectTest : public AsynTest {
protected:
    void SetUp() override
    {
        AsynTest::SetUp();
        rec.port = 97;
        rec.dataBits = 8;
        rec.stopBits = 1;
        rec.autoRetries = 1;
        rec.autoDelay = 1;
        qkcommAsynSetUserFunc(&rec, CountProbe, &probes);
    }
    static int CountProbe(void* arg) { return ++*static_cast<std::atomic<int>*>(arg); }
    qkcommAsynInfo rec{};
    std::atomic<int> probes{0};
};

TEST_F(DetectTest, FindsTheRateThatAnswersWithText)
{
    Pty pty(tree, 0);
    std::atomic<int> wrongRequest{0};
    // At 9600 the analyzer's text arrives garbled (a byte above 126); at 19200 it is clean.
    Peer peer(pty, [&](const std::string& heard, speed_t speed) {
        wrongRequest += heard != "ID?\r";
        return std::string(speed == B19200 ? "VX 1.6 ready\r\n" : "V\xc8X\r\n");
    });
    rec.audit = 1;
    qkcommAsynSetAutoSendMsg(&rec, "ID?\r");
    EXPECT_EQ(qkcommAsynBaudDetection(&rec), 0);
    EXPECT_EQ(rec.baud, 19200);
    EXPECT_EQ(rec.autoAttempt.load(), 1);
    EXPECT_EQ(probes, 2);
    EXPECT_EQ(wrongRequest, 0);
    ASSERT_GE(rec.fd, 3);
    EXPECT_EQ(pty.speed(), static_cast<speed_t>(B19200));   // left open at the rate found
    for (const char* line : {"Send auto detect message: ID?", "Try: 0, at baud: 9600, status: 1, for: \\\\.\\COM97",
                             "For baud: 9600, received: 5 bytes", "byte: 1, value: c8", "Device: \\\\.\\COM97 ready"})
        EXPECT_TRUE(logged(line)) << line;
    qkcommAsynClose(rec.fd);
}

TEST_F(DetectTest, NoRateFoundOrNoPassesLeavesThePortClosed)
{
    Pty pty(tree, 0);
    Peer peer(pty, [](const std::string&, speed_t) { return std::string("OK\x7f\r\n"); });
    qkcommAsynSetAutoSendMsg(&rec, "?");
    vxtest::Stopwatch watch;
    EXPECT_EQ(qkcommAsynBaudDetection(&rec), -2);
    EXPECT_LT(watch.ms(), 6000);
    EXPECT_EQ(rec.fd, 0);
    EXPECT_EQ(peer.heard(), 5);
    EXPECT_TRUE(logged("Unable to determine baud for: \\\\.\\COM97"));
    EXPECT_FALSE(logged("Try: "));   // detection messages need the record's audit bits

    // No passes: an open port is closed and nothing is tried.
    rec.fd = qkcommAsynOpen(97, 9600, 0, 8, 1);
    rec.autoRetries = 0;
    watch.restart();
    EXPECT_EQ(qkcommAsynBaudDetection(&rec), -2);
    EXPECT_LT(watch.ms(), 100);
    EXPECT_EQ(rec.fd, 0);

    // A port that cannot be opened ends detection at once.
    rec.port = 99;
    rec.autoRetries = 3;
    EXPECT_EQ(qkcommAsynBaudDetection(&rec), -1);
    EXPECT_LT(rec.fd, 0);
    EXPECT_TRUE(logged("Unable to open device: \\\\.\\COM99"));
}

int CancelFromHook(void* arg)
{
    static_cast<qkcommAsynInfo*>(arg)->autoState = 1;
    return 0;
}

TEST_F(DetectTest, CancelIsHonouredWithinATenthOfASecond)
{
    Pty pty(tree, 0);   // a silent analyzer
    rec.autoDelay = 40;
    std::atomic<Clock::rep> cancelledAt{0};
    std::thread canceller([&] {
        EXPECT_TRUE(vxtest::waitFor([&] { return probes == 1; }));
        std::this_thread::sleep_for(250ms);   // cancels in the middle of the wait between rates, on purpose
        cancelledAt = Clock::now().time_since_epoch().count();
        rec.autoState = 1;
    });
    EXPECT_EQ(qkcommAsynBaudDetection(&rec), 1);
    Clock::duration late{Clock::now().time_since_epoch().count() - cancelledAt};
    canceller.join();
    EXPECT_LT(std::chrono::duration_cast<std::chrono::milliseconds>(late).count(), 150);
    EXPECT_GE(rec.fd, 3);   // open at the rate in progress; the caller closes it
    EXPECT_EQ(rec.baud, 9600);
    qkcommAsynClose(rec.fd);

    // The progress hook may cancel too.
    rec.autoState = 0;
    qkcommAsynSetUserFunc(&rec, CancelFromHook, &rec);
    const vxtest::Stopwatch watch;
    EXPECT_EQ(qkcommAsynBaudDetection(&rec), 1);
    EXPECT_LT(watch.ms(), 150);
    qkcommAsynClose(rec.fd);
}

// The first rate is refused (another program holds the port while it is
// tried): detection goes on and finds the analyzer at the next rate.
TEST_F(DetectTest, RefusedRateMovesOnToTheNext)
{
    Pty pty(tree, 0);
    Peer peer(pty, [](const std::string&, speed_t speed) {
        return std::string(speed == B19200 ? "VX 1.6 ready\r\n" : "V\xc8X\r\n");
    });
    qkcommAsynSetAutoSendMsg(&rec, "ID?\r");
    rec.autoRetries = 2;   // a release that comes too late for 19200 is caught on the second pass
    int holder = qkcommAsynOpen(97, 9600, 0, 8, 1);
    ASSERT_GE(holder, 3);
    std::atomic<int> result{99};
    std::thread detect([&] { result = qkcommAsynBaudDetection(&rec); });
    EXPECT_TRUE(vxtest::waitFor([&] { return logged("Unable to open device: \\\\.\\COM97"); }));
    qkcommAsynClose(holder);
    detect.join();
    EXPECT_EQ(result, 0);
    EXPECT_EQ(rec.baud, 19200);
    EXPECT_EQ(pty.speed(), static_cast<speed_t>(B19200));
    qkcommAsynClose(rec.fd);
}

}  // namespace
