// The analyzer emulator as a peer: started as a process, driven over its
// virtual port (a pseudo-terminal) and over TCP by small clients written
// here, independent of the tool's own protocol code. Modbus answers are
// checked by libmodbus' client, which verifies CRC and slave address.
#include <gtest/gtest.h>

#include <arpa/inet.h>
#include <chrono>
#include <cmath>
#include <csignal>
#include <cstring>
#include <ctime>
#include <fcntl.h>
#include <functional>
#include <memory>
#include <modbus.h>
#include <netinet/in.h>
#include <poll.h>
#include <string>
#include <sys/file.h>
#include <sys/ioctl.h>
#include <sys/socket.h>
#include <termios.h>
#include <thread>
#include <unistd.h>
#include <vector>

#include "vxtestsupport.h"

namespace {

using namespace std::chrono_literals;
using Clock = std::chrono::steady_clock;

// One emulator in a temporary tree; waits until its line is ready.
struct Emu {
    vxtest::TempTree tree;
    std::unique_ptr<vxtest::Process> proc;
    std::string ready;   // first line of the ready file
    std::string link() const { return tree.path("dev/ttyV0"); }
    std::string log() const { return vxtest::readFile(tree.path("work/emu.log")); }
    int tcpPort() const { return std::atoi(ready.substr(ready.rfind(' ') + 1).c_str()); }

