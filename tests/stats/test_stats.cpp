// The interface statistics reader, its records and its collection, fed by a fake table.
#include "platform/fake/fakeiftable.h"
#include "runtime/errors.h"
#include "stats/cinterface.h"
#include "stats/cinterfaces.h"
#include "stats/ciphelper.h"

#include <QDateTime>
#include <QtTest>

#include <functional>

using namespace tarvo;
using platform::FakeIfRow;
using platform::FakeInterfaceTable;

Q_DECLARE_METATYPE(std::vector<FakeIfRow>)
Q_DECLARE_METATYPE(std::vector<std::vector<FakeIfRow>>)

namespace {

constexpr quint32 P30 = 1u << 30;
constexpr quint32 P29 = 1u << 29;
constexpr quint32 P31 = 1u << 31;

FakeIfRow row(const char* name, quint32 in, quint32 out) {
    FakeIfRow r;
    r.name = QString::fromLatin1(name);
    r.descr = QByteArray(name);
    r.inOctets = in;
    r.outOctets = out;
    return r;
}

// A row whose table also hands over its full counters; the row carries them modulo 2^32.
FakeIfRow wideRow(const char* name, quint32 index, quint64 in, quint64 out) {
    FakeIfRow r = row(name, quint32(in), quint32(out));
    r.index = index;
    r.octets64 = platform::IfOctets64{in, out};
    return r;
}

// Runs `body` and returns the run-time error number it raised, 0 when it raised none.
int errorOf(const std::function<void()>& body) {
    try {
        body();
    } catch (const runtime::RuntimeError& e) {
        return e.number();
    }
    return 0;
}

std::shared_ptr<CInterface> record(qint32 index) {
    auto r = std::make_shared<CInterface>();
    r->setInterfaceIndex(index);
    return r;
}

// A collection of records whose InterfaceIndex values are 1..n.
CInterfaces collectionOf(int n) {
    CInterfaces list;
    for (int i = 1; i <= n; ++i) {
        auto r = record(i);
        list.Add(r);
    }
    return list;
}

} // namespace

class TestStats final : public QObject {
    Q_OBJECT

private slots:
    // --- records -------------------------------------------------------------------
    void newRecordIsEmpty();
    void countersKeepNegativeValues();
    void propertyDescriptions();

    // --- collection ----------------------------------------------------------------
    void addAppendsAndClearsTheArgument();
    void badIndexFails_data();
    void badIndexFails();
    void numericVariantSelects();
    void removeMovesTheRestForward();
    void failedRemoveChangesNothing();
    void enumeratesInOrder();
    void recordOutlivesCollection();

    // --- reader --------------------------------------------------------------------
    void totalsBeforeFirstRead();
    void totals_data();
    void totals();
    void overflowingRowStillRecorded();
    void rowBecomesRecord();
    void rowsKeepTableOrder();
    void address_data();
    void address();
    void description_data();
    void description();
    void lastChangeConversion();
    void lastChangeFromTable();
    void totalsStableBetweenReads();
    void everyReadIsANewCollection();
    void storeDoesNotRefresh();
    void badTable_data();
    void badTable();
    void badTableAfterGoodOneKeepsTotals();
    void totalsGrowByTheEdge_data();
    void totalsGrowByTheEdge();
    void grownTableRecoversNextRead();
};

// ------------------------------------------------------------------------------------

void TestStats::newRecordIsEmpty() {
    const CInterface r;
    QVERIFY(r.InterfaceName().isEmpty());
    QVERIFY(r.AdapterAddress().isEmpty());
    QVERIFY(r.InterfaceDescription().isEmpty());
    QCOMPARE(r.LastChange(), 0.0);
    const qint32 numbers[] = {r.InterfaceIndex(),
                              r.InterfaceType(),
                              r.Speed(),
                              r.AdminStatus(),
                              r.OperationalStatus(),
                              r.OctetsReceived(),
                              r.UnicastPacketsReceived(),
                              r.MaximumTransmissionUnit(),
                              r.NonunicastPacketsReceived(),
                              r.DiscardedIncomingPackets(),
                              r.IncomingErrors(),
                              r.UnknownProtocolPackets(),
                              r.OctetsSent(),
                              r.UnicastPacketsSent(),
                              r.NonunicastPacketsSent(),
                              r.DiscardedOutgoingPackets(),
                              r.OutgoingErrors(),
                              r.OutputQueueLength()};
    for (qint32 n : numbers)
        QCOMPARE(n, 0);
}

