#include "platform/fake/fakeconnection.h"
#include "runtime/codepage.h"
#include "services/online.h"
#include "support/scratchnetns.h"

#include <QProcess>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QtTest>

using namespace tarvo;
using platform::connflag::Configured;
using platform::connflag::Lan;

using Commands = QList<QStringList>;
Q_DECLARE_METATYPE(Commands)

namespace {

// Ends a helper process however the test leaves.
struct Stopper {
    QProcess& process;
    ~Stopper() {
        if (process.state() != QProcess::NotRunning) {
            process.kill();
            process.waitForFinished();
        }
    }
};

// A namespace whose default route leaves through the veth interface "va".
bool makeRoutedNamespace(testing::ScratchNetns& ns) {
    return ns.isValid() && ns.ip({"link", "add", "va", "type", "veth", "peer", "name", "vb"}) &&
           ns.ip({"addr", "add", "10.201.0.1/24", "dev", "va"}) &&
           ns.ip({"link", "set", "va", "up"}) && ns.ip({"link", "set", "vb", "up"}) &&
           ns.ip({"route", "add", "default", "via", "10.201.0.2", "dev", "va"});
}

} // namespace

class TestOnline final : public QObject {
    Q_OBJECT

private slots:
    void readsTheSourcesAnswer_data();
    void readsTheSourcesAnswer();
    void overwritesPreviousValues();

    void routesDecideInANamespace_data();
    void routesDecideInANamespace();
    void aChangeBetweenQueriesIsSeen_data();
    void aChangeBetweenQueriesIsSeen();
    void networkManagerNamesTheConnection_data();
    void networkManagerNamesTheConnection();
};

void TestOnline::readsTheSourcesAnswer_data() {
    QTest::addColumn<bool>("connected");
    QTest::addColumn<quint32>("flags");
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<QString>("name");

    QTest::newRow("LAN with a Chinese name")
        << true << quint32(Lan | Configured) << runtime::toAnsi(u"本地连接") << "本地连接";
    QTest::newRow("not connected, flags still written")
        << false << quint32(Configured) << QByteArray() << "";
    QTest::newRow("name ends at the first NUL")
        << true << quint32(Lan) << QByteArray("abc\0def", 7) << "abc";
    QTest::newRow("name filling all 512 bytes")
        << true << quint32(Lan) << QByteArray(512, 'n') << QString(512, u'n');
    QTest::newRow("longer name cut at 512 bytes")
        << true << quint32(Lan) << QByteArray(600, 'n') << QString(512, u'n');
    QTest::newRow("modem") << true << quint32(platform::connflag::Modem) << QByteArray("dial-up")
                           << "dial-up";
}

void TestOnline::readsTheSourcesAnswer() {
    QFETCH(bool, connected);
    QFETCH(quint32, flags);
    QFETCH(QByteArray, bytes);
    QFETCH(QString, name);

    platform::FakeConnectionSource source;
    source.set(connected, flags, bytes);
    quint32 gotFlags = 0;
    QString gotName;
    QCOMPARE(GetConnectionState(source, gotFlags, gotName), connected);
    QCOMPARE(gotFlags, flags);
    QCOMPARE(gotName, name);
    QCOMPARE(source.lastCapacity(), qsizetype(platform::ConnectionNameBytes));
}

void TestOnline::overwritesPreviousValues() {
    platform::FakeConnectionSource source;
    quint32 flags = 0xFFFF;
    QString name = QStringLiteral("old name");
    source.set(false, 0, {});
    QVERIFY(!GetConnectionState(source, flags, name));
    QCOMPARE(flags, quint32(0));
    QCOMPARE(name, QString());
    QCOMPARE(source.calls(), 1);
}