    // files: (path in the tree, text) written before the start.
    explicit Emu(const std::vector<std::string>& args,
                 const std::vector<std::pair<std::string, std::string>>& files = {})
    {
        for (const auto& [path, text] : files) tree.write(path, text);
        std::vector<std::string> argv = {vxtest::program("anaemu"), "--log", "emu.log", "--ready-file", "ready.txt",
                                         "--seed", "7"};
        argv.insert(argv.end(), args.begin(), args.end());
        proc = std::make_unique<vxtest::Process>(argv, tree.work());
        std::string path = tree.path("work/ready.txt");
        EXPECT_TRUE(vxtest::waitFor([&] { return vxtest::fileExists(path); }, 5s)) << "emulator not ready";
        ready = vxtest::readFile(path);
    }
    // Replaces the control file work/faults.txt at once and waits until the
    // emulator has taken the new set.
    void setFaults(const std::string& text) const
    {
        tree.write("work/faults.tmp", text);
        std::rename(tree.path("work/faults.tmp").c_str(), tree.path("work/faults.txt").c_str());
        const std::string want = "faults now";
        int before = vxtest::countLines(log(), want);
        EXPECT_TRUE(vxtest::waitFor([&] { return vxtest::countLines(log(), want) > before; }, 2s));
    }
};

// A raw client descriptor: a virtual port opened like a serial line, or a
// TCP connection.
struct Client {
    int fd = -1;
    ~Client()
    {
        if (fd >= 0) close(fd);
    }
    static std::unique_ptr<Client> serial(const std::string& path, speed_t speed = B9600)
    {
        auto c = std::make_unique<Client>();
        c->fd = open(path.c_str(), O_RDWR | O_NOCTTY | O_NONBLOCK);
        if (c->fd < 0) return nullptr;
        termios t{};
        tcgetattr(c->fd, &t);
        cfmakeraw(&t);
        cfsetispeed(&t, speed);
        cfsetospeed(&t, speed);
        tcsetattr(c->fd, TCSANOW, &t);
        return c;
    }
    static std::unique_ptr<Client> tcp(int port)
    {
        auto c = std::make_unique<Client>();
        c->fd = socket(AF_INET, SOCK_STREAM, 0);
        sockaddr_in a{};
        a.sin_family = AF_INET;
        a.sin_port = htons(static_cast<uint16_t>(port));
        a.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        if (connect(c->fd, reinterpret_cast<sockaddr*>(&a), sizeof a) != 0) return nullptr;
        fcntl(c->fd, F_SETFL, O_NONBLOCK);
        return c;
    }
    void send(const std::string& s) const { ASSERT_EQ(write(fd, s.data(), s.size()), static_cast<ssize_t>(s.size())); }
    void request(const std::string& code, int addr = 1) const
    {
        char a[8];
        std::snprintf(a, sizeof a, "%03d", addr);
        send("\\\\" + std::string(a) + code);
    }
    // Reads until done(received) holds, the peer closes, or the time is up.
    // reads counts the read calls that returned data.
    std::string readUntil(const std::function<bool(const std::string&)>& done, std::chrono::milliseconds limit,
                          int* reads = nullptr, bool* closed = nullptr) const
    {
        std::string got;
        auto end = Clock::now() + limit;
        while (!done(got) && Clock::now() < end) {
            pollfd p{fd, POLLIN, 0};
            if (poll(&p, 1, 20) <= 0) continue;
            char buf[4096];
            ssize_t n = read(fd, buf, sizeof buf);
            if (n > 0) {
                got.append(buf, static_cast<std::size_t>(n));
                if (reads) ++*reads;
            } else if (n == 0 || (errno != EAGAIN && errno != EINTR)) {
                if (closed) *closed = true;
                break;
            }
        }
        return got;
    }
    std::string readFor(std::chrono::milliseconds t) const
    {
        return readUntil([](const std::string&) { return false; }, t);
    }
    std::string readText(const std::string& needle, std::chrono::milliseconds t = 2s) const
    {
        return readUntil([&](const std::string& s) { return s.find(needle) != std::string::npos; }, t);
    }
    // The payload of the next data block: bytes between "[" and the first "]]".
    std::string block(std::chrono::milliseconds t = 2s) const
    {
        std::string got = readUntil(
            [](const std::string& s) {
                auto open = s.find('[');
                return open != std::string::npos && s.find("]]", open + 1) != std::string::npos;
            },
            t);
        auto open = got.find('[');
        if (open == std::string::npos) return "<no block>";
        auto end = got.find("]]", open + 1);
        if (end == std::string::npos) return "<no block end>";
        return got.substr(open + 1, end - open - 1);
    }
};

std::vector<std::string> split(const std::string& s, char sep)
{
    std::vector<std::string> parts;
    std::size_t start = 0;
    for (;;) {
        auto p = s.find(sep, start);
        parts.push_back(s.substr(start, p - start));
        if (p == std::string::npos) return parts;
        start = p + 1;
    }
}

uint32_t be32(const std::string& b, std::size_t off)
{
    auto u = [&](std::size_t i) { return static_cast<uint32_t>(static_cast<unsigned char>(b[off + i])); };
    return u(0) << 24 | u(1) << 16 | u(2) << 8 | u(3);
}

float beFloat(const std::string& b, std::size_t off)
{
    uint32_t bits = be32(b, off);
    float f;
    std::memcpy(&f, &bits, sizeof f);
    return f;
}

int16_t le16(const std::string& b, std::size_t off)
{
    return static_cast<int16_t>(static_cast<unsigned char>(b[off]) | static_cast<unsigned char>(b[off + 1]) << 8);
}

// Modbus RTU CRC-16, low byte first on the line.
uint16_t crc16(const std::string& b, std::size_t n)
{
    uint16_t crc = 0xFFFF;
    for (std::size_t i = 0; i < n; ++i) {
        crc ^= static_cast<unsigned char>(b[i]);
        for (int k = 0; k < 8; ++k) crc = (crc & 1) ? static_cast<uint16_t>((crc >> 1) ^ 0xA001) : crc >> 1;
    }
    return crc;
}

// A function-3 request to slave 1 for count registers from addr, with its CRC.
std::string readFrame(int addr, int count)
{
    std::string f = {1, 3, static_cast<char>(addr >> 8), static_cast<char>(addr & 0xFF), 0, static_cast<char>(count)};
    uint16_t crc = crc16(f, f.size());
    return f + static_cast<char>(crc & 0xFF) + static_cast<char>(crc >> 8);
}

bool crcMatches(const std::string& frame)
{
    std::size_t n = frame.size();
    uint16_t crc = crc16(frame, n - 2);
    return n >= 4 && static_cast<unsigned char>(frame[n - 2]) == (crc & 0xFF) &&
           static_cast<unsigned char>(frame[n - 1]) == (crc >> 8);
}

}  // namespace

