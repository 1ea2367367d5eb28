#pragma once

#include <QBasicTimer>
#include <QElapsedTimer>
#include <QObject>
#include <QPointer>

#include <memory>
#include <vector>

namespace tarvo::forms {

class FrameThread;
class Timer;

// The system clock that drives every form timer: one wake-up per 1/64 s tick at most,
// and only on ticks where some timer is due. All timers due on a tick fire in that one
// wake-up, in the order the message loop delivers them: the window system keeps its
// timers in a list where a newly set timer goes first, and hands out the first ready
// one it finds, so the most recently started timer fires first.
//
// Where the platform lets frames run off the window thread, frame timers fire on a
// frame thread of their own, woken by its own clock and not by the window's message
// loop; the other timers stay with the loop. Everything here is under the frame lock.
class TickSource final : public QObject {
public:
    static constexpr qint64 TickNs = 15'625'000; // 1/64 s

    static TickSource& instance();

    // (Re)starts a timer: it falls due on the first tick at or after `milliseconds` from
    // now, then every whole number of ticks that covers its interval.
    void start(Timer* timer, int milliseconds);
    void stop(Timer* timer);

    // Delivers tick `tick`: fires every timer due on it or before (but frame timers while
    // a frame thread runs them). The clock does this itself; tests call it to step time.
    void deliver(qint64 tick);

    // Frame timers fire on a thread of their own from now on, or again with the others.
    // Only for timers whose handlers touch nothing of the window thread's but surfaces
    // and presenters, and that are connected directly.
    void setFrameThreadEnabled(bool enabled);
    bool frameThreadEnabled() const { return m_frames != nullptr; }

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
    ~TickSource() override;
    void arm();
    // Fires the timers due on `tick` that run where this thread's ticks run.
    void fireDue(qint64 tick, bool frames);
    void deliverFrames(qint64 tick);

    struct Entry {
        QPointer<Timer> timer;
        qint64 due = 0;
        qint64 period = 1;
        bool frame = false;
    };
    // Whether the entry's timer fires on the frame thread rather than the window's.
    bool onFrames(const Entry& e) const { return m_frames && e.frame; }

    std::vector<Entry> m_entries; // delivery order: most recently started first
    QElapsedTimer m_clock;
    QBasicTimer m_wake;
    qint64 m_armedTick = -1;
    qint64 m_deliveries = 0;
    std::unique_ptr<FrameThread> m_frames;
};

} // namespace tarvo::forms
