// The rtnetlink interface table against the kernel's own account in /proc and /sys,
// with traffic the test makes itself on the loopback interface; and which links the
// totals count, on the link data of the machines our users run.
#include "platform/iftable.h"
#include "platform/linux/linkrole.h"
#include "stats/ciphelper.h"
#include "stats/edgerule.h"

#include <QFile>
#include <QHash>
#include <QProcess>
#include <QtEndian>
#include <QtTest>

#include <arpa/inet.h>
#include <fcntl.h>
#include <net/if.h>
#include <net/if_arp.h>
#include <netinet/in.h>
#include <sched.h>
#include <sys/socket.h>
#include <unistd.h>

using namespace tarvo;
namespace pf = tarvo::platform;

namespace {

struct DevCounters {
    quint64 rxBytes = 0;
    quint64 rxPackets = 0;
    quint64 txBytes = 0;
    quint64 txPackets = 0;
};

// /proc/net/dev: name, then 8 receive and 8 transmit columns.
QHash<QString, DevCounters> readProcNetDev() {
    QHash<QString, DevCounters> result;
    QFile file(QStringLiteral("/proc/net/dev"));
    if (!file.open(QIODevice::ReadOnly))
        return result;
    const QList<QByteArray> lines = file.readAll().split('\n');
    for (const QByteArray& line : lines) {
        const int colon = line.indexOf(':');
        if (colon < 0)
            continue;
        const QList<QByteArray> f = line.mid(colon + 1).simplified().split(' ');
        if (f.size() < 16)
            continue;
        DevCounters c;
        c.rxBytes = f[0].toULongLong();
        c.rxPackets = f[1].toULongLong();
        c.txBytes = f[8].toULongLong();
        c.txPackets = f[9].toULongLong();
        result.insert(QString::fromLatin1(line.left(colon).trimmed()), c);
    }
    return result;
}

QString trimmedName(const QString& wide) {
    const qsizetype nul = wide.indexOf(QChar(0));
    return nul < 0 ? wide : wide.left(nul);
}

// A value of the table (32-bit, wrapped) lies between two readings of a 64-bit counter.
bool between(qint32 value, quint64 before, quint64 after) {
    const quint32 v = quint32(value);
    return quint32(v - quint32(before)) <= quint32(after - before);
}

QByteArray readSysfs(const QString& name, const char* leaf) {
    QFile file(QStringLiteral("/sys/class/net/%1/%2").arg(name, QLatin1StringView(leaf)));
    if (!file.open(QIODevice::ReadOnly))
        return {};
    return file.readAll().trimmed();
}

// Sends `count` datagrams of `bytes` bytes from one loopback socket to another and reads
// them back; returns the payload bytes that arrived.
qint64 loopbackTraffic(int count, int bytes) {
    const int rx = ::socket(AF_INET, SOCK_DGRAM | SOCK_CLOEXEC, 0);
    const int tx = ::socket(AF_INET, SOCK_DGRAM | SOCK_CLOEXEC, 0);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    socklen_t length = sizeof address;
    qint64 arrived = 0;
    if (rx >= 0 && tx >= 0 &&
        ::bind(rx, reinterpret_cast<sockaddr*>(&address), sizeof address) == 0 &&
        ::getsockname(rx, reinterpret_cast<sockaddr*>(&address), &length) == 0) {
        const QByteArray payload(bytes, 'x');
        QByteArray in(bytes, '\0');
        for (int i = 0; i < count; ++i) {
            if (::sendto(tx, payload.constData(), size_t(bytes), 0,
                         reinterpret_cast<sockaddr*>(&address), sizeof address) != bytes)
                break;
            const ssize_t got = ::recv(rx, in.data(), size_t(bytes), 0);
            if (got > 0)
                arrived += got;
        }
    }
    if (rx >= 0)
        ::close(rx);
    if (tx >= 0)
        ::close(tx);
    return arrived;
}

bool ip(const QStringList& arguments) {
    QProcess process;
    process.start(QStringLiteral("ip"), arguments);
    return process.waitForFinished(10000) && process.exitStatus() == QProcess::NormalExit &&
           process.exitCode() == 0;
}

// A network namespace of the test's own, removed again when the object goes.
class ScratchNamespace final {
public:
    ScratchNamespace()
        : m_name(QStringLiteral("tarvo-iftable-%1").arg(::getpid())) {
        m_made = ::geteuid() == 0 && ip({"netns", "add", m_name});
    }
    ~ScratchNamespace() {
        if (m_made)
            ip({"netns", "del", m_name});
    }
    bool made() const { return m_made; }
    bool run(QStringList arguments) { return ip(QStringList{"-n", m_name} + arguments); }
    // Builds the table source inside the namespace: its netlink socket stays there.
    std::unique_ptr<pf::IInterfaceTable> createTable() {
        const int inside = ::open(qPrintable("/var/run/netns/" + m_name), O_RDONLY | O_CLOEXEC);
        const int home = ::open("/proc/self/ns/net", O_RDONLY | O_CLOEXEC);
        std::unique_ptr<pf::IInterfaceTable> table;
        if (inside >= 0 && home >= 0 && ::setns(inside, CLONE_NEWNET) == 0) {
            table = pf::createInterfaceTable();
            if (::setns(home, CLONE_NEWNET) != 0)
                qFatal("cannot return to the test's network namespace");
        }
        if (inside >= 0)
            ::close(inside);
        if (home >= 0)
            ::close(home);
        return table;
    }

private:
    QString m_name;
    bool m_made = false;
};

} // namespace

