#include "forms/ticksource.h"

#include "forms/frame.h"
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
    stop(timer);
    const qint64 dueAt = m_clock.nsecsElapsed() + qint64(milliseconds) * NsPerMs;
    const qint64 due = (dueAt + TickNs - 1) / TickNs;
    m_entries.insert(m_entries.begin(), Entry{timer, due, periodTicks(milliseconds)});
    arm();
}

void TickSource::stop(Timer* timer) {
    std::erase_if(m_entries, [timer](const Entry& e) { return e.timer == timer || !e.timer; });
    arm();
}

void TickSource::deliver(qint64 tick) {
    // Taken first: handlers may start and stop timers, and a yield inside one may
    // deliver the next tick before this one is done. On the stack: this runs every tick.
    QVarLengthArray<QPointer<Timer>, 8> due;
    for (Entry& e : m_entries) {
        if (!e.timer || e.due > tick)
            continue;
        due.push_back(e.timer);
        // Ticks missed meanwhile are not made up: the next one is a whole period on.
        e.due += e.period;
        if (e.due <= tick)
            e.due = tick + e.period;
    }
    ++m_deliveries;
    // Armed before the handlers run, so that ticks keep coming while one of them yields.
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
    noteSourcesLooked();
    const qint64 tick = std::max(currentTick(), m_armedTick);
    m_wake.stop();
    m_armedTick = -1;
    deliver(tick);
}

void TickSource::arm() {
    qint64 next = -1;
    for (const Entry& e : m_entries)
        if (e.timer && (next < 0 || e.due < next))
            next = e.due;
    if (next == m_armedTick && (next < 0 || m_wake.isActive()))
        return;
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