// Identity blocks of every personality: version text, type bytes (with and
// without the emulator bit), units; and a version that is not supported.
TEST(Anaemu, IdentityBlockPerPersonality)
{
    struct Case {
        std::vector<std::string> args;
        std::string payload;
    };
    const std::vector<Case> cases = {
        {{"-p", "2f"}, std::string("HC12-2.30 0123,\0\0,C,psia,ppmv,", 30)},
        {{"-p", "2f-dual"}, std::string("HC12-2.30 F012,\0\0,C,psia,ppmv,", 30)},
        {{"-p", "2f-co2"}, std::string("HC12-2.30 0123,\0\1,C,psia,ppmv,", 30)},
        {{"-p", "2f-co2", "--emu-bit"}, std::string("HC12-2.30 0123,\1\4,C,psia,ppmv,", 30)},
        {{"-p", "ns"}, std::string("ARM9_NS-1.12 0417,\0\0,C,mbar,ppmv,", 33)},
        {{"-p", "fs", "--unsupported"}, std::string("ARM9_FS-1.06 0260,\0\0,C,kPa,ppmv,", 32)},
    };
    for (const Case& c : cases) {
        Emu emu(c.args);
        auto cl = Client::serial(emu.link());
        ASSERT_TRUE(cl) << c.args[1];
        cl->request("01");
        std::string got = cl->block();
        EXPECT_EQ(got, c.payload) << c.args[1];
        EXPECT_LE(got.size(), 64u);
    }
}

// Acknowledgements, requests of the other processor family, requests for
// another address, and the front-panel console with its escape stream.
TEST(Anaemu, AcknowledgementsAndFrontPanel)
{
    struct Case {
        const char* personality;
        std::string code;
        int addr;
        bool answered;
    };
    const std::vector<Case> cases = {
        {"2f", "23", 1, true},    {"2f", "24", 1, true},       {"2f", "220001", 1, false},
        {"2f", "33", 1, false},   {"ns", "220001", 1, true},   {"ns", "220000", 1, true},
        {"ns", "34", 1, true},    {"ns", "24", 1, false},      {"ns", "220000", 5, false},
        {"ns", "09", 1, false},
    };
    std::string current;
    std::unique_ptr<Emu> emu;
    std::unique_ptr<Client> cl;
    for (const Case& c : cases) {
        if (current != c.personality) {
            cl.reset();
            emu = std::make_unique<Emu>(std::vector<std::string>{"-p", c.personality});
            cl = Client::serial(emu->link());
            ASSERT_TRUE(cl);
            current = c.personality;
        }
        cl->request(c.code, c.addr);
        std::string got = c.answered ? cl->readText("OK\r\n", 1s) : cl->readFor(300ms);
        EXPECT_EQ(got, c.answered ? "OK\r\n" : "") << c.personality << " " << c.code;
    }

    // Front panel of the NS analyzer: access code, display stream, keys.
    cl->request("33");
    EXPECT_EQ(cl->readText("OK\r\n"), "OK\r\n");
    cl->send("12345678\r\n");
    EXPECT_EQ(cl->block(), "Access granted");
    cl->send("display\r\n");
    EXPECT_EQ(cl->block(), "Display on");
    // A tiny terminal: cursor position with text writes the row.
    auto screen = [&](const std::string& want) {
        std::string grid[4];
        std::string got = cl->readUntil(
            [&](const std::string& s) {
                for (auto& r : grid) r.assign(20, ' ');
                for (const std::string& line : split(s, '\n'))
                    for (const std::string& cmd : split(line, '\x1b')) {
                        int row = 0, col = 0, used = 0;
                        if (std::sscanf(cmd.c_str(), "[%d;%dH%n", &row, &col, &used) != 2 || used == 0) continue;
                        std::string text = cmd.substr(static_cast<std::size_t>(used));
                        if (!text.empty() && text.back() == '\r') text.pop_back();
                        for (std::size_t i = 0; i < text.size() && col - 1 + i < 20 && row >= 1 && row <= 4; ++i)
                            grid[row - 1][col - 1 + i] = text[i];
                    }
                return (grid[0] + grid[1] + grid[2] + grid[3]).find(want) != std::string::npos;
            },
            3s);
        return got;
    };
    std::string first = screen("NS H2O ANALYZER");
    EXPECT_NE(first.find("\x1b[2J"), std::string::npos);
    EXPECT_NE(first.find("\x1b[?25l"), std::string::npos);
    cl->send("E");
    std::string menu = screen("MAIN MENU");
    EXPECT_NE(menu.find("\x1b[7m"), std::string::npos) << "selected item in reverse video";
    cl->send("4");
    screen("CONC OFFSET");
    cl->send("-1.5E");
    screen("OFFSET SET");
    cl->send("T");
    cl->send("T");
    screen("ANALYZER");
    cl->send("\x17" "exit\r\n");
    cl->readFor(300ms);
    cl->request("34");
    EXPECT_NE(cl->readText("OK\r\n").find("OK\r\n"), std::string::npos);
}