void TestStats::countersKeepNegativeValues() {
    using Set = void (CInterface::*)(qint32);
    using Get = qint32 (CInterface::*)() const;
    const std::pair<Set, Get> counters[] = {
        {&CInterface::setOctetsReceived, &CInterface::OctetsReceived},
        {&CInterface::setUnicastPacketsReceived, &CInterface::UnicastPacketsReceived},
        {&CInterface::setNonunicastPacketsReceived, &CInterface::NonunicastPacketsReceived},
        {&CInterface::setDiscardedIncomingPackets, &CInterface::DiscardedIncomingPackets},
        {&CInterface::setIncomingErrors, &CInterface::IncomingErrors},
        {&CInterface::setUnknownProtocolPackets, &CInterface::UnknownProtocolPackets},
        {&CInterface::setOctetsSent, &CInterface::OctetsSent},
        {&CInterface::setUnicastPacketsSent, &CInterface::UnicastPacketsSent},
        {&CInterface::setNonunicastPacketsSent, &CInterface::NonunicastPacketsSent},
        {&CInterface::setDiscardedOutgoingPackets, &CInterface::DiscardedOutgoingPackets},
        {&CInterface::setOutgoingErrors, &CInterface::OutgoingErrors},
        {&CInterface::setOutputQueueLength, &CInterface::OutputQueueLength},
        {&CInterface::setSpeed, &CInterface::Speed},
        {&CInterface::setMaximumTransmissionUnit, &CInterface::MaximumTransmissionUnit},
    };
    // Each counter gets its own value, so that two properties sharing storage would show.
    CInterface r;
    qint32 value = -2147483647 - 1;
    for (const auto& [set, get] : counters)
        (r.*set)(value++);
    value = -2147483647 - 1;
    for (const auto& [set, get] : counters)
        QCOMPARE((r.*get)(), value++);
}

void TestStats::propertyDescriptions() {
    const auto& table = CInterface::properties();
    QCOMPARE(table.front().name, std::string_view("InterfaceDescription"));
    QCOMPARE(table.back().name, std::string_view("InterfaceName"));
    QStringList endingInBlank;
    for (const auto& p : table) {
        QVERIFY(!p.description.empty());
        if (p.description.back() == ' ')
            endingInBlank << QString::fromLatin1(p.name.data(), qsizetype(p.name.size()));
    }
    QCOMPARE(endingInBlank, QStringList({"AdminStatus", "InterfaceName"}));
}

// ------------------------------------------------------------------------------------

void TestStats::addAppendsAndClearsTheArgument() {
    CInterfaces list = collectionOf(2);
    auto x = record(42);
    const CInterface* raw = x.get();
    const auto returned = list.Add(x);
    QVERIFY(!x);
    QCOMPARE(returned.get(), raw);
    QCOMPARE(list.count(), 3);
    QCOMPARE(list.Item(list.count()).get(), raw);
}

void TestStats::badIndexFails_data() {
    QTest::addColumn<int>("records");
    QTest::addColumn<QVariant>("index");
    QTest::newRow("Item(1) on empty") << 0 << QVariant(1);
    QTest::newRow("Item(0) on empty") << 0 << QVariant(0);
    QTest::newRow("Item(0) on three") << 3 << QVariant(0);
    QTest::newRow("past the end") << 3 << QVariant(4);
    QTest::newRow("negative") << 3 << QVariant(-1);
    QTest::newRow("text key") << 3 << QVariant(QStringLiteral("1"));
    QTest::newRow("no value") << 3 << QVariant();
    QTest::newRow("huge number") << 3 << QVariant(1e300);
    QTest::newRow("huge 64-bit") << 3 << QVariant(qlonglong(1) << 40);
}

