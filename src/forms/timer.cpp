#include "forms/timer.h"

#include "forms/ticksource.h"

#include "runtime/errors.h"

#include <QPointer>

namespace tarvo::forms {

namespace {
constexpr int TicksPerSecond = 64; // the system clock's resolution, 1/64 s
constexpr int MaxInterval = 65535;
} // namespace

Timer::Timer(QObject* parent)
    : QObject(parent) {}

Timer::~Timer() {
    TickSource::instance().stop(this);
}

void Timer::setInterval(int milliseconds) {
    if (milliseconds < 0 || milliseconds > MaxInterval)
        runtime::raise(runtime::ErrorCode::InvalidPropertyValue, QStringLiteral("Interval"));
    m_interval = milliseconds;
    restart(); // a new interval starts counting afresh
}

void Timer::setEnabled(bool enabled) {
    if (enabled == m_enabled)
        return;
    m_enabled = enabled;
    restart();
}

void Timer::setFrameTimer(bool frameTimer) {
    if (frameTimer == m_frameTimer)
        return;
    m_frameTimer = frameTimer;
    restart();
}

// A timer falls due on the first clock tick at or after its interval has passed, so the
// interval goes up to a whole number of 1/64 s ticks; the period is that many ticks,
// given to the nearest millisecond: 2 and 8 ms give 16, 20 ms gives 31, 1000 stays 1000.
int Timer::effectiveInterval(int milliseconds) {
    if (milliseconds <= 0)
        return 0;
    const qint64 ticks = TickSource::periodTicks(milliseconds);
    return int((ticks * 1000 + TicksPerSecond / 2) / TicksPerSecond);
}

void Timer::fire() {
    if (!m_enabled || m_interval == 0 || m_handling)
        return;
    m_handling = true;
    // A handler may delete its own timer.
    const QPointer<Timer> self(this);
    struct Reset {
        const QPointer<Timer>& timer;
        ~Reset() {
            if (timer)
                timer->m_handling = false;
        }
    } reset{self};
    emit tick();
}

void Timer::restart() {
    if (m_enabled && m_interval > 0)
        TickSource::instance().start(this, m_interval);
    else
        TickSource::instance().stop(this);
}

} // namespace tarvo::forms