class TestIfTableLinux final : public QObject {
    Q_OBJECT

private slots:
    void initTestCase();
    void sizeQuery();
    void rowsMatchTheKernel();
    void loopbackRow();
    void countersAgreeWithProc();
    void sortedByIndex();
    void namespaceLinks();
    void countedLinks_data();
    void countedLinks();

private:
    std::unique_ptr<pf::IInterfaceTable> m_table;
};

void TestIfTableLinux::initTestCase() {
    m_table = pf::createInterfaceTable();
    quint32 size = 0;
    if (m_table->getIfTable(nullptr, &size, false) == pf::ErrorNotSupported)
        QSKIP("rtnetlink is not available here");
    if (readProcNetDev().isEmpty())
        QSKIP("/proc/net/dev is not readable");
}

void TestIfTableLinux::sizeQuery() {
    QCOMPARE(m_table->getIfTable(nullptr, nullptr, false), pf::ErrorInvalidParameter);

    const qsizetype links = readProcNetDev().size();
    quint32 size = 0;
    QCOMPARE(m_table->getIfTable(nullptr, &size, false), pf::ErrorInsufficientBuffer);
    QCOMPARE(size, pf::IfTableHeaderBytes + quint32(links) * pf::IfRowBytes);

    // A buffer one byte short is refused and left untouched.
    std::vector<quint8> buffer(size - 1, 0xAB);
    quint32 shortSize = size - 1;
    QCOMPARE(m_table->getIfTable(buffer.data(), &shortSize, false), pf::ErrorInsufficientBuffer);
    QCOMPARE(shortSize, size);
    QVERIFY(std::all_of(buffer.begin(), buffer.end(), [](quint8 b) { return b == 0xAB; }));

    // A larger buffer is fine; the count tells how much of it is the table.
    std::vector<quint8> large(size + 4000);
    quint32 largeSize = quint32(large.size());
    QCOMPARE(m_table->getIfTable(large.data(), &largeSize, false), pf::NoError);
    QCOMPARE(qFromLittleEndian<quint32>(large.data()), quint32(links));
}