void TestStats::badIndexFails() {
    QFETCH(int, records);
    QFETCH(QVariant, index);
    CInterfaces list = collectionOf(records);
    QCOMPARE(errorOf([&] { list.Item(index); }), 9);
    QCOMPARE(errorOf([&] { list.Remove(index); }), 9);
    QCOMPARE(list.count(), records);
}

void TestStats::numericVariantSelects() {
    const CInterfaces list = collectionOf(3);
    QCOMPARE(list.Item(QVariant(2))->InterfaceIndex(), 2);
    QCOMPARE(list.Item(QVariant(3.0))->InterfaceIndex(), 3);
    QCOMPARE(list.Item(QVariant(qlonglong(1)))->InterfaceIndex(), 1);
    // A fraction rounds halves to the even neighbour, as every integer store does.
    QCOMPARE(list.Item(QVariant(2.5))->InterfaceIndex(), 2);
}

void TestStats::removeMovesTheRestForward() {
    CInterfaces list = collectionOf(3);
    const auto second = list.Item(2);
    list.Remove(1);
    QCOMPARE(list.count(), 2);
    QCOMPARE(list.Item(1), second);
    QCOMPARE(list.Item(2)->InterfaceIndex(), 3);
}

void TestStats::failedRemoveChangesNothing() {
    CInterfaces list = collectionOf(2);
    QCOMPARE(errorOf([&] { list.Remove(3); }), 9);
    QCOMPARE(list.count(), 2);
    QCOMPARE(list.Item(1)->InterfaceIndex(), 1);
    QCOMPARE(list.Item(2)->InterfaceIndex(), 2);
}

void TestStats::enumeratesInOrder() {
    CInterfaces list;
    for (qint32 i : {7, 3, 9, 1}) {
        auto r = record(i);
        list.Add(r);
    }
    QList<qint32> seen;
    for (const auto& r : list)
        seen << r->InterfaceIndex();
    QCOMPARE(seen, QList<qint32>({7, 3, 9, 1}));
}

void TestStats::recordOutlivesCollection() {
    std::shared_ptr<CInterface> kept;
    {
        auto list = std::make_shared<CInterfaces>(collectionOf(2));
        kept = list->Item(2);
    }
    QCOMPARE(kept->InterfaceIndex(), 2);
}

// ------------------------------------------------------------------------------------

void TestStats::totalsBeforeFirstRead() {
    FakeInterfaceTable table({row("eth0", 100, 200)});
    const CIpHelper helper(table);
    QCOMPARE(helper.BytesReceived(), 0.0);
    QCOMPARE(helper.BytesSent(), 0.0);
    QCOMPARE(table.sizeQueries() + table.fetches(), 0);
}

