#include "support/echoresponder.h"

#include "support/scratchnetns.h"

#include <fcntl.h>
#include <linux/if.h>
#include <linux/if_tun.h>
#include <poll.h>
#include <sched.h>
#include <sys/ioctl.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <deque>
#include <future>
#include <vector>

namespace tarvo::testing {

namespace {

using Clock = std::chrono::steady_clock;

quint16 internetChecksum(const unsigned char* data, size_t length) {
    quint32 sum = 0;
    for (size_t i = 0; i + 1 < length; i += 2)
        sum += quint32(data[i] << 8 | data[i + 1]);
    if (length % 2)
        sum += quint32(data[length - 1] << 8);
    while (sum >> 16)
        sum = (sum & 0xFFFF) + (sum >> 16);
    return quint16(~sum);
}

// Turns an IPv4 ICMP echo request into its reply in place; false for anything else.
bool makeEchoReply(std::vector<unsigned char>& packet) {
    if (packet.size() < 20 || (packet[0] >> 4) != 4 || packet[9] != 1)
        return false;
    const size_t headerBytes = size_t(packet[0] & 0x0F) * 4;
    if (packet.size() < headerBytes + 8 || packet[headerBytes] != 8)
        return false;
    // Swapping the addresses keeps the header checksum.
    for (int i = 0; i < 4; ++i)
        std::swap(packet[12 + i], packet[16 + i]);
    unsigned char* icmp = packet.data() + headerBytes;
    const size_t icmpBytes = packet.size() - headerBytes;
    icmp[0] = 0; // echo reply
    icmp[2] = icmp[3] = 0;
    const quint16 sum = internetChecksum(icmp, icmpBytes);
    icmp[2] = quint8(sum >> 8);
    icmp[3] = quint8(sum);
    return true;
}

} // namespace

DelayedEchoResponder::DelayedEchoResponder(const QString& netns, const QString& device,
                                           std::chrono::milliseconds delay, bool dropAll)
    : m_delay(delay)
    , m_dropAll(dropAll) {
    // The namespace is a property of the thread: the device is made in the serving thread
    // after it has entered the namespace.
    std::promise<QString> ready;
    auto started = ready.get_future();
    m_thread = std::thread([this, &ready, netns, device] {
        if (const QString why = enterNetns(netns); !why.isEmpty()) {
            ready.set_value(why);
            return;
        }
        const int fd = ::open("/dev/net/tun", O_RDWR | O_CLOEXEC | O_NONBLOCK);
        if (fd < 0) {
            ready.set_value(QStringLiteral("no /dev/net/tun: ") + strerror(errno));
            return;
        }
        ifreq request{};
        request.ifr_flags = IFF_TUN | IFF_NO_PI;
        std::strncpy(request.ifr_name, device.toLocal8Bit().constData(), IFNAMSIZ - 1);
        if (::ioctl(fd, TUNSETIFF, &request) != 0) {
            const QString why = QStringLiteral("cannot make the TUN device: ") + strerror(errno);
            ::close(fd);
            ready.set_value(why);
            return;
        }
        m_fd = fd;
        ready.set_value({});
        serve();
    });
    m_error = started.get();
    if (!m_error.isEmpty()) {
        m_thread.join();
    }
}

DelayedEchoResponder::~DelayedEchoResponder() {
    m_stop = true;
    if (m_thread.joinable())
        m_thread.join();
    if (m_fd >= 0)
        ::close(m_fd); // the device goes with it
}

void DelayedEchoResponder::serve() {
    struct Pending {
        Clock::time_point due;
        std::vector<unsigned char> packet;
    };
    std::deque<Pending> pending;
    std::vector<unsigned char> buffer(65536);
    while (!m_stop) {
        int waitMs = 20;
        if (!pending.empty()) {
            const auto left =
                std::chrono::ceil<std::chrono::milliseconds>(pending.front().due - Clock::now());
            waitMs = std::clamp(int(left.count()), 0, 20);
        }
        pollfd entry{m_fd, POLLIN, 0};
        ::poll(&entry, 1, waitMs);
        for (;;) {
            const ssize_t got = ::read(m_fd, buffer.data(), buffer.size());
            if (got <= 0)
                break;
            std::vector<unsigned char> packet(buffer.begin(), buffer.begin() + got);
            if (!m_dropAll && makeEchoReply(packet))
                pending.push_back({Clock::now() + m_delay, std::move(packet)});
        }
        while (!pending.empty() && pending.front().due <= Clock::now()) {
            const auto& packet = pending.front().packet;
            if (::write(m_fd, packet.data(), packet.size()) == ssize_t(packet.size()))
                ++m_answered;
            pending.pop_front();
        }
    }
}

} // namespace tarvo::testing
