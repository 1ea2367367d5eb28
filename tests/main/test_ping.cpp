// The latency probe against real echo replies: the system's ping command run through
// the command runner, on loopback and in network namespaces the test makes itself.
#include "main/speed.h"
#include "platform/process.h"
#include "platform/resolver.h"
#include "support/echoresponder.h"
#include "support/scratchnetns.h"
#include "support/silentnameserver.h"

#include <QPlainTextEdit>
#include <QStandardPaths>
#include <QtTest>

#include <memory>

using namespace tarvo;
using namespace std::chrono_literals;

namespace {

// Runs every command line inside a namespace.
class NetnsLauncher final : public platform::IProcessLauncher {
public:
    explicit NetnsLauncher(QString netns)
        : m_netns(std::move(netns)) {}
    std::unique_ptr<platform::IProcessOutput> start(const QString& commandLine) override {
        return m_real->start("ip netns exec " + m_netns + " " + commandLine);
    }

private:
    QString m_netns;
    std::unique_ptr<platform::IProcessLauncher> m_real = platform::createProcessLauncher();
};

// A host at `address`, reached from namespace `from`, whose echoes come back late or not
// at all: a veth pair with a netem queue where the kernel has one, else a TUN device
// answered by a test thread.
struct SlowPath {
    std::unique_ptr<testing::ScratchNetns> from;
    std::unique_ptr<testing::ScratchNetns> to;
    std::unique_ptr<testing::DelayedEchoResponder> responder;
    QString address;
    QString how;
    QString failure; // set when neither way works here
};

SlowPath makeSlowPath(std::chrono::milliseconds delay, bool dropAll) {
    SlowPath path;
    const QString netem =
        dropAll ? QStringLiteral("loss 100%") : QStringLiteral("delay %1ms").arg(delay.count());

    path.from = std::make_unique<testing::ScratchNetns>(QStringLiteral("pinga"));
    path.to = std::make_unique<testing::ScratchNetns>(QStringLiteral("pingb"));
    auto& a = *path.from;
    auto& b = *path.to;
    const bool linked =
        a.isValid() && b.isValid() &&
        a.ip({"link", "add", "va", "type", "veth", "peer", "name", "vb", "netns", b.name()}) &&
        a.ip({"addr", "add", "10.231.0.1/24", "dev", "va"}) &&
        b.ip({"addr", "add", "10.231.0.2/24", "dev", "vb"}) && a.ip({"link", "set", "va", "up"}) &&
        b.ip({"link", "set", "vb", "up"});
    if (linked &&
        a.tc(QStringList{"qdisc", "add", "dev", "va", "root", "netem"} + netem.split(' '))) {
        path.address = QStringLiteral("10.231.0.2");
        path.how = QStringLiteral("veth pair with netem ") + netem;
        return path;
    }
    const QString netemError = linked ? a.lastError().trimmed() : QStringLiteral("no veth pair");
    path.to.reset();

    // No netem: a TUN device in the first namespace, answered by the responder.
    path.responder =
        std::make_unique<testing::DelayedEchoResponder>(a.name(), "tun0", delay, dropAll);
    if (!path.responder->isValid()) {
        path.failure = "netem: " + netemError + "; TUN: " + path.responder->error();
        return path;
    }
    if (!a.ip({"addr", "add", "10.232.0.1", "peer", "10.232.0.2", "dev", "tun0"}) ||
        !a.ip({"link", "set", "tun0", "up"})) {
        path.failure = "TUN set-up: " + a.lastError();
        return path;
    }
    path.address = QStringLiteral("10.232.0.2");
    path.how = (dropAll ? QStringLiteral("TUN device dropping every echo")
                        : QStringLiteral("TUN device answering after %1 ms").arg(delay.count())) +
               QStringLiteral(" (netem unavailable: %1)").arg(netemError);
    return path;
}

} // namespace

class TestPing final : public QObject {
    Q_OBJECT

private slots:
    void initTestCase();
    void loopbackAnswersFast();
    void delayedEchoes();
    void lostEchoes();
    void lostNameQueries();

private:
    QString m_why; // why the namespace tests cannot run here
};

