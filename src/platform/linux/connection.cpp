#include "platform/connection.h"

#include "platform/linux/netlink.h"
#include "platform/linux/nmname.h"
#include "platform/linux/routes.h"
#include "runtime/codepage.h"

#include <QString>

#include <linux/if.h>
#include <linux/if_arp.h>
#include <sys/socket.h>
#include <unistd.h>

#include <algorithm>
#include <array>
#include <cerrno>
#include <cstring>
#include <map>
#include <optional>
#include <vector>

namespace tarvo::platform {

namespace {

struct Link {
    QString name;
    unsigned type = 0;
    unsigned flags = 0;
    int operstate = IF_OPER_UNKNOWN;
};

void readLink(const nlmsghdr& message, std::map<int, Link>& links) {
    if (message.nlmsg_type != RTM_NEWLINK || message.nlmsg_len < NLMSG_LENGTH(sizeof(ifinfomsg)))
        return;
    ifinfomsg header;
    std::memcpy(&header, NLMSG_DATA(&message), sizeof header);
    Link link;
    link.type = header.ifi_type;
    link.flags = header.ifi_flags;
    linux_::forEachAttribute(message, sizeof(ifinfomsg), [&](const rtattr& attribute) {
        if (attribute.rta_type == IFLA_IFNAME) {
            const auto* text = static_cast<const char*>(linux_::attributeData(attribute));
            link.name = QString::fromLocal8Bit(
                text, qsizetype(qstrnlen(text, linux_::attributeLength(attribute))));
        } else if (attribute.rta_type == IFLA_OPERSTATE) {
            link.operstate = linux_::scalar<quint8>(attribute);
        }
    });
    links[header.ifi_index] = link;
}

bool isUp(const Link& link) {
    // Virtual interfaces without carrier tracking report "unknown" while working.
    return (link.flags & IFF_UP) != 0 &&
           (link.operstate == IF_OPER_UP || link.operstate == IF_OPER_UNKNOWN);
}

// Tells whether routes or links may have changed since it was last asked. It listens to
// the kernel's route and link notifications on a socket nobody polls, so it wakes no one;
// the queue is only emptied when asked.
class RouteWatch final {
public:
    RouteWatch() {
        m_fd = ::socket(AF_NETLINK, SOCK_RAW | SOCK_CLOEXEC | SOCK_NONBLOCK, NETLINK_ROUTE);
        if (m_fd < 0)
            return;
        sockaddr_nl address{};
        address.nl_family = AF_NETLINK;
        address.nl_groups = RTMGRP_LINK | RTMGRP_IPV4_ROUTE | RTMGRP_IPV6_ROUTE;
        if (::bind(m_fd, reinterpret_cast<const sockaddr*>(&address), sizeof address) != 0) {
            ::close(m_fd);
            m_fd = -1;
        }
    }
    ~RouteWatch() {
        if (m_fd >= 0)
            ::close(m_fd);
    }
    RouteWatch(const RouteWatch&) = delete;
    RouteWatch& operator=(const RouteWatch&) = delete;

    // True when anything was announced, or when it cannot tell (no socket, notifications
    // lost to a full queue).
    bool changed() {
        if (m_fd < 0)
            return true;
        bool any = false;
        std::array<char, 8192> buffer;
        for (;;) {
            const ssize_t n = ::recv(m_fd, buffer.data(), buffer.size(), MSG_DONTWAIT);
            if (n > 0) {
                any = true;
                continue;
            }
            if (n < 0 && errno == EINTR)
                continue;
            if (n < 0 && (errno == EAGAIN || errno == EWOULDBLOCK))
                return any;
            return true;
        }
    }

private:
    int m_fd = -1;
};

// What the tables said at the last look.
struct Answer {
    bool complete = false; // both tables were read
    bool connected = false;
    quint32 flags = 0;
    QString linkName;
};

// Connected when a default route of the main table leaves through an interface that is up.
// The tables are read again only after the kernel announced a change to them: asked once
// a second, they seldom differ.
class RouteConnectionSource final : public IConnectionSource {
public:
    bool query(quint32& flags, std::span<char> name) override;

private:
    Answer evaluate();
    std::optional<std::map<int, Link>> readLinks();

    RouteWatch m_watch; // before the first read, so no change after it is missed
    linux_::NetlinkSocket m_socket;
    NetworkManagerNames m_names;
    Answer m_answer;
};

std::optional<std::map<int, Link>> RouteConnectionSource::readLinks() {
    ifinfomsg request{};
    request.ifi_family = AF_UNSPEC;
    return readTable<std::map<int, Link>>(m_socket, RTM_GETLINK, request, readLink);
}

Answer RouteConnectionSource::evaluate() {
    Answer answer;
    const std::optional<linux_::Routes> routes = linux_::readMainRoutes(m_socket);
    if (!routes)
        return answer;
    if (routes->any)
        answer.flags |= connflag::Configured;
    if (routes->defaults.empty()) {
        answer.complete = true;
        return answer;
    }
    const std::optional<std::map<int, Link>> links = readLinks();
    if (!links)
        return answer;
    answer.complete = true;

    // IPv4 before IPv6, then the route the kernel prefers (lowest metric).
    std::vector<linux_::DefaultRoute> defaults = routes->defaults;
    std::stable_sort(defaults.begin(), defaults.end(),
                     [](const linux_::DefaultRoute& a, const linux_::DefaultRoute& b) {
                         if ((a.family == AF_INET) != (b.family == AF_INET))
                             return a.family == AF_INET;
                         return a.priority < b.priority;
                     });
    const Link* chosen = nullptr;
    for (const linux_::DefaultRoute& route : defaults) {
        const auto found = links->find(route.ifindex);
        if (found != links->end() && isUp(found->second)) {
            chosen = &found->second;
            break;
        }
    }
    if (chosen == nullptr)
        return answer;
    answer.connected = true;
    answer.flags |= chosen->type == ARPHRD_PPP ? connflag::Modem : connflag::Lan;
    answer.linkName = chosen->name;
    return answer;
}

bool RouteConnectionSource::query(quint32& flags, std::span<char> name) {
    flags = 0;
    if (!name.empty())
        name[0] = '\0';

    // Emptied first: a change announced while the tables are read is seen next time.
    const bool changed = m_watch.changed();
    if (changed || !m_answer.complete)
        m_answer = evaluate();
    flags = m_answer.flags;
    if (!m_answer.connected)
        return false;

    // The connection's name is asked for every time, as it may change on its own.
    QString label = m_names.connectionName(m_answer.linkName).value_or(m_answer.linkName);
    const QByteArray bytes = runtime::toAnsiField(label, int(name.size()));
    std::copy(bytes.begin(), bytes.end(), name.begin());
    if (size_t(bytes.size()) < name.size())
        name[size_t(bytes.size())] = '\0';
    return true;
}

} // namespace

std::unique_ptr<IConnectionSource> createConnectionSource() {
    return std::make_unique<RouteConnectionSource>();
}

} // namespace tarvo::platform
