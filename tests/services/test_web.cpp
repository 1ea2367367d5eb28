#include "platform/fake/fakeresolver.h"
#include "platform/linux/resolvconf.h"
#include "platform/resolver.h"
#include "runtime/codepage.h"
#include "services/web.h"
#include "support/scratchnetns.h"
#include "support/silentnameserver.h"

#include <QTemporaryDir>
#include <QtTest>

#include <sched.h>

using namespace tarvo;

class TestWeb final : public QObject {
    Q_OBJECT

private slots:
    void initTestCase();
    void resolvesThroughTheSystem_data();
    void resolvesThroughTheSystem();
    void writesAddressBytes_data();
    void writesAddressBytes();
    void handsTheNameOnAsAnsi();
    void recognisesDottedAddresses_data();
    void recognisesDottedAddresses();
    void unansweredLookupKeepsTheWindowRunning_data();
    void unansweredLookupKeepsTheWindowRunning();
    void retrySchedule_data();
    void retrySchedule();

private:
    bool m_isolated = false;
    QTemporaryDir m_etc;
};

// A name that does not resolve would send a query to the system's name server. In a
// network namespace of the test's own, with no interface up, the query cannot leave
// the machine and fails at once; "localhost" still resolves from the test's hosts file.
void TestWeb::initTestCase() {
    m_isolated = ::unshare(CLONE_NEWNET) == 0 && testing::writeEtcFiles(m_etc.path()).isEmpty() &&
                 testing::overlayEtc(m_etc.path()).isEmpty();
}

void TestWeb::resolvesThroughTheSystem_data() {
    QTest::addColumn<QString>("host");
    QTest::addColumn<QString>("address");
    QTest::newRow("localhost") << "localhost"
                               << "127.0.0.1";
    QTest::newRow("dotted address") << "10.0.0.5"
                                    << "10.0.0.5";
    QTest::newRow("another dotted address") << "192.168.1.20"
                                            << "192.168.1.20";
    QTest::newRow("name that cannot exist") << "no-such-host.invalid"
                                            << "";
    QTest::newRow("empty") << ""
                           << "";
    QTest::newRow("NUL inside the name") << QString("localhost") + QChar(0) + "x.invalid"
                                         << "";
}

void TestWeb::resolvesThroughTheSystem() {
    QFETCH(QString, host);
    QFETCH(QString, address);
    if (!isDottedIPv4(host) && !m_isolated)
        QSKIP("needs root for a network namespace and a hosts file of the test's own");
    auto resolver = platform::createHostResolver();
    const QString before = host;
    QCOMPARE(ResolveHostAddress(*resolver, host), address);
    QCOMPARE(host, before);
}

void TestWeb::writesAddressBytes_data() {
    QTest::addColumn<int>("a");
    QTest::addColumn<int>("b");
    QTest::addColumn<int>("c");
    QTest::addColumn<int>("d");
    QTest::addColumn<QString>("text");
    QTest::newRow("10.0.0.5") << 10 << 0 << 0 << 5 << "10.0.0.5";
    QTest::newRow("all zero") << 0 << 0 << 0 << 0 << "0.0.0.0";
    QTest::newRow("all ones") << 255 << 255 << 255 << 255 << "255.255.255.255";
    QTest::newRow("no leading zeros") << 1 << 20 << 100 << 7 << "1.20.100.7";
}

void TestWeb::writesAddressBytes() {
    QFETCH(int, a);
    QFETCH(int, b);
    QFETCH(int, c);
    QFETCH(int, d);
    QFETCH(QString, text);
    platform::FakeHostResolver resolver;
    resolver.add("probe", {quint8(a), quint8(b), quint8(c), quint8(d)});
    QCOMPARE(ResolveHostAddress(resolver, "probe"), text);
    QVERIFY(isDottedIPv4(text));
}

void TestWeb::handsTheNameOnAsAnsi() {
    platform::FakeHostResolver resolver;
    const QString name = QStringLiteral("主机.example");
    resolver.add(runtime::toAnsi(name), {192, 168, 1, 20});
    QCOMPARE(ResolveHostAddress(resolver, name), QStringLiteral("192.168.1.20"));
    QCOMPARE(resolver.asked(), QByteArrayList{runtime::toAnsi(name)});
    QCOMPARE(ResolveHostAddress(resolver, "other"), QString());
}

void TestWeb::recognisesDottedAddresses_data() {
    QTest::addColumn<QString>("text");
    QTest::addColumn<bool>("dotted");
    QTest::newRow("plain") << "10.0.0.5" << true;
    QTest::newRow("edges") << "0.255.0.255" << true;
    QTest::newRow("empty") << "" << false;
    QTest::newRow("three parts") << "10.0.5" << false;
    QTest::newRow("five parts") << "1.2.3.4.5" << false;
    QTest::newRow("empty part") << "1..3.4" << false;
    QTest::newRow("trailing dot") << "1.2.3.4." << false;
    QTest::newRow("over 255") << "1.2.3.256" << false;
    QTest::newRow("leading zero") << "01.2.3.4" << false;
    QTest::newRow("sign") << "+1.2.3.4" << false;
    QTest::newRow("blank") << "1.2.3.4 " << false;
    QTest::newRow("option") << "-f" << false;
    QTest::newRow("name") << "localhost" << false;
    QTest::newRow("IPv6") << "::1" << false;
    QTest::newRow("trailing argument") << "1.2.3.4 -f" << false;
    QTest::newRow("full-width digits") << QStringLiteral("１.2.3.4") << false;
}

void TestWeb::recognisesDottedAddresses() {
    QFETCH(QString, text);
    QFETCH(bool, dotted);
    QCOMPARE(isDottedIPv4(text), dotted);
}

