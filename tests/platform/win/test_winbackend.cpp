#include "main/speed.h"
#include "platform/connection.h"
#include "platform/iftable.h"
#include "platform/process.h"
#include "platform/resolver.h"
#include "runtime/codepage.h"
#include "services/command.h"

#include <QPlainTextEdit>
#include <QTemporaryDir>
#include <QTest>
#include <QtEndian>

// Windows Sockets before anything that includes windows.h.
#include <winsock2.h>

#include <wininet.h>
#include <ws2tcpip.h>

#include <vector>

using namespace tarvo;
using namespace tarvo::platform;

namespace {

struct Row {
    quint32 index, type, inOctets, outOctets;
};

quint32 field(const std::vector<quint8>& table, qsizetype row, int offset) {
    return qFromLittleEndian<quint32>(table.data() + IfTableHeaderBytes + row * IfRowBytes +
                                      offset);
}

std::vector<Row> readTable(IInterfaceTable& source, bool order = true) {
    quint32 size = 0;
    if (source.getIfTable(nullptr, &size, order) != ErrorInsufficientBuffer)
        return {};
    std::vector<quint8> table(size);
    if (source.getIfTable(table.data(), &size, order) != NoError)
        return {};
    std::vector<Row> rows;
    const quint32 count = qFromLittleEndian<quint32>(table.data());
    for (quint32 r = 0; r < count; ++r)
        rows.push_back({field(table, r, ifrow::Index), field(table, r, ifrow::Type),
                        field(table, r, ifrow::InOctets), field(table, r, ifrow::OutOctets)});
    return rows;
}

const Row* loopback(const std::vector<Row>& rows) {
    for (const Row& row : rows)
        if (row.type == iftype::SoftwareLoopback)
            return &row;
    return nullptr;
}

// Sends count datagrams of bytes each to a socket of our own on 127.0.0.1 and reads
// them back; false when any is lost.
bool loopbackStream(int count, int bytes) {
    const SOCKET receiver = ::socket(AF_INET, SOCK_DGRAM, IPPROTO_UDP);
    const SOCKET sender = ::socket(AF_INET, SOCK_DGRAM, IPPROTO_UDP);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    int length = sizeof address;
    bool ok = ::bind(receiver, reinterpret_cast<sockaddr*>(&address), sizeof address) == 0 &&
              ::getsockname(receiver, reinterpret_cast<sockaddr*>(&address), &length) == 0;
    std::vector<char> datagram(size_t(bytes), 'x');
    for (int i = 0; ok && i < count; ++i) {
        ok = ::sendto(sender, datagram.data(), bytes, 0, reinterpret_cast<sockaddr*>(&address),
                      sizeof address) == bytes &&
             ::recv(receiver, datagram.data(), bytes, 0) == bytes;
    }
    ::closesocket(sender);
    ::closesocket(receiver);
    return ok;
}

} // namespace

class TestWinBackend final : public QObject {
    Q_OBJECT
private slots:
    void initTestCase() {
        WSADATA data;
        QCOMPARE(::WSAStartup(MAKEWORD(2, 2), &data), 0);
    }

    void tableSizeQueryAndOrder() {
        auto source = createInterfaceTable();
        quint32 size = 0;
        QCOMPARE(source->getIfTable(nullptr, &size, true), quint32(122));
        QCOMPARE((size - 4) % 860, quint32(0));
        QCOMPARE(source->getIfTable(nullptr, nullptr, true), quint32(87));
        // The namespace has loopback and a veth pair, in the order asked for.
        const std::vector<Row> rows = readTable(*source);
        QVERIFY(rows.size() >= 3);
        for (size_t r = 1; r < rows.size(); ++r)
            QVERIFY(rows[r - 1].index < rows[r].index);
    }

    // The loopback row counts a stream both ways, and its 64-bit counters are the
    // same reading as the row.
    void loopbackRowCountsAStream() {
        constexpr int Count = 200, Bytes = 1000;
        auto source = createInterfaceTable();
        const std::vector<Row> before = readTable(*source);
        QVERIFY(loopback(before));
        QVERIFY(loopbackStream(Count, Bytes));
        const std::vector<Row> after = readTable(*source);
        const Row* lo = loopback(after);
        QVERIFY(lo);
        const quint32 received = lo->inOctets - loopback(before)->inOctets;
        const quint32 sent = lo->outOctets - loopback(before)->outOctets;
        // Each datagram carries at least its UDP and IP headers on top of the payload.
        QVERIFY2(received >= Count * (Bytes + 28) && received < 2 * Count * Bytes,
                 qPrintable(QString::number(received)));
        QCOMPARE(sent, received);
        const std::optional<IfOctets64> wide = source->octets64(lo->index);
        QVERIFY(wide);
        QCOMPARE(quint32(wide->in), lo->inOctets);
        QCOMPARE(quint32(wide->out), lo->outOctets);
        QVERIFY(!source->octets64(0xFFFFFF));
    }