void TestIfTableLinux::rowsMatchTheKernel() {
    CIpHelper helper(*m_table);
    const auto list = helper.Interfaces();
    const auto proc = readProcNetDev();
    QCOMPARE(list->count(), qint32(proc.size()));

    for (const auto& rec : *list) {
        const QString name = trimmedName(rec->InterfaceName());
        QVERIFY2(proc.contains(name), qPrintable(name));
        QCOMPARE(rec->InterfaceDescription(), name);
        QCOMPARE(rec->InterfaceIndex(), qint32(::if_nametoindex(name.toLocal8Bit().constData())));
        QCOMPARE(QByteArray::number(rec->MaximumTransmissionUnit()), readSysfs(name, "mtu"));

        const bool up = readSysfs(name, "flags").toUInt(nullptr, 0) & IFF_UP;
        QCOMPARE(rec->AdminStatus(), up ? 1 : 2);
        if (readSysfs(name, "operstate") == "up")
            QCOMPARE(rec->OperationalStatus(), 5);

        // The hardware address as sysfs writes it, in the reader's text form.
        const QByteArray sysAddress = readSysfs(name, "address");
        if (!sysAddress.isEmpty() && rec->AdapterAddress().size() > 0) {
            QStringList parts;
            for (const QByteArray& octet : sysAddress.split(':').mid(0, 8)) {
                const uint value = octet.toUInt(nullptr, 16);
                parts << (value == 0 ? QStringLiteral("00") : QString::number(value, 16).toUpper());
            }
            QCOMPARE(rec->AdapterAddress(), parts.join('-'));
        }

        // Speed in bits per second from sysfs' Mbit/s; unknown reads 0.
        bool known = false;
        const qint64 mbits = readSysfs(name, "speed").toLongLong(&known);
        const quint64 bps = known && mbits > 0 ? quint64(mbits) * 1000000 : 0;
        QCOMPARE(quint32(rec->Speed()), quint32(std::min<quint64>(bps, 0xFFFFFFFFu)));

        const int arphrd = readSysfs(name, "type").toInt();
        if (arphrd == 1) {
            const bool wireless = QFile::exists("/sys/class/net/" + name + "/wireless") ||
                                  QFile::exists("/sys/class/net/" + name + "/phy80211");
            QCOMPARE(rec->InterfaceType(), wireless ? 71 : 6);
        }
    }
}

void TestIfTableLinux::loopbackRow() {
    CIpHelper helper(*m_table);
    const auto list = helper.Interfaces();
    std::shared_ptr<CInterface> lo;
    for (const auto& rec : *list)
        if (trimmedName(rec->InterfaceName()) == QLatin1StringView("lo"))
            lo = rec;
    if (!lo)
        QSKIP("no loopback interface in this namespace");
    QCOMPARE(lo->InterfaceType(), qint32(pf::iftype::SoftwareLoopback));
    QCOMPARE(lo->AdminStatus(), 1);
    QCOMPARE(lo->OperationalStatus(), 5);
    QCOMPARE(lo->Speed(), 0);
    QCOMPARE(lo->InterfaceName().size(), 256);
}

void TestIfTableLinux::countersAgreeWithProc() {
    CIpHelper helper(*m_table);
    const auto start = readProcNetDev();
    const qint64 payload = loopbackTraffic(200, 1000);
    QCOMPARE(payload, qint64(200 * 1000));

    const auto before = readProcNetDev();
    const auto list = helper.Interfaces();
    const auto after = readProcNetDev();

    bool sawLoopback = false;
    for (const auto& rec : *list) {
        const QString name = trimmedName(rec->InterfaceName());
        const DevCounters b = before.value(name);
        const DevCounters a = after.value(name);
        QVERIFY2(between(rec->OctetsReceived(), b.rxBytes, a.rxBytes), qPrintable(name));
        QVERIFY2(between(rec->OctetsSent(), b.txBytes, a.txBytes), qPrintable(name));
        QVERIFY2(between(rec->UnicastPacketsReceived() + rec->NonunicastPacketsReceived(),
                         b.rxPackets, a.rxPackets),
                 qPrintable(name));
        QVERIFY2(between(rec->UnicastPacketsSent(), b.txPackets, a.txPackets), qPrintable(name));
        if (name == QLatin1StringView("lo")) {
            sawLoopback = true;
            // Our datagrams went out and came back in on the loopback interface.
            QVERIFY(quint32(rec->OctetsReceived()) - quint32(start.value(name).rxBytes) >=
                    quint32(payload));
            QVERIFY(quint32(rec->OctetsSent()) - quint32(start.value(name).txBytes) >=
                    quint32(payload));
        }
        // The full counters come with the row, from the same reading.
        const auto wide = m_table->octets64(quint32(rec->InterfaceIndex()));
        QVERIFY2(wide, qPrintable(name));
        QVERIFY2(wide->in >= b.rxBytes && wide->in <= a.rxBytes, qPrintable(name));
        QVERIFY2(wide->out >= b.txBytes && wide->out <= a.txBytes, qPrintable(name));
        QCOMPARE(quint32(wide->in), quint32(rec->OctetsReceived()));
        QCOMPARE(quint32(wide->out), quint32(rec->OctetsSent()));
    }
    // No such interface: no counters.
    QVERIFY(!m_table->octets64(0));
    QVERIFY(sawLoopback);
    QCOMPARE(m_table->role(quint32(::if_nametoindex("lo"))), pf::IfRole::Loopback);
}

