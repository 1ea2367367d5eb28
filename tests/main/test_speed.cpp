#include "forms/yield.h"
#include "main/speed.h"
#include "platform/fake/fakeprocess.h"
#include "platform/fake/fakeresolver.h"
#include "runtime/errors.h"
#include "runtime/numbers.h"

#include <QPlainTextEdit>
#include <QtTest>

using namespace tarvo;
using runtime::ErrorCode;

Q_DECLARE_METATYPE(ErrorCode)

namespace {

const char* const IputilsReply = "PING 10.0.0.5 (10.0.0.5) 56(84) bytes of data.\n"
                                 "64 bytes from 10.0.0.5: icmp_seq=1 ttl=64 time=22.9 ms\n"
                                 "64 bytes from 10.0.0.5: icmp_seq=2 ttl=64 time=23.1 ms\n"
                                 "64 bytes from 10.0.0.5: icmp_seq=3 ttl=64 time=24.0 ms\n"
                                 "\n"
                                 "--- 10.0.0.5 ping statistics ---\n"
                                 "3 packets transmitted, 3 received, 0% packet loss, time 2003ms\n"
                                 "rtt min/avg/max/mdev = 22.900/23.333/24.000/0.478 ms\n";

const char* const IputilsLost =
    "PING 10.0.0.5 (10.0.0.5) 56(84) bytes of data.\n"
    "\n"
    "--- 10.0.0.5 ping statistics ---\n"
    "3 packets transmitted, 0 received, 100% packet loss, time 2042ms\n";

const char* const WindowsReply = "\r\nPinging 10.0.0.5 with 32 bytes of data:\r\n"
                                 "Reply from 10.0.0.5: bytes=32 time=22ms TTL=52\r\n"
                                 "Reply from 10.0.0.5: bytes=32 time=23ms TTL=52\r\n"
                                 "Reply from 10.0.0.5: bytes=32 time=24ms TTL=52\r\n\r\n"
                                 "Ping statistics for 10.0.0.5:\r\n"
                                 "    Packets: Sent = 3, Received = 3, Lost = 0 (0% loss),\r\n"
                                 "Approximate round trip times in milli-seconds:\r\n"
                                 "    Minimum = 22ms, Maximum = 24ms, Average = 23ms\r\n";

const char* const WindowsLost =
    "\r\nPinging 10.0.0.5 with 32 bytes of data:\r\n"
    "Request timed out.\r\nRequest timed out.\r\nRequest timed out.\r\n\r\n"
    "Ping statistics for 10.0.0.5:\r\n"
    "    Packets: Sent = 3, Received = 0, Lost = 3 (100% loss),\r\n";

} // namespace

class TestSpeed final : public QObject {
    Q_OBJECT

private slots:
    void init() {
        forms::setYieldHandler([] {});
    }
    void cleanup() { forms::setYieldHandler({}); }

    void readsTheAverage_data();
    void readsTheAverage();
    void malformedAverageFails_data();
    void malformedAverageFails();
    void noAnswerScoresWorst();
    void readsRealWindowsOutputs_data();
    void readsRealWindowsOutputs();

    void probesTheResolvedAddress();
    void unresolvedHostRunsNoCommand();
    void failingProbeKeepsThePreviousTarget();
    void commandThatCannotStart();
};

void TestSpeed::readsTheAverage_data() {
    QTest::addColumn<QString>("output");
    QTest::addColumn<int>("average");

    QTest::newRow("Windows statistics") << WindowsReply << 23;
    QTest::newRow("Windows line alone") << "Average = 23ms" << 23;
    QTest::newRow("Windows, other case") << "minimum = 1MS, AVERAGE = 5MS" << 5;
    QTest::newRow("Windows, 1000 ms") << "Average = 1000ms" << 1000;
    QTest::newRow("Windows, largest 16-bit") << "Average = 32767ms" << 32767;
    QTest::newRow("Windows, blanks around") << "Average =  7 ms" << 7;
    QTest::newRow("Windows, negative") << "Average = -5ms" << -5;
    QTest::newRow("Windows, fraction half to even") << "Average = 22.5ms" << 22;
    QTest::newRow("iputils statistics") << IputilsReply << 23;
    QTest::newRow("iputils 23.5 rounds up to even")
        << "rtt min/avg/max/mdev = 1/23.5/30/2 ms" << 24;
    QTest::newRow("iputils 22.5 rounds down to even")
        << "rtt min/avg/max/mdev = 1/22.5/30/2 ms" << 22;
    QTest::newRow("iputils loopback") << "rtt min/avg/max/mdev = 0.031/0.089/0.143/0.053 ms" << 0;
    QTest::newRow("iputils 120 ms") << "rtt min/avg/max/mdev = 120.1/120.6/121.0/0.3 ms" << 121;
    QTest::newRow("busybox") << "round-trip min/avg/max = 1.000/2.600/3.000 ms" << 3;
    QTest::newRow("iputils, every echo lost") << IputilsLost << int(PingNoAnswer);
    QTest::newRow("Windows, every echo lost") << WindowsLost << int(PingNoAnswer);
    QTest::newRow("three counts are no round trip")
        << "Sent = 3, Received = 0, Lost = 3 (100% loss)," << int(PingNoAnswer);
    QTest::newRow("three values of two units") << "a = 1ms, b = 2s, c = 3ms" << int(PingNoAnswer);
    QTest::newRow("unknown host") << "ping: no-such-host: Name or service not known\n"
                                  << int(PingNoAnswer);
    QTest::newRow("empty") << "" << int(PingNoAnswer);
}

