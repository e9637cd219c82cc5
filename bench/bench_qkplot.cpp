// Plot engine drawing rate on Qt: the four spectra plots of the shipped
// definition, each with one curve and three overlays of 512 points, drawn into
// a window-sized image through the Qt drawing surface. Baseline in the same
// run: the same polylines (points computed beforehand) drawn with plain
// QPainter calls on the same image. One drawing is all four plots; the ratio
// of the two rates is the engine's overhead on the curves (binding the data,
// its range, the geometry and the surface calls). The full drawing (region,
// grid, axes, labels, comments and curves) is measured too, for scale.
//
// Run from a Release tree: build-release/bin/bench_qkplot (the plot file is
// found through the source tree).
#include <benchmark/benchmark.h>

#include <QApplication>
#include <QImage>
#include <QPainter>
#include <QPolygon>

#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <memory>
#include <string>
#include <vector>

#include "qkplotsrv.h"
#include "qksysdrawsurface.h"
#include "qksysplotsrv.h"
#include "qkstrsrv.h"
#include "qkwinpalettesrv.h"

#ifndef VX_SOURCE_DIR
#define VX_SOURCE_DIR "."
#endif

namespace {

constexpr int kPlots = 4;
constexpr int kCurves = 4;   // one curve and three overlays
constexpr int kPoints = 512;

struct Scene {
    qkwinInfo* win = nullptr;
    qkplotInfo* plot = nullptr;
    QImage* image = nullptr;
    int ids[kPlots] = {};
    std::vector<int16_t> data[kPlots][kCurves];
    int colors[kCurves] = {};
    QPolygon polylines[kPlots][kCurves];
};

Scene& scene()
{
    static Scene s = [] {
        Scene sc;
        sc.win = new qkwinInfo{};
        qkwinpalettecreatefrom(sc.win, VX_SOURCE_DIR "/cfg/qkwinstdxml/qkcolorlist.xml");
        sc.plot = qkplotcreate();
        sc.plot->winPtr = sc.win;
        qkstrset(sc.plot->path, VX_SOURCE_DIR "/cfg/vxplot/vxSpectraPlots.xml");
        if (qkplotcfgread(sc.plot) != 0 || sc.plot->cnt != kPlots) std::abort();
        sc.image = new QImage(1200, 560, QImage::Format_RGB32);
        sc.image->fill(Qt::white);
        const char* names[kCurves] = {"Blue", "DodgerBlue1", "SkyBlue1", "LightBlue1"};
        for (int c = 0; c < kCurves; ++c) sc.colors[c] = qkwinpalettegetvalue(sc.win, names[c]);
        for (int k = 0; k < kPlots; ++k) {
            sc.ids[k] = qkplotgetIDbyItemID(sc.plot, 1460 + 2 * k);
            for (int c = 0; c < kCurves; ++c) {
                std::vector<int16_t>& v = sc.data[k][c];
                v.resize(kPoints);
                for (int i = 0; i < kPoints; ++i) {
                    double x = (i - 256.0 - 4 * c) / 25.0;
                    v[static_cast<size_t>(i)] = static_cast<int16_t>((9000.0 - 600 * c) * (1 - 2 * x * x) * std::exp(-x * x));
                }
            }
        }
        return sc;
    }();
    return s;
}

// Binds curve c of plot k and sets the left range of the plot's curves.
void bind(Scene& s, int k, int c)
{
    qkplotInfo* p = s.plot;
    const int id = s.ids[k];
    qkplotsetdatasrc(p, id, QKPLOT_SRC_MEMORY);
    qkplotsetdatatype(p, id, QKPLOT_DATA_SHORT);
    qkplotsetdataptr(p, id, s.data[k][c].data());
    qkplotsetdatacnt(p, id, kPoints);
    qkplotgetdata(p, id);
    qkplotsetscaletype(p, id, 1);
    qkplotsetdatascale(p, id, 1, 9000.0f, -4100.0f);
    qkplotsetdatascalendx(p, id, 1);
    const qkplotPenInfo& pen = p->idPtr[id - 1].pclass.pen;
    qkplotsetcurvepen(p, id, pen.type, pen.width, s.colors[c]);
}

void drawCurves(Scene& s)
{
    for (int k = 0; k < kPlots; ++k)
        for (int c = 0; c < kCurves; ++c) {
            bind(s, k, c);
            qksysplotdata(s.plot, s.ids[k]);
        }
}

// The polylines the engine draws, taken from a recorded drawing so the
// baseline draws exactly the same points.
void makePolylines(Scene& s)
{
    for (int k = 0; k < kPlots; ++k)
        for (int c = 0; c < kCurves; ++c) {
            bind(s, k, c);
            const qkplotIDInfo& e = s.plot->idPtr[s.ids[k] - 1];
            qkplotGeomInfo g;
            qkplotgeometry(s.plot, const_cast<qkplotIDInfo*>(&e), &g);
            QPolygon& poly = s.polylines[k][c];
            poly.clear();
            const float ppp = static_cast<float>(g.gw) / kPoints;
            for (int i = 0; i < kPoints; ++i) {
                float v = e.data.dataPtr[i];
                float h = g.gh - g.gh * std::fabs(e.scale.yl.max - v) / e.scale.yl.absval;
                poly << QPoint(g.gx + static_cast<int>(i * ppp + ppp), g.gy + g.gh - static_cast<int>(h));
            }
        }
}

void BM_EngineCurves(benchmark::State& state)
{
    Scene& s = scene();
    for (auto _ : state) {
        qksysdrawSurface surface(&s.image, nullptr, nullptr);
        s.plot->surfPtr = &surface;
        drawCurves(s);
        s.plot->surfPtr = nullptr;
    }
    state.SetItemsProcessed(state.iterations());
    state.SetLabel("drawings: 4 plots x 4 curves x 512 points");
}
BENCHMARK(BM_EngineCurves)->Unit(benchmark::kMicrosecond);

void BM_QPainterPolylines(benchmark::State& state)
{
    Scene& s = scene();
    makePolylines(s);
    for (auto _ : state) {
        QPainter painter(s.image);
        for (int k = 0; k < kPlots; ++k)
            for (int c = 0; c < kCurves; ++c) {
                QPen pen(qksysdrawcolor(s.colors[c]), 1);
                pen.setCosmetic(true);
                painter.setPen(pen);
                painter.drawPolyline(s.polylines[k][c]);
            }
    }
    state.SetItemsProcessed(state.iterations());
    state.SetLabel("drawings: the same polylines with QPainter");
}
BENCHMARK(BM_QPainterPolylines)->Unit(benchmark::kMicrosecond);

void BM_EngineFullPlots(benchmark::State& state)
{
    Scene& s = scene();
    for (auto _ : state) {
        qksysdrawSurface surface(&s.image, nullptr, nullptr);
        s.plot->surfPtr = &surface;
        for (int k = 0; k < kPlots; ++k) {
            const int id = s.ids[k];
            bind(s, k, 0);
            qksysplotcreateregion(s.plot, id);
            qksysplotgrid(s.plot, id);
            qksysplotaxis(s.plot, id, QKPLOT_AXIS_BOTTOM);
            qksysplotlabel(s.plot, id, QKPLOT_AXIS_BOTTOM);
            qksysplotaxis(s.plot, id, QKPLOT_AXIS_LEFT);
            qksysplotlabel(s.plot, id, QKPLOT_AXIS_LEFT);
            qksysplotcomment(s.plot, id);
            for (int c = 0; c < kCurves; ++c) {
                bind(s, k, c);
                qksysplotdata(s.plot, id);
            }
        }
        s.plot->surfPtr = nullptr;
    }
    state.SetItemsProcessed(state.iterations());
    state.SetLabel("drawings: 4 whole plots with their curves");
}
BENCHMARK(BM_EngineFullPlots)->Unit(benchmark::kMicrosecond);

}  // namespace

int main(int argc, char** argv)
{
    setenv("QT_QPA_PLATFORM", "offscreen", 0);
    QApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv)) return 1;
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
