#include "forms/yield.h"
#include "platform/fake/fakeprocess.h"
#include "platform/process.h"
#include "services/command.h"

#include <QPlainTextEdit>
#include <QTemporaryFile>
#include <QTimer>
#include <QtTest>

#include <sys/wait.h>

#include <cerrno>

using namespace tarvo;

Q_DECLARE_METATYPE(QStringList)

namespace {

// Passes starts on to the real launcher and records the size of every chunk read.
class RecordingLauncher final : public platform::IProcessLauncher {
public:
    std::unique_ptr<platform::IProcessOutput> start(const QString& commandLine) override {
        auto inner = m_real->start(commandLine);
        if (!inner)
            return nullptr;
        return std::make_unique<Output>(std::move(inner), m_chunks);
    }
    const QList<QByteArray>& chunks() const { return m_chunks; }

private:
    class Output final : public platform::IProcessOutput {
    public:
        Output(std::unique_ptr<platform::IProcessOutput> inner, QList<QByteArray>& chunks)
            : m_inner(std::move(inner))
            , m_chunks(chunks) {}
        QString read(int maxBytes) override {
            QString text = m_inner->read(maxBytes);
            if (!text.isEmpty())
                m_chunks << text.toUtf8();
            return text;
        }
        void waitForOutput() override { m_inner->waitForOutput(); }

    private:
        std::unique_ptr<platform::IProcessOutput> m_inner;
        QList<QByteArray>& m_chunks;
    };

    std::unique_ptr<platform::IProcessLauncher> m_real = platform::createProcessLauncher();
    QList<QByteArray> m_chunks;
};

// No child of this process may be left over, not even as a zombie.
bool noChildLeft() {
    const pid_t r = ::waitpid(-1, nullptr, WNOHANG);
    return r < 0 && errno == ECHILD;
}

} // namespace

class TestCommand final : public QObject {
    Q_OBJECT

private slots:
    void cleanup() { forms::setYieldHandler({}); }

    void splitsLikeWindows_data();
    void splitsLikeWindows();

    void largeOutputArrivesWholeInChunks();
    void standardErrorIsCaptured();
    void missingProgramLeavesBoxAlone();
    void silentCommandReturns();
    void lineEndAcrossReadsStaysOneLineEnd();
    void characterSplitAcrossReadsArrivesIntact_data();
    void characterSplitAcrossReadsArrivesIntact();
    void characterCutOffAtTheEndShowsAsReplacement_data();
    void characterCutOffAtTheEndShowsAsReplacement();
    void timersRunWhileCommandRuns();
    void noBoxIsFailure();
    void boxGoingAwayStopsRun();
};

void TestCommand::splitsLikeWindows_data() {
    QTest::addColumn<QString>("line");
    QTest::addColumn<QStringList>("args");

    QTest::newRow("ping") << "ping -n -c 3 -W 1.5 127.0.0.1"
                          << QStringList{"ping", "-n", "-c", "3", "-W", "1.5", "127.0.0.1"};
    QTest::newRow("empty") << "" << QStringList{};
    QTest::newRow("tabs and trailing blanks") << "p a\tb  " << QStringList{"p", "a", "b"};
    QTest::newRow("leading blank gives empty program")
        << "  ping x" << QStringList{"", "ping", "x"};
    QTest::newRow("quoted program with blanks")
        << R"("C:\Program Files\a.exe" -x)" << QStringList{R"(C:\Program Files\a.exe)", "-x"};
    QTest::newRow("program ends at its closing quote")
        << R"("a b"c d)" << QStringList{"a b", "c", "d"};
    QTest::newRow("quoted argument") << R"(p "a b" c)" << QStringList{"p", "a b", "c"};
    QTest::newRow("quotes inside an argument") << R"(p a"b c"d)" << QStringList{"p", "ab cd"};
    QTest::newRow("escaped quote") << R"(p a\"b)" << QStringList{"p", R"(a"b)"};
    QTest::newRow("even backslashes before quote")
        << R"(p a\\"b c")" << QStringList{"p", R"(a\b c)"};
    QTest::newRow("odd backslashes before quote") << R"(p a\\\"b)" << QStringList{"p", R"(a\"b)"};
    QTest::newRow("backslashes not before a quote")
        << R"(p a\b\\c d\\)" << QStringList{"p", R"(a\b\\c)", R"(d\\)"};
    QTest::newRow("empty quoted argument") << R"(p "" x)" << QStringList{"p", "", "x"};
    QTest::newRow("doubled quote inside quotes") << R"(p "a""b")" << QStringList{"p", R"(a"b)"};
    QTest::newRow("doubled quote ends the quoted part")
        << R"(p "a"" b")" << QStringList{"p", R"(a")", "b"};
    QTest::newRow("three quotes") << R"(p """)" << QStringList{"p", R"(")"};
    QTest::newRow("unterminated quote")
        << R"(p "open to the end)" << QStringList{"p", "open to the end"};
    QTest::newRow("shell characters stay literal")
        << "p a;b |c $(d)" << QStringList{"p", "a;b", "|c", "$(d)"};
}