void TestIfTableLinux::sortedByIndex() {
    quint32 size = 0;
    m_table->getIfTable(nullptr, &size, true);
    std::vector<quint8> buffer(size);
    QCOMPARE(m_table->getIfTable(buffer.data(), &size, true), pf::NoError);
    const quint32 rows = qFromLittleEndian<quint32>(buffer.data());
    quint32 previous = 0;
    for (quint32 i = 0; i < rows; ++i) {
        const quint32 index = qFromLittleEndian<quint32>(buffer.data() + pf::IfTableHeaderBytes +
                                                         i * pf::IfRowBytes + pf::ifrow::Index);
        QVERIFY(index > previous);
        previous = index;
    }
}

// Types and states of links made for the purpose: loopback down, a veth pair with one
// end up and the other down (then both up), and a tun device without a reader.
void TestIfTableLinux::namespaceLinks() {
    ScratchNamespace ns;
    if (!ns.made())
        QSKIP("needs root and `ip netns` to make a network namespace");
    if (!ns.run({"link", "add", "v0", "type", "veth", "peer", "name", "v1"}))
        QSKIP("veth links are not available");
    const bool haveTun = ns.run({"tuntap", "add", "tun0", "mode", "tun"});
    QVERIFY(ns.run({"link", "set", "v0", "up"}));
    const auto table = ns.createTable();
    QVERIFY(table);
    if (haveTun)
        QVERIFY(ns.run({"link", "set", "tun0", "up"}));

    const auto byName = [&] {
        CIpHelper helper(*table);
        QHash<QString, std::shared_ptr<CInterface>> result;
        for (const auto& rec : *helper.Interfaces())
            result.insert(trimmedName(rec->InterfaceName()), rec);
        return result;
    };

    auto links = byName();
    QCOMPARE(links.size(), haveTun ? 4 : 3);
    const auto lo = links.value("lo");
    QVERIFY(lo);
    QCOMPARE(lo->InterfaceType(), 24);
    QCOMPARE(lo->AdminStatus(), 2);
    QCOMPARE(lo->OperationalStatus(), 0);

    const auto v0 = links.value("v0");
    const auto v1 = links.value("v1");
    QVERIFY(v0 && v1);
    QCOMPARE(v0->InterfaceType(), 6);
    QCOMPARE(v0->AdminStatus(), 1);
    QCOMPARE(v0->OperationalStatus(), 2); // up, but the other end is down
    QCOMPARE(v1->AdminStatus(), 2);
    QCOMPARE(v1->OperationalStatus(), 0);
    QCOMPARE(v0->AdapterAddress().count('-'), 5);
    QCOMPARE(v0->OctetsReceived(), 0);
    // The kernel names each link's kind: software, however Ethernet-like.
    QCOMPARE(table->role(quint32(v0->InterfaceIndex())), pf::IfRole::Virtual);
    QCOMPARE(table->role(quint32(lo->InterfaceIndex())), pf::IfRole::Loopback);

    if (haveTun) {
        const auto tun = links.value("tun0");
        QVERIFY(tun);
        QCOMPARE(tun->InterfaceType(), 131);
        QCOMPARE(tun->AdapterAddress(), QString());
        QCOMPARE(tun->AdminStatus(), 1);
        QCOMPARE(tun->OperationalStatus(), 2); // no program holds the device: no carrier
        QCOMPARE(table->role(quint32(tun->InterfaceIndex())), pf::IfRole::Virtual);
    }

    QVERIFY(ns.run({"link", "set", "v1", "up"}));
    QVERIFY(ns.run({"link", "set", "lo", "up"}));
    // The kernel may pass a carrier change on a moment later.
    const auto status = [&](const char* name) {
        const auto rec = byName().value(name);
        return rec ? rec->OperationalStatus() : -1;
    };
    QTRY_COMPARE_WITH_TIMEOUT(status("v0"), 5, 3000);
    QTRY_COMPARE_WITH_TIMEOUT(status("v1"), 5, 3000);
    QTRY_COMPARE_WITH_TIMEOUT(status("lo"), 5, 3000);
}

