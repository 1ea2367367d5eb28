#pragma once

#include <functional>

namespace tarvo::forms {

// Lets pending window messages (timers, input, paints) run, then returns.
void doEvents();

// Tests replace what a yield does; an empty function restores the message loop.
void setYieldHandler(std::function<void()> handler);

} // namespace tarvo::forms
