#include "forms/frame.h"

#include <QCoreApplication>
#include <QMetaObject>

namespace tarvo::forms {

namespace {
struct FrameState {
    std::function<void()> handler;
    bool posted = false;
};

// Each thread that runs ticks ends its own frames.
thread_local int t_tickDepth = 0;

FrameState& state() {
    static FrameState s;
    return s;
}

void endFrame() {
    // Copied, as the handler may replace itself.
    if (const auto handler = state().handler)
        handler();
}
} // namespace

void setFrameEndHandler(std::function<void()> handler) {
    state().handler = std::move(handler);
}

void requestFrameEnd() {
    FrameState& s = state();
    if (t_tickDepth > 0 || s.posted || !QCoreApplication::instance())
        return;
    s.posted = true;
    QMetaObject::invokeMethod(
        QCoreApplication::instance(),
        [] {
            state().posted = false;
            endFrame();
        },
        Qt::QueuedConnection);
}

void beginTick() {
    ++t_tickDepth;
}

void endTick() {
    --t_tickDepth;
    endFrame();
}

bool insideTick() {
    return t_tickDepth > 0;
}

} // namespace tarvo::forms