// Record streams: the HC12 streams mode 6 records in blocks of ten without
// end; the ARM9 sends one block and the next on request.
TEST(Anaemu, RecordStreams)
{
    {
        Emu emu({"-p", "2f", "--record-ms", "10"});
        auto cl = Client::serial(emu.link());
        ASSERT_TRUE(cl);
        cl->request("06");
        std::string got = cl->readUntil(
            [](const std::string& s) { return vxtest::countLines(s, "]]") >= 2; }, 3s);
        auto lines = split(got, '\n');
        ASSERT_GE(lines.size(), 22u);
        for (int i = 0; i < 22; ++i) {
            ASSERT_EQ(lines[i].back(), '\r');
            if (i == 10 || i == 21) {
                EXPECT_EQ(lines[i], "]]\r");
            } else {
                auto f = split(lines[i], ',');
                ASSERT_EQ(f.size(), 14u) << lines[i];
                EXPECT_EQ(f[0].size(), 10u);
                EXPECT_NEAR(std::atof(f[2].c_str()), 42.0, 15.0);
            }
        }
        cl->request("01");   // any other request ends the stream
        cl->block();
        EXPECT_EQ(cl->readFor(200ms), "");
    }
    {
        Emu emu({"-p", "ns", "--record-ms", "10"});
        auto cl = Client::serial(emu.link());
        ASSERT_TRUE(cl);
        for (const char* code : {"62", "070001"}) {
            cl->request(code);
            std::string got = cl->readText("]]\r\n", 3s);
            auto lines = split(got, '\n');
            ASSERT_EQ(lines.size(), 12u) << code;
            for (int i = 0; i < 10; ++i) EXPECT_EQ(split(lines[i], '\t').size(), 16u) << lines[i];
            EXPECT_EQ(lines[10], "]]\r");
            EXPECT_EQ(cl->readFor(200ms), "") << "one block per request";
        }
    }
    {
        // Asked for idle text, the analyzer sends a record now and then while
        // nothing is asked, and keeps quiet in Modbus mode.
        Emu emu({"-p", "fs", "--idle-ms", "100"});
        auto cl = Client::serial(emu.link());
        ASSERT_TRUE(cl);
        std::string line = cl->readText("\r\n", 2s);
        EXPECT_EQ(split(line, '\t').size(), 15u) << line;
        cl->request("220001");
        cl->readText("OK\r\n");
        EXPECT_EQ(cl->readFor(400ms), "");
    }
}

