#include "platform/iftable.h"

#include "platform/ifrow.h"
#include "platform/linux/linkrole.h"
#include "platform/linux/netlink.h"
#include "platform/linux/routes.h"
#include "runtime/codepage.h"

#include <QString>
#include <QtEndian>

#include <fcntl.h>
#include <linux/if.h>
#include <linux/if_arp.h>
#include <linux/if_link.h>
#include <time.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstring>
#include <vector>

// The interface table from rtnetlink: one RTM_GETLINK dump per call, written in the
// system table's byte layout (4-byte row count, 860-byte rows). Counters are the kernel's
// 64-bit counters taken modulo 2^32, as the 32-bit table wraps them; the octet counters
// are also handed over whole (octets64), with each link's role from its attributes
// (linkrole.h) and, when asked, whether it carries a default route.

namespace tarvo::platform {

namespace {

using namespace linux_;

// Any failure other than "no such table" (the answer could not be read).
constexpr quint32 ErrorGenFailure = 31;

// Operational states of the table (MIB_IF_OPER_STATUS).
namespace operstatus {
constexpr quint32 NonOperational = 0; // disabled, or no device present
constexpr quint32 Unreachable = 1;    // in a test mode, not passing traffic
constexpr quint32 Disconnected = 2;   // enabled but no carrier / lower layer down
constexpr quint32 Connecting = 3;     // waiting for an outside event (dormant)
constexpr quint32 Operational = 5;    // passing traffic
} // namespace operstatus

// Speed and the wireless mark come from sysfs, which is slow next to the dump; they are
// read again when the link's name or state changes, or after this many milliseconds.
constexpr qint64 SysfsRefreshMsecs = 10000;

qint64 monotonicMsecs() {
    timespec now{};
    ::clock_gettime(CLOCK_MONOTONIC_COARSE, &now);
    return qint64(now.tv_sec) * 1000 + now.tv_nsec / 1000000;
}

// One link of a dump, in the row's terms.
struct Link {
    int index = 0;
    unsigned short hardwareType = 0;
    unsigned flags = 0;
    quint8 operState = IF_OPER_UNKNOWN;
    QByteArray name;
    quint32 mtu = 0;
    quint8 address[8] = {};
    quint32 addressLength = 0;
    rtnl_link_stats64 stats{};
    bool haveStats64 = false;
    bool hasKind = false;
    bool hasParentDevice = false;
};

// What sysfs tells about a link, kept between calls.
struct SysfsFacts {
    int index = 0;
    QByteArray name;
    quint8 operState = 0;
    unsigned flags = 0;
    qint64 readAt = 0;
    quint32 speedBps = 0;
    bool wireless = false;
};

QByteArray sysfsPath(const QByteArray& name, const char* leaf) {
    return QByteArrayLiteral("/sys/class/net/") + name + '/' + leaf;
}

// /sys/class/net/<if>/speed is in Mbit/s; -1 or an error means unknown (0). Speeds above
// the 32-bit field are held at its maximum.
quint32 readSpeedBps(const QByteArray& name) {
    const int fd = ::open(sysfsPath(name, "speed").constData(), O_RDONLY | O_CLOEXEC);
    if (fd < 0)
        return 0;
    char text[32];
    const ssize_t got = ::read(fd, text, sizeof text - 1);
    ::close(fd);
    if (got <= 0)
        return 0;
    text[got] = '\0';
    char* end = nullptr;
    const long long mbits = std::strtoll(text, &end, 10);
    if (end == text || mbits <= 0)
        return 0;
    const unsigned long long bps = static_cast<unsigned long long>(mbits) * 1000000ull;
    return bps > 0xFFFFFFFFull ? 0xFFFFFFFFu : quint32(bps);
}

bool isWireless(const QByteArray& name) {
    return ::access(sysfsPath(name, "wireless").constData(), F_OK) == 0 ||
           ::access(sysfsPath(name, "phy80211").constData(), F_OK) == 0;
}

quint32 interfaceType(const Link& link, bool wireless) {
    switch (link.hardwareType) {
    case ARPHRD_ETHER:
        return wireless ? iftype::Ieee80211 : iftype::Ethernet;
    case ARPHRD_IEEE80211:
    case ARPHRD_IEEE80211_PRISM:
    case ARPHRD_IEEE80211_RADIOTAP:
        return iftype::Ieee80211;
    case ARPHRD_LOOPBACK:
        return iftype::SoftwareLoopback;
    case ARPHRD_PPP:
        return iftype::Ppp;
    case ARPHRD_TUNNEL:
    case ARPHRD_TUNNEL6:
    case ARPHRD_SIT:
    case ARPHRD_IPGRE:
    case ARPHRD_IP6GRE:
    case ARPHRD_NONE: // tun, WireGuard
        return iftype::Tunnel;
    default:
        return iftype::Other;
    }
}

// RFC 2863 states (IF_OPER_*) to the table's operational states. Loopback and tun devices
// report "unknown"; the carrier flag (IFF_RUNNING) decides for them.
quint32 operationalStatus(const Link& link) {
    const bool up = link.flags & IFF_UP;
    switch (link.operState) {
    case IF_OPER_UP:
        return operstatus::Operational;
    case IF_OPER_DORMANT:
        return operstatus::Connecting;
    case IF_OPER_TESTING:
        return operstatus::Unreachable;
    case IF_OPER_DOWN:
    case IF_OPER_LOWERLAYERDOWN:
        return up ? operstatus::Disconnected : operstatus::NonOperational;
    case IF_OPER_NOTPRESENT:
        return operstatus::NonOperational;
    default:
        if (up && (link.flags & IFF_RUNNING))
            return operstatus::Operational;
        return up ? operstatus::Disconnected : operstatus::NonOperational;
    }
}

void put(quint8* bytes, int offset, quint32 value) {
    qToLittleEndian(value, bytes + offset);
}

void writeRow(quint8* bytes, const Link& link, const SysfsFacts& facts) {
    IfRow row;
    row.name = QString::fromUtf8(link.name);
    row.index = quint32(link.index);
    row.type = interfaceType(link, facts.wireless);
    row.mtu = link.mtu;
    row.speed = facts.speedBps;
    row.physAddr =
        QByteArray(reinterpret_cast<const char*>(link.address), qsizetype(link.addressLength));
    row.adminStatus = (link.flags & IFF_UP) ? 1 : 2;
    row.operStatus = operationalStatus(link);
    // lastChange stays 0: the kernel keeps no time of the last change.

    // 64-bit counters taken modulo 2^32, as the 32-bit table wraps them.
    const rtnl_link_stats64& s = link.stats;
    row.inOctets = quint32(s.rx_bytes);
    row.inUcastPkts = quint32(s.rx_packets > s.multicast ? s.rx_packets - s.multicast : 0);
    row.inNUcastPkts = quint32(s.multicast);
    row.inDiscards = quint32(s.rx_dropped);
    row.inErrors = quint32(s.rx_errors);
    row.inUnknownProtos = quint32(s.rx_nohandler);
    row.outOctets = quint32(s.tx_bytes);
    // The kernel counts no outgoing multicast per device: every sent packet is unicast.
    row.outUcastPkts = quint32(s.tx_packets);
    row.outDiscards = quint32(s.tx_dropped);
    row.outErrors = quint32(s.tx_errors);
    // outQLen stays 0: Linux keeps the queue's capacity, not its current length.

    // The description is the name in the ANSI code page, cut to leave a terminating zero.
    constexpr int DescrBytes = 255;
    const bool ascii =
        std::all_of(link.name.begin(), link.name.end(), [](char c) { return quint8(c) < 0x80; });
    row.descr = ascii ? link.name.left(DescrBytes) : runtime::toAnsiField(row.name, DescrBytes);

    writeIfRow(row, bytes);
}

bool parseLink(const nlmsghdr& message, Link& link) {
    if (message.nlmsg_type != RTM_NEWLINK || message.nlmsg_len < NLMSG_LENGTH(sizeof(ifinfomsg)))
        return false;
    const auto* info = static_cast<const ifinfomsg*>(NLMSG_DATA(&message));
    link.index = info->ifi_index;
    link.hardwareType = info->ifi_type;
    link.flags = info->ifi_flags;

    rtnl_link_stats stats32{};
    bool haveStats32 = false;
    forEachAttribute(message, sizeof(ifinfomsg), [&](const rtattr& attribute) {
        const void* data = attributeData(attribute);
        const std::size_t length = attributeLength(attribute);
        switch (attribute.rta_type) {
        case IFLA_IFNAME:
            link.name = QByteArray(static_cast<const char*>(data),
                                   qsizetype(strnlen(static_cast<const char*>(data), length)));
            break;
        case IFLA_MTU:
            if (length >= sizeof(quint32))
                std::memcpy(&link.mtu, data, sizeof(quint32));
            break;
        case IFLA_ADDRESS:
            link.addressLength = quint32(std::min<std::size_t>(length, sizeof link.address));
            std::memcpy(link.address, data, link.addressLength);
            break;
        case IFLA_OPERSTATE:
            if (length >= 1)
                link.operState = *static_cast<const quint8*>(data);
            break;
        case IFLA_STATS64:
            // Older kernels send a shorter structure; the missing counters stay 0.
            std::memcpy(&link.stats, data, std::min(length, sizeof link.stats));
            link.haveStats64 = true;
            break;
        case IFLA_STATS:
            std::memcpy(&stats32, data, std::min(length, sizeof stats32));
            haveStats32 = true;
            break;
        case IFLA_LINKINFO:
            forEachNested(attribute, [&](const rtattr& info) {
                link.hasKind = link.hasKind || info.rta_type == IFLA_INFO_KIND;
            });
            break;
        case IFLA_PARENT_DEV_NAME:
            link.hasParentDevice = true;
            break;
        default:
            break;
        }
    });
    if (!link.haveStats64 && haveStats32) {
        rtnl_link_stats64& s = link.stats;
        s.rx_packets = stats32.rx_packets;
        s.tx_packets = stats32.tx_packets;
        s.rx_bytes = stats32.rx_bytes;
        s.tx_bytes = stats32.tx_bytes;
        s.rx_errors = stats32.rx_errors;
        s.tx_errors = stats32.tx_errors;
        s.rx_dropped = stats32.rx_dropped;
        s.tx_dropped = stats32.tx_dropped;
        s.multicast = stats32.multicast;
        s.rx_nohandler = stats32.rx_nohandler;
    }
    return true;
}

class LinuxInterfaceTable final : public IInterfaceTable {
public:
    quint32 getIfTable(quint8* table, quint32* size, bool order) override {
        if (!size)
            return ErrorInvalidParameter;
        if (!m_socket.isOpen())
            return ErrorNotSupported;

        // The dump is most of the cost. A fetch that follows its size query at once is
        // served from the links the query read, so the usual pair costs one dump; the
        // table is then at most ReuseWindow old.
        const auto now = std::chrono::steady_clock::now();
        const bool reuse = table && m_queried && now - m_queriedAt < ReuseWindow;
        m_queried = false;
        if (!reuse && !readLinks())
            return ErrorGenFailure;

        const quint64 needed = IfTableHeaderBytes + quint64(m_links.size()) * IfRowBytes;
        if (!table || *size < needed) {
            *size = quint32(needed);
            m_queried = true;
            m_queriedAt = now;
            return ErrorInsufficientBuffer;
        }
        if (order)
            std::sort(m_links.begin(), m_links.end(),
                      [](const Link& a, const Link& b) { return a.index < b.index; });

        put(table, 0, quint32(m_links.size()));
        quint8* row = table + IfTableHeaderBytes;
        m_written.clear();
        m_defaults.reset();
        for (const Link& link : m_links) {
            writeRow(row, link, factsFor(link));
            row += IfRowBytes;
            // Kernels without IFLA_STATS64 count in 32 bits: nothing more to hand over.
            std::optional<IfOctets64> octets;
            if (link.haveStats64)
                octets = IfOctets64{link.stats.rx_bytes, link.stats.tx_bytes};
            m_written.add(
                quint32(link.index), octets,
                linkRole({link.hardwareType, link.flags, link.hasKind, link.hasParentDevice}));
        }
        return NoError;
    }

