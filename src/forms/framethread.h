#pragma once

#include <QtGlobal>

#include <chrono>
#include <condition_variable>
#include <functional>
#include <mutex>
#include <thread>

class QObject;

namespace tarvo::forms {

// A thread that runs clock ticks as the window system's timer would, woken at the tick
// it is scheduled for and at no other time: idle while nothing is scheduled, as a hidden
// window's frames are. What runs on it takes the frame lock itself.
class FrameThread final {
public:
    using Clock = std::chrono::steady_clock;

    // deliver(tick) runs on the thread with the tick it is then (later than the one
    // scheduled when the thread was held back); tick k falls at epoch + k * tickLength.
    FrameThread(std::function<void(qint64)> deliver, Clock::time_point epoch,
                std::chrono::nanoseconds tickLength);
    ~FrameThread();
    FrameThread(const FrameThread&) = delete;
    FrameThread& operator=(const FrameThread&) = delete;

    // The next tick to run; -1 for none. From any thread.
    void schedule(qint64 tick);

private:
    void run();

    const std::function<void(qint64)> m_deliver;
    const Clock::time_point m_epoch;
    const std::chrono::nanoseconds m_tickLength;
    std::mutex m_mutex;
    std::condition_variable m_wake;
    qint64 m_next = -1;
    bool m_quit = false;
    std::thread m_thread; // last: starts once the fields above are set
};

// True on a frame thread, where nothing may touch a widget or another object of the
// window thread's but the frames' own surfaces and presenters.
bool onFrameThread();

// Runs f now on the window thread; from a frame thread, posts it there (dropped if
// context is gone by then).
void runOnWindowThread(QObject* context, std::function<void()> f);

} // namespace tarvo::forms