// Spectra: the 2F request list with its 4-byte prefix and the 512-byte split,
// the NS data points, header layouts and byte orders, absorption shapes.
TEST(Anaemu, SpectraSizesHeadersAndShapes)
{
    {
        Emu emu({"-p", "2f"});
        auto cl = Client::serial(emu.link());
        ASSERT_TRUE(cl);
        cl->request("09");
        EXPECT_EQ(cl->readFor(100ms), "");
        cl->request("10");
        std::string hdr = cl->block();
        ASSERT_EQ(hdr.size(), 40u);
        int peakIndex = static_cast<unsigned char>(hdr[2]) | static_cast<unsigned char>(hdr[3]) << 8;
        float conc;
        std::memcpy(&conc, hdr.data() + 16, 4);   // least significant byte first, like this computer
        EXPECT_NEAR(peakIndex, 262, 4);
        EXPECT_NEAR(conc, 42.0, 15.0);
        struct Req {
            const char* code;
            std::size_t size;
        };
        std::string ac;
        for (Req r : {Req{"12", 516}, Req{"13", 512}, Req{"14", 516}, Req{"15", 512}, Req{"000007", 32}}) {
            cl->request(r.code);
            std::string got = cl->block();
            EXPECT_EQ(got.size(), r.size) << r.code;
            if (r.size == 516) {
                EXPECT_EQ(le16(got, 0), 512);
            }
            if (std::string(r.code) == "12") ac = got.substr(4);
            if (std::string(r.code) == "13") ac += got;
        }
        ASSERT_EQ(ac.size(), 1024u);
        int top = 0;
        for (int i = 1; i < 512; ++i)
            if (le16(ac, 2 * i) > le16(ac, 2 * top)) top = i;
        EXPECT_NEAR(top, peakIndex, 3) << "2f centre lobe at the peak index";
        EXPECT_GT(le16(ac, 2 * top), 6000);
        EXPECT_LT(le16(ac, 2 * (top + 30)), 0) << "negative side lobe";
    }
    {
        Emu emu({"-p", "ns", "--emu-bit"});
        auto sl = Client::serial(emu.link());
        ASSERT_TRUE(sl);
        sl->request("09");
        sl->request("10");
        std::string hdr = sl->block();
        ASSERT_EQ(hdr.size(), 56u);
        time_t now = time(nullptr);
        tm local{};
        localtime_r(&now, &local);
        uint32_t today = static_cast<uint32_t>((local.tm_year + 1900) * 10000 + (local.tm_mon + 1) * 100 + local.tm_mday);
        EXPECT_EQ(be32(hdr, 0), today);
        EXPECT_NEAR(beFloat(hdr, 8), 42.0f, 15.0f);    // trend value
        EXPECT_NEAR(beFloat(hdr, 28), 1.0f, 0.08f);    // fit ratio
        for (int dp : {400041, 400042, 400043, 400044, 400045, 400051, 400056, 400057, 400058, 400059}) {
            sl->request(std::to_string(dp));
            EXPECT_EQ(sl->block().size(), 1024u) << dp;
        }
        sl->request("400050");
        EXPECT_EQ(sl->block(), "");
    }
}

// Modbus RTU after the mode switch, read by libmodbus' client: the three
// register classes, values that change, the alarm word, exceptions for
// unmapped addresses, and no answers once the mode is off.
TEST(Anaemu, ModbusRegistersThroughLibmodbus)
{
    Emu emu({"-p", "ns", "--alarms", "0x10008"});
    modbus_t* ctx = modbus_new_rtu(emu.link().c_str(), 115200, 'N', 8, 1);
    ASSERT_NE(ctx, nullptr);
    ASSERT_EQ(modbus_connect(ctx), 0) << modbus_strerror(errno);
    modbus_set_slave(ctx, 1);
    Client raw;
    raw.fd = modbus_get_socket(ctx);
    raw.request("220001");
    EXPECT_EQ(raw.readText("OK\r\n"), "OK\r\n");

    uint16_t r[4] = {};
    auto u32 = [&] { return static_cast<uint32_t>(r[0]) << 16 | r[1]; };
    auto f32 = [&] { return modbus_get_float_abcd(r); };
    ASSERT_EQ(modbus_read_registers(ctx, 3000, 2, r), 2) << modbus_strerror(errno);
    EXPECT_EQ(r[0], 1);     // slave address
    EXPECT_EQ(r[1], 4);     // baud code of an ARM9
    ASSERT_EQ(modbus_read_registers(ctx, 5002, 2, r), 2);
    EXPECT_EQ(u32(), 0x0417u);
    ASSERT_EQ(modbus_read_registers(ctx, 5020, 2, r), 2);
    EXPECT_EQ(u32(), 0x10009u) << "forced alarms with the summary bit";
    ASSERT_EQ(modbus_read_registers(ctx, 7000, 2, r), 2);
    EXPECT_NEAR(f32(), 42.0f, 15.0f);
    ASSERT_EQ(modbus_read_registers(ctx, 7032, 2, r), 2);
    EXPECT_NEAR(f32(), 1.0f, 0.08f);
    ASSERT_EQ(modbus_read_registers(ctx, 5004, 2, r), 2);
    uint32_t scans = u32();
    EXPECT_TRUE(vxtest::waitFor([&] { return modbus_read_registers(ctx, 5004, 2, r) == 2 && u32() > scans; }, 3s))
        << "the scan counter grows";

    struct Bad {
        int addr, count, errnum;
    };
    for (Bad b : {Bad{3007, 1, EMBXILADD}, Bad{3306, 1, EMBXILADD}, Bad{5001, 2, EMBXILADD},
                  Bad{7000, 1, EMBXILADD}, Bad{9000, 1, EMBXILADD}, Bad{2999, 1, EMBXILADD}}) {
        EXPECT_EQ(modbus_read_registers(ctx, b.addr, b.count, r), -1) << b.addr;
        EXPECT_EQ(errno, b.errnum) << b.addr;
    }
    raw.request("220000");
    EXPECT_EQ(raw.readText("OK\r\n"), "OK\r\n");
    EXPECT_EQ(modbus_read_registers(ctx, 3000, 1, r), -1) << "no Modbus in diagnostic mode";
    raw.fd = -1;
    modbus_close(ctx);
    modbus_free(ctx);
}