namespace {

// One link of a machine as rtnetlink describes it: "name:what[:route][:down]", where
// what is lo, dev (a device behind it), old (an Ethernet link on a kernel that names no
// parent devices), or a link kind (veth, bridge, bond, vlan, tun, wireguard, ppp…).
struct LinkSketch {
    QString name;
    pf::linux_::LinkFacts facts;
    bool up = true;
    bool route = false;
};

LinkSketch sketch(const QString& text) {
    const QStringList f = text.split(':');
    LinkSketch link{f[0], {ARPHRD_ETHER, IFF_UP, false, false}};
    const QString what = f.value(1);
    if (what == "lo")
        link.facts = {ARPHRD_LOOPBACK, IFF_UP | IFF_LOOPBACK, false, false};
    else if (what == "dev")
        link.facts.hasParentDevice = true;
    else if (what == "ppp" || what == "tun" || what == "wireguard")
        link.facts = {quint16(what == "ppp" ? ARPHRD_PPP : ARPHRD_NONE), IFF_UP, true, false};
    else if (what != "old")
        link.facts.hasKind = true;
    link.route = f.contains("route");
    link.up = !f.contains("down");
    return link;
}

} // namespace

void TestIfTableLinux::countedLinks_data() {
    QTest::addColumn<QString>("links");
    QTest::addColumn<QString>("counted");
    QTest::newRow("a container host: the adapter, not the bridge or the containers' veths")
        << "lo:lo eth0:dev:route docker0:bridge veth1a2b:veth veth3c4d:veth"
        << "eth0";
    QTest::newRow("a full-tunnel VPN over Wi-Fi: the Wi-Fi adapter, not the tunnel")
        << "lo:lo wlan0:dev tun0:tun:route"
        << "wlan0";
    QTest::newRow("WireGuard and a docked Ethernet adapter")
        << "lo:lo eth0:dev wlan0:dev:down wg0:wireguard:route"
        << "eth0 wlan0";
    QTest::newRow("a bond of two adapters with a VLAN on it: the two adapters")
        << "lo:lo eth0:dev eth1:dev bond0:bond bond0.100:vlan:route"
        << "eth0 eth1";
    QTest::newRow("a bridge with the adapter as its port (virtual machines)")
        << "lo:lo enp3s0:dev br0:bridge:route vnet0:tun"
        << "enp3s0";
    QTest::newRow("PPPoE over Ethernet: the adapter carries the PPP link's bytes")
        << "lo:lo eth0:dev ppp0:ppp:route"
        << "eth0";
    QTest::newRow("a modem's PPP link, the Wi-Fi adapter down: the default route's link")
        << "lo:lo wlan0:dev:down ppp0:ppp:route"
        << "ppp0";
    QTest::newRow("a network namespace: the veth of the default route only")
        << "lo:lo tv0:veth:route br-c:bridge vc0:veth tun0:tun"
        << "tv0";
    QTest::newRow("a machine whose only link is a tunnel") << "lo:lo wg0:wireguard:route"
                                                           << "wg0";
    QTest::newRow("a kernel that names no parent devices")
        << "lo:lo eth0:old veth0:veth:route tun0:tun"
        << "eth0";
    QTest::newRow("no adapter and no default route: nothing") << "lo:lo tv0:veth"
                                                              << "";
}

void TestIfTableLinux::countedLinks() {
    QFETCH(QString, links);
    QFETCH(QString, counted);
    std::vector<LinkSketch> sketches;
    std::vector<EdgeRow> rows;
    for (const QString& text : links.split(' ')) {
        sketches.push_back(sketch(text));
        rows.push_back({quint32(rows.size()), pf::linux_::linkRole(sketches.back().facts),
                        sketches.back().up});
    }
    const auto chosen = countedAtEdge(rows, [&](quint32 index) { return sketches[index].route; });
    QStringList names;
    for (std::size_t i = 0; i < chosen.size(); ++i)
        if (chosen[i])
            names << sketches[i].name;
    QCOMPARE(names.join(' '), counted);
}

QTEST_GUILESS_MAIN(TestIfTableLinux)
#include "test_iftable_linux.moc"
