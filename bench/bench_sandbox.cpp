// The page helper's start-up with and without its sandbox, side by side in one run. The
// probe starts as the helper does (the GUI application on the offscreen platform, its
// fonts and picture plugins) and then enters the helper's sandbox, or not; each
// iteration runs one of each, so both see the same machine. Reported: both times, what
// the sandbox adds to a navigation and the ratio.
#include <QElapsedTimer>
#include <QProcess>

#include <benchmark/benchmark.h>

namespace {

double startMilliseconds(bool sandboxed) {
    QStringList arguments{QStringLiteral("start"), QStringLiteral("-"), QStringLiteral("9")};
    if (!sandboxed)
        arguments.prepend(QStringLiteral("--unconfined"));
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
    for (auto _ : state) {
        unconfined += startMilliseconds(false);
        sandboxed += startMilliseconds(true);
    }
    const double runs = double(state.iterations());
    state.counters["unconfined_ms"] = unconfined / runs;
    state.counters["sandboxed_ms"] = sandboxed / runs;
    state.counters["added_ms"] = (sandboxed - unconfined) / runs;
    state.counters["ratio"] = sandboxed / unconfined;
}
BENCHMARK(BM_HelperStart)->Unit(benchmark::kMillisecond)->Iterations(40);

} // namespace