void TestSpeed::readsTheAverage() {
    QFETCH(QString, output);
    QFETCH(int, average);
    QCOMPARE(int(parsePingAverage(output)), average);
}

void TestSpeed::malformedAverageFails_data() {
    QTest::addColumn<QString>("output");
    QTest::addColumn<ErrorCode>("error");

    QTest::newRow("70000 ms does not fit") << "Average = 70000ms" << ErrorCode::Overflow;
    QTest::newRow("32768 ms does not fit") << "Average = 32768ms" << ErrorCode::Overflow;
    QTest::newRow("no unit") << "Average = 23" << ErrorCode::InvalidProcedureCall;
    QTest::newRow("truncated after Average") << "Average" << ErrorCode::InvalidProcedureCall;
    QTest::newRow("garbage after Average") << "Average = abcms" << ErrorCode::InvalidProcedureCall;
    QTest::newRow("digits with garbage") << "Average = 2x3ms" << ErrorCode::InvalidProcedureCall;
    QTest::newRow("nothing before the unit") << "Average = ms" << ErrorCode::InvalidProcedureCall;
    QTest::newRow("not a number") << "Average = nanms" << ErrorCode::InvalidProcedureCall;
    QTest::newRow("iputils truncated")
        << "rtt min/avg/max/mdev = 0.031/23" << ErrorCode::InvalidProcedureCall;
    QTest::newRow("iputils garbage")
        << "rtt min/avg/max/mdev = 0.031/abc/0.050/0.008 ms" << ErrorCode::InvalidProcedureCall;
    QTest::newRow("iputils 70000 ms")
        << "rtt min/avg/max/mdev = 1/70000.2/70001/1 ms" << ErrorCode::Overflow;
}

void TestSpeed::malformedAverageFails() {
    QFETCH(QString, output);
    QFETCH(ErrorCode, error);
    try {
        const qint16 average = parsePingAverage(output);
        QFAIL(qPrintable(QStringLiteral("parsed as %1").arg(average)));
    } catch (const runtime::RuntimeError& failure) {
        QCOMPARE(failure.code(), error);
    }
}

void TestSpeed::readsRealWindowsOutputs_data() {
    QTest::addColumn<QByteArray>("fixture"); // a file's name, else the bytes
    QTest::addColumn<int>("codePage");       // the system's console code page
    QTest::addColumn<QString>("word");       // in the output, read right
    QTest::addColumn<int>("average");
    const auto row = [](const char* name, const char* fixture, int codePage, const char* word,
                        int average) {
        QTest::newRow(name) << QByteArray(fixture) << codePage << QString::fromUtf8(word)
                            << average;
    };
    const int none = PingNoAnswer;
    row("English", "en.cp437", 437, "Pinging", 12);
    row("English, one lost", "en-some-lost.cp437", 437, "Request timed out", 15);
    row("English, unreachable", "en-unreachable.cp437", 437, "host unreachable.", none);
    row("English, TTL expired", "en-ttl-expired.cp437", 437, "TTL expired in transit", none);
    row("Simplified Chinese", "zh-cn.cp936", 936, "平均 = 12ms", 12);
    row("Simplified Chinese, one lost", "zh-cn-some-lost.cp936", 936, "请求超时", 25);
    row("Simplified Chinese, all lost", "zh-cn-all-lost.cp936", 936, "丢失 = 3", none);
    row("Simplified Chinese, <1ms", "zh-cn-below-1ms.cp936", 936, "时间<1ms", 0);
    row("Simplified Chinese, unreachable", "zh-cn-unreachable.cp936", 936, "访问目标主机", none);
    row("Simplified Chinese, TTL expired", "zh-cn-ttl-expired.cp936", 936, "TTL 传输中过期", none);
    row("Simplified Chinese in UTF-8", "zh-cn.utf8", 936, "往返行程的估计时间", 12);
    row("Traditional Chinese", "zh-tw.cp950", 950, "大約的來回時間", 12);
    row("Japanese", "ja.cp932", 932, "ラウンド トリップ", 12);
    row("Korean", "ko.cp949", 949, "왕복 시간(밀리초)", 12);
    row("German", "de.cp850", 850, "Ping wird ausgeführt für", 12);
    row("Russian", "ru.cp866", 866, "Среднее = 12 мсек", 12);
    row("ends inside UTF-8: 866 ф", "no file \xE4", 866, "no file ф", none);
    row("932: cut lead byte 0xE0", "\x82\xA0wxyz\xE0\x40", 932, "あwxyz漾", none);
    row("949: Hangul beyond EUC-KR", "\x8C\x63", 949, "똠", none);
    row("850: 0x9D is Ø, not ¥", "\x9D", 850, "Ø", none);
    row("UTF-8 console past a bad byte", "\xFFvwxyz\xE5\xBB\xB6", 65001, "\uFFFDvwxyz延", none);
}

