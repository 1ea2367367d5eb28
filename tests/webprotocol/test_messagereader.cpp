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
const Link A{QRect(0, 0, 2, 2), QUrl(Web + "a"), QStringLiteral("a")};
using Kind = Message::Kind;

// text: the length of a Document's innerHTML, a Page's text or a Failed's reason.
Message message(Kind kind, qsizetype text = 4, const QString& url = Web) {
    Message made;
    made.kind = kind;
    (kind == Kind::Document ? made.markup : made.text) = QString(text, u'x');
    made.url = QUrl(url);
    return made;
}

Message page(QSize picture = {10, 10}, const QList<Link>& links = {A}, qsizetype text = 4,
             int ratio = 1) {
    Message made = message(Kind::Page, text);
    made.picture = QImage(picture, QImage::Format_RGB32);
    made.picture.fill(Qt::red);
    made.picture.setDevicePixelRatio(ratio);
    made.links = links;
    return made;
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
    const Message document = message(Kind::Document);
    const Message frame = message(Kind::Frame);
    const Message failed = message(Kind::Failed);
    const QList<Message> frames(8, frame);
    const Message largest = page({728, 360}, QList<Link>(256, A), 64 * 1024);
    row("a document, 8 frames, the largest page", QList{document} + frames + QList{largest}, 10);
    row("a 9th frame", QList{document} + frames + QList{frame}, 9);
    row("1 M characters of innerHTML", {message(Kind::Document, 1 << 20), largest}, 2);
    row("1 M and one, by its head", {message(Kind::Document, (1 << 20) + 1)}, 0, 1, 1);
    row("a reason of 200", {message(Kind::Failed, 200)}, 1);
    row("a reason of 201", {message(Kind::Failed, 201)}, 0);
    row("a picture at ratio 2 for a pane at 3", {document, page({10, 10}, {A}, 4, 2)}, 2, 3);
    row("a picture at ratio 3", {document, page({10, 10}, {A}, 4, 3)}, 1, 3);
    row("a picture at another ratio than the pane's", {document, page({10, 10}, {A}, 4, 2)}, 1);
    row("a picture wider than the pane", {document, page({729, 90})}, 1);
    row("a picture taller than four pane heights", {document, page({728, 361})}, 1);
    row("257 links", {document, page({10, 10}, QList<Link>(257, A))}, 1);
    row("64 K characters of text and one", {document, page({10, 10}, {A}, 64 * 1024 + 1)}, 1);
    const QString longest = Web + QString(2048 - Web.size(), u'a');
    const QString hostless = QStringLiteral("http:\\\\127.0.0.1:8080\\bs");
    row("a frame's address of 2048", {document, message(Kind::Frame, 0, longest)}, 2);
    row("a frame's address of 2049, by its head",
        {document, message(Kind::Frame, 0, longest + "a")}, 1, 1, 1);
    row("a reason of 201 and the longest address, by its head",
        {message(Kind::Failed, 201, longest)}, 0, 1, 1);
    row("a frame's address that is not a web one",
        {document, message(Kind::Frame, 0, "file:///etc/passwd")}, 1);
    row("a reason's address without a host", {message(Kind::Failed, 4, hostless)}, 0);
    Message away = page();
    away.url = QUrl(QStringLiteral("http:///x"));
    row("a page's address without a host", {document, away}, 1);
    row("a link's address without a host",
        {document, page({10, 10}, {{A.area, QUrl(hostless), {}}})}, 1);
    row("a link at the picture's corner and 200 characters of its text",
        {document, page({10, 10}, {{QRect(8, 8, 2, 2), A.url, QString(200, u't')}})}, 2);
    row("a link's text of 201", {document, page({10, 10}, {{A.area, A.url, QString(201, u't')}})},
        1);
    row("a link a pixel past the picture",
        {document, page({10, 10}, {{QRect(9, 8, 2, 2), A.url, {}}})}, 1);
    row("a link of 2,000,000 x 2,000,000",
        {document, page({10, 10}, {{QRect(-1000000, -1000000, 2000000, 2000000), A.url, {}}})}, 1);
    row("an empty link area", {document, page({10, 10}, {{QRect(0, 0, 0, 2), A.url, {}}})}, 1);
    row("a frame first", {frame}, 0);
    row("a page first", {page()}, 0);
    row("two documents", {document, document}, 1);
    row("a failure after the frames", {document, frame, failed}, 3);
    row("anything after the page", {document, page(), frame}, 2);
    row("anything after a failure", {failed, failed}, 1);
    QTest::newRow("a length past the largest message")
        << QByteArray::fromHex("7fffffff") + QByteArray(64, 'x') << 1. << 0 << true;
    QTest::newRow("an unknown kind") << reframed(encode(document), 9) << 1. << 0 << true;
    QTest::newRow("trailing bytes") << reframed(encode(document), {}, "x") << 1. << 0 << true;
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