void TestOnline::routesDecideInANamespace_data() {
    QTest::addColumn<Commands>("commands");
    QTest::addColumn<bool>("connected");
    QTest::addColumn<qint64>("flags"); // -1: not looked at
    QTest::addColumn<QString>("name");

    const Commands pair = {
        {"link", "add", "va", "type", "veth", "peer", "name", "vb"},
        {"addr", "add", "10.201.0.1/24", "dev", "va"},
        {"link", "set", "va", "up"},
        {"link", "set", "vb", "up"},
    };
    const Commands second = {
        {"link", "add", "vc", "type", "veth", "peer", "name", "vd"},
        {"addr", "add", "10.202.0.1/24", "dev", "vc"},
        {"link", "set", "vc", "up"},
        {"link", "set", "vd", "up"},
    };
    const QStringList viaA = {"route", "add", "default", "via", "10.201.0.2", "dev", "va"};
    const QStringList viaC = {"route", "add", "default", "via", "10.202.0.2", "dev", "vc"};

    QTest::newRow("empty namespace") << Commands{} << false << qint64(0) << "";
    QTest::newRow("address but no default route") << pair << false << qint64(Configured) << "";
    QTest::newRow("default route")
        << pair + Commands{viaA} << true << qint64(Lan | Configured) << "va";
    QTest::newRow("IPv6 default route")
        << pair + Commands{{"-6", "addr", "add", "fd00::1/64", "dev", "va", "nodad"},
                           {"-6", "route", "add", "default", "via", "fd00::2", "dev", "va"}}
        << true << qint64(Lan | Configured) << "va";
    QTest::newRow("peer down") << pair + Commands{viaA, {"link", "set", "vb", "down"}} << false
                               << qint64(Configured) << "";
    QTest::newRow("interface down")
        << pair + Commands{viaA, {"link", "set", "va", "down"}} << false << qint64(-1) << "";
    QTest::newRow("default route in another table")
        << pair + Commands{viaA + QStringList{"table", "100"}} << false << qint64(Configured) << "";
    QTest::newRow("blackhole default") << pair + Commands{{"route", "add", "blackhole", "default"}}
                                       << false << qint64(Configured) << "";
    QTest::newRow("lowest metric wins")
        << pair + second +
               Commands{viaA + QStringList{"metric", "100"}, viaC + QStringList{"metric", "50"}}
        << true << qint64(Lan | Configured) << "vc";
    QTest::newRow("route over a down link is passed over")
        << pair + second +
               Commands{viaA + QStringList{"metric", "10"},
                        viaC + QStringList{"metric", "50"},
                        {"link", "set", "vb", "down"}}
        << true << qint64(Lan | Configured) << "vc";
}

void TestOnline::routesDecideInANamespace() {
    QFETCH(Commands, commands);
    QFETCH(bool, connected);
    QFETCH(qint64, flags);
    QFETCH(QString, name);

    const QString reason = testing::ScratchNetns::unavailableReason();
    if (!reason.isEmpty())
        QSKIP(qPrintable(reason));

    testing::ScratchNetns ns(QStringLiteral("conn"));
    QVERIFY2(ns.isValid(), qPrintable(ns.lastError()));
    for (const QStringList& command : commands)
        QVERIFY2(ns.ip(command), qPrintable(command.join(' ') + ": " + ns.lastError()));

    QString output;
    QVERIFY2(testing::runTool("ip", {"netns", "exec", ns.name(), TARVO_CONNECTION_PROBE}, &output),
             qPrintable(output));
    const QStringList lines = output.split('\n');
    QVERIFY2(lines.size() >= 3, qPrintable(output));
    QCOMPARE(lines[0] == "1", connected);
    if (flags >= 0)
        QCOMPARE(lines[1].toLongLong(), flags);
    // NetworkManager does not see the namespace: the name is the interface's.
    QCOMPARE(lines[2], name);
}

