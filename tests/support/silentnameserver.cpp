#include "support/silentnameserver.h"

#include "support/scratchnetns.h"

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

SilentNameServer::SilentNameServer(const QString& netns, int answerEvery)
    : m_answerEvery(answerEvery) {
    m_stopFd = ::eventfd(0, EFD_CLOEXEC | EFD_NONBLOCK);
    // The namespace is a property of the thread: the socket is made in the serving
    // thread after it has entered the namespace.
    std::promise<QString> ready;
    auto started = ready.get_future();
    m_thread = std::thread([this, &ready, netns] {
        if (const QString why = enterNetns(netns); !why.isEmpty()) {
            ready.set_value(why);
            return;
        }
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
            unsigned char query[512];
            sockaddr_in from{};
            socklen_t fromSize = sizeof from;
            const auto size = ::recvfrom(m_fd, query, sizeof query, 0,
                                         reinterpret_cast<sockaddr*>(&from), &fromSize);
            if (size < 0)
                continue;
            const int count = ++m_queries;
            if (m_answerEvery > 0 && count % m_answerEvery == 0)
                answer(query, size, &from, fromSize);
        }
    }
}

// The reply to a query with one question: 127.0.0.1 when it asks for an address (type A,
// class IN), otherwise no records.
void SilentNameServer::answer(const unsigned char* query, long size, const void* from,
                              unsigned fromSize) {
    constexpr long Header = 12;
    long end = Header; // past the question: its name, then type and class
    while (end < size && query[end] != 0)
        end += query[end] + 1;
    end += 1 + 4;
    if (size < Header || end > size)
        return;
    const bool askingForAddress =
        query[end - 4] == 0 && query[end - 3] == 1 && query[end - 2] == 0 && query[end - 1] == 1;
    unsigned char reply[512 + 16];
    std::memcpy(reply, query, size_t(end));
    reply[2] = 0x80 | (query[2] & 0x01); // a response; recursion desired as asked
    reply[3] = 0x80;                     // recursion available, no error
    reply[4] = 0, reply[5] = 1;          // one question
    reply[6] = 0, reply[7] = askingForAddress ? 1 : 0;
    std::memset(reply + 8, 0, 4); // no authority or additional records
    long length = end;
    if (askingForAddress) {
        const unsigned char record[] = {0xC0, 0x0C,          // the question's name
                                        0,    1,    0,   1,  // A, IN
                                        0,    0,    0,   60, // time to live
                                        0,    4,    127, 0,  0, 1};
        std::memcpy(reply + length, record, sizeof record);
        length += sizeof record;
    }
    ::sendto(m_fd, reply, size_t(length), 0, static_cast<const sockaddr*>(from), fromSize);
}

} // namespace tarvo::testing
