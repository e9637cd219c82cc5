// TCP transport on real loopback sockets (127.0.0.1, ephemeral ports): the
// client and server roles against each other and against plain sockets as
// peers, the receive rules (chunks, bcnt, peer shutdown), connect failures,
// the accepted-client filter, host look-ups. Every case ends with as many
// open descriptors as it started with.
#include "qkcommtcp.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <arpa/inet.h>
#include <array>
#include <chrono>
#include <cstdlib>
#include <netinet/in.h>
#include <netinet/tcp.h>
#include <string>
#include <sys/ioctl.h>
#include <sys/socket.h>
#include <unistd.h>
#include <vector>

#include "qklogsrv.h"
#include "qkstrsrv.h"
#include "vxtestsupport.h"

namespace {

using namespace std::chrono_literals;

// A plain listening socket on 127.0.0.1 as the far end.
struct PlainListener {
    int fd = socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    int port = 0;
    PlainListener()
    {
        sockaddr_in sa{};
        sa.sin_family = AF_INET;
        sa.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        socklen_t len = sizeof sa;
        EXPECT_EQ(bind(fd, reinterpret_cast<sockaddr*>(&sa), sizeof sa), 0);
        EXPECT_EQ(listen(fd, 4), 0);
        EXPECT_EQ(getsockname(fd, reinterpret_cast<sockaddr*>(&sa), &len), 0);
        port = ntohs(sa.sin_port);
    }
    ~PlainListener() { close(fd); }
    int accept() const { return accept4(fd, nullptr, nullptr, SOCK_CLOEXEC); }
};

class TcpTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        logPath_ = tree.path("tcp.log");
        ASSERT_EQ(qklogopn(logPath_.c_str()), 0);
        fds_ = vxtest::openDescriptors();
    }
    void TearDown() override
    {
        qkcommSocketClose(&client);
        qkcommSocketClose(&server);
        EXPECT_EQ(vxtest::openDescriptors(), fds_) << "descriptors leaked";
        qklogcls();
    }
    bool logged(const std::string& text) const { return vxtest::readFile(logPath_).find(text) != std::string::npos; }

    // A client record aimed at 127.0.0.1:port, connected.
    void Connect(int port)
    {
        client.service = 2;
        client.mode = 1;
        qkstrset(client.client.address, "127.0.0.1");
        client.client.port = port;
        ASSERT_EQ(qkcommSocketInit(&client), 0);
        ASSERT_EQ(qkcommScoketSendConnect(&client), 0);
        EXPECT_EQ(client.client.socketState, 5);
    }
    // A server record listening on 127.0.0.1 at a free port.
    void Listen()
    {
        server.service = 1;
        server.mode = 1;
        qkstrset(server.server.address, "127.0.0.1");
        ASSERT_EQ(qkcommSocketInit(&server), 0);
        EXPECT_EQ(server.server.socketState, 3);
        ASSERT_EQ(qkcommSocketWaitConnect(&server), 0);
        EXPECT_EQ(server.server.socketState, 4);
        EXPECT_GT(server.server.port, 0);
    }
    // Receives exactly n bytes (or what comes within the time limit).
    static qkcommTCPServiceInfo& Role(qkcommTCPInfo& rec) { return rec.service == 1 ? rec.server : rec.client; }
    static std::string ReceiveAll(qkcommTCPInfo& rec, size_t n)
    {
        qkcommTCPServiceInfo& role = Role(rec);
        std::vector<unsigned char> buf(n);
        size_t got = 0;
        for (const vxtest::Stopwatch watch; got < n && watch.elapsed() < 5s;) {
            role.dbuf = buf.data() + got;
            role.bcnt = static_cast<int>(n - got);
            int r = qkcommSocketRecv(&rec);
            EXPECT_GE(r, 0);
            if (r < 0) break;
            got += static_cast<size_t>(r);
        }
        return vxtest::bytes(buf.data(), got);
    }
    static int Send(qkcommTCPInfo& rec, const std::string& data)
    {
        qkcommTCPServiceInfo& role = Role(rec);
        role.dbuf = reinterpret_cast<unsigned char*>(const_cast<char*>(data.data()));
        role.bcnt = static_cast<int>(data.size());
        return qkcommSocketSend(&rec);
    }

    vxtest::TempTree tree;
    std::string logPath_;
    int fds_ = 0;
    qkcommTCPInfo client{};
    qkcommTCPInfo server{};
};

