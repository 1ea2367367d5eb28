// The page helper's start-up with and without its sandbox, side by side in one run. The
// probe starts as the helper does (the GUI application on the offscreen platform, its
// fonts and picture plugins) and then enters the helper's sandbox, or not; each
// iteration runs one of each (and one with the font root a kernel without Landlock
// gets), so all see the same machine. Reported: the times, what the sandbox adds to a
// navigation and the ratio.
#include <QElapsedTimer>
#include <QProcess>

#include <benchmark/benchmark.h>

namespace {

// options: the probe's, before its attempt (none: the sandbox as the kernel allows it).
double startMilliseconds(const QStringList& options) {
    const QStringList arguments =
        options + QStringList{QStringLiteral("start"), QStringLiteral("-"), QStringLiteral("9")};
    QProcess probe;
    QElapsedTimer clock;
    clock.start();
    probe.start(QStringLiteral(TARVO_SANDBOX_PROBE), arguments);
    probe.waitForFinished();
    return double(clock.nsecsElapsed()) / 1e6;
}

void BM_HelperStart(benchmark::State& state) {
    double unconfined = 0;
    double sandboxed = 0;
    double fontRoot = 0; // without Landlock: the namespace that holds only the fonts
    for (auto _ : state) {
        unconfined += startMilliseconds({QStringLiteral("--unconfined")});
        sandboxed += startMilliseconds({});
        fontRoot += startMilliseconds({QStringLiteral("--abi"), QStringLiteral("0")});
    }
    const double runs = double(state.iterations());
    state.counters["unconfined_ms"] = unconfined / runs;
    state.counters["sandboxed_ms"] = sandboxed / runs;
    state.counters["added_ms"] = (sandboxed - unconfined) / runs;
    state.counters["ratio"] = sandboxed / unconfined;
    state.counters["font_root_added_ms"] = (fontRoot - unconfined) / runs;
}
BENCHMARK(BM_HelperStart)->Unit(benchmark::kMillisecond)->Iterations(40);

} // namespace
