// The window's reader of the helper's messages, for a 728 x 90 pane at pixel ratio 1
// unless a row says otherwise: a Document, at most 8 Frames, then a Page or a Failed (or
// a Failed alone), nothing after; a picture of at most the pane's width and four pane
// heights at the pane's ratio (at most 2), at most 256 link areas inside it, 64 K
// characters of text, 1 M of innerHTML, 200 of a reason or a link's text, 2048 of an
// address (a web one with a host); nothing malformed.
#include "webprotocol/message.h"

#include <QDataStream>
#include <QTest>

using namespace tarvo::webprotocol;

namespace {

const QString Web = QStringLiteral("http://kiv.test/");

Message document(qsizetype markup = 4) {
    Message message;
    message.markup = QString(markup, u'x');
    return message;
}

Message frame(const QString& url = Web) {
    Message message;
    message.kind = Message::Kind::Frame;
    message.url = QUrl(url);
    return message;
}

Message failed(qsizetype reason = 4, const QString& url = Web) {
    Message message = frame(url);
    message.kind = Message::Kind::Failed;
    message.text = QString(reason, u'r');
    return message;
}

Message page(QSize picture = {10, 10}, int links = 1, qsizetype text = 4, int ratio = 1) {
    Message message = frame();
    message.kind = Message::Kind::Page;
    message.picture = QImage(picture, QImage::Format_RGB32);
    message.picture.fill(Qt::red);
    message.picture.setDevicePixelRatio(ratio);
    for (int i = 0; i < links; ++i)
        message.links << Link{QRect(0, 0, 2, 2), QUrl(Web + "a"), QStringLiteral("a")};
    message.text = QString(text, u'x');
    return message;
}

Message linked(const Link& link) {
    Message message = page();
    message.links = {link};
    return message;
}

QByteArray stream(const QList<Message>& messages) {
    QByteArray bytes;
    for (const Message& message : messages)
        bytes += encode(message);
    return bytes;
}

// The framed message with its kind replaced, or bytes appended inside the frame.
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
    QTest::addColumn<qreal>("ratio");  // the pane's
    QTest::addColumn<int>("messages"); // given back before the end or the break
    QTest::addColumn<bool>("broken");

    // chop: the stream's last bytes left out, for a message refused by its head alone.
    const auto row = [](const char* name, const QList<Message>& messages, int read, qreal ratio = 1,
                        int chop = 0) {
        QTest::newRow(name) << stream(messages).chopped(chop) << ratio << read
                            << (read < messages.size());
    };
    const QList<Message> frames(8, frame());
    const Message largest = page({728, 360}, 256, 64 * 1024);
    row("a document, 8 frames, the largest page", QList{document()} + frames + QList{largest}, 10);
    row("a 9th frame", QList{document()} + frames + QList{frame()}, 9);
    row("1 M characters of innerHTML", {document(1 << 20), largest}, 2);
    row("1 M and one, by its head", {document((1 << 20) + 1)}, 0, 1, 1);
    row("a reason of 200", {failed(200)}, 1);
    row("a reason of 201", {failed(201)}, 0);
    row("a picture at ratio 2 for a pane at 3", {document(), page({10, 10}, 1, 4, 2)}, 2, 3);
    row("a picture at ratio 3", {document(), page({10, 10}, 1, 4, 3)}, 1, 3);
    row("a picture at another ratio than the pane's", {document(), page({10, 10}, 1, 4, 2)}, 1);
    row("a picture wider than the pane", {document(), page({729, 90})}, 1);
    row("a picture taller than four pane heights", {document(), page({728, 361})}, 1);
    row("257 links", {document(), page({10, 10}, 257)}, 1);
    row("64 K characters of text and one", {document(), page({10, 10}, 1, 64 * 1024 + 1)}, 1);
    const QString longest = Web + QString(2048 - Web.size(), u'a');
    row("a frame's address of 2048", {document(), frame(longest)}, 2);
    row("a frame's address of 2049, by its head", {document(), frame(longest + "a")}, 1, 1, 1);
    row("a reason of 201 and the longest address, by its head", {failed(201, longest)}, 0, 1, 1);
    row("a frame's address that is not a web one", {document(), frame("file:///etc/passwd")}, 1);
    row("a reason's address without a host", {failed(4, "http:\\\\127.0.0.1:8080\\bs")}, 0);
    Message hostless = page();
    hostless.url = QUrl(QStringLiteral("http:///x"));
    row("a page's address without a host", {document(), hostless}, 1);
    const QUrl a(Web + "a");
    row("a link's address without a host",
        {document(), linked({QRect(0, 0, 2, 2), QUrl("http:\\\\127.0.0.1:8080\\bs"), {}})}, 1);
    row("a link at the picture's corner and 200 characters of its text",
        {document(), linked({QRect(8, 8, 2, 2), a, QString(200, u't')})}, 2);
    row("a link's text of 201", {document(), linked({QRect(0, 0, 2, 2), a, QString(201, u't')})},
        1);
    row("a link a pixel past the picture", {document(), linked({QRect(9, 8, 2, 2), a, {}})}, 1);
    row("a link of 2,000,000 x 2,000,000",
        {document(), linked({QRect(-1000000, -1000000, 2000000, 2000000), a, {}})}, 1);
    row("an empty link area", {document(), linked({QRect(0, 0, 0, 2), a, {}})}, 1);
    row("a frame first", {frame()}, 0);
    row("a page first", {page()}, 0);
    row("two documents", {document(), document()}, 1);
    row("a failure after the frames", {document(), frame(), failed()}, 3);
    row("anything after the page", {document(), page(), frame()}, 2);
    row("anything after a failure", {failed(), failed()}, 1);
    QTest::newRow("a length past the largest message")
        << QByteArray::fromHex("7fffffff") + QByteArray(64, 'x') << 1. << 0 << true;
    QTest::newRow("an unknown kind") << reframed(encode(document()), 9) << 1. << 0 << true;
    QTest::newRow("trailing bytes") << reframed(encode(document()), {}, "x") << 1. << 0 << true;
}

void TestMessageReader::reads() {
    QFETCH(QByteArray, bytes);
    QFETCH(qreal, ratio);
    QFETCH(int, messages);
    QFETCH(bool, broken);
    MessageReader reader(QSize(728, 90), ratio);
    QList<Message> read;
    // Split across reads, heads included.
    for (qsizetype at = 0; at < bytes.size(); at += 4093) {
        reader.feed(bytes.mid(at, 4093));
        while (std::optional<Message> next = reader.next())
            read << *next;
    }
    QCOMPARE(read.size(), messages);
    QCOMPARE(reader.broken(), broken);
    for (const Message& message : read)
        QCOMPARE(message.picture.isNull() ? QColor(Qt::red).rgb() : message.picture.pixel(9, 9),
                 QColor(Qt::red).rgb());
}

QTEST_MAIN(TestMessageReader)
#include "test_messagereader.moc"
