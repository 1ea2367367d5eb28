#pragma once

#include <functional>

// The benchmarks that draw need a GUI application: one main for all of them, on the
// offscreen platform unless another is asked for.
namespace tarvo::bench {

// Runs before the application object goes, for benchmarks that keep widgets alive.
void atTeardown(std::function<void()> teardown);

} // namespace tarvo::bench
