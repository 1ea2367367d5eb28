#include "forms/ticksource.h"

#include "forms/frame.h"
#include "forms/framelock.h"
#include "forms/framethread.h"
#include "forms/timer.h"
#include "forms/yield.h"

#include <QTimerEvent>
#include <QVarLengthArray>

#include <algorithm>

namespace tarvo::forms {

namespace {
constexpr qint64 TicksPerSecond = 64;
constexpr qint64 NsPerMs = 1'000'000;
} // namespace

TickSource::TickSource() {
    m_clock.start();
}

TickSource::~TickSource() = default;

TickSource& TickSource::instance() {
    // Lives for the whole run; never destroyed, so no timer outlives its dispatcher.
    static TickSource* const source = new TickSource;
    return *source;
}

qint64 TickSource::periodTicks(int milliseconds) {
    return std::max<qint64>(1, (qint64(milliseconds) * TicksPerSecond + 999) / 1000);
}

qint64 TickSource::currentTick() const {
    return m_clock.nsecsElapsed() / TickNs;
}

void TickSource::start(Timer* timer, int milliseconds) {
    const FrameLock::Hold hold;
    stop(timer);
    const qint64 dueAt = m_clock.nsecsElapsed() + qint64(milliseconds) * NsPerMs;
    const qint64 due = (dueAt + TickNs - 1) / TickNs;
    m_entries.insert(m_entries.begin(),
                     Entry{timer, due, periodTicks(milliseconds), timer->isFrameTimer()});
    arm();
}

void TickSource::stop(Timer* timer) {
    const FrameLock::Hold hold;
    std::erase_if(m_entries, [timer](const Entry& e) { return e.timer == timer || !e.timer; });
    arm();
}

void TickSource::setFrameThreadEnabled(bool enabled) {
    const FrameLock::Hold hold;
    if (enabled == frameThreadEnabled())
        return;
    if (enabled) {
        const auto epoch =
            FrameThread::Clock::now() - std::chrono::nanoseconds(m_clock.nsecsElapsed());
        m_frames = std::make_unique<FrameThread>([this](qint64 tick) { deliverFrames(tick); },
                                                 epoch, std::chrono::nanoseconds(TickNs));
    } else {
        // The thread may be waiting for the lock to run a tick: it must get it to end.
        std::unique_ptr<FrameThread> frames = std::move(m_frames);
        const FrameLock::Release release;
        frames.reset();
    }
    arm();
}

void TickSource::deliver(qint64 tick) {
    const FrameLock::Hold hold;
    fireDue(tick, false);
}

void TickSource::deliverFrames(qint64 tick) {
    const FrameLock::Hold hold;
    fireDue(tick, true);
}

void TickSource::fireDue(qint64 tick, bool frames) {
    // Taken first: handlers may start and stop timers, and a yield inside one may
    // deliver the next tick before this one is done. On the stack: this runs every tick.
    QVarLengthArray<QPointer<Timer>, 8> due;
    for (Entry& e : m_entries) {
        if (!e.timer || e.due > tick || onFrames(e) != frames)
            continue;
        due.push_back(e.timer);
        // Ticks missed meanwhile are not made up: the next one is a whole period on.
        e.due += e.period;
        if (e.due <= tick)
            e.due = tick + e.period;
    }
    ++m_deliveries;
    // Armed before the handlers run, so that ticks keep coming while one of them yields
    // (the frame thread's never do).
    if (!frames)
        arm();
    beginTick();
    for (const QPointer<Timer>& timer : due)
        if (timer)
            timer->fire();
    endTick();
    arm();
}

void TickSource::timerEvent(QTimerEvent* event) {
    if (event->timerId() != m_wake.timerId())
        return;
    const FrameLock::Hold hold;
    noteSourcesLooked();
    const qint64 tick = std::max(currentTick(), m_armedTick);
    m_wake.stop();
    m_armedTick = -1;
    deliver(tick);
}

void TickSource::arm() {
    qint64 next = -1;
    qint64 nextFrame = -1;
    for (const Entry& e : m_entries) {
        if (!e.timer)
            continue;
        qint64& n = onFrames(e) ? nextFrame : next;
        if (n < 0 || e.due < n)
            n = e.due;
    }
    if (m_frames)
        m_frames->schedule(nextFrame);
    if (next == m_armedTick && (next < 0 || m_wake.isActive()))
        return;
    // The window's timer belongs to the window thread: a frame handler that starts or
    // stops a timer has it armed there.
    if (onFrameThread()) {
        QMetaObject::invokeMethod(
            this,
            [this] {
                const FrameLock::Hold hold;
                arm();
            },
            Qt::QueuedConnection);
        return;
    }
    m_armedTick = next;
    if (next < 0) {
        m_wake.stop();
        return;
    }
    const qint64 waitNs = std::max<qint64>(0, next * TickNs - m_clock.nsecsElapsed());
    // Rounded up, so the wake-up never comes before the tick.
    m_wake.start(int((waitNs + NsPerMs - 1) / NsPerMs), Qt::PreciseTimer, this);
}

} // namespace tarvo::forms