void TestStats::totals_data() {
    QTest::addColumn<std::vector<FakeIfRow>>("rows");
    QTest::addColumn<double>("received");
    QTest::addColumn<double>("sent");

    FakeIfRow lo = row("lo", 1000, 1000);
    lo.type = platform::iftype::SoftwareLoopback;
    lo.role = platform::IfRole::Loopback;
    lo.index = 1;
    FakeIfRow down = row("eth1", 5, 7);
    down.index = 3;
    down.adminStatus = 2;
    down.operStatus = 0;

    QTest::newRow("no rows") << std::vector<FakeIfRow>{} << 0.0 << 0.0;
    QTest::newRow("loopback never counts, an adapter that is down does")
        << std::vector<FakeIfRow>{row("eth0", 10, 20), lo, down} << 15.0 << 27.0;
    // Without full counters a row's 32-bit counters are counts, never negative.
    QTest::newRow("counter at 2^31 is a count")
        << std::vector<FakeIfRow>{row("eth0", 100, 1), row("eth1", P31, 1)}
        << (100.0 + 2147483648.0) << 2.0;
    QTest::newRow("counter 0xFFFFFFFF")
        << std::vector<FakeIfRow>{row("eth0", 0xFFFFFFFFu, 5)} << 4294967295.0 << 5.0;
    QTest::newRow("two rows past 2^31")
        << std::vector<FakeIfRow>{row("a", P30 + P29, 1), row("b", P30 + P29, 1)} << 3221225472.0
        << 2.0;
    QTest::newRow("32-bit rows past 2^32")
        << std::vector<FakeIfRow>{row("a", 0xFFFFFFFFu, 0), row("b", 0xFFFFFFFFu, 0),
                                  row("c", 2, 0)}
        << 8589934592.0 << 0.0;
    // Full counters where the table has them: past 2^32 on one interface.
    const quint64 GiB = quint64(1) << 30;
    QTest::newRow("full counters of 6 GiB")
        << std::vector<FakeIfRow>{wideRow("eth0", 2, 6 * GiB, 5 * GiB + 7)} << 6442450944.0
        << 5368709127.0;
    QTest::newRow("full and 32-bit rows")
        << std::vector<FakeIfRow>{wideRow("eth0", 2, 4 * GiB + 1, 1), row("tun0", 10, 20)}
        << 4294967307.0 << 21.0;
    QTest::newRow("a total that would leave 64 bits leaves that row out")
        << std::vector<FakeIfRow>{wideRow("a", 1, quint64(1) << 62, 1),
                                  wideRow("b", 2, quint64(1) << 62, 1), wideRow("c", 3, 5, 1)}
        << 4611686018427387909.0 << 3.0;
    QTest::newRow("a counter beyond 63 bits is left out")
        << std::vector<FakeIfRow>{wideRow("a", 1, quint64(1) << 63, 4), row("b", 9, 0)} << 9.0
        << 4.0;
    // Windows 10 stacks three filter rows with the adapter's own counters on an Ethernet
    // adapter; they stay in the collection but out of the totals.
    std::vector<FakeIfRow> stacked{wideRow("eth", 7, 6 * GiB, 2 * GiB), row("wlan", 100, 10)};
    for (quint32 index : {18u, 19u, 20u}) {
        stacked.push_back(wideRow("eth-filter", index, 6 * GiB, 2 * GiB));
        stacked.back().role = platform::IfRole::Filter;
    }
    QTest::newRow("filter interfaces are not counted again")
        << stacked << 6442450944.0 + 100.0 << 2147483648.0 + 10.0;
}

void TestStats::totals() {
    QFETCH(std::vector<FakeIfRow>, rows);
    QFETCH(double, received);
    QFETCH(double, sent);
    FakeInterfaceTable table(rows);
    CIpHelper helper(table);
    const auto list = helper.Interfaces();
    QCOMPARE(list->count(), qint32(rows.size()));
    QCOMPARE(helper.BytesReceived(), received);
    QCOMPARE(helper.BytesSent(), sent);
}

void TestStats::overflowingRowStillRecorded() {
    FakeInterfaceTable table(
        {wideRow("a", 1, quint64(1) << 62, 0), wideRow("b", 2, (quint64(1) << 62) + P30 + P29, 0)});
    CIpHelper helper(table);
    const auto list = helper.Interfaces();
    // The record holds the row's 32-bit field as it stands.
    QCOMPARE(list->Item(2)->OctetsReceived(), qint32(P30 + P29));
    QCOMPARE(helper.BytesReceived(), double(quint64(1) << 62));
}

