// The capture path of the monitor page: analyzer record lines written on the
// master side of a pseudo-terminal, split by the capture reader thread,
// handed over through the ring and drained into the data file as the page
// tick does, beside a plain reader of the same bytes (read, split at the line
// feed, fwrite) in the same run.
//   build-release/bin/bench_vxrundiag
// Counters: lines and bytes per second of both, the capture path's rate over
// the line rate of a 115200-baud link (11520 bytes/s), and the processor time
// one second of stream at that line rate costs the capture (reader and ticks).
// The pseudo-terminal's rate is bounded by the serial read's settle wait; the
// Memory cases hand the splitter its chunks from memory instead, as a read
// fills the link's input buffer, so they measure the program's own work:
// splitter, ring, page ticks of srvrate ms with their drain, data file.
#include <benchmark/benchmark.h>

#include <fcntl.h>
#include <poll.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <filesystem>
#include <string>
#include <thread>

#include "qkcommasyn.h"
#include "qkstrsrv.h"
#include "qkthrdsrv.h"
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

// Baseline of the file write: the same line appended with one fwrite and a
// flush, without the seek to the end that the program's record write makes.
void toFileAppend(vxInfo* app, const char* line)
{
    char record[sizeof app->runDiag.modeData.dataBuf + 2];
    const int length = qkstrfmt(record, sizeof record, "%s\n", line);
    std::fwrite(record, 1, static_cast<std::size_t>(std::min(length, static_cast<int>(sizeof record) - 1)),
                app->dataFile.fdp);
    std::fflush(app->dataFile.fdp);
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

// The analyzer's side without a link: whole record lines, as many as fit the
// link's input buffer, copied into it when the splitter has used up the last
// chunk, at most bytesPerSecond (0: as fast as the splitter takes them).
struct MemoryFeed {
    long total = 0;
    double bytesPerSecond = 0;
    long sent = 0;
    std::chrono::steady_clock::time_point start = std::chrono::steady_clock::now();
    std::string block;
    MemoryFeed(long lines, double rate) : total(lines), bytesPerSecond(rate)
    {
        while (block.size() + kRecord.size() <= sizeof vx.anaCom.ibuf) block += kRecord;
    }
    // What a read of the link would have delivered: the lines due, into ibuf
    // with rdByteCnt and the splitter's byteCnt set. The bytes delivered.
    int fill(vxInfo* app)
    {
        long due = total - sent;
        if (bytesPerSecond > 0) {
            const double s = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
            due = std::min(due, static_cast<long>(s * bytesPerSecond / static_cast<double>(kRecord.size())) - sent);
        }
        const long perChunk = static_cast<long>(block.size() / kRecord.size());
        const int n = static_cast<int>(std::max(0L, std::min(due, perChunk)) * static_cast<long>(kRecord.size()));
        std::memcpy(app->anaCom.ibuf, block.data(), static_cast<std::size_t>(n));
        app->anaCom.rdByteCnt = n;
        app->runDiag.modeData.byteCnt = n;
        sent += n / static_cast<long>(kRecord.size());
        return n;
    }
};

// The reader thread's loop of the program (vxRunDiagGetData) with the read
// replaced by the feed: the splitter and the ring hand-over are the engine's.
void memoryReader(MemoryFeed* feed, const std::atomic<bool>* run)
{
    vxModeDatanfo& md = vx.runDiag.modeData;
    bool behind = false;
    while (run->load()) {
        if (md.byteCnt == 0 && feed->fill(&vx) == 0) {
            qkthrdwait(50);   // the reader's pause when the link had nothing
            continue;
        }
        vxAnalyzerGetMode1(&vx);
        if (md.dataFlag == 1) behind = vxRunDiagPutLine(&vx, behind ? 0 : VX_RINGFULLWAITMS) != 0;
    }
}

// The capture set up as the page does it (data file afresh, ring cleared);
// the engine's own reader is stopped at once, the memory reader replaces it.
struct MemoryCapture {
    std::string dir = std::filesystem::temp_directory_path() / ("vxbench-mem." + std::to_string(getpid()));
    MemoryCapture()
    {
        std::filesystem::create_directories(dir);
        vxPtr = &vx;
        vxInitialize(&vx);
        vx.anaCom.connectType = 0;   // no link: a read finds nothing
        vx.srvrate = 50;
        qkstrset(vx.dataFile.path, (dir + "/capture.txt").c_str());
        vxRunDiagInit(&vx);
        vxRunDiagStop(&vx);
    }
    ~MemoryCapture()
    {
        if (vx.dataFile.fdp != nullptr) std::fclose(vx.dataFile.fdp);
        vx.dataFile.fdp = nullptr;
        std::filesystem::remove_all(dir);
    }
    // Streams n lines from the feed while the page ticks every srvrate ms
    // (a late tick runs at once, as a timer's would) until all are drained
    // or timeout passed. The lines drained.
    static long run(MemoryFeed& feed, std::chrono::seconds timeout, vxRunDiagLineFunc hook = toFile)
    {
        g_lines.store(0);
        std::atomic<bool> running{true};
        std::thread reader(memoryReader, &feed, &running);
        const auto tick = std::chrono::milliseconds(vx.srvrate);
        const auto end = std::chrono::steady_clock::now() + timeout;
        auto next = std::chrono::steady_clock::now();
        while (g_lines.load() < feed.total && next < end) {
            vxRunDiagDrain(&vx, hook);
            next = std::max(next + tick, std::chrono::steady_clock::now());
            std::this_thread::sleep_until(next);
        }
        running.store(false);
        reader.join();
        return g_lines.load();
    }
    // Lines in the data file.
    long fileLines() const
    {
        std::fflush(vx.dataFile.fdp);
        return static_cast<long>(std::filesystem::file_size(vx.dataFile.path) / (kRecord.size() + 1));
    }
};

// Argument 0: the page's write of each line (vxRunDiagWriteLine); 1: the
// baseline append without the seek.
void BM_MemoryCaptureThroughput(benchmark::State& state)
{
    const vxRunDiagLineFunc hook = state.range(0) == 0 ? toFile : toFileAppend;
    MemoryCapture capture;
    constexpr long kMany = 200000;
    double seconds = 0, cpu = 0;
    long total = 0, drained = 0;
    for (auto _ : state) {
        ftruncate(fileno(vx.dataFile.fdp), 0);
        std::rewind(vx.dataFile.fdp);
        MemoryFeed feed(kMany, 0.0);
        const double c0 = cpuSeconds();
        const auto t0 = std::chrono::steady_clock::now();
        drained += MemoryCapture::run(feed, std::chrono::seconds(60), hook);
        seconds += std::chrono::duration<double>(std::chrono::steady_clock::now() - t0).count();
        cpu += cpuSeconds() - c0;
        total += kMany;
        if (capture.fileLines() != kMany) state.SkipWithError("data file does not hold every line");
    }
    const double bytes = static_cast<double>(total) * static_cast<double>(kRecord.size());
    state.counters["lines_per_s"] = static_cast<double>(total) / seconds;
    // Processor time of reader and ticks per line: on a shared machine the
    // wall-clock rate also counts the time other programs held the cores.
    state.counters["cpu_us_per_line"] = 1e6 * cpu / static_cast<double>(total);
    state.counters["bytes_per_s"] = bytes / seconds;
    state.counters["over_line_rate"] = bytes / seconds / kLineRate;
    state.counters["line_rate_lines_per_s"] = kLineRate / static_cast<double>(kRecord.size());
    state.counters["lines_lost"] = static_cast<double>(total - drained + vx.runDiag.modeData.lostCnt.load());
}

// The page stalls (no tick, as while the save dialog is open) while a burst
// of as many lines as the ring holds comes in: none is lost, and the ticks
// afterwards bring every one to the file.
void BM_MemoryBurstWhilePageStalls(benchmark::State& state)
{
    MemoryCapture capture;
    const long burst = VX_RINGLINES - 1;
    long kept = 0, lost = 0;
    for (auto _ : state) {
        ftruncate(fileno(vx.dataFile.fdp), 0);
        vx.runDiag.modeData.lostCnt.store(0);
        MemoryFeed feed(burst, 0.0);
        std::atomic<bool> running{true};
        std::thread reader(memoryReader, &feed, &running);
        const vxModeDatanfo& md = vx.runDiag.modeData;
        const auto end = std::chrono::steady_clock::now() + std::chrono::seconds(10);
        while ((md.dataLineWtNdx.load() - md.dataLineRdNdx.load() + VX_RINGLINES) % VX_RINGLINES < burst &&
               std::chrono::steady_clock::now() < end)
            std::this_thread::sleep_for(std::chrono::milliseconds(1));
        running.store(false);
        reader.join();
        g_lines.store(0);
        while (vxRunDiagDrain(&vx, toFile) > 0) {
        }
        kept += capture.fileLines();
        lost += burst - g_lines.load() + vx.runDiag.modeData.lostCnt.load();
    }
    state.counters["burst_lines"] = static_cast<double>(burst);
    state.counters["lines_kept_per_burst"] = static_cast<double>(kept) / static_cast<double>(state.iterations());
    state.counters["lines_lost"] = static_cast<double>(lost);
}

void BM_MemoryCaptureCpuAtLineRate(benchmark::State& state)
{
    MemoryCapture capture;
    const long lines = static_cast<long>(3 * kLineRate / static_cast<double>(kRecord.size()));   // three seconds
    double cpu = 0, wall = 0;
    long total = 0, drained = 0;
    for (auto _ : state) {
        MemoryFeed feed(lines, kLineRate);
        const double c0 = cpuSeconds();
        const auto t0 = std::chrono::steady_clock::now();
        drained += MemoryCapture::run(feed, std::chrono::seconds(30));
        wall += std::chrono::duration<double>(std::chrono::steady_clock::now() - t0).count();
        cpu += cpuSeconds() - c0;
        total += lines;
    }
    state.counters["cpu_ms_per_stream_s"] = 1000.0 * cpu / wall;
    state.counters["core_percent"] = 100.0 * cpu / wall;
    state.counters["lines_lost"] = static_cast<double>(total - drained + vx.runDiag.modeData.lostCnt.load());
}

}  // namespace

BENCHMARK(BM_CaptureThroughput)->Unit(benchmark::kMillisecond)->Iterations(3)->UseRealTime();
BENCHMARK(BM_CaptureCpuAtLineRate)->Unit(benchmark::kMillisecond)->Iterations(2)->UseRealTime();
BENCHMARK(BM_MemoryCaptureThroughput)->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond)->Iterations(3)->UseRealTime();
BENCHMARK(BM_MemoryBurstWhilePageStalls)->Unit(benchmark::kMillisecond)->Iterations(3)->UseRealTime();
BENCHMARK(BM_MemoryCaptureCpuAtLineRate)->Unit(benchmark::kMillisecond)->Iterations(2)->UseRealTime();

BENCHMARK_MAIN();
