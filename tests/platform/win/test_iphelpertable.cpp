// The IP Helper table source fed the tables of a real Windows 10 PC, not wine's: three
// NDIS filter rows with the Ethernet adapter's own counters stacked on it.
#include "platform/win/iphelpertable.h"
#include "stats/ciphelper.h"

#include <QFile>
#include <QTest>

#include <cstring>
#include <vector>

using namespace tarvo;

namespace {

// The 32-bit and the 64-bit table the system gives for the rows of a fixture.
platform::win::IpHelperCalls systemOf(const QString& fixture) {
    QFile file(fixture);
    QList<QList<QByteArray>> fields;
    if (file.open(QIODevice::ReadOnly))
        for (const QByteArray& line : file.readAll().split('\n'))
            if (!line.isEmpty() && !line.startsWith('#'))
                fields << line.split(' ');
    const size_t n = size_t(fields.size());
    auto table = std::make_shared<std::vector<char>>(
        offsetof(MIB_IFTABLE, table) + n * sizeof(MIB_IFROW), '\0');
    auto wide = std::make_shared<std::vector<char>>(
        offsetof(MIB_IF_TABLE2, Table) + n * sizeof(MIB_IF_ROW2), '\0');
    auto* rows = reinterpret_cast<MIB_IFTABLE*>(table->data());
    auto* rows2 = reinterpret_cast<MIB_IF_TABLE2*>(wide->data());
    rows->dwNumEntries = rows2->NumEntries = DWORD(n);
    for (size_t i = 0; i < n; ++i) {
        const QList<QByteArray>& f = fields[qsizetype(i)];
        MIB_IFROW& row = rows->table[i];
        MIB_IF_ROW2& row2 = rows2->Table[i];
        row.dwIndex = row2.InterfaceIndex = f[0].toUInt();
        row.dwType = row2.Type = f[1].toUInt();
        row.dwOperStatus = f[2].toUInt();
        row.dwInOctets = DWORD(row2.InOctets = f[3].toULongLong());
        row.dwOutOctets = DWORD(row2.OutOctets = f[4].toULongLong());
        row2.InterfaceAndOperStatusFlags.HardwareInterface = f[5] == "hardware";
        row2.InterfaceAndOperStatusFlags.FilterInterface = f[5] == "filter";
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
        const auto source = platform::win::createInterfaceTable(
            systemOf(TARVO_IFTABLE_FIXTURES "/windows10-iftable.txt"));
        CIpHelper helper(*source);
        QCOMPARE(helper.Interfaces()->count(), 7);
        QCOMPARE(helper.BytesReceived(), 6442450944.0 + 500000 + 3000);
        QCOMPARE(helper.BytesSent(), 2147483648.0 + 70000 + 4000);
    }
};

QTEST_MAIN(TestIpHelperTable)
#include "test_iphelpertable.moc"
