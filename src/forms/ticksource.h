#pragma once

#include <QBasicTimer>
#include <QElapsedTimer>
#include <QObject>
#include <QPointer>

#include <vector>

namespace tarvo::forms {

class Timer;

// The system clock that drives every form timer: one wake-up per 1/64 s tick at most,
// and only on ticks where some timer is due. All timers due on a tick fire in that one
// wake-up, in the order the message loop delivers them: the window system keeps its
// timers in a list where a newly set timer goes first, and hands out the first ready
// one it finds, so the most recently started timer fires first.
class TickSource final : public QObject {
public:
    static constexpr qint64 TickNs = 15'625'000; // 1/64 s

    static TickSource& instance();

    // (Re)starts a timer: it falls due on the first tick at or after `milliseconds` from
    // now, then every whole number of ticks that covers its interval.
    void start(Timer* timer, int milliseconds);
    void stop(Timer* timer);

    // Delivers tick `tick`: fires every timer due on it or before. The clock does this
    // itself; tests call it to step time.
    void deliver(qint64 tick);

    qint64 currentTick() const;
    // Ticks delivered so far: the wake-ups this source has caused.
    qint64 deliveries() const { return m_deliveries; }
    // The tick the source is armed for; -1 when no timer runs.
    qint64 armedTick() const { return m_armedTick; }

    // Ticks a timer of that interval waits between firings.
    static qint64 periodTicks(int milliseconds);

protected:
    void timerEvent(QTimerEvent* event) override;

private:
    TickSource();
    void arm();

    struct Entry {
        QPointer<Timer> timer;
        qint64 due = 0;
        qint64 period = 1;
    };

    std::vector<Entry> m_entries; // delivery order: most recently started first
    QElapsedTimer m_clock;
    QBasicTimer m_wake;
    qint64 m_armedTick = -1;
    qint64 m_deliveries = 0;
};

} // namespace tarvo::forms