void TestStats::rowBecomesRecord() {
    FakeIfRow r;
    r.name = QStringLiteral("以太网 1");
    r.index = 0x80000001u;
    r.type = platform::iftype::Ieee80211;
    r.mtu = 1400;
    r.speed = 3000000000u;
    r.physAddr = QByteArray::fromHex("020C29AB0510");
    r.adminStatus = 1;
    r.operStatus = 5;
    r.inOctets = 1;
    r.inUcastPkts = 2;
    r.inNUcastPkts = 3;
    r.inDiscards = 4;
    r.inErrors = 5;
    r.inUnknownProtos = 6;
    r.outOctets = 7;
    r.outUcastPkts = 8;
    r.outNUcastPkts = 9;
    r.outDiscards = 10;
    r.outErrors = 11;
    r.outQLen = 0xFFFFFFFEu;
    r.descr = QByteArray("Intel(R) PRO/1000");

    FakeInterfaceTable table({r});
    CIpHelper helper(table);
    const auto rec = helper.Interfaces()->Item(1);
    // The name is the whole 256-unit field, zeros after the text included.
    QCOMPARE(rec->InterfaceName().size(), 256);
    QVERIFY(rec->InterfaceName().startsWith(r.name + QChar(0)));
    QCOMPARE(rec->InterfaceIndex(), -2147483647);
    QCOMPARE(rec->InterfaceType(), 71);
    QCOMPARE(rec->MaximumTransmissionUnit(), 1400);
    QCOMPARE(rec->Speed(), qint32(3000000000u));
    QCOMPARE(rec->AdapterAddress(), QStringLiteral("2-C-29-AB-5-10"));
    QCOMPARE(rec->AdminStatus(), 1);
    QCOMPARE(rec->OperationalStatus(), 5);
    QCOMPARE(rec->OctetsReceived(), 1);
    QCOMPARE(rec->UnicastPacketsReceived(), 2);
    QCOMPARE(rec->NonunicastPacketsReceived(), 3);
    QCOMPARE(rec->DiscardedIncomingPackets(), 4);
    QCOMPARE(rec->IncomingErrors(), 5);
    QCOMPARE(rec->UnknownProtocolPackets(), 6);
    QCOMPARE(rec->OctetsSent(), 7);
    QCOMPARE(rec->UnicastPacketsSent(), 8);
    QCOMPARE(rec->NonunicastPacketsSent(), 9);
    QCOMPARE(rec->DiscardedOutgoingPackets(), 10);
    QCOMPARE(rec->OutgoingErrors(), 11);
    QCOMPARE(rec->OutputQueueLength(), -2);
    QCOMPARE(rec->InterfaceDescription(), QStringLiteral("Intel(R) PRO/1000"));
}

void TestStats::rowsKeepTableOrder() {
    std::vector<FakeIfRow> rows;
    for (quint32 index : {12u, 1u, 7u}) {
        FakeIfRow r = row("x", 0, 0);
        r.index = index;
        rows.push_back(r);
    }
    FakeInterfaceTable table(rows);
    CIpHelper helper(table);
    const auto list = helper.Interfaces();
    QList<qint32> seen;
    for (const auto& r : *list)
        seen << r->InterfaceIndex();
    QCOMPARE(seen, QList<qint32>({12, 1, 7}));
    QCOMPARE(list->Item(1)->InterfaceIndex(), 12);
}

void TestStats::address_data() {
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<quint32>("length");
    QTest::addColumn<QString>("expected");
    const QByteArray mac = QByteArray::fromHex("000C29AB0510");
    const QByteArray eight = QByteArray::fromHex("0102030405060708");
    QTest::newRow("example") << mac << 6u << "00-C-29-AB-5-10";
    QTest::newRow("length 0") << mac << 0u << "";
    QTest::newRow("length -1") << mac << 0xFFFFFFFFu << "";
    QTest::newRow("length 9 reads 8") << eight << 9u << "1-2-3-4-5-6-7-8";
    QTest::newRow("huge length reads 8") << eight << 0x7FFFFFFFu << "1-2-3-4-5-6-7-8";
    QTest::newRow("shorter than the bytes") << mac << 3u << "00-C-29";
    QTest::newRow("one zero byte") << QByteArray(1, '\0') << 1u << "00";
    QTest::newRow("no leading zero") << QByteArray::fromHex("1F0AFF") << 3u << "1F-A-FF";
}

void TestStats::address() {
    QFETCH(QByteArray, bytes);
    QFETCH(quint32, length);
    QFETCH(QString, expected);
    FakeIfRow r = row("eth0", 0, 0);
    r.physAddr = bytes;
    r.physAddrLen = length;
    FakeInterfaceTable table({r});
    CIpHelper helper(table);
    QCOMPARE(helper.Interfaces()->Item(1)->AdapterAddress(), expected);
}