void TestCommand::splitsLikeWindows() {
    QFETCH(QString, line);
    QFETCH(QStringList, args);
    QCOMPARE(platform::splitCommandLine(line), args);
}

void TestCommand::largeOutputArrivesWholeInChunks() {
    QByteArray expected;
    for (int i = 1; expected.size() < 3000; ++i)
        expected += QByteArray::number(i) + '\n';
    expected.truncate(3000);

    int yields = 0;
    forms::setYieldHandler([&] { ++yields; });
    RecordingLauncher launcher;
    QPlainTextEdit box;
    box.setPlainText("old text");
    QVERIFY(RunCommand(launcher, R"(sh -c "seq 1 2000 | head -c 3000")", &box));

    QCOMPARE(box.toPlainText().toUtf8(), expected);
    QVERIFY2(launcher.chunks().size() >= 3, qPrintable(QString::number(launcher.chunks().size())));
    for (const QByteArray& chunk : launcher.chunks())
        QVERIFY(chunk.size() <= 1023);
    QCOMPARE(launcher.chunks().join(), expected);
    QCOMPARE(yields, launcher.chunks().size());
    QVERIFY(noChildLeft());
}

void TestCommand::standardErrorIsCaptured() {
    auto launcher = platform::createProcessLauncher();
    QPlainTextEdit box;
    QVERIFY(RunCommand(*launcher, R"(sh -c "echo out; echo err >&2")", &box));
    QCOMPARE(box.toPlainText(), QStringLiteral("out\nerr\n"));
    QVERIFY(noChildLeft());
}

void TestCommand::missingProgramLeavesBoxAlone() {
    auto launcher = platform::createProcessLauncher();
    QPlainTextEdit box;
    box.setPlainText("keep me");
    QVERIFY(RunCommand(*launcher, "tarvo-no-such-program-here --flag", &box));
    QCOMPARE(box.toPlainText(), QStringLiteral("keep me"));
    QVERIFY(RunCommand(*launcher, "", &box));
    QCOMPARE(box.toPlainText(), QStringLiteral("keep me"));
    QVERIFY(noChildLeft());
}

void TestCommand::silentCommandReturns() {
    auto launcher = platform::createProcessLauncher();
    QPlainTextEdit box;
    box.setPlainText("before");
    QElapsedTimer clock;
    clock.start();
    QVERIFY(RunCommand(*launcher, "true", &box));
    // A hang would wait for a write end that nobody closes; allow generous scheduling slack.
    QVERIFY(clock.elapsed() < 5000);
    QCOMPARE(box.toPlainText(), QString());
    QVERIFY(noChildLeft());
}

void TestCommand::characterSplitAcrossReadsArrivesIntact_data() {
    QTest::addColumn<QByteArray>("bytes");
    const QByteArray euro = "\xE2\x82\xAC";      // 3 bytes
    const QByteArray han = "\xE5\xBB\xB6";       // 延
    const QByteArray emoji = "\xF0\x9F\x98\x80"; // 4 bytes, a surrogate pair in UTF-16
    QTest::newRow("first byte in chunk one") << QByteArray(1022, 'a') + euro + "z";
    QTest::newRow("two bytes in chunk one") << QByteArray(1021, 'a') + han + "z";
    QTest::newRow("four-byte character") << QByteArray(1021, 'a') + emoji + "z";
    QTest::newRow("in the second boundary") << QByteArray(2045, 'a') + euro + han;
}

void TestCommand::lineEndAcrossReadsStaysOneLineEnd() {
    platform::FakeProcessLauncher fake;
    fake.setOutput({QByteArray(1022, 'a') + "\r\nz"}); // CR ends the first read
    QPlainTextEdit box;
    QVERIFY(RunCommand(fake, "x", &box));
    QCOMPARE(box.toPlainText(), QString(1022, u'a') + "\nz");
}

