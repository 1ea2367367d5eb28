#pragma once

#include <QString>

#include <atomic>
#include <thread>

namespace tarvo::testing {

// A name server on 127.0.0.1, port 53, inside a network namespace, that takes every UDP
// query and never answers: a captive or half-up network, a resolver behind a dead VPN.
// Or one that loses queries: it answers only every answerEvery-th, with 127.0.0.1 for an
// address query, as a name server over a lossy link would.
class SilentNameServer final {
public:
    // netns: the namespace's ip-netns name; its loopback interface must be up.
    // answerEvery: 0 never answers, 2 answers the second query, the fourth, and so on.
    explicit SilentNameServer(const QString& netns, int answerEvery = 0);
    ~SilentNameServer();
    SilentNameServer(const SilentNameServer&) = delete;
    SilentNameServer& operator=(const SilentNameServer&) = delete;

    bool isValid() const { return m_fd >= 0; }
    const QString& error() const { return m_error; }
    // How many queries have arrived (answered or dropped).
    int queries() const { return m_queries.load(); }

private:
    void serve();
    void answer(const unsigned char* query, long size, const void* from, unsigned fromSize);

    const int m_answerEvery;
    int m_fd = -1;
    int m_stopFd = -1;
    QString m_error;
    std::atomic<int> m_queries{0};
    std::thread m_thread;
};

} // namespace tarvo::testing