TEST_F(TcpTest, ClientAndServerExchangeExactBytes)
{
    Listen();
    server.audit = 4;
    Connect(server.server.port);
    int nodelay = 0;
    socklen_t len = sizeof nodelay;
    ASSERT_EQ(getsockopt(client.client.fd, IPPROTO_TCP, TCP_NODELAY, &nodelay, &len), 0);
    EXPECT_EQ(nodelay, 1);
    ASSERT_TRUE(vxtest::waitFor([&] { return qkcommNetEvent(&server) > 0; }));
    ASSERT_EQ(qkcommSocketAccConnect(&server), 0);
    EXPECT_EQ(server.server.socketState, 6);
    EXPECT_STREQ(server.server.rhadd, "127.0.0.1");
    EXPECT_TRUE(logged("Accepted request from client: 127.0.0.1, on socket: " + std::to_string(server.server.nfd)));
    EXPECT_EQ(qkcommSocketAccConnect(&server), 2);   // nobody else waiting

    client.audit = 16;
    server.audit = 8;
    for (size_t n : {1u, 1000u, 5120u}) {
        std::string data = vxtest::bytePattern(n);
        EXPECT_EQ(Send(client, data), static_cast<int>(n));
        EXPECT_EQ(client.client.socketState, 9);
        EXPECT_EQ(ReceiveAll(server, n), data) << n;
        EXPECT_EQ(server.server.socketState, 8);
        EXPECT_EQ(Send(server, data), static_cast<int>(n));
        EXPECT_EQ(ReceiveAll(client, n), data) << n;
    }
    EXPECT_TRUE(logged("sent: 1 bytes"));
    EXPECT_TRUE(logged("received: 1 bytes"));
    EXPECT_TRUE(logged("00000 | 00"));
}

TEST_F(TcpTest, ReceiveRules)
{
    PlainListener peer;
    Connect(peer.port);
    int far = peer.accept();
    ASSERT_GE(far, 0);
    unsigned char buf[16] = {};
    client.client.dbuf = buf;
    client.client.bcnt = 4;

    // Nothing pending: back after the 1 ms poll, state untouched.
    const vxtest::Stopwatch watch;
    EXPECT_EQ(qkcommSocketRecv(&client), 0);
    EXPECT_LT(watch.ms(), 50);
    EXPECT_EQ(client.client.socketState, 5);

    // More than bcnt: exactly bcnt per call, the rest stays pending.
    ASSERT_EQ(write(far, "0123456789", 10), 10);
    std::string got;
    for (int expect : {4, 4, 2}) {
        ASSERT_TRUE(vxtest::waitFor([&] { return qkcommNetEvent(&client) > 0; }));
        int r = qkcommSocketRecv(&client);
        EXPECT_EQ(r, expect);
        got.append(reinterpret_cast<char*>(buf), static_cast<size_t>(std::max(r, 0)));
    }
    EXPECT_EQ(got, "0123456789");

    // The peer sends its last bytes and closes: the bytes first, then -3.
    ASSERT_EQ(write(far, "end", 3), 3);
    close(far);
    client.client.bcnt = 16;
    ASSERT_TRUE(vxtest::waitFor([&] { return qkcommNetEvent(&client) > 0; }));
    EXPECT_EQ(qkcommSocketRecv(&client), 3);
    EXPECT_EQ(qkcommSocketRecv(&client), -3);
    EXPECT_EQ(client.client.socketState, 4);
    EXPECT_LT(client.client.fd, 1);
    EXPECT_TRUE(logged("recevied shutdown from: 127.0.0.1"));
    EXPECT_EQ(qkcommSocketRecv(&client), 0);

    // Neither role: refused.
    qkcommTCPInfo none{};
    none.client.dbuf = buf;
    none.client.bcnt = 4;
    EXPECT_EQ(qkcommSocketRecv(&none), -2);
    EXPECT_EQ(qkcommSocketSend(&none), -2);
}

TEST_F(TcpTest, SendToAClosedPeerNeitherRaisesNorHangs)
{
    PlainListener peer;
    Connect(peer.port);
    close(peer.accept());
    std::string data = vxtest::bytePattern(64);
    const vxtest::Stopwatch watch;
    int sent = 64;
    for (int i = 0; i < 20 && sent == 64; ++i) sent = Send(client, data);
    EXPECT_LT(sent, 64);   // SIGPIPE would have ended the program
    EXPECT_LT(watch.ms(), 3000);
    EXPECT_TRUE(logged("qkcommSocketSend call to send"));
}

TEST_F(TcpTest, ConnectFailures)
{
    int refusedPort = 0;
    {
        PlainListener gone;
        refusedPort = gone.port;
    }
    struct Case {
        const char* address;
        int port;
        int init, connect;
    };
    const Case cases[] = {
        {"127.0.0.1", refusedPort, 0, -2},
        {"256.1.1.1", 80, -2, -2},
        {"localhost", 80, -2, -2},   // a name is no dotted address
        {"", 80, -2, -2},
        {"127.0.0.1", 0, -2, -2},
        {"127.0.0.1", 70000, -2, -2},
    };
    for (const auto& c : cases) {
        qkcommTCPInfo rec{};
        rec.service = 2;
        qkstrset(rec.client.address, c.address);
        rec.client.port = c.port;
        EXPECT_EQ(qkcommSocketInit(&rec), c.init) << c.address << ":" << c.port;
        EXPECT_EQ(qkcommScoketSendConnect(&rec), c.connect) << c.address << ":" << c.port;
        EXPECT_NE(rec.client.socketState, 5);
        qkcommSocketClose(&rec);
    }
    EXPECT_TRUE(logged("qkcommScoketSendConnect call to server"));
    EXPECT_TRUE(logged("errno: 111"));
}

