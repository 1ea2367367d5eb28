#include "sandbox/linux/brokerserver.h"

#include "sandbox/linux/landlock.h"
#include "sandbox/linux/syscallfilter.h"

#include <cerrno>
#include <csignal>
#include <cstdlib>
#include <cstring>
#include <netdb.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/prctl.h>
#include <sys/socket.h>
#include <unistd.h>

namespace tarvo::sandbox {
namespace {

// One request being served: the address being tried, and why the last one failed.
struct Attempt {
    int id;
    const addrinfo* address;
    int fd;
    int error;
};

// Connections being made at once; more requests wait in the channel.
constexpr int MaxAttempts = 64;

void reply(int channel, BrokerReply answer, int connection) {
    iovec part{&answer, sizeof answer};
    msghdr message{};
    message.msg_iov = &part;
    message.msg_iovlen = 1;
    alignas(cmsghdr) char control[CMSG_SPACE(sizeof(int))]{};
    if (connection >= 0) {
        message.msg_control = control;
        message.msg_controllen = sizeof control;
        cmsghdr* header = CMSG_FIRSTHDR(&message);
        header->cmsg_level = SOL_SOCKET;
        header->cmsg_type = SCM_RIGHTS;
        header->cmsg_len = CMSG_LEN(sizeof(int));
        std::memcpy(CMSG_DATA(header), &connection, sizeof connection);
    }
    ::sendmsg(channel, &message, MSG_NOSIGNAL);
}

// Starts connecting to the attempt's address or the next that takes it; false when
// none is left (attempt.error says why).
bool start(Attempt& attempt) {
    for (; attempt.address; attempt.address = attempt.address->ai_next) {
        const addrinfo& to = *attempt.address;
        attempt.fd =
            ::socket(to.ai_family, SOCK_STREAM | SOCK_NONBLOCK | SOCK_CLOEXEC, IPPROTO_TCP);
        if (attempt.fd < 0) {
            attempt.error = errno;
            continue;
        }
        if (::connect(attempt.fd, to.ai_addr, to.ai_addrlen) == 0 || errno == EINPROGRESS)
            return true;
        attempt.error = errno;
        ::close(attempt.fd);
    }
    return false;
}

// An attempt whose socket has an answer: the connection handed over, or the next
// address tried. False when the attempt is over.
bool finish(int channel, Attempt& attempt) {
    int error = 0;
    socklen_t size = sizeof error;
    if (::getsockopt(attempt.fd, SOL_SOCKET, SO_ERROR, &error, &size) != 0)
        error = errno;
    // Connected: asked once more, the socket itself takes the connection as made for good
    // (without it, once the origin has closed, a send that opens a connection on the way
    // could aim it anywhere).
    if (error == 0 &&
        ::connect(attempt.fd, attempt.address->ai_addr, attempt.address->ai_addrlen) != 0 &&
        errno != EISCONN)
        error = errno;
    if (error == 0) {
        reply(channel, {attempt.id, 0}, attempt.fd);
        ::close(attempt.fd);
        return false;
    }
    ::close(attempt.fd);
    attempt.error = error;
    attempt.address = attempt.address->ai_next;
    if (start(attempt))
        return true;
    reply(channel, {attempt.id, attempt.error}, -1);
    return false;
}

} // namespace

void serveConnections(int channel, const char* host, const char* port, pid_t helper, int budget) {
    ::prctl(PR_SET_PDEATHSIG, SIGKILL);
    if (::getppid() != helper)
        ::_exit(0); // the helper ended before the line above
    // It holds nothing of the helper's but its end of the channel.
    if (channel > 0)
        ::close_range(0, unsigned(channel) - 1, 0);
    ::close_range(unsigned(channel) + 1, ~0U, 0);

    addrinfo hints{};
    hints.ai_socktype = SOCK_STREAM;
    hints.ai_protocol = IPPROTO_TCP;
    addrinfo* addresses = nullptr;
    const bool found = ::getaddrinfo(host, port, &hints, &addresses) == 0;
    // Its own sandbox, the helper's left behind at the fork: no file, TCP to the origin's
    // port alone where Landlock can say so, and its short list of system calls.
    if (::prctl(PR_SET_NO_NEW_PRIVS, 1, 0, 0, 0) != 0 ||
        restrictBroker(quint16(std::atoi(port))) < 0 || !loadBrokerFilter())
        ::_exit(1);

    Attempt attempts[MaxAttempts];
    pollfd waits[MaxAttempts + 1];
    int count = 0;
    for (;;) {
        waits[0] = {channel, short(count < MaxAttempts ? POLLIN : 0), 0};
        for (int i = 0; i < count; ++i)
            waits[i + 1] = {attempts[i].fd, POLLOUT, 0};
        if (::poll(waits, nfds_t(count + 1), -1) < 0) {
            if (errno == EINTR)
                continue;
            ::_exit(1);
        }
        // From the last, so that one moved into a finished one's place was seen already.
        for (int i = count - 1; i >= 0; --i) {
            if (waits[i + 1].revents && !finish(channel, attempts[i]))
                attempts[i] = attempts[--count];
        }
        if (waits[0].revents & (POLLHUP | POLLERR))
            ::_exit(0); // the helper has gone
        if (!(waits[0].revents & POLLIN))
            continue;
        BrokerRequest request;
        const ssize_t got = ::recv(channel, &request, sizeof request, 0);
        if (got == 0)
            ::_exit(0);
        if (got != ssize_t(sizeof request))
            continue;
        if (budget == 0) {
            reply(channel, {request.id, OverBudget}, -1);
            continue;
        }
        --budget;
        Attempt attempt{request.id, found ? addresses : nullptr, -1, found ? ECONNREFUSED : NoHost};
        if (start(attempt))
            attempts[count++] = attempt;
        else
            reply(channel, {attempt.id, attempt.error}, -1);
    }
}

} // namespace tarvo::sandbox
