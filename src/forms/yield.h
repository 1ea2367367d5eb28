#pragma once

#include <chrono>
#include <functional>
#include <optional>

namespace tarvo::forms {

// Lets pending window messages (timers, input, paints) run, then returns.
void doEvents();

// The message loop has just looked at its sources (a timer of its own fired after its
// poll): a yield right after delivers posted work without polling again.
void noteSourcesLooked();

// Lets window messages run, waiting for them, until ready() holds or the deadline has
// passed; returns ready(). Whatever makes ready() hold must also wake the message loop
// (a notifier on the awaited object does).
bool waitWithMessages(const std::function<bool()>& ready,
                      std::optional<std::chrono::steady_clock::time_point> deadline);

// Tests replace what a yield does; an empty function restores the message loop.
void setYieldHandler(std::function<void()> handler);

} // namespace tarvo::forms
