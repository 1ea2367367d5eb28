#include "forms/frame.h"

#include <QCoreApplication>
#include <QMetaObject>

namespace tarvo::forms {

namespace {
struct FrameState {
    std::function<void()> handler;
    int tickDepth = 0;
    bool posted = false;
};

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
    if (s.tickDepth > 0 || s.posted || !QCoreApplication::instance())
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
    ++state().tickDepth;
}

void endTick() {
    --state().tickDepth;
    endFrame();
}

bool insideTick() {
    return state().tickDepth > 0;
}

} // namespace tarvo::forms
