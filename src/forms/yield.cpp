#include "forms/yield.h"

#include "forms/framelock.h"
#include "forms/framethread.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QTimer>

namespace tarvo::forms {

namespace {
// A yield this soon after the message loop last looked at its sources (sockets, the
// window system, timers) could only find what arrived in these few microseconds, which
// the loop takes as promptly once the handler returns: it delivers what was posted
// meanwhile and spares the poll. A handler that runs longer still polls once a window.
constexpr qint64 FreshNs = 1'000'000;

struct YieldState {
    std::function<void()> handler;
    QElapsedTimer clock;
    qint64 lookedAt = -1;
};

YieldState& state() {
    static YieldState s;
    return s;
}

qint64 now() {
    YieldState& s = state();
    if (!s.clock.isValid())
        s.clock.start();
    return s.clock.nsecsElapsed();
}
} // namespace

void doEvents() {
    // A frame thread has no messages of its own, and the window's are not its to run.
    if (onFrameThread())
        return;
    YieldState& s = state();
    // Copied so that a handler may replace itself while it runs.
    if (const auto handler = s.handler) {
        handler();
        return;
    }
    // Frames run meanwhile, as timers due would in a yield.
    const FrameLock::Release release;
    if (s.lookedAt >= 0 && now() - s.lookedAt < FreshNs) {
        QCoreApplication::sendPostedEvents();
        return;
    }
    QCoreApplication::processEvents();
    s.lookedAt = now();
}

void noteSourcesLooked() {
    state().lookedAt = now();
}

bool waitWithMessages(const std::function<bool()>& ready,
                      std::optional<std::chrono::steady_clock::time_point> deadline) {
    QTimer timer;
    bool expired = false;
    if (deadline) {
        using namespace std::chrono;
        timer.setSingleShot(true);
        timer.setTimerType(Qt::PreciseTimer);
        QObject::connect(&timer, &QTimer::timeout, [&expired] { expired = true; });
        const auto left = duration_cast<milliseconds>(*deadline - steady_clock::now());
        timer.start(std::max(left, milliseconds(0)));
    }
    const FrameLock::Release release;
    while (!ready() && !expired)
        QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents);
    return ready();
}

void setYieldHandler(std::function<void()> handler) {
    state().handler = std::move(handler);
}

} // namespace tarvo::forms
