// Spectra scans against the analyzer emulator on the virtual port COM97: one
// scan of each application (2F, NS, FS) through the diagnostic-request worker
// fills every requested curve with the bytes the emulator sent; a silent
// analyzer and an over-long answer are reported by the scan check and the
// next scan is whole again; in overlay mode the ring of four scans turns and
// the earlier scans are drawn lighter. Also the NS reference combination.
#include <gtest/gtest.h>

#include <chrono>
#include <cstring>
#include <string>
#include <vector>

#include "qkwinsrv.h"
#include "vxRequestDiagProtData.h"
#include "vxSpectraArm9Srv.h"
#include "vxSpectraPageSrv.h"
#include "vxtestapp.h"
#include "vxtestsupport.h"

namespace {

using Clock = std::chrono::steady_clock;

// The bytes of the last data block the emulator logged under label (its
// verbose log shows every byte), without the brackets.
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

std::string bytesOf(const void* data, int count) { return std::string(static_cast<const char*>(data), count); }

class Spectra : public vxtest::ShippedApp {
protected:
    // The last scan's thread has ended; it is taken back before the link goes.
    void TearDown() override
    {
        vxStopDiagProtReqData(app.get());
        ShippedApp::TearDown();
    }
    void start(const char* personality)
    {
        showAsShell();
        if (HasFatalFailure()) return;
        startEmulator({"--personality", personality, "-v", "--seed", "7"});
        if (HasFatalFailure()) return;
        connectEmulator();
        // The analyzer needs its pause after the start of a scan; half a
        // second keeps the test short.
        app->spData.demandPollRate = 5;
    }
    vxSpectraAppInfo& profile()
    {
        vxSpectraPageInfo& sp = app->spData;
        const int type = app->anaDetails.version.appType;
        return type == VX_APP_NS ? sp.ns : type == VX_APP_FS ? sp.fs : sp.f2;
    }
    // Only the first curve of plot A stays ticked.
    void onlyFirstCurve()
    {
        vxSpectraAppInfo& p = profile();
        for (auto* plot : {p.plotA, p.plotB, p.plotC})
            for (int i = 0; i < VX_MAXCURVES; ++i) plot[i].state = 0;
        p.plotA[0].state = 1;
    }
    // One scan on the worker, the window thread served meanwhile; its time.
    double scan()
    {
        const auto t0 = Clock::now();
        EXPECT_EQ(vxRunDiagProtReqData(app.get()), 0);
        EXPECT_TRUE(vxtest::pumpUntil([&] { return app->getdpdatathrds.state.load() == 0; }, std::chrono::seconds(60)));
        return std::chrono::duration<double>(Clock::now() - t0).count();
    }
    // The waits a scan of the current request list must make: the pause after
    // every request sent and the analyzer's time after the first.
    double fixedWaits()
    {
        const vxSpectraPageInfo& sp = app->spData;
        int tenths = sp.demandPollRate;
        for (int i = 0; i < sp.diagReqCnt; ++i) tenths += sp.diagReqList[i].dpid < 400101 ? 5 : 0;
        return tenths / 10.0;
    }
    const vxSpectraPlotData* curve(const char* name)
    {
        const vxSpectrPlotsInfo& pl = app->spData.plots;
        for (int i = 0; i < pl.plotListCnt; ++i)
            if (std::strcmp(pl.plotList[i].plotName, name) == 0) return &pl.plotList[i];
        return nullptr;
    }
    int overlaysOf(const char* name)
    {
        int n = -1;
        const vxSpectrPlotsInfo& pl = app->spData.plots;
        for (int i = 0; i < pl.plotListCnt; ++i) n += std::strcmp(pl.plotList[i].plotName, name) == 0;
        return n;
    }

