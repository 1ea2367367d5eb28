#include "platform/fake/fakeresolver.h"
#include "platform/resolver.h"
#include "runtime/codepage.h"
#include "services/web.h"
#include "support/scratchnetns.h"
#include "support/silentnameserver.h"

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

private:
    bool m_isolated = false;
};

// A name that does not resolve would send a query to the system's name server. In a
// network namespace of the test's own, with no interface up, the query cannot leave
// the machine and fails at once; "localhost" still resolves from the hosts file.
void TestWeb::initTestCase() {
    m_isolated = ::unshare(CLONE_NEWNET) == 0;
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
    if (host.contains(QLatin1String(".invalid")) && !m_isolated)
        QSKIP("needs root for a network namespace: the lookup would leave the machine");
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
    QTest::addColumn<bool>("asksTheServer");
    QTest::newRow("name server never answers") << "probe.example.com"
                                               << "" << true;
    QTest::newRow("hosts file still answers") << "localhost"
                                              << "127.0.0.1" << false;
    QTest::newRow("dotted address needs no server") << "10.0.0.5"
                                                    << "10.0.0.5" << false;
}

// The lookup runs in a namespace of the test's own whose only name server, on
// 127.0.0.1, reads every query and never answers; the system resolver is told to wait 30 s
// for it. The lookup gives up after a few seconds, and a 10 ms timer on the calling
// thread keeps ticking all the while.
void TestWeb::unansweredLookupKeepsTheWindowRunning() {
    QFETCH(QString, host);
    QFETCH(QString, address);
    QFETCH(bool, asksTheServer);

    const QString reason = testing::ScratchNetns::unavailableReason();
    if (!reason.isEmpty())
        QSKIP(qPrintable(reason));
    testing::ScratchNetns ns(QStringLiteral("dns"));
    QVERIFY2(ns.isValid(), qPrintable(ns.lastError()));
    QVERIFY2(ns.ip({"link", "set", "lo", "up"}), qPrintable(ns.lastError()));
    QVERIFY2(ns.setNameServers({"127.0.0.1"}, "timeout:30 attempts:1"), qPrintable(ns.lastError()));
    testing::SilentNameServer server(ns.name());
    QVERIFY2(server.isValid(), qPrintable(server.error()));

    QString output;
    QVERIFY2(testing::runTool("ip", {"netns", "exec", ns.name(), TARVO_RESOLVE_PROBE, host},
                              &output, {}, 60000),
             qPrintable(output));
    const QStringList lines = output.split('\n');
    QVERIFY2(lines.size() >= 3, qPrintable(output));
    const qint64 elapsed = lines[1].toLongLong();
    const int ticks = lines[2].toInt();
    QCOMPARE(lines[0], address);
    if (asksTheServer) {
        QVERIFY2(server.queries() >= 1, "the lookup never reached the name server");
        // Bounded by a few seconds, far below the resolver's own 30 s.
        QVERIFY2(elapsed < 10000, qPrintable(output));
        // The timer ran throughout: a 10 ms timer over at least a second of waiting.
        QVERIFY2(elapsed >= 1000 && ticks >= elapsed / 10 / 4, qPrintable(output));
    } else {
        QCOMPARE(server.queries(), 0);
    }
}

QTEST_MAIN(TestWeb)
#include "test_web.moc"
