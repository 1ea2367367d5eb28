#pragma once

#include <functional>

namespace tarvo::forms {

// Native presenters hold back what they would send until the frame ends, so that what
// every timer due on one clock tick changed reaches the screen in one presentation. A
// frame ends after each tick's timers have run, or, for a change made outside a tick,
// once control is back in the event loop.

// The platform's presenting backend: sends what is pending and flushes once.
void setFrameEndHandler(std::function<void()> handler);

// A presenter has something pending: makes sure a frame end follows.
void requestFrameEnd();

// The tick source brackets its delivery with these; nested ticks (inside a yield) end
// their own frame too, so a long handler does not hold the screen back.
void beginTick();
void endTick();
bool insideTick();

} // namespace tarvo::forms