// Outputs as Windows prints them, the console's bytes through the runner, read in pieces
// of 7 bytes that cut characters; no replacement character but those the word holds.
void TestSpeed::readsRealWindowsOutputs() {
    QFETCH(QByteArray, fixture);
    QFETCH(int, codePage);
    QFETCH(QString, word);
    QFETCH(int, average);
    QFile file(QStringLiteral(TARVO_PING_FIXTURES "/") + fixture);
    const QByteArray bytes = file.open(QIODevice::ReadOnly) ? file.readAll() : fixture;
    QByteArrayList pieces;
    for (qsizetype at = 0; at < bytes.size(); at += 7)
        pieces << bytes.mid(at, 7);

    platform::FakeHostResolver resolver;
    resolver.add("probe.example", {10, 0, 0, 5});
    platform::FakeProcessLauncher launcher;
    launcher.setOutput(pieces);
    launcher.setCodePage(unsigned(codePage));
    QPlainTextEdit text1;
    QCOMPARE(int(PingLatency("probe.example", &text1, resolver, launcher)), average);
    QVERIFY2(text1.toPlainText().contains(word), qPrintable(text1.toPlainText()));
    QCOMPARE(text1.toPlainText().count(QChar::ReplacementCharacter),
             word.count(QChar::ReplacementCharacter));
}

void TestSpeed::noAnswerScoresWorst() {
    // The probe tick computes 1000 minus the time in 16 bits and clamps below 0.
    const qint16 score = runtime::subInt16(1000, PingNoAnswer);
    QVERIFY(score < 0);
}

void TestSpeed::probesTheResolvedAddress() {
    platform::FakeHostResolver resolver;
    resolver.add("probe.example", {10, 0, 0, 5});
    platform::FakeProcessLauncher launcher;
    launcher.setOutput({IputilsReply});
    QPlainTextEdit text1;
    text1.setPlainText("left from the last probe");

    const QString host = QStringLiteral("probe.example");
    QCOMPARE(PingLatency(host, &text1, resolver, launcher), qint16(23));
    // The system's own ping command line, for the resolved address.
    QCOMPARE(launcher.commandLines(), QStringList{platform::pingCommandLine("10.0.0.5")});
    QCOMPARE(text1.toPlainText(), QString::fromUtf8(IputilsReply));
    QCOMPARE(host, QStringLiteral("probe.example"));

    launcher.setOutput({WindowsReply});
    QCOMPARE(PingLatency(host, &text1, resolver, launcher), qint16(23));
}

void TestSpeed::unresolvedHostRunsNoCommand() {
    platform::FakeHostResolver resolver;
    platform::FakeProcessLauncher launcher;
    launcher.setOutput({WindowsReply});
    QPlainTextEdit text1;
    text1.setPlainText("Average = 5ms");

    QCOMPARE(PingLatency("no-such-host.invalid", &text1, resolver, launcher), PingNoAnswer);
    QVERIFY(launcher.commandLines().isEmpty());
    QCOMPARE(text1.toPlainText(), QString());
    QCOMPARE(resolver.asked(), QByteArrayList{"no-such-host.invalid"});
}

void TestSpeed::failingProbeKeepsThePreviousTarget() {
    platform::FakeHostResolver resolver;
    resolver.add("probe.example", {10, 0, 0, 5});
    platform::FakeProcessLauncher launcher;
    launcher.setOutput({"Average = 70000ms\r\n"});
    QPlainTextEdit text1;

    qint16 target = 977;
    const bool done =
        runtime::step([&] { target = PingLatency("probe.example", &text1, resolver, launcher); });
    QVERIFY(!done);
    QCOMPARE(target, qint16(977));
    QCOMPARE(launcher.commandLines().size(), 1);
}

void TestSpeed::commandThatCannotStart() {
    platform::FakeHostResolver resolver;
    resolver.add("probe.example", {10, 0, 0, 5});
    platform::FakeProcessLauncher launcher;
    launcher.setStartFails(true);
    QPlainTextEdit text1;
    text1.setPlainText("Average = 5ms");
    QCOMPARE(PingLatency("probe.example", &text1, resolver, launcher), PingNoAnswer);
    QCOMPARE(launcher.commandLines().size(), 1);
}

QTEST_MAIN(TestSpeed)
#include "test_speed.moc"
