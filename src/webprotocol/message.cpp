#include "webprotocol/message.h"

#include "webhelper/pagelimits.h"

#include <QDataStream>
#include <QIODevice>

namespace tarvo::webprotocol {
namespace {

constexpr int LengthBytes = 4;
const webhelper::DocumentCaps Caps; // no page the helper sends goes past them

void writePicture(QDataStream& out, const Picture& picture) {
    const QImage image = picture.image.convertToFormat(QImage::Format_ARGB32_Premultiplied);
    out << picture.url << quint32(image.width()) << quint32(image.height());
    for (int y = 0; y < image.height(); ++y)
        out.writeRawData(reinterpret_cast<const char*>(image.constScanLine(y)), image.width() * 4);
}

bool readPicture(QDataStream& in, Picture& picture) {
    quint32 width = 0;
    quint32 height = 0;
    in >> picture.url >> width >> height;
    if (in.status() != QDataStream::Ok || width == 0 || height == 0 ||
        width > quint32(Caps.pictureSide) || height > quint32(Caps.pictureSide))
        return false;
    QImage image(int(width), int(height), QImage::Format_ARGB32_Premultiplied);
    if (image.isNull())
        return false;
    for (int y = 0; y < image.height(); ++y) {
        const int row = image.width() * 4;
        if (in.readRawData(reinterpret_cast<char*>(image.scanLine(y)), row) != row)
            return false;
    }
    picture.image = std::move(image);
    return true;
}

QString escaped(const QString& text) {
    QString out = text;
    out.replace(u'&', QLatin1String("&amp;"));
    out.replace(u'<', QLatin1String("&lt;"));
    out.replace(u'>', QLatin1String("&gt;"));
    return out;
}

} // namespace

QByteArray encode(const Message& message) {
    QByteArray body;
    QDataStream out(&body, QIODevice::WriteOnly);
    out.setVersion(QDataStream::Qt_6_4);
    out << quint8(message.kind);
    switch (message.kind) {
    case Message::Kind::Document:
        out << message.markup;
        break;
    case Message::Kind::Frame:
        out << message.url;
        break;
    case Message::Kind::Page:
        out << message.url << message.markup << quint32(message.pictures.size());
        for (const Picture& picture : message.pictures)
            writePicture(out, picture);
        break;
    }
    QByteArray framed;
    QDataStream length(&framed, QIODevice::WriteOnly);
    length << quint32(body.size());
    return framed + body;
}

bool MessageReader::feed(const QByteArray& bytes) {
    if (m_broken)
        return false;
    m_buffer += bytes;
    if (m_buffer.size() >= LengthBytes) {
        QDataStream in(m_buffer);
        quint32 length = 0;
        in >> length;
        if (length > MaxMessage) {
            m_broken = true;
            m_buffer.clear();
        }
    }
    return !m_broken;
}

std::optional<Message> MessageReader::next() {
    if (m_broken || m_buffer.size() < LengthBytes)
        return std::nullopt;
    QDataStream head(m_buffer);
    quint32 length = 0;
    head >> length;
    if (m_buffer.size() < LengthBytes + qsizetype(length))
        return std::nullopt;
    const QByteArray body = m_buffer.mid(LengthBytes, length);
    m_buffer.remove(0, LengthBytes + length);

    QDataStream in(body);
    in.setVersion(QDataStream::Qt_6_4);
    Message message;
    quint8 kind = 0;
    in >> kind;
    bool ok = true;
    switch (Message::Kind(kind)) {
    case Message::Kind::Document:
        message.kind = Message::Kind::Document;
        in >> message.markup;
        ok = message.markup.size() <= MaxInnerHtml;
        break;
    case Message::Kind::Frame:
        message.kind = Message::Kind::Frame;
        in >> message.url;
        break;
    case Message::Kind::Page: {
        message.kind = Message::Kind::Page;
        quint32 count = 0;
        in >> message.url >> message.markup >> count;
        ok = count <= quint32(Caps.pictures);
        for (quint32 i = 0; ok && i < count; ++i) {
            Picture picture;
            ok = readPicture(in, picture);
            message.pictures << std::move(picture);
        }
        break;
    }
    default:
        ok = false;
    }
    if (!ok || in.status() != QDataStream::Ok || !in.atEnd()) {
        m_broken = true;
        m_buffer.clear();
        return std::nullopt;
    }
    return message;
}

ErrorPage errorPage(const QUrl& url, const QString& why) {
    static const QString title = QStringLiteral("无法显示网页");
    const QString address = escaped(url.toString().left(200));
    const QString reason = escaped(why.left(200));
    ErrorPage error;
    error.document.kind = Message::Kind::Document;
    error.document.markup =
        QStringLiteral("<HEAD><TITLE>%1</TITLE></HEAD><BODY bgcolor=\"#ffffff\">"
                       "<P>%1 %2</P><P>%3</P></BODY>")
            .arg(title, address, reason);
    error.page.kind = Message::Kind::Page;
    error.page.url = url;
    error.page.markup =
        QStringLiteral("<html><head><title>%1</title></head><body bgcolor=\"#ffffff\">"
                       "<p>%1 %2</p><p>%3</p></body></html>")
            .arg(title, address, reason);
    return error;
}

} // namespace tarvo::webprotocol