    vxtest::EnvGuard offscreen{"QT_QPA_PLATFORM", "offscreen"};
    vxtest::EnvGuard answer{"VX_MSGBOX_AUTOANSWER", "ok"};
};

class SpectraScan : public Spectra, public ::testing::WithParamInterface<const char*> {};

// Every ticked curve of the shipped profile arrives whole and equal to what
// the emulator sent; so does the header.
TEST_P(SpectraScan, OneScanFillsEveryRequestedCurve)
{
    start(GetParam());
    if (HasFatalFailure()) return;
    const double took = scan();
    const vxSpectraPageInfo& sp = app->spData;
    const vxAnalyzereDataInfo& dr = app->dpRequest;
    EXPECT_EQ(sp.state.load(), 2);
    EXPECT_EQ(sp.dataReady.load(), 1);
    EXPECT_EQ(dr.scanCnt.load(), 1);
    EXPECT_EQ(log().find("detected"), std::string::npos) << log();
    const std::string emu = vxtest::readFile(emuLog);
    const bool hc12 = app->anaDetails.version.appType == VX_APP_PP2F;

    const vxAnalyzerDiagnosticDataHC12* hdr = hc12 ? dr.f2.diagDataPtr
                                              : dr.appPtr == &dr.ns ? dr.ns.diagDataPtr : dr.fs.diagDataPtr;
    const int hdrCnt = hc12 ? dr.f2.hdrByteCnt : dr.appPtr == &dr.ns ? dr.ns.hdrByteCnt : dr.fs.hdrByteCnt;
    const std::string header = sentBlock(emu, "diagnostic header");
    ASSERT_FALSE(header.empty());
    EXPECT_EQ(bytesOf(hdr->hdata, hdrCnt), header);

    int curves = 0;
    for (int i = 0; i < sp.diagReqCnt; ++i) {
        const vxSpectraReqInfo& r = sp.diagReqList[i];
        SCOPED_TRACE(r.dpReq);
        if (r.dpid != 9) {
            EXPECT_EQ(r.dataFlag, 1);
        }
        if (r.plotid == 0) continue;
        const vxSpectraPlotData* c = curve(r.plotName);
        ASSERT_NE(c, nullptr);
        EXPECT_EQ(c->dataCnt, c->expectCnt);
        EXPECT_EQ(c->expectCnt, 1024);
        // A 2F spectrum comes in halves, the first after four lead bytes.
        const std::string sent = hc12 ? sentBlock(emu, "data point " + std::to_string(r.dpid - 1)).substr(4) +
                                            sentBlock(emu, "data point " + std::to_string(r.dpid))
                                      : sentBlock(emu, "data point " + std::string(r.dpReq));
        EXPECT_EQ(bytesOf(c->dataPtr, c->dataCnt), sent);
        ++curves;
    }
    EXPECT_GE(curves, 2);
    ASSERT_GT(sp.diagReqCnt, 2);
    const std::string last = std::string(hc12 ? "HC12 2F" : dr.appPtr == &dr.ns ? "ARM9 NS" : "ARM9 FS") +
                             " request: " + sp.diagReqList[sp.diagReqCnt - 1].dpReq;
    EXPECT_TRUE(vxtest::pumpUntil([&] { return last == app->runDiag.msg; })) << app->runDiag.msg;
    std::printf("[ timing ] %s scan of %d requests: %.2f s, fixed waits %.2f s (%.2fx)\n", GetParam(),
                sp.diagReqCnt, took, fixedWaits(), took / fixedWaits());
    EXPECT_LT(took, 3 * fixedWaits() + 10);
}

INSTANTIATE_TEST_SUITE_P(Applications, SpectraScan, ::testing::Values("2f", "ns", "fs"));

// A silent analyzer and an over-long answer are reported by the scan check,
// an answer arriving in pieces is whole; the next scan is whole again.
TEST_F(Spectra, ScanCheckReportsMissingAndWrongSizedCurves)
{
    start("ns");
    if (HasFatalFailure()) return;
    onlyFirstCurve();
    const char* name = profile().plotA[0].name;
    const struct {
        const char* faults;
        const char* logged;   // null: a clean scan
        int bytes;            // of the curve; 0: none
    } cases[] = {
        {"silence", "detected no data error for scan: ", 0},
        {"oversize 2000", "detected data size error for scan: ", 1280},
        // An answer in pieces, each read finding more: the reader gathers the
        // block across reads, the end marker possibly split between two.
        {"split 100:30", nullptr, 1024},
        {"none", nullptr, 1024},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.faults);
        emulatorFaults(c.faults);
        const size_t logStart = log().size();
        scan();
        const std::string newLog = log().substr(logStart);
        const std::string scanNo = std::to_string(app->dpRequest.scanCnt.load());
        if (c.logged != nullptr) {
            EXPECT_NE(newLog.find(c.logged + scanNo), std::string::npos) << newLog;
        } else {
            EXPECT_EQ(newLog.find("detected"), std::string::npos) << newLog;
        }
        const vxSpectraPlotData* got = curve(name);
        EXPECT_EQ(got != nullptr ? got->dataCnt : 0, c.bytes);
        EXPECT_EQ(app->spData.state.load(), 2);
    }
}

