#pragma once

#include <QString>

#include <atomic>
#include <thread>

namespace tarvo::testing {

// A name server on 127.0.0.1, port 53, inside a network namespace, that takes every UDP
// query and never answers: a captive or half-up network, a resolver behind a dead VPN.
class SilentNameServer final {
public:
    // netns: the namespace's ip-netns name; its loopback interface must be up.
    explicit SilentNameServer(const QString& netns);
    ~SilentNameServer();
    SilentNameServer(const SilentNameServer&) = delete;
    SilentNameServer& operator=(const SilentNameServer&) = delete;

    bool isValid() const { return m_fd >= 0; }
    const QString& error() const { return m_error; }
    // How many queries have arrived (and been dropped).
    int queries() const { return m_queries.load(); }

private:
    void serve();

    int m_fd = -1;
    int m_stopFd = -1;
    QString m_error;
    std::atomic<int> m_queries{0};
    std::thread m_thread;
};

} // namespace tarvo::testing