// Faults switched while running through the control file, over TCP and over
// the virtual port; the line speed of a virtual port; clean SIGTERM exit.
TEST(Anaemu, FaultsSpeedAndCleanExit)
{
    {
        Emu emu({"-p", "2f", "--tcp", "0", "--control", "faults.txt"});
        ASSERT_EQ(emu.ready.rfind("tcp 127.0.0.1 ", 0), 0u) << emu.ready;
        auto setFaults = [&](const std::string& text) { emu.setFaults(text); };
        const std::string id = std::string("HC12-2.30 0123,\0\0,C,psia,ppmv,", 30);
        auto cl = Client::tcp(emu.tcpPort());
        ASSERT_TRUE(cl);
        cl->request("01");
        EXPECT_EQ(cl->block(), id);

        setFaults("silence\n");
        cl->request("01");
        EXPECT_EQ(cl->readFor(300ms), "");

        setFaults("garbage 9\n");
        cl->request("01");
        const std::size_t want = 9 + 1 + id.size() + 2;
        std::string got = cl->readUntil([&](const std::string& s) { return s.size() >= want; }, 2s);
        EXPECT_EQ(got.size(), want);
        EXPECT_EQ(got.substr(9), "[" + id + "]]");

        setFaults("split 4:15\n");
        int reads = 0;
        cl->request("01");
        got = cl->readUntil([](const std::string& s) { return s.find("]]") != std::string::npos; }, 3s, &reads);
        EXPECT_EQ(got, "[" + id + "]]");
        EXPECT_GE(reads, 4) << "the answer came in pieces";

        setFaults("oversize 5000\n");
        cl->request("10");
        EXPECT_EQ(cl->block(3s).size(), 40u + 5000u);

        setFaults("drop-after 12\n");
        bool closed = false;
        cl->request("01");
        got = cl->readUntil([](const std::string&) { return false; }, 2s, nullptr, &closed);
        EXPECT_TRUE(closed);
        EXPECT_EQ(got, ("[" + id).substr(0, 12));
        // The server takes the next client, with the faults still in force.
        setFaults("");
        cl = Client::tcp(emu.tcpPort());
        ASSERT_TRUE(cl);
        cl->request("01");
        EXPECT_EQ(cl->block(), id);
    }
    {
        // Modbus faults: a chosen exception and a wrong slave address.
        Emu emu({"-p", "2f", "--exception", "6"});
        modbus_t* ctx = modbus_new_rtu(emu.link().c_str(), 9600, 'N', 8, 1);
        ASSERT_EQ(modbus_connect(ctx), 0);
        modbus_set_slave(ctx, 1);
        Client raw;
        raw.fd = modbus_get_socket(ctx);
        raw.request("23");
        EXPECT_EQ(raw.readText("OK\r\n"), "OK\r\n");
        uint16_t r[2];
        EXPECT_EQ(modbus_read_registers(ctx, 3306, 1, r), -1);
        EXPECT_EQ(errno, EMBXSBUSY);
        raw.fd = -1;
        modbus_close(ctx);
        modbus_free(ctx);
    }
    {
        // A virtual port that runs at 9600 only; SIGTERM removes its link.
        Emu emu({"-p", "2f", "--baud", "9600", "--wrong-slave", "9"});
        auto fast = Client::serial(emu.link(), B19200);
        ASSERT_TRUE(fast);
        fast->request("01");
        std::string noise = fast->readFor(400ms);
        EXPECT_EQ(noise.find('['), std::string::npos) << "no readable answer at 19200";
        fast.reset();
        auto cl = Client::serial(emu.link(), B9600);
        cl->request("01");
        EXPECT_EQ(cl->block().substr(0, 14), "HC12-2.30 0123");
        cl->request("23");
        EXPECT_EQ(cl->readText("OK\r\n"), "OK\r\n");
        // Read register 43307 by hand: the answer names slave 9.
        const unsigned char frame[] = {0x01, 0x03, 0x0C, 0xEA, 0x00, 0x01, 0xA6, 0xAE};
        cl->send(std::string(reinterpret_cast<const char*>(frame), sizeof frame));
        std::string ans = cl->readUntil([](const std::string& s) { return s.size() >= 7; }, 2s);
        ASSERT_EQ(ans.size(), 7u);
        EXPECT_EQ(static_cast<unsigned char>(ans[0]), 9);
        EXPECT_EQ((static_cast<unsigned char>(ans[3]) << 8) | static_cast<unsigned char>(ans[4]), 290);
        // A client that locked the port and made it exclusive has left: the
        // port must become free again for users other than root.
        ASSERT_EQ(flock(cl->fd, LOCK_EX | LOCK_NB), 0);
        ASSERT_EQ(ioctl(cl->fd, TIOCEXCL), 0);
        cl.reset();
        auto next = Client::serial(emu.link());
        ASSERT_TRUE(next);
        EXPECT_TRUE(vxtest::waitFor([&] {
            int excl = 1;
            return ioctl(next->fd, TIOCGEXCL, &excl) == 0 && excl == 0;
        }, 2s));
        next.reset();

        ASSERT_TRUE(vxtest::fileExists(emu.link()));
        kill(emu.proc->pid(), SIGTERM);
        EXPECT_EQ(emu.proc->wait(3s), 0);
        EXPECT_FALSE(vxtest::fileExists(emu.link()));
        EXPECT_NE(emu.log().find("removed"), std::string::npos);
    }
}