    std::optional<IfOctets64> octets64(quint32 index) const override {
        return m_written.find(index);
    }
    IfRole role(quint32 index) const override { return m_written.role(index); }

    // The routes are read once per fetch, and only when asked: while an adapter carries
    // traffic nobody asks.
    bool hasDefaultRoute(quint32 index) override {
        if (!m_defaults)
            m_defaults = readMainRoutes(m_socket).value_or(Routes{}).defaults;
        return std::any_of(m_defaults->begin(), m_defaults->end(), [&](const DefaultRoute& route) {
            return quint32(route.ifindex) == index;
        });
    }

private:
    bool readLinks() {
        m_links.clear();
        ifinfomsg request{};
        request.ifi_family = AF_UNSPEC;
        return m_socket.dump(RTM_GETLINK, &request, sizeof request, [this](const nlmsghdr& m) {
            Link link;
            if (parseLink(m, link))
                m_links.push_back(std::move(link));
        });
    }

    const SysfsFacts& factsFor(const Link& link) {
        const qint64 now = monotonicMsecs();
        const unsigned stateFlags = link.flags & (IFF_UP | IFF_RUNNING);
        auto it = std::find_if(m_facts.begin(), m_facts.end(),
                               [&](const SysfsFacts& f) { return f.index == link.index; });
        if (it == m_facts.end()) {
            // Links that are gone are forgotten before a new one is remembered.
            std::erase_if(m_facts, [this](const SysfsFacts& f) {
                return std::none_of(m_links.begin(), m_links.end(),
                                    [&](const Link& l) { return l.index == f.index; });
            });
            it = m_facts.insert(m_facts.end(), SysfsFacts{});
            it->index = link.index;
        } else if (it->name == link.name && it->operState == link.operState &&
                   it->flags == stateFlags && now - it->readAt < SysfsRefreshMsecs) {
            return *it;
        }
        it->name = link.name;
        it->operState = link.operState;
        it->flags = stateFlags;
        it->readAt = now;
        it->speedBps = readSpeedBps(link.name);
        it->wireless = isWireless(link.name);
        return *it;
    }

    static constexpr std::chrono::milliseconds ReuseWindow{10};

    NetlinkSocket m_socket;
    std::vector<Link> m_links;
    IfFactsByIndex m_written; // the full octet counters and roles of the last fetch's rows
    std::optional<std::vector<DefaultRoute>> m_defaults; // read since the last fetch
    bool m_queried = false;
    std::chrono::steady_clock::time_point m_queriedAt;
    std::vector<SysfsFacts> m_facts;
};

} // namespace

std::unique_ptr<IInterfaceTable> createInterfaceTable() {
    return std::make_unique<LinuxInterfaceTable>();
}

} // namespace tarvo::platform