void TestCommand::characterSplitAcrossReadsArrivesIntact() {
    QFETCH(QByteArray, bytes);
    const QString expected = QString::fromUtf8(bytes);

    // Scripted: the reads cut exactly at 1023 bytes.
    platform::FakeProcessLauncher fake;
    fake.setOutput({bytes});
    QPlainTextEdit box;
    QVERIFY(RunCommand(fake, "x", &box));
    QCOMPARE(box.toPlainText(), expected);
    QCOMPARE(fake.largestRead(), 1023);

    // Real: cat writes the file at once, so the first read stops inside the character.
    QTemporaryFile file;
    QVERIFY(file.open());
    file.write(bytes);
    file.flush();
    RecordingLauncher launcher;
    QPlainTextEdit realBox;
    QVERIFY(RunCommand(launcher, "cat " + file.fileName(), &realBox));
    QCOMPARE(realBox.toPlainText(), expected);
    QVERIFY(launcher.chunks().size() >= 2);
}

void TestCommand::characterCutOffAtTheEndShowsAsReplacement_data() {
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<QString>("expected");
    const QString replacement(QChar(0xFFFD));
    QTest::newRow("one of three bytes") << QByteArray("ab\xE2") << "ab" + replacement;
    QTest::newRow("two of three bytes") << QByteArray("ab\xE5\xBB") << "ab" + replacement;
    QTest::newRow("three of four bytes") << QByteArray("ab\xF0\x9F\x98") << "ab" + replacement;
    QTest::newRow("only the cut character") << QByteArray("\xE5\xBB") << replacement;
    QTest::newRow("cut after a full chunk")
        << QByteArray(1023, 'a') + "\xE5" << QString(1023, u'a') + replacement;
    QTest::newRow("complete character: nothing added")
        << QByteArray("ab\xE5\xBB\xB6") << QStringLiteral("ab延");
    QTest::newRow("ends in a newline: nothing added") << QByteArray("ab\n") << "ab\n";
}

void TestCommand::characterCutOffAtTheEndShowsAsReplacement() {
    QFETCH(QByteArray, bytes);
    QFETCH(QString, expected);

    platform::FakeProcessLauncher fake;
    fake.setOutput({bytes});
    QPlainTextEdit box;
    QVERIFY(RunCommand(fake, "x", &box));
    QCOMPARE(box.toPlainText(), expected);

    QTemporaryFile file;
    QVERIFY(file.open());
    file.write(bytes);
    file.flush();
    auto launcher = platform::createProcessLauncher();
    QPlainTextEdit realBox;
    QVERIFY(RunCommand(*launcher, "cat " + file.fileName(), &realBox));
    QCOMPARE(realBox.toPlainText(), expected);
}

void TestCommand::timersRunWhileCommandRuns() {
    auto launcher = platform::createProcessLauncher();
    QPlainTextEdit box;
    QStringList seen; // the box's text at each tick during the run
    QTimer timer;
    timer.setInterval(10);
    connect(&timer, &QTimer::timeout, this, [&] { seen << box.toPlainText(); });
    timer.start();
    QVERIFY(RunCommand(*launcher,
                       R"(sh -c "sleep 0.2; echo a; sleep 0.2; echo b; sleep 0.2; echo c")", &box));
    timer.stop();

    QCOMPARE(box.toPlainText(), QStringLiteral("a\nb\nc\n"));
    // Ticks ran while the command was silent, not only between chunks, and saw the
    // output growing: each 0.2 s pause spans many 10 ms ticks.
    QVERIFY2(seen.count(QString()) >= 3, qPrintable(seen.join('|')));
    QVERIFY2(seen.count("a\n") >= 3, qPrintable(seen.join('|')));
    QVERIFY2(seen.contains("a\nb\n"), qPrintable(seen.join('|')));
}

void TestCommand::noBoxIsFailure() {
    platform::FakeProcessLauncher fake;
    fake.setOutput({"text"});
    QVERIFY(!RunCommand(fake, "x", nullptr));
    QVERIFY(fake.commandLines().isEmpty());
}

void TestCommand::boxGoingAwayStopsRun() {
    platform::FakeProcessLauncher fake;
    fake.setOutput({QByteArray(3000, 'x')});
    auto* box = new QPlainTextEdit;
    QPointer<QPlainTextEdit> watch(box);
    int yields = 0;
    forms::setYieldHandler([&] {
        ++yields;
        delete box;
    });
    QVERIFY(!RunCommand(fake, "x", box));
    QVERIFY(watch.isNull());
    QCOMPARE(yields, 1);
}

QTEST_MAIN(TestCommand)
#include "test_command.moc"