// Faults behave as a test engineer expects: a control file present at start
// leaves the command line's faults alone; a wrong slave address may be 0; a
// dropped virtual port delivers the bytes before the hang-up; idle lines
// nobody reads do not pile up, answers do not get lost.
TEST(Anaemu, FaultsAsATestEngineerExpects)
{
    struct Case {
        const char* what;
        std::vector<std::string> args;
        std::string controlAtStart;
        std::function<void(const Emu&)> check;
    };
    auto alarmWordAnswer = [](const Client& cl) {
        cl.send(readFrame(5020, 2));   // registers 45021/45022
        return cl.readUntil([](const std::string& s) { return s.size() >= 9; }, 2s);
    };
    const std::vector<Case> cases = {
        {"control file at start, wrong slave 0",
         {"-p", "ns", "--wrong-slave", "0", "--alarms", "0x8", "--control", "faults.txt"},
         "silence\n",
         [&](const Emu& emu) {
             auto cl = Client::serial(emu.link());
             ASSERT_TRUE(cl);
             cl->request("220001");
             EXPECT_EQ(cl->readText("OK\r\n"), "OK\r\n") << "not silenced by the file present at start";
             std::string ans = alarmWordAnswer(*cl);
             ASSERT_EQ(ans.size(), 9u);
             EXPECT_EQ(ans[0], 0) << "answered from address 0";
             EXPECT_TRUE(crcMatches(ans));
             EXPECT_EQ(be32(ans, 3), 0x9u) << "forced alarms of the command line";
             emu.setFaults("none\n");   // a change replaces the whole set
             ans = alarmWordAnswer(*cl);
             ASSERT_EQ(ans.size(), 9u);
             EXPECT_EQ(ans[0], 1);
             EXPECT_EQ(be32(ans, 3) & 0x8u, 0u);
         }},
        {"drop-after on a virtual port",
         {"-p", "2f", "--drop-after", "12", "--reconnect-ms", "60000"},
         "",
         [](const Emu& emu) {
             auto cl = Client::serial(emu.link());
             ASSERT_TRUE(cl);
             bool closed = false;
             cl->request("01");
             std::string got = cl->readUntil([](const std::string&) { return false; }, 3s, nullptr, &closed);
             EXPECT_EQ(got, "[HC12-2.30 0");
             EXPECT_TRUE(closed) << "hung up after the bytes";
         }},
        {"idle lines nobody reads",
         {"-p", "fs", "--idle-ms", "20"},
         "",
         [](const Emu& emu) {
             // Nobody reads while a second of idle lines falls due; a reader
             // that comes then finds the newest line and the current ones,
             // not fifty old ones.
             EXPECT_TRUE(vxtest::waitFor([&] { return vxtest::countLines(emu.log(), "tx idle line") >= 50; }));
             auto cl = Client::serial(emu.link());
             ASSERT_TRUE(cl);
             EXPECT_LT(vxtest::countLines(cl->readFor(30ms), "\r"), 10);
             // An answer the reader has not taken yet is kept; idle lines wait.
             cl->request("01");
             EXPECT_TRUE(vxtest::waitFor([&] { return emu.log().find("idle lines held back") != std::string::npos; }));
             std::string got = cl->readText("]]");
             auto open = got.find("[ARM9_FS-1.05 0233,");
             ASSERT_NE(open, std::string::npos) << got;
             EXPECT_LE(vxtest::countLines(got.substr(0, open), "\r"), 1);
         }},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        std::vector<std::pair<std::string, std::string>> files;
        if (!c.controlAtStart.empty()) files.emplace_back("work/faults.txt", c.controlAtStart);
        Emu emu(c.args, files);
        c.check(emu);
    }
}