    void connectionStateIsTheSystemsAnswer() {
        DWORD systemFlags = 0;
        wchar_t systemName[513] = {};
        const BOOL system = ::InternetGetConnectedStateExW(&systemFlags, systemName, 512, 0);

        QByteArray name(513, 'x');
        quint32 flags = 0xDEAD;
        const bool connected =
            createConnectionSource()->query(flags, std::span<char>(name.data(), 512));
        QCOMPARE(connected, system == 1);
        QCOMPARE(flags, quint32(systemFlags));
        const QByteArray expected = runtime::toAnsi(QString::fromWCharArray(systemName));
        QCOMPARE(name.left(name.indexOf('\0')), expected);
        // The rest of the room is cleared.
        QCOMPARE(name.mid(expected.size(), 512 - expected.size()),
                 QByteArray(512 - expected.size(), '\0'));
    }

    void resolverAnswersAndGivesUp_data() {
        QTest::addColumn<QByteArray>("host");
        QTest::addColumn<bool>("resolves");
        QTest::newRow("dotted") << QByteArray("127.0.0.1") << true;
        QTest::newRow("localhost") << QByteArray("localhost") << true;
        // The namespace's name server is 127.0.0.1, where nothing answers.
        QTest::newRow("unknown name") << QByteArray("name.tarvo.invalid") << false;
        QTest::newRow("NUL inside") << QByteArray("127.0.0.1\0x", 11) << false;
    }
    void resolverAnswersAndGivesUp() {
        QFETCH(QByteArray, host);
        QFETCH(bool, resolves);
        const auto address = createHostResolver()->resolveIPv4(host);
        QCOMPARE(address.has_value(), resolves);
        if (resolves)
            QCOMPARE(*address, (IPv4Address{127, 0, 0, 1}));
    }

    // The runner through CreateProcess: the output in order and whole, however it is
    // cut into reads; nothing started, nothing changed; a silent command ends.
    void runsConsoleCommands_data() {
        QTest::addColumn<QString>("command");
        QTest::addColumn<QString>("expected");
        // The box keeps lines, not the console's carriage returns.
        QTest::newRow("echo") << "cmd /c echo hello"
                              << "hello\n";
        QTest::newRow("silent") << "cmd /c exit 0"
                                << "";
        QTest::newRow("no such program") << "tarvo-no-such-program.exe"
                                         << "before";
    }
    void runsConsoleCommands() {
        QFETCH(QString, command);
        QFETCH(QString, expected);
        auto launcher = createProcessLauncher();
        QPlainTextEdit box(QStringLiteral("before"));
        QVERIFY(RunCommand(*launcher, command, &box));
        QCOMPARE(box.toPlainText(), expected);
    }

    void longOutputArrivesInOrder() {
        QTemporaryDir dir;
        QFile file(dir.filePath(QStringLiteral("lines.txt")));
        QVERIFY(file.open(QIODevice::WriteOnly));
        QByteArray text;
        for (int i = 0; i < 400; ++i)
            text += QByteArray::number(i) + "\r\n";
        file.write(text);
        file.close();
        auto launcher = createProcessLauncher();
        QPlainTextEdit box;
        const QString path = QDir::toNativeSeparators(file.fileName());
        QVERIFY(RunCommand(*launcher, QStringLiteral("cmd /c type \"%1\"").arg(path), &box));
        QCOMPARE(box.toPlainText(), QString::fromLatin1(text).remove(u'\r'));
    }

    // The whole probe: the resolver, the system's ping with this system's command line,
    // and the parse of its statistics line.
    void pingsLoopback() {
        QCOMPARE(pingCommandLine(QStringLiteral("127.0.0.1")),
                 QStringLiteral("ping 127.0.0.1 -n 3 -w 1500"));
        auto resolver = createHostResolver();
        auto launcher = createProcessLauncher();
        QPlainTextEdit box;
        const qint16 average = PingLatency(QStringLiteral("127.0.0.1"), &box, *resolver, *launcher);
        QVERIFY2(average >= 0 && average < 1000, qPrintable(box.toPlainText()));
        QVERIFY(box.toPlainText().contains(QStringLiteral("Average")));
    }

    // A ping.exe beside the program is not the system's, and does not run.
    void plantedPingDoesNotRun() {
        const QString planted = QCoreApplication::applicationDirPath() + "/ping.exe";
        QFile::remove(planted);
        QVERIFY(QFile::copy(QStringLiteral(TARVO_PLANTED_PING), planted));
        auto launcher = createProcessLauncher();
        QPlainTextEdit box;
        QVERIFY(RunCommand(*launcher, pingCommandLine(QStringLiteral("127.0.0.1")), &box));
        QFile::remove(planted);
        QVERIFY2(box.toPlainText().contains(QStringLiteral("Average")),
                 qPrintable(box.toPlainText()));
    }
};

QTEST_MAIN(TestWinBackend)
#include "test_winbackend.moc"
