#include "forms/surface.h"
#include "services/drawpic.h"

#include <QGuiApplication>

#include <benchmark/benchmark.h>

#include <array>

using namespace tarvo;

namespace {

// The main window's graph box.
const QSize GraphBox(473, 193);
const std::array<float, 3> Ratios{0.4f, 0.25f, 0.1f};

// Heights that change every drawing call, so that every drawing call writes labels.
std::array<float, 3> movingRatios(int n) {
    const float wobble = float(n % 7) * 0.05f;
    return {0.4f + wobble, 0.25f + wobble, 0.1f + wobble};
}
const std::array<qint16, 4> Values{612, 143, 27, 0};

// A call that only scrolls and copies to the box.
void BM_GraphCall(benchmark::State& state) {
    forms::Surface pic(GraphBox);
    TrafficGraph graph;
    graph.draw(pic, 1, Ratios, Values);
    for (auto _ : state) {
        if (graph.tickCounter() == TrafficGraph::CallsPerPiece - 1) {
            state.PauseTiming();
            graph.draw(pic, 1, Ratios, Values);
            state.ResumeTiming();
        }
        graph.draw(pic, 1, Ratios, Values);
        benchmark::DoNotOptimize(pic.image().constBits());
    }
}
BENCHMARK(BM_GraphCall)->Repetitions(9)->ReportAggregatesOnly(true);

// A drawing call: three pieces, three labels, grid marks, then scroll and copy.
void BM_DrawingCall(benchmark::State& state) {
    forms::Surface pic(GraphBox);
    TrafficGraph graph;
    int n = 0;
    for (auto _ : state) {
        state.PauseTiming();
        while (graph.tickCounter() != TrafficGraph::CallsPerPiece - 1)
            graph.draw(pic, 1, Ratios, Values);
        const auto ratios = movingRatios(++n);
        state.ResumeTiming();
        graph.draw(pic, 1, ratios, Values);
        benchmark::DoNotOptimize(pic.image().constBits());
    }
}
BENCHMARK(BM_DrawingCall)->Repetitions(9)->ReportAggregatesOnly(true);

} // namespace