TEST_F(TcpTest, AddressFilter)
{
    struct Case {
        std::vector<std::array<int, 4>> entries;
        const char* client;
        int result;
    };
    const Case cases[] = {
        {{}, "10.1.2.3", 0},                                   // no list: everyone
        {{{255, 255, 255, 255}}, "203.0.113.9", 0},
        {{{127, 0, 0, 1}}, "127.0.0.1", 0},
        {{{127, 0, 0, 1}}, "127.0.0.2", -2},
        {{{192, 168, 1, 10}}, "10.0.0.1", -2},                 // one matching octet is not enough
        {{{192, 168, 1, 10}, {10, 0, 0, 255}}, "10.0.0.7", 0},
        {{{255, 255, 255, 255}}, "1.2.3.4.5", -2},
        {{{255, 255, 255, 255}}, "a.b.c.d", -2},
    };
    for (const auto& c : cases) {
        qkcommTCPInfo rec{};
        rec.vip.cnt = static_cast<int>(c.entries.size());
        for (size_t i = 0; i < c.entries.size(); ++i)
            std::copy(c.entries[i].begin(), c.entries[i].end(), rec.vip.user[i].oct);
        qkstrset(rec.vip.address, c.client);
        EXPECT_EQ(qkcommValIP(&rec), c.result) << c.client;
    }

    // A refused client is logged and disconnected at once.
    Listen();
    server.vip.cnt = 1;
    server.vip.user[0] = {"192.168.1.10", {192, 168, 1, 10}};
    Connect(server.server.port);
    ASSERT_TRUE(vxtest::waitFor([&] { return qkcommNetEvent(&server) > 0; }));
    EXPECT_EQ(qkcommSocketAccConnect(&server), -2);
    EXPECT_TRUE(logged("Rejected request from client: 127.0.0.1"));
    unsigned char c;
    client.client.dbuf = &c;
    client.client.bcnt = 1;
    ASSERT_TRUE(vxtest::waitFor([&] { return qkcommNetEvent(&client) > 0; }));
    EXPECT_EQ(qkcommSocketRecv(&client), -3);
}

TEST_F(TcpTest, ServerNameAndHostLookups)
{
    {
        std::string var = "VX_TEST_SERVER_" + std::to_string(getpid());
        vxtest::EnvGuard name(var.c_str(), "localhost");
        server.service = 1;
        qkstrset(server.server.srvName, var.c_str());
        ASSERT_EQ(qkcommSocketInit(&server), 0);
        EXPECT_STREQ(server.server.srvName, "localhost");
        EXPECT_STREQ(server.server.address, "127.0.0.1");
    }

    qkcommTCPInfo lost{};
    lost.service = 1;
    qkstrset(lost.server.srvName, "no-such-host.invalid");
    EXPECT_EQ(qkcommSocketInit(&lost), -1);
    EXPECT_TRUE(logged("Sever name no-such-host.invalid, not found by gethostbyname"));

    const char* ip = qkcommGetHostIPbyName("localhost");
    ASSERT_NE(ip, nullptr);
    EXPECT_STREQ(ip, "127.0.0.1");
    EXPECT_EQ(qkcommGetHostIPbyName("no-such-host.invalid"), nullptr);
    EXPECT_NE(qkcommGetHostNamebyIP("127.0.0.1"), nullptr);
    EXPECT_EQ(qkcommGetHostNamebyIP("not an address"), nullptr);
}

// A flush discards what is pending without waiting and leaves a peer's close
// for the next receive to report.
TEST_F(TcpTest, FlushDiscardsPendingInputOnly)
{
    PlainListener peer;
    Connect(peer.port);
    int far = peer.accept();
    ASSERT_GE(far, 0);
    auto pending = [&] {
        int n = 0;
        return ioctl(client.client.fd, FIONREAD, &n) == 0 ? n : -1;
    };
    EXPECT_EQ(qkcommSocketFlush(&client), 0);
    const std::string late = vxtest::bytePattern(3000);
    ASSERT_EQ(write(far, late.data(), late.size()), 3000);
    ASSERT_TRUE(vxtest::waitFor([&] { return pending() == 3000; }));
    EXPECT_EQ(qkcommSocketFlush(&client), 3000);
    EXPECT_EQ(pending(), 0);

    ASSERT_EQ(write(far, "OK", 2), 2);
    close(far);
    ASSERT_TRUE(vxtest::waitFor([&] { return pending() == 2; }));
    EXPECT_EQ(qkcommSocketFlush(&client), 2);
    unsigned char buf[8];
    client.client.dbuf = buf;
    client.client.bcnt = sizeof buf;
    EXPECT_EQ(qkcommSocketRecv(&client), -3);
}

}  // namespace