// One source asked before and after a change: the tables are read again only after the
// kernel announces a change, so every kind of change must be announced and heard.
void TestOnline::aChangeBetweenQueriesIsSeen_data() {
    QTest::addColumn<Commands>("setup"); // run in the namespace before the probe starts
    QTest::addColumn<Commands>("change");
    QTest::addColumn<QString>("before");
    QTest::addColumn<QString>("after");
    const Commands none;
    QTest::newRow("default route removed")
        << none << Commands{{"route", "del", "default"}} << "1 66 va"
        << "0 64 ";
    // The other end's routes stay: still configured.
    QTest::newRow("interface down") << none << Commands{{"link", "set", "va", "down"}} << "1 66 va"
                                    << "0 64 ";
    // The carrier goes, the routes stay (no IPv6 on the other end, whose link-local
    // routes would go): only the link's notice tells.
    QTest::newRow("other end down")
        << Commands{{"sysctl", "-q", "-w", "net.ipv6.conf.vb.disable_ipv6=1"}}
        << Commands{{"link", "set", "vb", "down"}} << "1 66 va"
        << "0 64 ";
    QTest::newRow("default route added back")
        << none << Commands{{"route", "del", "default"}, {"route", "add", "default", "dev", "vb"}}
        << "1 66 va"
        << "1 66 vb";
    QTest::newRow("nothing changed") << none << Commands{} << "1 66 va"
                                     << "1 66 va";
}

void TestOnline::aChangeBetweenQueriesIsSeen() {
    QFETCH(Commands, setup);
    QFETCH(Commands, change);
    QFETCH(QString, before);
    QFETCH(QString, after);
    const QString reason = testing::ScratchNetns::unavailableReason();
    if (!reason.isEmpty())
        QSKIP(qPrintable(reason));
    testing::ScratchNetns ns(QStringLiteral("watch"));
    QVERIFY2(makeRoutedNamespace(ns), qPrintable(ns.lastError()));
    for (const QStringList& command : setup) {
        QString output;
        QVERIFY2(testing::runTool("ip", QStringList{"netns", "exec", ns.name()} + command, &output),
                 qPrintable(output));
    }

    QProcess probe;
    Stopper stopper{probe};
    probe.start(QStringLiteral("ip"),
                {QStringLiteral("netns"), QStringLiteral("exec"), ns.name(),
                 QStringLiteral(TARVO_CONNECTION_PROBE), QStringLiteral("--each-line")});
    QVERIFY(probe.waitForStarted());
    const auto ask = [&probe] {
        probe.write("\n");
        probe.waitForBytesWritten();
        while (!probe.canReadLine() && probe.waitForReadyRead(5000)) {
        }
        return QString::fromUtf8(probe.readLine()).trimmed();
    };
    QCOMPARE(ask(), before.trimmed());
    QCOMPARE(ask(), before.trimmed()); // asked again with nothing changed
    for (const QStringList& command : change)
        QVERIFY2(ns.ip(command), qPrintable(command.join(' ') + ": " + ns.lastError()));
    QCOMPARE(ask(), after.trimmed());
}

// The probe asks `queries` times, handling its messages for `pause` ms in between, as the
// window does between sampling ticks.
void TestOnline::networkManagerNamesTheConnection_data() {
    QTest::addColumn<QString>("mode");  // how the stand-in answers, or "absent"
    QTest::addColumn<QString>("known"); // the interface it knows
    QTest::addColumn<int>("queries");
    QTest::addColumn<int>("pause");
    QTest::addColumn<QString>("first"); // the name of the first answer
    QTest::addColumn<QString>("name");  // the name of the last answer
    QTest::addColumn<int>("minDeviceCalls");
    QTest::addColumn<int>("maxDeviceCalls");

    const QString nm = QStringLiteral("有线连接 1");
    // The first tick does not wait for the bus; the name shows from the next one.
    QTest::newRow("connection name") << "answer"
                                     << "va" << 3 << 300 << "va" << nm << 3 << 3;
    QTest::newRow("device it does not manage") << "answer"
                                               << "eth9" << 3 << 300 << "va"
                                               << "va" << 3 << 3;
    // Three questions of 1 s each: the name arrives after about 3 s, and no query
    // waits meanwhile, nor is a second question sent while one is on its way.
    QTest::newRow("slow bus: name picked up when it arrives")
        << "slow:1000"
        << "va" << 24 << 250 << "va" << nm << 1 << 2;
    // No answer within the time-out: the name stays the interface's and the service is
    // not asked again soon.
    QTest::newRow("no answer in time: not asked again soon") << "slow:7000"
                                                             << "va" << 26 << 250 << "va"
                                                             << "va" << 1 << 1;
    QTest::newRow("not on the bus") << "absent"
                                    << "va" << 2 << 100 << "va"
                                    << "va" << 0 << 0;
}

