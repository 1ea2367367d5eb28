#include "qtbenchmain.h"

#include <QApplication>

#include <benchmark/benchmark.h>

namespace tarvo::bench {
namespace {
std::function<void()>& teardownHook() {
    static std::function<void()> hook;
    return hook;
}
} // namespace

void atTeardown(std::function<void()> teardown) {
    teardownHook() = std::move(teardown);
}

} // namespace tarvo::bench

int main(int argc, char** argv) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    if (auto& teardown = tarvo::bench::teardownHook())
        teardown();
    return 0;
}
