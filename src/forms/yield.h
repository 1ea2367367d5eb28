#pragma once

#include <functional>

namespace tarvo::forms {

// Lets pending window messages (timers, input, paints) run, then returns.
void doEvents();

// The message loop has just looked at its sources (a timer of its own fired after its
// poll): a yield right after delivers posted work without polling again.
void noteSourcesLooked();

// Tests replace what a yield does; an empty function restores the message loop.
void setYieldHandler(std::function<void()> handler);

} // namespace tarvo::forms
