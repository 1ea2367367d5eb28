// The main window's periodic work with the system's interface table: one sampling tick
// (connection query, table read, totals, labels, rates), the totals refresh on its own,
// one graph feed (scroll and copy; every eleventh call also draws), and one animation
// step of a busy gauge. The window is shown offscreen, so each figure includes painting
// what changed. The connection is faked online; the latency probe is marked as done so
// that no ping runs.
#include "controls/progressbar/ucprogressbar.h"
#include "main/form1.h"
#include "platform/fake/fakeconnection.h"
#include "platform/fake/fakeprocess.h"
#include "platform/fake/fakeresolver.h"
#include "platform/fake/fakesingleinstance.h"
#include "platform/iftable.h"
#include "platform/services.h"
#include "platform/tray.h"
#include "qtbenchmain.h"

#include <QApplication>

#include <benchmark/benchmark.h>

#include <memory>

using namespace tarvo;

namespace {

struct Window {
    Window() {
        services.instance = std::make_unique<platform::FakeSingleInstance>();
        services.interfaceTable = platform::createInterfaceTable();
        services.tray = platform::createTrayIcon();
        auto connection = std::make_unique<platform::FakeConnectionSource>();
        connection->set(true, 0x02 | 0x40, "eth0");
        services.connection = std::move(connection);
        services.resolver = std::make_unique<platform::FakeHostResolver>();
        services.processes = std::make_unique<platform::FakeProcessLauncher>();
        form = std::make_unique<form1>(services);
        // What the load handler sets up for these handlers, without starting timers.
        form->state().ipHelper = std::make_unique<CIpHelper>(*services.interfaceTable);
        form->state().probeStarted = true;
        form->state().isOnline = true;
        form->show();
        QApplication::processEvents();
    }
    platform::PlatformServices services;
    std::unique_ptr<form1> form;
};

Window& window() {
    static Window w;
    // The window goes before the application object does.
    static const bool teardown = (bench::atTeardown([] { w.form.reset(); }), true);
    Q_UNUSED(teardown);
    return w;
}

void BM_SamplingTick(benchmark::State& state) {
    form1& form = *window().form;
    for (auto _ : state)
        form.Timer2_Timer();
}
BENCHMARK(BM_SamplingTick)
    ->Repetitions(9)
    ->ReportAggregatesOnly(true)
    ->Unit(benchmark::kMicrosecond);

void BM_ShowTotals(benchmark::State& state) {
    form1& form = *window().form;
    for (auto _ : state) {
        form.showTotals();
        QApplication::processEvents(); // paint the two labels
    }
}
BENCHMARK(BM_ShowTotals)->Repetitions(9)->ReportAggregatesOnly(true)->Unit(benchmark::kMicrosecond);

// One Timer4 tick: ten of eleven only scroll and show, the eleventh draws pieces.
void BM_GraphFeed(benchmark::State& state) {
    form1& form = *window().form;
    for (auto _ : state) {
        form.Timer4_Timer();
        QApplication::processEvents(); // what the scroll left to paint
    }
}
BENCHMARK(BM_GraphFeed)->Repetitions(9)->ReportAggregatesOnly(true)->Unit(benchmark::kMicrosecond);

// One Timer3 tick with the receive gauge walking up and down its range.
void BM_AnimationStep(benchmark::State& state) {
    form1& form = *window().form;
    WindowState& s = form.state();
    for (auto _ : state) {
        if (s.barSteps[1] == 0) {
            s.barSteps[1] = form.bar(1).Value() >= 100 ? -100 : 100;
            s.barBusy[1] = true;
        }
        form.Timer3_Timer();
        QApplication::processEvents(); // paint the gauge
    }
}
BENCHMARK(BM_AnimationStep)
    ->Repetitions(9)
    ->ReportAggregatesOnly(true)
    ->Unit(benchmark::kMicrosecond);

} // namespace