void TestPing::initTestCase() {
    if (QStandardPaths::findExecutable("ping").isEmpty())
        QSKIP("the ping command (iputils-ping) is not installed");
    m_why = testing::ScratchNetns::unavailableReason();
}

void TestPing::loopbackAnswersFast() {
    // iputils' form of three echoes with 1.5 s to wait for each.
    QCOMPARE(platform::pingCommandLine("127.0.0.1"),
             QStringLiteral("ping -n -c 3 -W 1.5 127.0.0.1"));
    auto resolver = platform::createHostResolver();
    auto launcher = platform::createProcessLauncher();
    QPlainTextEdit text1;
    const qint16 average = PingLatency("127.0.0.1", &text1, *resolver, *launcher);
    qInfo("loopback: average %d ms, score %d", average, 1000 - average);
    QVERIFY2(text1.toPlainText().contains("rtt min/avg/max"), qPrintable(text1.toPlainText()));
    QVERIFY2(average >= 0 && average <= 20, qPrintable(text1.toPlainText()));
}

void TestPing::delayedEchoes() {
    if (!m_why.isEmpty())
        QSKIP(qPrintable(m_why));
    SlowPath path = makeSlowPath(120ms, false);
    if (!path.failure.isEmpty())
        QSKIP(qPrintable("no way to delay echoes here: " + path.failure));

    auto resolver = platform::createHostResolver();
    NetnsLauncher launcher(path.from->name());
    QPlainTextEdit text1;
    const qint16 average = PingLatency(path.address, &text1, *resolver, launcher);
    qInfo("%s: average %d ms, score %d", qPrintable(path.how), average, 1000 - average);
    QVERIFY2(average >= 118 && average <= 160, qPrintable(text1.toPlainText()));
}

void TestPing::lostEchoes() {
    if (!m_why.isEmpty())
        QSKIP(qPrintable(m_why));
    SlowPath path = makeSlowPath(0ms, true);
    if (!path.failure.isEmpty())
        QSKIP(qPrintable("no way to drop echoes here: " + path.failure));

    auto resolver = platform::createHostResolver();
    NetnsLauncher launcher(path.from->name());
    QPlainTextEdit text1;
    const qint16 average = PingLatency(path.address, &text1, *resolver, launcher);
    qInfo("%s: %s", qPrintable(path.how),
          average == PingNoAnswer ? "no answer" : qPrintable(QString::number(average)));
    QVERIFY2(text1.toPlainText().contains("100% packet loss"), qPrintable(text1.toPlainText()));
    QCOMPARE(average, PingNoAnswer);
    QVERIFY(1000 - average < 0); // the probe tick clamps this to the score 0
}

// The probe host's name server, on 127.0.0.1 in a namespace of the test's own, loses
// every other query; the system resolver runs with glibc's defaults and asks again after
// 5 s. Every check still rates the local host.
void TestPing::lostNameQueries() {
    if (!m_why.isEmpty())
        QSKIP(qPrintable(m_why));
    testing::ScratchNetns ns(QStringLiteral("lossydns"));
    QVERIFY2(ns.isValid(), qPrintable(ns.lastError()));
    QVERIFY2(ns.ip({"link", "set", "lo", "up"}), qPrintable(ns.lastError()));
    QVERIFY2(ns.setNameServers({"127.0.0.1"}), qPrintable(ns.lastError()));
    testing::SilentNameServer server(ns.name(), 2);
    QVERIFY2(server.isValid(), qPrintable(server.error()));

    const int checks = 2;
    QString output;
    QVERIFY2(testing::runTool(
                 "ip", ns.exec(TARVO_CHECK_PROBE, {"probe.example.com", QString::number(checks)}),
                 &output, {}, 90000),
             qPrintable(output));
    const QStringList averages = output.split('\n', Qt::SkipEmptyParts);
    QCOMPARE(averages.size(), checks);
    for (const QString& average : averages)
        QVERIFY2(average.toInt() >= 0 && average.toInt() <= 20, qPrintable(output));
    QCOMPARE(server.queries(), 2 * checks); // each check lost its first query
}

QTEST_MAIN(TestPing)
#include "test_ping.moc"
