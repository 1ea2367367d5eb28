// The window's reader of the helper's messages, for a 728 x 90 pane at pixel ratio 1: a
// picture of at most the pane's width and four pane heights, at most 256 link areas and
// 64 K characters of text, nothing malformed.
#include "webprotocol/message.h"

#include <QDataStream>
#include <QTest>

using namespace tarvo::webprotocol;

namespace {

Message page(QSize picture, int links = 1, qsizetype text = 4) {
    Message message;
    message.kind = Message::Kind::Page;
    message.url = QUrl(QStringLiteral("http://kiv.test/"));
    message.picture = QImage(picture, QImage::Format_RGB32);
    message.picture.fill(Qt::red);
    for (int i = 0; i < links; ++i)
        message.links << Link{QRect(i, 0, 10, 10), QUrl(QStringLiteral("http://kiv.test/a"))};
    message.text = QString(text, u'x');
    return message;
}

// The framed message with its body's first byte (the kind) replaced, or bytes appended
// inside the frame.
QByteArray reframed(QByteArray framed, std::optional<quint8> kind, const QByteArray& more = {}) {
    if (kind)
        framed[4] = char(*kind);
    framed += more;
    QDataStream length(&framed, QIODevice::WriteOnly);
    length << quint32(framed.size() - 4);
    return framed;
}

} // namespace

class TestMessageReader final : public QObject {
    Q_OBJECT

private slots:
    void reads_data();
    void reads();
};

void TestMessageReader::reads_data() {
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<int>("chunk"); // fed this many bytes at a time
    QTest::addColumn<int>("messages");

    const QByteArray largest = encode(page({728, 360}, 256, 64 * 1024));
    QTest::newRow("the largest page, split across reads") << largest << 1000 << 1;
    QTest::newRow("two messages in one read") << largest + largest << int(2 * largest.size()) << 2;
    QTest::newRow("a length past the largest message")
        << QByteArray::fromHex("7fffffff") + QByteArray(64, 'x') << 68 << 0;
    QTest::newRow("an unknown kind") << reframed(largest, 9) << int(largest.size()) << 0;
    QTest::newRow("trailing bytes") << reframed(largest, {}, "x") << int(largest.size() + 1) << 0;
    QTest::newRow("a picture wider than the pane")
        << encode(page({729, 90})) << int(largest.size()) << 0;
    QTest::newRow("a picture taller than four pane heights")
        << encode(page({728, 361})) << int(largest.size()) << 0;
    QTest::newRow("too many links") << encode(page({728, 90}, 257)) << int(largest.size()) << 0;
    QTest::newRow("too much text")
        << encode(page({728, 90}, 1, 64 * 1024 + 1)) << int(largest.size()) << 0;
    Message local = page({728, 90});
    local.links[0].url = QUrl(QStringLiteral("file:///etc/passwd"));
    QTest::newRow("a link that is not a web link") << encode(local) << int(largest.size()) << 0;
}

void TestMessageReader::reads() {
    QFETCH(QByteArray, bytes);
    QFETCH(int, chunk);
    QFETCH(int, messages);
    MessageReader reader(QSize(728, 90), 1);
    QList<Message> read;
    for (qsizetype at = 0; at < bytes.size(); at += chunk) {
        reader.feed(bytes.mid(at, chunk));
        while (std::optional<Message> next = reader.next())
            read << *next;
    }
    QCOMPARE(read.size(), messages);
    QCOMPARE(reader.broken(), messages == 0);
    for (const Message& message : read)
        QCOMPARE(message.picture.pixel(727, 359), QColor(Qt::red).rgb());
}

QTEST_MAIN(TestMessageReader)
#include "test_messagereader.moc"