void TestOnline::networkManagerNamesTheConnection() {
    QFETCH(QString, mode);
    QFETCH(QString, known);
    QFETCH(int, queries);
    QFETCH(int, pause);
    QFETCH(QString, first);
    QFETCH(QString, name);
    QFETCH(int, minDeviceCalls);
    QFETCH(int, maxDeviceCalls);

    const QString reason = testing::ScratchNetns::unavailableReason();
    if (!reason.isEmpty())
        QSKIP(qPrintable(reason));
    if (QStandardPaths::findExecutable("dbus-daemon").isEmpty())
        QSKIP("dbus-daemon is not installed");

    // A private bus on a socket file, reachable from inside the namespace.
    QTemporaryDir dir;
    QVERIFY(dir.isValid());
    const QString address = "unix:path=" + dir.filePath("bus");
    QProcess daemon;
    Stopper stopDaemon{daemon};
    daemon.start("dbus-daemon",
                 {"--session", "--nofork", "--print-address", "--address=" + address});
    QVERIFY2(daemon.waitForReadyRead(10000), qPrintable(daemon.errorString()));

    QProcess manager;
    Stopper stopManager{manager};
    if (mode != u"absent") {
        manager.start(TARVO_FAKE_NM, {address, mode, known + QStringLiteral("=有线连接 1")});
        QVERIFY(manager.waitForReadyRead(10000));
        QCOMPARE(manager.readLine().trimmed(), QByteArray("ready"));
    }

    testing::ScratchNetns ns(QStringLiteral("nm"));
    QVERIFY2(makeRoutedNamespace(ns), qPrintable(ns.lastError()));
    QString output;
    QVERIFY2(testing::runTool("ip",
                              {"netns", "exec", ns.name(), TARVO_CONNECTION_PROBE,
                               QString::number(queries), QString::number(pause)},
                              &output, {"DBUS_SYSTEM_BUS_ADDRESS=" + address}, 60000),
             qPrintable(output));
    const QStringList lines = output.split('\n');
    QVERIFY2(lines.size() >= 5, qPrintable(output));
    QCOMPARE(lines[0], QStringLiteral("1"));
    QCOMPARE(lines[1].toUInt(), Lan | Configured);
    QCOMPARE(lines[2], name);
    const QStringList answers = lines[3].split(u'|');
    QCOMPARE(answers.size(), queries);
    QCOMPARE(answers.front(), first);
    // However slow the bus, no query waited for it (the stand-in takes 1 s or more per
    // answer when slow).
    QVERIFY2(lines[4].toInt() < 500, qPrintable(output));

    QString log;
    if (mode != u"absent") {
        manager.kill(); // its log is complete: every line is flushed as it is written
        manager.waitForFinished();
        log = QString::fromUtf8(manager.readAllStandardOutput());
    }
    const int deviceCalls = int(log.count(QStringLiteral("call GetDeviceByIpIface")));
    QVERIFY2(deviceCalls >= minDeviceCalls && deviceCalls <= maxDeviceCalls, qPrintable(log));
}

QTEST_MAIN(TestOnline)
#include "test_online.moc"
