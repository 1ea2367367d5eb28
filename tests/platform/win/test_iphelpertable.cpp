// The IP Helper table source fed the tables of Windows PCs as they are set up in our
// users' homes and offices, not wine's: adapters with the NDIS filter rows Windows stacks
// on them, PPPoE, VPN adapters, Hyper-V's virtual switch, a modem's dial-up link.
#include "platform/win/iphelpertable.h"
#include "stats/ciphelper.h"

#include <QFile>
#include <QTest>

#include <cstring>
#include <vector>

using namespace tarvo;

namespace {

// The 32-bit table, the 64-bit table and the route table the system gives for the rows
// of a fixture; wideFails makes GetIfTable2 fail.
struct System {
    std::shared_ptr<std::vector<char>> table, wide, routes;
    std::shared_ptr<bool> wideFails = std::make_shared<bool>(false);

    MIB_IFTABLE& rows() { return *reinterpret_cast<MIB_IFTABLE*>(table->data()); }
    MIB_IF_TABLE2& rows2() { return *reinterpret_cast<MIB_IF_TABLE2*>(wide->data()); }

    platform::win::IpHelperCalls calls() const {
        platform::win::IpHelperCalls calls;
        calls.getIfTable = [table = table](PMIB_IFTABLE to, PULONG size, BOOL) -> DWORD {
            const auto needed = ULONG(table->size());
            if (!to || *size < needed) {
                *size = needed;
                return ERROR_INSUFFICIENT_BUFFER;
            }
            std::memcpy(to, table->data(), needed);
            return NO_ERROR;
        };
        calls.getIfTable2 = [wide = wide, fails = wideFails](PMIB_IF_TABLE2* to) -> DWORD {
            *to = *fails ? nullptr : reinterpret_cast<MIB_IF_TABLE2*>(wide->data());
            return *fails ? ERROR_NOT_ENOUGH_MEMORY : NO_ERROR;
        };
        calls.getIpForwardTable2 = [routes = routes](ADDRESS_FAMILY,
                                                     PMIB_IPFORWARD_TABLE2* to) -> DWORD {
            *to = reinterpret_cast<MIB_IPFORWARD_TABLE2*>(routes->data());
            return NO_ERROR;
        };
        calls.freeMibTable = [](PVOID) {};
        return calls;
    }
};

System systemOf(const QString& fixture) {
    QFile file(QStringLiteral(TARVO_IFTABLE_FIXTURES "/") + fixture);
    QList<QList<QByteArray>> fields;
    if (file.open(QIODevice::ReadOnly))
        for (const QByteArray& line : file.readAll().split('\n'))
            if (!line.isEmpty() && !line.startsWith('#'))
                fields << line.split(' ');
    const size_t n = size_t(fields.size());
    System system;
    system.table = std::make_shared<std::vector<char>>(
        offsetof(MIB_IFTABLE, table) + n * sizeof(MIB_IFROW), '\0');
    system.wide = std::make_shared<std::vector<char>>(
        offsetof(MIB_IF_TABLE2, Table) + n * sizeof(MIB_IF_ROW2), '\0');
    // Every interface has a route to its own network; some also a default route.
    system.routes = std::make_shared<std::vector<char>>(
        offsetof(MIB_IPFORWARD_TABLE2, Table) + 2 * n * sizeof(MIB_IPFORWARD_ROW2), '\0');
    auto& routes = *reinterpret_cast<MIB_IPFORWARD_TABLE2*>(system.routes->data());
    system.rows().dwNumEntries = system.rows2().NumEntries = DWORD(n);
    for (size_t i = 0; i < n; ++i) {
        const QList<QByteArray>& f = fields[qsizetype(i)];
        MIB_IFROW& row = system.rows().table[i];
        MIB_IF_ROW2& row2 = system.rows2().Table[i];
        row.dwIndex = row2.InterfaceIndex = f[0].toUInt();
        row.dwType = row2.Type = f[1].toUInt();
        const bool up = f[2] == "up";
        row.dwOperStatus = up ? MIB_IF_OPER_STATUS_OPERATIONAL : MIB_IF_OPER_STATUS_DISCONNECTED;
        row2.OperStatus = up ? IfOperStatusUp : IfOperStatusDown;
        row.dwInOctets = DWORD(row2.InOctets = f[3].toULongLong());
        row.dwOutOctets = DWORD(row2.OutOctets = f[4].toULongLong());
        row2.InterfaceAndOperStatusFlags.HardwareInterface = f[5] == "hardware";
        row2.InterfaceAndOperStatusFlags.FilterInterface = f[5] == "filter";
        MIB_IPFORWARD_ROW2& own = routes.Table[routes.NumEntries++];
        own.InterfaceIndex = row.dwIndex;
        own.DestinationPrefix.PrefixLength = 24;
        if (f[6] == "default")
            routes.Table[routes.NumEntries++].InterfaceIndex = row.dwIndex;
    }
    return system;
}

} // namespace

