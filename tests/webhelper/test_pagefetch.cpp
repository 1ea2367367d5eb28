// One capped fetch, against a server on 127.0.0.1 that streams a gigabyte chunk from a
// thread of its own while the fetch's thread is busy elsewhere (as when it parses).
#include "webhelper/pagefetch.h"

#include <QFile>
#include <QSemaphore>
#include <QSignalSpy>
#include <QTcpServer>
#include <QTcpSocket>
#include <QTest>
#include <QThread>

#include <atomic>

using namespace tarvo::webhelper;

namespace {

class ChunkServer final : public QThread {
public:
    quint16 port = 0;
    std::atomic<bool> stop = false;
    std::atomic<int> written = 0; // blocks

protected:
    void run() override {
        QTcpServer server;
        server.listen(QHostAddress::LocalHost, 0);
        port = server.serverPort();
        m_ready.release();
        if (!server.waitForNewConnection(5000))
            return;
        QTcpSocket* socket = server.nextPendingConnection();
        socket->waitForReadyRead(5000);
        socket->write("HTTP/1.1 200 OK\r\nContent-Type: text/html\r\n"
                      "Transfer-Encoding: chunked\r\n\r\n40000000\r\n");
        const QByteArray block(1 << 20, 'x');
        // Never more than a few blocks ahead of the reader, in this process either.
        for (int i = 0; i < 1024 && !stop && socket->state() == QAbstractSocket::ConnectedState;) {
            if (socket->bytesToWrite() < 4 * block.size()) {
                socket->write(block);
                written = ++i;
            }
            socket->waitForBytesWritten(50);
        }
    }

public:
    void waitListening() { m_ready.acquire(); }

private:
    QSemaphore m_ready;
};

// The process's resident memory, threads' heaps included.
qint64 resident() {
    QFile status(QStringLiteral("/proc/self/status"));
    status.open(QIODevice::ReadOnly);
    for (const QByteArray& line : status.readAll().split('\n'))
        if (line.startsWith("VmRSS:"))
            return line.mid(6).trimmed().split(' ').first().toLongLong() << 10;
    return 0;
}

} // namespace

class TestPageFetch final : public QObject {
    Q_OBJECT
private slots:
    void aChunkIsNotReadAheadPastTheCap();
};

void TestPageFetch::aChunkIsNotReadAheadPastTheCap() {
    ChunkServer server;
    server.start();
    server.waitListening();
    PageFetch fetch(FetchLimits{}, QDeadlineTimer(10000));
    QSignalSpy finished(&fetch, &PageFetch::finished);
    fetch.start(QUrl(QStringLiteral("http://127.0.0.1:%1/").arg(server.port)));
    // The request goes out; from here on this thread takes nothing in until the end.
    for (int i = 0; i < 10; ++i)
        QCoreApplication::processEvents();
    for (int i = 0; i < 200 && server.written < 2; ++i)
        QThread::msleep(10);
    const qint64 before = resident();
    QThread::msleep(1500); // busy: anything reading the connection now reads into memory
    const qint64 during = resident();
    QTRY_COMPARE(finished.count(), 1);
    server.stop = true;
    server.wait();
    QVERIFY(!finished.first().at(0).value<FetchResult>().ok);
    // Held: a socket buffer, not the stream.
    QVERIFY2(during < before + (8 << 20), qPrintable(QString::number(during - before)));
}

QTEST_MAIN(TestPageFetch)
#include "test_pagefetch.moc"
