// The capture path of the monitor page: analyzer record lines written on the
// master side of a pseudo-terminal, split by the capture reader thread,
// handed over through the ring and drained into the data file as the page
// tick does, beside a plain reader of the same bytes (read, split at the line
// feed, fwrite) in the same run.
//   build-release/bin/bench_vxrundiag
// Counters: lines and bytes per second of both, the capture path's rate over
// the line rate of a 115200-baud link (11520 bytes/s), and the processor time
// one second of stream at that line rate costs the capture (reader and ticks).
#include <benchmark/benchmark.h>

#include <fcntl.h>
#include <poll.h>
#include <unistd.h>

#include <atomic>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <filesystem>
#include <string>
#include <thread>

#include "qkcommasyn.h"
#include "qkstrsrv.h"
#include "vxInit.h"
#include "vxRunDiagSrv.h"

namespace {

constexpr double kLineRate = 11520.0;   // bytes per second of a 115200-baud link
constexpr int kLines = 2000;
// An NS record line as the analyzer sends it.
const std::string kRecord =
    "2026/12/07\t13:37:47\t41.8\t1.98\t1014.1\t50.0\t1.008\t256\t424\t9606\t18096\t18296\t25.00\t54.0\t0\t0\r\n";

std::atomic<long> g_lines{0};

void toFile(vxInfo* app, const char* line)
{
    vxRunDiagWriteLine(app, line);
    g_lines.fetch_add(1, std::memory_order_relaxed);
}

double cpuSeconds()
{
    timespec t{};
    clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &t);
    return static_cast<double>(t.tv_sec) + static_cast<double>(t.tv_nsec) / 1e9;
}

// The writer plays the analyzer: n lines, at most bytesPerSecond (0: as fast
// as the link takes them).
void writeLines(int master, int n, double bytesPerSecond)
{
    const auto start = std::chrono::steady_clock::now();
    std::size_t sent = 0;
    for (int i = 0; i < n; ++i) {
        for (std::size_t done = 0; done < kRecord.size();) {
            const ssize_t w = write(master, kRecord.data() + done, kRecord.size() - done);
            if (w <= 0) return;
            done += static_cast<std::size_t>(w);
        }
        sent += kRecord.size();
        if (bytesPerSecond > 0) std::this_thread::sleep_until(start + std::chrono::duration<double>(sent / bytesPerSecond));
    }
}

// The program's capture on a pseudo-terminal, its data file in /tmp.
struct Capture {
    int master = -1;
    std::string dir = std::filesystem::temp_directory_path() / ("vxbench." + std::to_string(getpid()));
    Capture()
    {
        std::filesystem::create_directories(dir);
        master = posix_openpt(O_RDWR | O_NOCTTY | O_CLOEXEC);
        grantpt(master);
        unlockpt(master);
        char name[64];
        ptsname_r(master, name, sizeof name);
        std::string slave = name;
        const size_t cut = slave.find_last_of('/') + 1;
        vxPtr = &vx;
        vxInitialize(&vx);
        qkcommAsynSetDevName(slave.substr(0, cut).c_str());
        vx.anaCom.asyn.fd = qkcommAsynOpen(std::atoi(slave.c_str() + cut), 115200, 0, 8, 1);
        vx.anaCom.connectType = 1;
        vx.srvrate = 50;
        qkstrset(vx.dataFile.path, (dir + "/capture.txt").c_str());
        vxRunDiagInit(&vx);
    }
    ~Capture()
    {
        vxRunDiagStop(&vx);
        vxAsynClose(&vx);
        if (vx.dataFile.fdp != nullptr) std::fclose(vx.dataFile.fdp);
        vx.dataFile.fdp = nullptr;
        close(master);
        std::filesystem::remove_all(dir);
    }
    // Page ticks every srvrate ms until n lines have been drained.
    void drain(long n) const
    {
        while (g_lines.load() < n) {
            vxRunDiagDrain(&vx, toFile);
            std::this_thread::sleep_for(std::chrono::milliseconds(vx.srvrate));
        }
    }
};

// Plain: read the same bytes, split them at the line feed, one fwrite each.
long plainLines(int master, int fd, FILE* out)
{
    std::thread writer(writeLines, master, kLines, 0.0);
    std::string line;
    long lines = 0;
    char buf[5120];
    while (lines < kLines) {
        pollfd p{fd, POLLIN, 0};
        poll(&p, 1, 1000);
        const ssize_t r = read(fd, buf, sizeof buf);
        for (ssize_t i = 0; i < r; ++i) {
            line += buf[i] == '\r' || buf[i] == '\n' ? ' ' : buf[i];
            if (buf[i] != '\n') continue;
            line += '\n';
            std::fwrite(line.data(), 1, line.size(), out);
            std::fflush(out);
            line.clear();
            ++lines;
        }
    }
    writer.join();
    return lines;
}

void BM_CaptureThroughput(benchmark::State& state)
{
    Capture capture;
    double capSeconds = 0, plainSeconds = 0;
    long total = 0;
    for (auto _ : state) {
        g_lines.store(0);
        auto t0 = std::chrono::steady_clock::now();
        std::thread writer(writeLines, capture.master, kLines, 0.0);
        capture.drain(kLines);
        writer.join();
        capSeconds += std::chrono::duration<double>(std::chrono::steady_clock::now() - t0).count();

        // The baseline reads the link itself while the capture reader is stopped.
        vxRunDiagStop(&vx);
        FILE* out = std::fopen((capture.dir + "/plain.txt").c_str(), "w");
        t0 = std::chrono::steady_clock::now();
        plainLines(capture.master, vx.anaCom.asyn.fd, out);
        plainSeconds += std::chrono::duration<double>(std::chrono::steady_clock::now() - t0).count();
        std::fclose(out);
        vxRunDiagInit(&vx);
        total += kLines;
    }
    const double bytes = static_cast<double>(total) * static_cast<double>(kRecord.size());
    state.counters["capture_lines_per_s"] = total / capSeconds;
    state.counters["plain_lines_per_s"] = total / plainSeconds;
    state.counters["capture_bytes_per_s"] = bytes / capSeconds;
    state.counters["capture_over_line_rate"] = bytes / capSeconds / kLineRate;
    state.counters["line_rate_lines_per_s"] = kLineRate / static_cast<double>(kRecord.size());
}

void BM_CaptureCpuAtLineRate(benchmark::State& state)
{
    Capture capture;
    const int lines = static_cast<int>(2 * kLineRate / static_cast<double>(kRecord.size()));   // two seconds
    double cpu = 0, wall = 0;
    for (auto _ : state) {
        g_lines.store(0);
        const double c0 = cpuSeconds();
        const auto t0 = std::chrono::steady_clock::now();
        std::thread writer(writeLines, capture.master, lines, kLineRate);
        capture.drain(lines);
        writer.join();
        wall += std::chrono::duration<double>(std::chrono::steady_clock::now() - t0).count();
        cpu += cpuSeconds() - c0;
    }
    // The writer's share is part of the process time too; it is small beside the reader's polls.
    state.counters["cpu_ms_per_stream_s"] = 1000.0 * cpu / wall;
}

}  // namespace

BENCHMARK(BM_CaptureThroughput)->Unit(benchmark::kMillisecond)->Iterations(3)->UseRealTime();
BENCHMARK(BM_CaptureCpuAtLineRate)->Unit(benchmark::kMillisecond)->Iterations(2)->UseRealTime();

BENCHMARK_MAIN();