void TestWeb::unansweredLookupKeepsTheWindowRunning_data() {
    QTest::addColumn<QString>("host");
    QTest::addColumn<QString>("address");
    QTest::addColumn<QString>("options");
    QTest::addColumn<int>("lookups");
    QTest::addColumn<int>("queries");
    QTest::addColumn<int>("answerEvery");
    // The system resolver waits 30 s for its one try; each lookup gives up before the
    // next check, and the second waits for the first instead of asking again.
    QTest::newRow("name server never answers, asked twice")
        << "probe.example.com"
        << ""
        << "timeout:30 attempts:1" << 2 << 1 << 0;
    // Asked at 0, 3 and 6 s, the server answers the third: past 5 s, inside the schedule.
    QTest::newRow("answer at 6 s of a 9 s schedule") << "probe.example.com"
                                                     << "127.0.0.1"
                                                     << "timeout:3 attempts:3" << 1 << 3 << 3;
    QTest::newRow("hosts file still answers") << "localhost"
                                              << "127.0.0.1"
                                              << "" << 1 << 0 << 0;
    QTest::newRow("dotted address needs no server") << "10.0.0.5"
                                                    << "10.0.0.5"
                                                    << "" << 1 << 0 << 0;
}

// The lookups run in a namespace of the test's own whose only name server, on 127.0.0.1,
// reads every query and never answers. A 10 ms timer on the calling thread keeps
// ticking all the while, and every lookup ends before the next latency check (20 s).
void TestWeb::unansweredLookupKeepsTheWindowRunning() {
    QFETCH(QString, host);
    QFETCH(QString, address);
    QFETCH(QString, options);
    QFETCH(int, lookups);
    QFETCH(int, queries);
    QFETCH(int, answerEvery);

    const QString reason = testing::ScratchNetns::unavailableReason();
    if (!reason.isEmpty())
        QSKIP(qPrintable(reason));
    testing::ScratchNetns ns(QStringLiteral("dns"));
    QVERIFY2(ns.isValid(), qPrintable(ns.lastError()));
    QVERIFY2(ns.ip({"link", "set", "lo", "up"}), qPrintable(ns.lastError()));
    QVERIFY2(ns.setNameServers({"127.0.0.1"}, options), qPrintable(ns.lastError()));
    testing::SilentNameServer server(ns.name(), answerEvery);
    QVERIFY2(server.isValid(), qPrintable(server.error()));

    QString output;
    QVERIFY2(testing::runTool("ip", ns.exec(TARVO_RESOLVE_PROBE, {host, QString::number(lookups)}),
                              &output, {}, 90000),
             qPrintable(output));
    const QStringList lines = output.split('\n', Qt::SkipEmptyParts);
    QCOMPARE(lines.size(), lookups);
    for (const QString& line : lines) {
        const QStringList fields = line.split(' ');
        QCOMPARE(fields.size(), 3);
        const qint64 elapsed = fields[1].toLongLong();
        const int ticks = fields[2].toInt();
        QCOMPARE(fields[0], address.isEmpty() ? QStringLiteral("-") : address);
        QVERIFY2(elapsed < 20000, qPrintable(output));
        // The timer ran throughout: a 10 ms timer over at least a second of waiting.
        if (queries > 0)
            QVERIFY2(elapsed >= 1000 && ticks >= elapsed / 10 / 4, qPrintable(output));
    }
    QCOMPARE(server.queries(), queries);
}

void TestWeb::retrySchedule_data() {
    QTest::addColumn<QByteArray>("config");
    QTest::addColumn<QByteArray>("environment");
    QTest::addColumn<int>("seconds");
    QTest::addColumn<bool>("outlasted");
    QTest::newRow("no file: 5 s, two tries") << QByteArray() << QByteArray() << 10 << true;
    QTest::newRow("one name server")
        << QByteArray("# local\nnameserver 127.0.0.1\n") << QByteArray() << 10 << true;
    QTest::newRow("options line")
        << QByteArray("nameserver 127.0.0.1\noptions rotate timeout:3 attempts:4\n") << QByteArray()
        << 12 << true;
    QTest::newRow("commented out")
        << QByteArray("#options timeout:1\n; options attempts:1\n") << QByteArray() << 10 << true;
    QTest::newRow("two name servers: 5 s, then 10 / 2")
        << QByteArray("nameserver 10.0.0.1\nnameserver 10.0.0.2\n") << QByteArray() << 20 << false;
    QTest::newRow("four name servers: glibc asks three: 5, 10 / 3, 20 / 3")
        << QByteArray("nameserver 10.0.0.1\nnameserver 10.0.0.2\n"
                      "nameserver 10.0.0.3\nnameserver 10.0.0.4\n")
        << QByteArray() << 28 << false;
    QTest::newRow("beyond glibc's limits: 30 s, five tries")
        << QByteArray("options timeout:99 attempts:9\n") << QByteArray() << 150 << false;
    QTest::newRow("RES_OPTIONS after the file")
        << QByteArray("options timeout:30\n") << QByteArray("timeout:1") << 2 << true;
}

// How long glibc's resolver goes on retrying, and the wait of a lookup: all of that when
// it ends in good time before the next check, never as long as the check period (20 s).
void TestWeb::retrySchedule() {
    QFETCH(QByteArray, config);
    QFETCH(QByteArray, environment);
    QFETCH(int, seconds);
    QFETCH(bool, outlasted);
    const auto schedule = platform::linux_::retrySchedule(config, environment);
    QCOMPARE(schedule, std::chrono::seconds(seconds));
    const auto bound = platform::lookupBound(schedule);
    QVERIFY(bound < std::chrono::seconds(20));
    QCOMPARE(bound > schedule, outlasted);
}

QTEST_MAIN(TestWeb)
#include "test_web.moc"
