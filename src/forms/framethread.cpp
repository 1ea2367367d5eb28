#include "forms/framethread.h"

#include <QMetaObject>
#include <QObject>

#include <algorithm>

namespace tarvo::forms {

namespace {
thread_local bool t_onFrameThread = false;

// How many ticks on from the last one run the thread sleeps through to the next without
// waiting on its schedule: a schedule that changes meanwhile is seen at most that late.
constexpr int NearTicks = 2;
} // namespace

FrameThread::FrameThread(std::function<void(qint64)> deliver, Clock::time_point epoch,
                         std::chrono::nanoseconds tickLength)
    : m_deliver(std::move(deliver))
    , m_epoch(epoch)
    , m_tickLength(tickLength)
    , m_thread([this] { run(); }) {}

FrameThread::~FrameThread() {
    {
        const std::lock_guard lock(m_mutex);
        m_quit = true;
    }
    m_wake.notify_one();
    m_thread.join();
}

void FrameThread::schedule(qint64 tick) {
    {
        const std::lock_guard lock(m_mutex);
        if (m_next == tick)
            return;
        m_next = tick;
    }
    m_wake.notify_one();
}

void FrameThread::run() {
    t_onFrameThread = true;
    std::unique_lock lock(m_mutex);
    qint64 last = -1; // the tick run last
    for (;;) {
        m_wake.wait(lock, [this] { return m_quit || m_next >= 0; });
        if (m_quit)
            return;
        const qint64 tick = m_next;
        // An absolute time, as a periodic timer keeps: a late wake-up does not push the
        // ticks after it.
        const Clock::time_point at = m_epoch + tick * m_tickLength;
        qint64 current = tick; // the tick it is when the thread runs it
        if (last < 0 || tick - last > NearTicks) {
            // Far off: a wait that a new schedule or the end cuts short.
            m_wake.wait_until(lock, at, [&] { return m_quit || m_next != tick; });
            current = std::max(tick, qint64((Clock::now() - m_epoch) / m_tickLength));
        } else if (const Clock::time_point now = Clock::now(); now < at) {
            // The next tick or the one after, as nearly always: a plain sleep, which
            // spares the condition's locking and the wake-up it would send on leaving.
            lock.unlock();
            std::this_thread::sleep_for(at - now);
            lock.lock();
        } else {
            // Late (the window thread held the frames back): the ticks missed are not
            // made up.
            current = (now - m_epoch) / m_tickLength;
        }
        if (m_quit || m_next != tick)
            continue; // rescheduled meanwhile, or ending
        lock.unlock();
        m_deliver(current);
        last = current;
        lock.lock();
    }
}

bool onFrameThread() {
    return t_onFrameThread;
}

void runOnWindowThread(QObject* context, std::function<void()> f) {
    if (!t_onFrameThread) {
        f();
        return;
    }
    QMetaObject::invokeMethod(context, std::move(f), Qt::QueuedConnection);
}

} // namespace tarvo::forms