void TestStats::description_data() {
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<quint32>("length");
    QTest::addColumn<QString>("expected");
    const QString zeros252(252, QChar(0));
    // "网卡" in code page 936: two characters, four bytes.
    const QByteArray gbk = QByteArray::fromHex("CDF8BFA8");
    QTest::newRow("whole text") << QByteArray("eth0") << 4u << "eth0";
    QTest::newRow("cut short") << QByteArray("eth0") << 2u << "et";
    QTest::newRow("zero length") << QByteArray("eth0") << 0u << "";
    QTest::newRow("negative length") << QByteArray("eth0") << 0xFFFFFFFFu << "";
    QTest::newRow("longer than the field")
        << QByteArray("eth0") << 300u << QStringLiteral("eth0") + zeros252;
    QTest::newRow("counted in characters") << gbk << 2u << QStringLiteral("网卡");
    QTest::newRow("one double-byte character") << gbk << 1u << QStringLiteral("网");
    QTest::newRow("mixed") << QByteArray("NIC ") + gbk << 5u << QStringLiteral("NIC 网");
}

void TestStats::description() {
    QFETCH(QByteArray, bytes);
    QFETCH(quint32, length);
    QFETCH(QString, expected);
    FakeIfRow r = row("eth0", 0, 0);
    r.descr = bytes;
    r.descrLen = length;
    FakeInterfaceTable table({r});
    CIpHelper helper(table);
    QCOMPARE(helper.Interfaces()->Item(1)->InterfaceDescription(), expected);
}

void TestStats::lastChangeConversion() {
    // Now 2024-01-01 12:00 local, up for one hour: the system started at 11:00.
    const QDateTime now(QDate(2024, 1, 1), QTime(12, 0), Qt::UTC);
    const qint64 nowMsecs = now.toMSecsSinceEpoch();
    const double day = 45292.0; // 2024-01-01 on the date-time scale
    QCOMPARE(ifrowtext::lastChangeDate(0, nowMsecs, 3600000), day + 11.0 / 24);
    QCOMPARE(ifrowtext::lastChangeDate(180000, nowMsecs, 3600000), day + 11.5 / 24);
    // Hundredths above 2^31 are a long up-time, not a negative one.
    const double late = ifrowtext::lastChangeDate(0xFFFFFFFFu, nowMsecs, 4294967295LL * 10);
    QCOMPARE(late, day + 0.5);
}

void TestStats::lastChangeFromTable() {
    FakeIfRow atBoot = row("a", 0, 0);
    FakeIfRow later = row("b", 0, 0);
    later.lastChange = 8640000; // one day after start
    FakeInterfaceTable table({atBoot, later});
    CIpHelper helper(table);
    const auto list = helper.Interfaces();
    const QDateTime now = QDateTime::currentDateTime();
    const double today =
        25569.0 + double(now.toMSecsSinceEpoch() + now.offsetFromUtc() * 1000LL) / 86400000.0;
    const double boot = list->Item(1)->LastChange();
    QVERIFY2(boot <= today && boot > today - 36500, qPrintable(QString::number(boot)));
    QVERIFY(qAbs(list->Item(2)->LastChange() - boot - 1.0) < 1e-6);
}

void TestStats::totalsStableBetweenReads() {
    FakeInterfaceTable table({row("eth0", 100, 50)});
    CIpHelper helper(table);
    helper.Interfaces();
    table.rows()[0].inOctets = 5000;
    table.rows()[0].outOctets = 6000;
    QCOMPARE(helper.BytesReceived(), 100.0);
    QCOMPARE(helper.BytesReceived(), 100.0);
    QCOMPARE(helper.BytesSent(), 50.0);
    helper.Interfaces();
    QCOMPARE(helper.BytesReceived(), 5000.0);
    QCOMPARE(helper.BytesSent(), 6000.0);
}

void TestStats::everyReadIsANewCollection() {
    FakeInterfaceTable table({row("eth0", 100, 50)});
    CIpHelper helper(table);
    const auto first = helper.Interfaces();
    const auto kept = first->Item(1);
    table.rows()[0].inOctets = 900;
    table.rows().push_back(row("eth1", 1, 1));
    const auto second = helper.Interfaces();
    QVERIFY(first != second);
    QCOMPARE(first->count(), 1);
    QCOMPARE(kept->OctetsReceived(), 100);
    QCOMPARE(second->count(), 2);
    QCOMPARE(second->Item(1)->OctetsReceived(), 900);
    QCOMPARE(table.sizeQueries(), 2);
    QCOMPARE(table.fetches(), 2);
}