// In overlay mode each scan takes the next of the four slots; the curve is
// drawn with up to three earlier scans, each lighter, from their own slots.
TEST_F(Spectra, OverlayRingTurnsThroughFourSlots)
{
    start("2f");
    if (HasFatalFailure()) return;
    onlyFirstCurve();
    vxAnalyzereDataInfo& dr = app->dpRequest;
    app->spData.overlayFlag = 1;
    dr.scanNdx = 0;
    dr.scanCnt = 0;
    const char* name = profile().plotA[0].name;
    const int wantSlot[] = {1, 2, 3, 0, 1};
    const int wantOverlays[] = {0, 1, 2, 3, 3};
    for (int k = 0; k < 5; ++k) {
        SCOPED_TRACE(k + 1);
        const int slot = dr.scanNdx.load();
        scan();
        EXPECT_EQ(dr.scanNdx.load(), wantSlot[k]);
        ASSERT_EQ(overlaysOf(name), wantOverlays[k]);
        const vxSpectraPlotData* c = curve(name);
        ASSERT_NE(c, nullptr);
        EXPECT_EQ(c->dataPtr, dr.f2.acData[slot].sdata);
        for (int m = 1; m <= wantOverlays[k]; ++m) {
            EXPECT_EQ(c[m].dataPtr, dr.f2.acData[(slot + 4 - m) % 4].sdata);
            EXPECT_NE(c[m].colorRgb, c[m - 1].colorRgb) << "lighter than the scan after it";
        }
    }
}

// The NS reference combination and the overlay colour, on known values.
TEST(SpectraSteps, ReferenceCombinationAndOverlayColour)
{
    const struct {
        int16_t dry, ref;
        float fit;
        int16_t wantDry, wantRef;
    } cases[] = {
        {101, 10, 0.5f, 60, 111},
        {-101, 10, 0.5f, -40, -91},            // truncated toward zero
        {30000, 30000, 1.0f, -5536, -5536},    // kept modulo 2^16
        {100, 1, 1.0e30f, 1, 101},             // a ratio out of range gives no undefined value
    };
    for (const auto& c : cases) {
        int16_t dry = c.dry, ref = c.ref;
        vxSPcombineNSref(&dry, &ref, 1, c.fit);
        EXPECT_EQ(dry, c.wantDry) << c.dry << " x " << c.fit;
        EXPECT_EQ(ref, c.wantRef) << c.dry << " x " << c.fit;
    }
    qkwinpalettedef red{};
    red.value = 0xFF0000;
    for (uint32_t want : {0xFF4646u, 0xFF8C8Cu, 0xFFD2D2u, 0xFFFFFFu}) {
        ASSERT_EQ(vxSpectraGetOvColor(nullptr, &red), 0);
        EXPECT_EQ(red.value, want);
    }
}

}  // namespace