class TestIpHelperTable final : public QObject {
    Q_OBJECT
private slots:
    // Every row is a record; the totals count each byte that crossed the PC's edge once.
    void countedOnce_data() {
        QTest::addColumn<QString>("fixture");
        QTest::addColumn<double>("received");
        QTest::addColumn<double>("sent");
        QTest::newRow("Ethernet with three filter rows, Wi-Fi, Teredo down")
            << "ethernet-filters.txt" << 6442450944.0 + 500000 << 2147483648.0 + 70000;
        QTest::newRow("Wi-Fi with four filter rows, Bluetooth PAN down")
            << "wifi-filters.txt" << 812345678.0 << 45678901.0;
        QTest::newRow("PPPoE over Ethernet") << "pppoe.txt" << 104857600.0 << 10485760.0;
        QTest::newRow("a TAP VPN adapter over Ethernet")
            << "vpn-tap.txt" << 209715200.0 << 20971520.0;
        QTest::newRow("a wintun VPN adapter over Wi-Fi")
            << "vpn-wintun.txt" << 52428800.0 << 5242880.0;
        QTest::newRow("Hyper-V's vEthernet over the adapter bound to its switch")
            << "hyperv.txt" << 314572800.0 << 31457280.0;
        QTest::newRow("a modem's dial-up link, the Wi-Fi adapter off")
            << "ppp-modem.txt" << 2500000.0 << 400000.0;
    }
    void countedOnce() {
        QFETCH(QString, fixture);
        QFETCH(double, received);
        QFETCH(double, sent);
        System system = systemOf(fixture);
        const auto source = platform::win::createInterfaceTable(system.calls());
        CIpHelper helper(*source);
        QCOMPARE(helper.Interfaces()->count(), qint32(system.rows().dwNumEntries));
        QCOMPARE(helper.BytesReceived(), received);
        QCOMPARE(helper.BytesSent(), sent);
    }

    // While GetIfTable2 fails, the rows keep the roles it last told: the Ethernet
    // adapter's growth counts once, not again for each of its filter rows.
    void filterRowsStayOutWhileTheWideTableFails() {
        System system = systemOf("ethernet-filters.txt");
        const auto source = platform::win::createInterfaceTable(system.calls());
        CIpHelper helper(*source);
        helper.Interfaces();
        const double before = helper.BytesReceived();
        *system.wideFails = true;
        for (DWORD r = 0; r < system.rows().dwNumEntries; ++r)
            if (system.rows().table[r].dwType == IF_TYPE_ETHERNET_CSMACD)
                system.rows().table[r].dwInOctets += 1000;
        helper.Interfaces();
        QCOMPARE(helper.BytesReceived() - before, 1000.0);
    }
};

QTEST_MAIN(TestIpHelperTable)
#include "test_iphelpertable.moc"