void TestStats::storeDoesNotRefresh() {
    FakeInterfaceTable table({row("eth0", 100, 50)});
    CIpHelper helper(table);
    helper.Interfaces();
    auto mine = std::make_shared<CInterfaces>(collectionOf(3));
    helper.setInterfaces(mine);
    QCOMPARE(table.fetches(), 1);
    QCOMPARE(helper.BytesReceived(), 100.0);
    QCOMPARE(helper.BytesSent(), 50.0);
    // The next read replaces the stored collection and leaves it alone.
    QCOMPARE(helper.Interfaces()->count(), 1);
    QCOMPARE(mine->count(), 3);
}

void TestStats::badTable_data() {
    QTest::addColumn<int>("fault");
    QTest::addColumn<quint32>("value");
    QTest::addColumn<int>("expectedRecords");
    enum { Forced, Grow, Shortfall, RowCount };
    QTest::newRow("no such table (50)") << int(Forced) << 50u << 0;
    QTest::newRow("other failure") << int(Forced) << 31u << 0;
    QTest::newRow("success without a size") << int(Forced) << 0u << 0;
    QTest::newRow("table grows between the calls") << int(Grow) << 1u << 0;
    QTest::newRow("truncated by 100 bytes") << int(Shortfall) << 100u << 0;
    QTest::newRow("truncated by one row") << int(Shortfall) << 860u << 0;
    QTest::newRow("only the header") << int(Shortfall) << 3u * 860u << 0;
    QTest::newRow("less than a header") << int(Shortfall) << 3u * 860u + 2u << 0;
    QTest::newRow("count beyond the buffer") << int(RowCount) << 4u << 0;
    QTest::newRow("count 2^32-1") << int(RowCount) << 0xFFFFFFFFu << 0;
    QTest::newRow("count 2^31") << int(RowCount) << P31 << 0;
    QTest::newRow("count below the rows") << int(RowCount) << 2u << 2;
    QTest::newRow("count 0") << int(RowCount) << 0u << 0;
}

void TestStats::badTable() {
    QFETCH(int, fault);
    QFETCH(quint32, value);
    QFETCH(int, expectedRecords);
    FakeInterfaceTable table({row("a", 10, 20), row("b", 30, 40), row("c", 50, 60)});
    switch (fault) {
    case 0:
        table.setForcedResult(value);
        break;
    case 1:
        table.setGrowAfterSizeQuery(std::vector<FakeIfRow>(value, row("d", 1, 1)));
        break;
    case 2:
        table.setSizeShortfall(value);
        break;
    default:
        table.setRowCountOverride(value);
        break;
    }
    CIpHelper helper(table);
    const auto list = helper.Interfaces();
    QVERIFY(list);
    QCOMPARE(list->count(), expectedRecords);
    QCOMPARE(helper.BytesReceived(), expectedRecords ? 40.0 : 0.0);
    QCOMPARE(helper.BytesSent(), expectedRecords ? 60.0 : 0.0);
}

void TestStats::badTableAfterGoodOneKeepsTotals() {
    FakeInterfaceTable table({row("a", 10, 20)});
    CIpHelper helper(table);
    const auto good = helper.Interfaces();
    QCOMPARE(helper.BytesReceived(), 10.0);
    table.setForcedResult(platform::ErrorNotSupported);
    const auto bad = helper.Interfaces();
    QCOMPARE(bad->count(), 0);
    QCOMPARE(helper.BytesReceived(), 10.0);
    QCOMPARE(helper.BytesSent(), 20.0);
    QCOMPARE(good->count(), 1);
    // The next reading adds what the counters grew by over the gap.
    table.setForcedResult(std::nullopt);
    table.rows()[0].inOctets = 70;
    helper.Interfaces();
    QCOMPARE(helper.BytesReceived(), 70.0);
}

