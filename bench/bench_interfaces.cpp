// One full statistics refresh (table size query, fetch, parse, totals) with the system's
// interface table, and the same refresh over a fake table of four rows for comparison.
#include "platform/fake/fakeiftable.h"
#include "platform/iftable.h"
#include "stats/ciphelper.h"

#include <benchmark/benchmark.h>

namespace {

using namespace tarvo;

void BM_InterfacesRefresh(benchmark::State& state) {
    const auto table = platform::createInterfaceTable();
    CIpHelper helper(*table);
    for (auto _ : state) {
        auto list = helper.Interfaces();
        benchmark::DoNotOptimize(list);
        benchmark::DoNotOptimize(helper.BytesReceived());
    }
    state.counters["rows"] = helper.Interfaces()->count();
}
BENCHMARK(BM_InterfacesRefresh)
    ->Repetitions(9)
    ->ReportAggregatesOnly(true)
    ->Unit(benchmark::kMicrosecond);

void BM_TableCallsOnly(benchmark::State& state) {
    const auto table = platform::createInterfaceTable();
    std::vector<quint8> buffer;
    for (auto _ : state) {
        quint32 size = 0;
        table->getIfTable(nullptr, &size, false);
        buffer.resize(size);
        benchmark::DoNotOptimize(table->getIfTable(buffer.data(), &size, false));
    }
}
BENCHMARK(BM_TableCallsOnly)
    ->Repetitions(9)
    ->ReportAggregatesOnly(true)
    ->Unit(benchmark::kMicrosecond);

void BM_ParseFourFakeRows(benchmark::State& state) {
    std::vector<platform::FakeIfRow> rows(4);
    for (int i = 0; i < 4; ++i) {
        rows[i].name = QStringLiteral("eth%1").arg(i);
        rows[i].descr = rows[i].name.toLatin1();
        rows[i].physAddr = QByteArray::fromHex("020C29AB0510");
        rows[i].inOctets = 1000u * (i + 1);
    }
    platform::FakeInterfaceTable table(rows);
    CIpHelper helper(table);
    for (auto _ : state) {
        auto list = helper.Interfaces();
        benchmark::DoNotOptimize(list);
    }
}
BENCHMARK(BM_ParseFourFakeRows)
    ->Repetitions(9)
    ->ReportAggregatesOnly(true)
    ->Unit(benchmark::kMicrosecond);

} // namespace

BENCHMARK_MAIN();
