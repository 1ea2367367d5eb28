#pragma once

#include <linux/netlink.h>
#include <linux/rtnetlink.h>

#include <cstddef>
#include <cstdint>
#include <cstring>
#include <functional>
#include <memory>
#include <optional>
#include <vector>

namespace tarvo::platform::linux_ {

// A NETLINK_ROUTE socket that runs dump requests (RTM_GETLINK, RTM_GETROUTE, ...). It is
// kept open between dumps; one object serves one thread.
class NetlinkSocket final {
public:
    NetlinkSocket();
    ~NetlinkSocket();
    NetlinkSocket(const NetlinkSocket&) = delete;
    NetlinkSocket& operator=(const NetlinkSocket&) = delete;

    // False when the kernel refused the socket (no rtnetlink here).
    bool isOpen() const { return m_fd >= 0; }

    using MessageHandler = std::function<void(const nlmsghdr& message)>;

    // Sends a dump request of `type` whose body (the family header, such as ifinfomsg or
    // rtmsg, and any attributes) is `body`, and hands every answer message of this dump to
    // `onMessage`, in order, up to NLMSG_DONE. Returns false on a socket error, an error
    // answer, a truncated message or a dump the kernel marks as interrupted; messages
    // handed over before the failure stay handed over.
    bool dump(std::uint16_t type, const void* body, std::size_t bodyLength,
              const MessageHandler& onMessage);

private:
    int m_fd = -1;
    std::uint32_t m_sequence = 0;
    std::unique_ptr<std::byte[]> m_buffer;
};

// Reads a whole table with a dump request of `type` whose body is `request`, handing
// every answer to read(message, table). A dump that fails or that the kernel marks as
// interrupted (the table changed meanwhile) runs again from the start, three times at
// most; then there is no table.
template <typename Table, typename Request, typename Read>
std::optional<Table> readTable(NetlinkSocket& socket, std::uint16_t type, const Request& request,
                               Read&& read) {
    for (int attempt = 0; attempt < 3; ++attempt) {
        Table table;
        if (socket.dump(type, &request, sizeof request,
                        [&](const nlmsghdr& message) { read(message, table); }))
            return table;
    }
    return std::nullopt;
}

// Walks the attributes that follow a family header of `headerLength` bytes in `message`.
template <typename Visit>
void forEachAttribute(const nlmsghdr& message, std::size_t headerLength, Visit&& visit) {
    const std::size_t offset = NLMSG_LENGTH(headerLength);
    if (message.nlmsg_len < offset)
        return;
    const auto* attribute = reinterpret_cast<const rtattr*>(
        reinterpret_cast<const char*>(&message) + NLMSG_ALIGN(offset));
    int remaining = int(message.nlmsg_len) - int(NLMSG_ALIGN(offset));
    for (; RTA_OK(attribute, remaining); attribute = RTA_NEXT(attribute, remaining))
        visit(*attribute);
}

// Walks the attributes nested in `parent`.
template <typename Visit> void forEachNested(const rtattr& parent, Visit&& visit) {
    const auto* attribute = static_cast<const rtattr*>(RTA_DATA(&parent));
    int remaining = int(RTA_PAYLOAD(&parent));
    for (; RTA_OK(attribute, remaining); attribute = RTA_NEXT(attribute, remaining))
        visit(*attribute);
}

inline const void* attributeData(const rtattr& attribute) {
    return RTA_DATA(&attribute);
}
inline std::size_t attributeLength(const rtattr& attribute) {
    return RTA_PAYLOAD(&attribute);
}

// A fixed-size attribute's value; 0 when the attribute is shorter.
template <typename T> T scalar(const rtattr& attribute) {
    T value{};
    if (attributeLength(attribute) >= sizeof value)
        std::memcpy(&value, attributeData(attribute), sizeof value);
    return value;
}

} // namespace tarvo::platform::linux_