// An emulator whose test process ends without unwinding (an exit in a death
// test, a crash, a kill at a time-out) ends with it.
TEST(Anaemu, EndsWithItsTestProcess)
{
    vxtest::TempTree tree;
    EXPECT_EXIT(
        {
            vxtest::Process emu({vxtest::program("anaemu"), "--tcp", "0", "--ready-file", "ready.txt"}, tree.work());
            vxtest::waitFor([&] { return vxtest::fileExists(tree.path("work/ready.txt")); });
            tree.write("emu.pid", std::to_string(emu.pid()));
            std::_Exit(0);
        },
        ::testing::ExitedWithCode(0), "");
    const int pid = std::atoi(vxtest::readFile(tree.path("emu.pid")).c_str());
    ASSERT_GT(pid, 0);
    auto gone = [pid] {
        std::string stat = vxtest::readFile("/proc/" + std::to_string(pid) + "/stat");
        auto name = stat.rfind(')');
        return stat.empty() || (name != std::string::npos && stat.compare(name + 1, 3, " Z ") == 0);
    };
    EXPECT_TRUE(vxtest::waitFor(gone, 3s)) << "emulator " << pid << " still runs";
}

// Every option is documented in the help text.
TEST(Anaemu, HelpDocumentsOptions)
{
    vxtest::TempTree tree;
    auto res = vxtest::run({vxtest::program("anaemu"), "--help"}, tree.work());
    EXPECT_EQ(res.exitCode, 0);
    for (const char* opt : {"--personality", "--version-text", "--unsupported", "--emu-bit", "--slave", "--peak-type",
                            "--conc", "--alarms", "--access-code", "--seed", "--pty", "--dev-dir", "--serial", "--baud",
                            "--tcp", "--bind", "--ready-file", "--reconnect-ms", "--idle-ms", "--record-ms",
                            "--silence", "--garbage", "--split", "--oversize", "--wrong-slave", "--exception",
                            "--drop-after", "--slow", "--control", "--log", "--verbose", "--help"})
        EXPECT_NE(res.out.find(opt), std::string::npos) << opt;
    auto bad = vxtest::run({vxtest::program("anaemu"), "--pty", "40"}, tree.work());
    EXPECT_EQ(bad.exitCode, 2);
}
