// The main window's periodic work with the system's interface table: one sampling tick
// (connection query, table read, totals, labels, rates), the totals refresh on its own,
// one graph feed (scroll and copy; every eleventh call also draws), and one animation
// step of a busy gauge. The window is shown offscreen, so each figure includes painting
// what changed. The connection is faked online; the window's timers are stopped, so that
// only the handler under test runs and no ping runs (the first tick's probe goes through
// the stopped Timer1).
#include "controls/progressbar/ucprogressbar.h"
#include "main/form1.h"
#include "platform/fake/fakeconnection.h"
#include "platform/fake/fakeiftable.h"
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
    // With a fake table the bench sets the totals itself (table not null).
    explicit Window(platform::FakeInterfaceTable* table = nullptr) {
        services.instance = std::make_unique<platform::FakeSingleInstance>();
        if (table)
            services.interfaceTable.reset(table);
        else
            services.interfaceTable = platform::createInterfaceTable();
        services.tray = platform::createTrayIcon();
        auto connection = std::make_unique<platform::FakeConnectionSource>();
        connection->set(true, 0x02 | 0x40, "eth0");
        services.connection = std::move(connection);
        services.resolver = std::make_unique<platform::FakeHostResolver>();
        services.processes = std::make_unique<platform::FakeProcessLauncher>();
        form = std::make_unique<form1>(services);
        form->Form_Load();
        for (int n = 1; n <= 4; ++n)
            form->timer(n).setEnabled(false);
        form->show();
        form->showConnection();
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

// A window over a fake table, whose totals make the receive gauge walk.
platform::FakeInterfaceTable* fakeTable = nullptr;
Window& fakeWindow() {
    static Window w((fakeTable = new platform::FakeInterfaceTable));
    static const bool teardown = (bench::atTeardown([] { w.form.reset(); }), true);
    Q_UNUSED(teardown);
    return w;
}

void setReceivedKB(quint64 kb) {
    platform::FakeIfRow row;
    row.index = 2;
    row.inOctets = quint32(kb * 1024);
    row.octets64 = platform::IfOctets64{kb * 1024, 0};
    fakeTable->setRows({row});
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

// One Timer3 tick with the receive gauge walking up and down its range: rates of 100
// and 0 KB in turn, a new one when the last walk (100 steps and one) is over.
void BM_AnimationStep(benchmark::State& state) {
    form1& form = *fakeWindow().form;
    quint64 totalKB = 0;
    int ticks = 0;
    bool up = true;
    for (auto _ : state) {
        if (ticks++ % 102 == 0) {
            state.PauseTiming();
            totalKB += up ? 100 : 0;
            up = !up;
            setReceivedKB(totalKB);
            form.Timer2_Timer();
            state.ResumeTiming();
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
