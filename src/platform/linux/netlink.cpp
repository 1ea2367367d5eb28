#include "platform/linux/netlink.h"

#include <sys/socket.h>
#include <sys/time.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

namespace tarvo::platform::linux_ {

namespace {

// Large enough for any message a dump sends (the kernel fills up to 32 KiB at a time).
constexpr std::size_t ReceiveBytes = 64 * 1024;

} // namespace

NetlinkSocket::NetlinkSocket() {
    m_fd = ::socket(AF_NETLINK, SOCK_RAW | SOCK_CLOEXEC, NETLINK_ROUTE);
    if (m_fd < 0)
        return;
    // The kernel answers at once; the time-out only guards against a dump that never ends.
    const timeval timeout{1, 0};
    ::setsockopt(m_fd, SOL_SOCKET, SO_RCVTIMEO, &timeout, sizeof timeout);
    // Not cleared: only the pages an answer fills ever become resident.
    m_buffer = std::make_unique_for_overwrite<std::byte[]>(ReceiveBytes);
}

NetlinkSocket::~NetlinkSocket() {
    if (m_fd >= 0)
        ::close(m_fd);
}

bool NetlinkSocket::dump(std::uint16_t type, const void* body, std::size_t bodyLength,
                         const MessageHandler& onMessage) {
    if (m_fd < 0)
        return false;

    const std::uint32_t sequence = ++m_sequence;
    std::vector<std::byte> request(NLMSG_SPACE(bodyLength));
    auto* header = reinterpret_cast<nlmsghdr*>(request.data());
    header->nlmsg_len = NLMSG_LENGTH(bodyLength);
    header->nlmsg_type = type;
    header->nlmsg_flags = NLM_F_REQUEST | NLM_F_DUMP;
    header->nlmsg_seq = sequence;
    header->nlmsg_pid = 0;
    if (bodyLength)
        std::memcpy(NLMSG_DATA(header), body, bodyLength);

    sockaddr_nl kernel{};
    kernel.nl_family = AF_NETLINK;
    ssize_t sent;
    do {
        sent = ::sendto(m_fd, request.data(), header->nlmsg_len, 0,
                        reinterpret_cast<const sockaddr*>(&kernel), sizeof kernel);
    } while (sent < 0 && errno == EINTR);
    if (sent != ssize_t(header->nlmsg_len))
        return false;

    bool ok = true;
    for (;;) {
        iovec part{m_buffer.get(), ReceiveBytes};
        msghdr message{};
        message.msg_iov = &part;
        message.msg_iovlen = 1;
        const ssize_t received = ::recvmsg(m_fd, &message, 0);
        if (received < 0) {
            if (errno == EINTR)
                continue;
            return false;
        }
        if (received == 0 || (message.msg_flags & MSG_TRUNC))
            return false;

        int remaining = int(received);
        for (auto* answer = reinterpret_cast<const nlmsghdr*>(m_buffer.get());
             NLMSG_OK(answer, remaining); answer = NLMSG_NEXT(answer, remaining)) {
            // Answers to an earlier, abandoned request are left behind.
            if (answer->nlmsg_seq != sequence)
                continue;
            if (answer->nlmsg_type == NLMSG_DONE) {
                // A dump that failed part way says so in the status after the header.
                int status = 0;
                if (answer->nlmsg_len >= NLMSG_LENGTH(sizeof status))
                    std::memcpy(&status, NLMSG_DATA(answer), sizeof status);
                return ok && status >= 0;
            }
            if (answer->nlmsg_type == NLMSG_ERROR)
                return false;
            if (answer->nlmsg_flags & NLM_F_DUMP_INTR)
                ok = false;
            onMessage(*answer);
        }
        if (remaining != 0)
            return false;
    }
}

} // namespace tarvo::platform::linux_