namespace {

using Readings = std::vector<std::vector<FakeIfRow>>;

// Rows of one machine: an adapter (index 2), and a software interface (index 5).
FakeIfRow adapter(quint64 in, quint64 out, bool up = true) {
    FakeIfRow r = wideRow("eth0", 2, in, out);
    r.operStatus = up ? 5 : 2;
    return r;
}
FakeIfRow software(quint32 index, quint64 in, quint64 out, bool defaultRoute = false) {
    FakeIfRow r = wideRow("tun0", index, in, out);
    r.role = platform::IfRole::Virtual;
    r.defaultRoute = defaultRoute;
    return r;
}

} // namespace

void TestStats::totalsGrowByTheEdge_data() {
    QTest::addColumn<Readings>("readings");
    QTest::addColumn<double>("received");
    QTest::addColumn<double>("sent");
    QTest::addColumn<int>("routeQuestions");

    QTest::newRow("software beside an adapter that carries traffic never counts")
        << Readings{{adapter(1000, 100), software(5, 500, 50, true)},
                    {adapter(1600, 160), software(5, 1100, 110, true)}}
        << 1600.0 << 160.0 << 0;
    QTest::newRow("no adapter carries traffic: the default routes' interfaces count")
        << Readings{{adapter(1000, 100, false), software(5, 500, 50, true), software(6, 7, 7)},
                    {adapter(1000, 100, false), software(5, 800, 90, true), software(6, 9, 9)}}
        << 800.0 << 90.0 << 6;
    QTest::newRow("an interface that comes adds only what it moves afterwards")
        << Readings{{adapter(1000, 100)},
                    {adapter(1100, 110), wideRow("wlan0", 9, 70000, 7000)},
                    {adapter(1200, 120), wideRow("wlan0", 9, 70500, 7050)}}
        << 1700.0 << 170.0 << 0;
    QTest::newRow("an interface that goes takes nothing away")
        << Readings{{adapter(1000, 100), wideRow("wlan0", 9, 5000, 500)}, {adapter(1100, 110)}}
        << 6100.0 << 610.0 << 0;
    QTest::newRow("a counter that falls was reset and adds nothing that reading")
        << Readings{{adapter(1000, 100)}, {adapter(40, 4)}, {adapter(90, 9)}} << 1050.0 << 105.0
        << 0;
    QTest::newRow("a 32-bit counter that wraps adds the step across 2^32")
        << Readings{{row("eth0", 0xFFFFFF00u, 0)}, {row("eth0", 0x100u, 0)}} << 4294967552.0 << 0.0
        << 0;
    QTest::newRow("a 32-bit counter that falls by less than half its range was reset")
        << Readings{{row("eth0", 0x90000000u, 0)}, {row("eth0", 0x20000000u, 0)}} << 2415919104.0
        << 0.0 << 0;
}

void TestStats::totalsGrowByTheEdge() {
    QFETCH(Readings, readings);
    QFETCH(double, received);
    QFETCH(double, sent);
    QFETCH(int, routeQuestions);
    FakeInterfaceTable table;
    CIpHelper helper(table);
    for (const auto& rows : readings) {
        table.setRows(rows);
        QCOMPARE(helper.Interfaces()->count(), qint32(rows.size()));
    }
    QCOMPARE(helper.BytesReceived(), received);
    QCOMPARE(helper.BytesSent(), sent);
    QCOMPARE(table.routeQuestions(), routeQuestions);
}

void TestStats::grownTableRecoversNextRead() {
    FakeInterfaceTable table({row("a", 10, 20)});
    table.setGrowAfterSizeQuery({row("b", 1, 2)});
    CIpHelper helper(table);
    QCOMPARE(helper.Interfaces()->count(), 0);
    QCOMPARE(table.fetches(), 0); // no retry within the refresh
    QCOMPARE(helper.Interfaces()->count(), 2);
    QCOMPARE(helper.BytesReceived(), 11.0);
    QCOMPARE(helper.BytesSent(), 22.0);
}

QTEST_GUILESS_MAIN(TestStats)
#include "test_stats.moc"
