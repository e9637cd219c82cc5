// Round trips through the serial and TCP transports against the same
// exchange with plain read/write on the same descriptors: an 8-byte request,
// answered with 7 bytes by an echo peer thread (the master side of a
// pseudo-terminal, or a plain socket on the loopback interface). Counters:
// round trips per second of each side and the ratio of their times.
//   build-release/bin/bench_qkcomm
// The TCP receive waits 100 ms before each chunk by design (the analyzer's
// answer is given time to arrive whole), so its rate stays near ten per second.
#include <benchmark/benchmark.h>

#include <arpa/inet.h>
#include <algorithm>
#include <chrono>
#include <cstdlib>
#include <fcntl.h>
#include <netinet/in.h>
#include <netinet/tcp.h>
#include <poll.h>
#include <string>
#include <sys/socket.h>
#include <thread>
#include <unistd.h>

#include "qkcommasyn.h"
#include "qkcommtcp.h"
#include "qkstrsrv.h"

namespace {

constexpr int kRequest = 8;
constexpr int kAnswer = 7;
const unsigned char gRequest[kRequest] = {'I', 'D', '?', 0x01, 0x02, 0x03, 0x0d, 0x0a};
const unsigned char gAnswer[kAnswer] = {'O', 'K', ' ', '1', '.', '6', 0x0d};

// Reads n bytes from a blocking descriptor; false at end of stream.
bool ReadFull(int fd, unsigned char* buf, int n)
{
    for (int got = 0; got < n;) {
        ssize_t r = read(fd, buf + got, static_cast<size_t>(n - got));
        if (r <= 0) return false;
        got += static_cast<int>(r);
    }
    return true;
}

// Answers every request with the 7-byte answer until the stream ends.
void Echo(int fd)
{
    unsigned char req[kRequest];
    while (ReadFull(fd, req, kRequest))
        if (write(fd, gAnswer, kAnswer) != kAnswer) break;
}

// Waits for and reads n bytes on a non-blocking descriptor.
void PlainReceive(int fd, unsigned char* buf, int n)
{
    for (int got = 0; got < n;) {
        pollfd p{fd, POLLIN, 0};
        poll(&p, 1, 1000);
        ssize_t r = read(fd, buf + got, static_cast<size_t>(n - got));
        if (r > 0) got += static_cast<int>(r);
    }
}

// A pseudo-terminal whose slave the transport opens by its absolute path.
struct PtyLink {
    int master = -1;
    int fd = -1;
    std::thread peer;
    PtyLink()
    {
        master = posix_openpt(O_RDWR | O_NOCTTY | O_CLOEXEC);
        grantpt(master);
        unlockpt(master);
        char name[64];
        ptsname_r(master, name, sizeof name);
        std::string slave = name;
        size_t cut = slave.find_last_of('/') + 1;
        qkcommAsynSetDevName(slave.substr(0, cut).c_str());
        fd = qkcommAsynOpen(std::atoi(slave.c_str() + cut), 115200, 0, 8, 1);
        peer = std::thread(Echo, master);
    }
    ~PtyLink()
    {
        qkcommAsynClose(fd);   // the echo peer's read ends
        peer.join();
        close(master);
    }
};

// A client record connected to a plain echo socket on 127.0.0.1.
struct TcpLink {
    qkcommTCPInfo rec{};
    int listener = -1;
    int far = -1;
    std::thread peer;
    TcpLink()
    {
        listener = socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
        sockaddr_in sa{};
        sa.sin_family = AF_INET;
        sa.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        socklen_t len = sizeof sa;
        bind(listener, reinterpret_cast<sockaddr*>(&sa), sizeof sa);
        listen(listener, 1);
        getsockname(listener, reinterpret_cast<sockaddr*>(&sa), &len);
        rec.service = 2;
        rec.mode = 1;
        qkstrset(rec.client.address, "127.0.0.1");
        rec.client.port = ntohs(sa.sin_port);
        qkcommSocketInit(&rec);
        qkcommScoketSendConnect(&rec);
        far = accept(listener, nullptr, nullptr);
        int on = 1;
        setsockopt(far, IPPROTO_TCP, TCP_NODELAY, &on, sizeof on);
        peer = std::thread(Echo, far);
    }
    ~TcpLink()
    {
        qkcommSocketClose(&rec);
        peer.join();
        close(far);
        close(listener);
    }
};

// One round trip each way per iteration, timed apart, so a load that comes
// and goes on the machine weighs on both sides alike.
struct Timed {
    std::chrono::steady_clock::duration transport{}, plain{};
    template <class F> void transportTrip(F f) { add(transport, f); }
    template <class F> void plainTrip(F f) { add(plain, f); }
    void report(benchmark::State& state) const
    {
        double n = static_cast<double>(state.iterations());
        double t = std::chrono::duration<double>(transport).count(), p = std::chrono::duration<double>(plain).count();
        state.counters["transport_per_s"] = n / t;
        state.counters["plain_per_s"] = n / p;
        state.counters["plain_over_transport"] = t / p;
    }

private:
    template <class F> static void add(std::chrono::steady_clock::duration& sum, F f)
    {
        auto start = std::chrono::steady_clock::now();
        f();
        sum += std::chrono::steady_clock::now() - start;
    }
};

void BM_SerialRoundTrip(benchmark::State& state)
{
    PtyLink link;
    unsigned char answer[kAnswer + 1];
    Timed timed;
    for (auto _ : state) {
        timed.transportTrip([&] {
            qkcommAsynWrite(link.fd, gRequest, kRequest);
            for (int got = 0; got < kAnswer;) got += qkcommAsynRead(link.fd, answer + got, kAnswer - got);
        });
        timed.plainTrip([&] {
            if (write(link.fd, gRequest, kRequest) != kRequest) state.SkipWithError("write");
            PlainReceive(link.fd, answer, kAnswer);
        });
    }
    timed.report(state);
}

void BM_TcpRoundTrip(benchmark::State& state)
{
    TcpLink link;
    unsigned char answer[kAnswer];
    qkcommTCPServiceInfo& c = link.rec.client;
    Timed timed;
    for (auto _ : state) {
        timed.transportTrip([&] {
            c.dbuf = const_cast<unsigned char*>(gRequest);
            c.bcnt = kRequest;
            qkcommSocketSend(&link.rec);
            for (int got = 0; got < kAnswer;) {
                c.dbuf = answer + got;
                c.bcnt = kAnswer - got;
                got += std::max(qkcommSocketRecv(&link.rec), 0);
            }
        });
        timed.plainTrip([&] {
            if (send(c.fd, gRequest, kRequest, MSG_NOSIGNAL) != kRequest) state.SkipWithError("send");
            PlainReceive(c.fd, answer, kAnswer);
        });
    }
    timed.report(state);
}

}  // namespace

BENCHMARK(BM_SerialRoundTrip)->Unit(benchmark::kMicrosecond)->UseRealTime();
BENCHMARK(BM_TcpRoundTrip)->Unit(benchmark::kMillisecond)->Iterations(30)->UseRealTime();

BENCHMARK_MAIN();
