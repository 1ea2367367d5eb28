#pragma once

#include <QString>

#include <atomic>
#include <chrono>
#include <thread>

namespace tarvo::testing {

// Answers the ICMP echo requests that reach a TUN device in a network namespace, each
// after a fixed delay, or drops them all. Stands in for a slow or dead host where the
// kernel offers no netem queue.
class DelayedEchoResponder final {
public:
    // Makes the TUN device `device` inside the namespace `netns` (by its ip-netns name).
    DelayedEchoResponder(const QString& netns, const QString& device,
                         std::chrono::milliseconds delay, bool dropAll);
    ~DelayedEchoResponder();
    DelayedEchoResponder(const DelayedEchoResponder&) = delete;
    DelayedEchoResponder& operator=(const DelayedEchoResponder&) = delete;

    bool isValid() const { return m_fd >= 0; }
    const QString& error() const { return m_error; }
    int answered() const { return m_answered.load(); }

private:
    void serve();

    int m_fd = -1;
    std::chrono::milliseconds m_delay;
    bool m_dropAll;
    QString m_error;
    std::atomic<bool> m_stop{false};
    std::atomic<int> m_answered{0};
    std::thread m_thread;
};

} // namespace tarvo::testing
