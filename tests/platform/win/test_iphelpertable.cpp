// The IP Helper table source fed a table shaped like a real Windows 10 one, not wine's:
// three NDIS filter rows with the Ethernet adapter's own counters stacked on it.
#include "platform/win/iphelpertable.h"
#include "stats/ciphelper.h"

#include <QTest>

#include <cstring>
#include <vector>

using namespace tarvo;

namespace {

struct Interface {
    DWORD index, type, operStatus;
    ULONG64 in, out;
    bool filter;
};

constexpr ULONG64 GiB = ULONG64(1) << 30;
constexpr DWORD Up = IF_OPER_STATUS_OPERATIONAL;

// Windows 10 with an Ethernet and a Wi-Fi adapter, in the system's row order: Software
// Loopback Interface 1, the Teredo tunnel (down), an Intel I219-V, an Intel AX201, and on
// the I219-V its WFP Native MAC Layer LightWeight Filter, QoS Packet Scheduler and WFP
// 802.3 MAC Layer LightWeight Filter rows.
const std::vector<Interface> Windows10{
    {1, IF_TYPE_SOFTWARE_LOOPBACK, Up, 0, 0, false},
    {6, IF_TYPE_TUNNEL, IF_OPER_STATUS_NON_OPERATIONAL, 3000, 4000, false},
    {7, IF_TYPE_ETHERNET_CSMACD, Up, 6 * GiB, 2 * GiB, false},
    {12, IF_TYPE_IEEE80211, Up, 500000, 70000, false},
    {18, IF_TYPE_ETHERNET_CSMACD, Up, 6 * GiB, 2 * GiB, true},
    {19, IF_TYPE_ETHERNET_CSMACD, Up, 6 * GiB, 2 * GiB, true},
    {20, IF_TYPE_ETHERNET_CSMACD, Up, 6 * GiB, 2 * GiB, true},
};

// The two tables the system would give for these interfaces.
platform::win::IpHelperCalls systemOf(const std::vector<Interface>& interfaces) {
    auto table = std::make_shared<std::vector<char>>(
        offsetof(MIB_IFTABLE, table) + interfaces.size() * sizeof(MIB_IFROW), '\0');
    auto* rows = reinterpret_cast<MIB_IFTABLE*>(table->data());
    auto wide = std::make_shared<std::vector<char>>(
        offsetof(MIB_IF_TABLE2, Table) + interfaces.size() * sizeof(MIB_IF_ROW2), '\0');
    auto* rows2 = reinterpret_cast<MIB_IF_TABLE2*>(wide->data());
    rows->dwNumEntries = rows2->NumEntries = DWORD(interfaces.size());
    for (size_t i = 0; i < interfaces.size(); ++i) {
        const Interface& from = interfaces[i];
        MIB_IFROW& row = rows->table[i];
        row.dwIndex = from.index;
        row.dwType = from.type;
        row.dwOperStatus = from.operStatus;
        row.dwInOctets = DWORD(from.in);
        row.dwOutOctets = DWORD(from.out);
        MIB_IF_ROW2& row2 = rows2->Table[i];
        row2.InterfaceIndex = from.index;
        row2.Type = from.type;
        row2.InOctets = from.in;
        row2.OutOctets = from.out;
        row2.InterfaceAndOperStatusFlags.HardwareInterface = !from.filter;
        row2.InterfaceAndOperStatusFlags.FilterInterface = from.filter;
    }
    platform::win::IpHelperCalls calls;
    calls.getIfTable = [table](PMIB_IFTABLE to, PULONG size, BOOL) -> DWORD {
        const auto needed = ULONG(table->size());
        if (!to || *size < needed) {
            *size = needed;
            return ERROR_INSUFFICIENT_BUFFER;
        }
        std::memcpy(to, table->data(), needed);
        return NO_ERROR;
    };
    calls.getIfTable2 = [wide](PMIB_IF_TABLE2* to) -> DWORD {
        *to = reinterpret_cast<MIB_IF_TABLE2*>(wide->data());
        return NO_ERROR;
    };
    calls.freeMibTable = [](PVOID) {};
    return calls;
}

} // namespace

class TestIpHelperTable final : public QObject {
    Q_OBJECT
private slots:
    // Every row is a record; the totals count the Ethernet adapter once, the Wi-Fi
    // adapter, loopback and the tunnel that is down.
    void filterRowsAreRecordedButNotCounted() {
        const auto source = platform::win::createInterfaceTable(systemOf(Windows10));
        CIpHelper helper(*source);
        QCOMPARE(helper.Interfaces()->count(), 7);
        QCOMPARE(helper.BytesReceived(), 6442450944.0 + 500000 + 3000);
        QCOMPARE(helper.BytesSent(), 2147483648.0 + 70000 + 4000);
    }
};

QTEST_MAIN(TestIpHelperTable)
#include "test_iphelpertable.moc"
