#pragma once

#include <QElapsedTimer>
#include <QTimer>

#include <algorithm>
#include <ctime>

// The longest time the thread went without returning to its event loop: a timer due every
// millisecond, and the longest time between two of its ticks, in wall time and in the
// thread's own CPU time (what other processes on a busy machine cannot add to), between
// start() and stop(); the longest is kept across several such stretches.
class LoopGap final {
public:
    LoopGap() {
        m_beat.setTimerType(Qt::PreciseTimer);
        QObject::connect(&m_beat, &QTimer::timeout, [this] {
            const qint64 now = m_clock.nsecsElapsed();
            const qint64 nowCpu = threadCpuNs();
            m_longest = std::max(m_longest, now - m_last);
            m_longestCpu = std::max(m_longestCpu, nowCpu - m_lastCpu);
            m_last = now;
            m_lastCpu = nowCpu;
        });
    }
    // Starts the clock (the measured stretch) and the beat.
    const QElapsedTimer& start() {
        m_last = 0;
        m_lastCpu = threadCpuNs();
        m_beat.start(1);
        m_clock.start();
        return m_clock;
    }
    void stop() { m_beat.stop(); }
    double longestMs() const { return double(m_longest) / 1e6; }
    double longestCpuMs() const { return double(m_longestCpu) / 1e6; }

    static qint64 threadCpuNs() {
        timespec now{};
        clock_gettime(CLOCK_THREAD_CPUTIME_ID, &now);
        return qint64(now.tv_sec) * 1000000000 + now.tv_nsec;
    }

private:
    QTimer m_beat;
    QElapsedTimer m_clock;
    qint64 m_last = 0;
    qint64 m_lastCpu = 0;
    qint64 m_longest = 0;
    qint64 m_longestCpu = 0;
};
