#include "support/silentnameserver.h"

#include <arpa/inet.h>
#include <fcntl.h>
#include <netinet/in.h>
#include <poll.h>
#include <sched.h>
#include <sys/eventfd.h>
#include <sys/socket.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <future>

namespace tarvo::testing {

SilentNameServer::SilentNameServer(const QString& netns) {
    m_stopFd = ::eventfd(0, EFD_CLOEXEC | EFD_NONBLOCK);
    // The namespace is a property of the thread: the socket is made in the serving
    // thread after it has entered the namespace.
    std::promise<QString> ready;
    auto started = ready.get_future();
    m_thread = std::thread([this, &ready, netns] {
        const int nsFd =
            ::open(("/run/netns/" + netns.toLocal8Bit()).constData(), O_RDONLY | O_CLOEXEC);
        if (nsFd < 0 || ::setns(nsFd, CLONE_NEWNET) != 0) {
            const QString why = QStringLiteral("cannot enter the namespace: ") + strerror(errno);
            if (nsFd >= 0)
                ::close(nsFd);
            ready.set_value(why);
            return;
        }
        ::close(nsFd);
        const int fd = ::socket(AF_INET, SOCK_DGRAM | SOCK_CLOEXEC, 0);
        sockaddr_in address{};
        address.sin_family = AF_INET;
        address.sin_port = htons(53);
        address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        if (fd < 0 || ::bind(fd, reinterpret_cast<sockaddr*>(&address), sizeof address) != 0) {
            const QString why = QStringLiteral("cannot bind 127.0.0.1:53: ") + strerror(errno);
            if (fd >= 0)
                ::close(fd);
            ready.set_value(why);
            return;
        }
        m_fd = fd;
        ready.set_value({});
        serve();
    });
    m_error = started.get();
    if (m_stopFd < 0)
        m_error = QStringLiteral("no eventfd");
}

SilentNameServer::~SilentNameServer() {
    const quint64 one = 1;
    if (m_stopFd >= 0) [[maybe_unused]]
        const auto written = ::write(m_stopFd, &one, sizeof one);
    if (m_thread.joinable())
        m_thread.join();
    if (m_fd >= 0)
        ::close(m_fd);
    if (m_stopFd >= 0)
        ::close(m_stopFd);
}

void SilentNameServer::serve() {
    for (;;) {
        pollfd waits[2] = {{m_fd, POLLIN, 0}, {m_stopFd, POLLIN, 0}};
        if (::poll(waits, 2, -1) < 0 && errno != EINTR)
            return;
        if (waits[1].revents != 0)
            return;
        if (waits[0].revents & POLLIN) {
            char query[512];
            if (::recv(m_fd, query, sizeof query, 0) >= 0)
                ++m_queries;
        }
    }
}

} // namespace tarvo::testing
