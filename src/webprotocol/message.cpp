#include "webprotocol/message.h"

#include "webprotocol/caps.h"

#include <QDataStream>
#include <QIODevice>

namespace tarvo::webprotocol {
namespace {

constexpr int LengthBytes = 4;
constexpr QDataStream::Version Version = QDataStream::Qt_6_4;

void writePicture(QDataStream& out, const QImage& picture) {
    const QImage image = picture.convertToFormat(QImage::Format_RGB32);
    out << quint32(image.width()) << quint32(image.height()) << quint8(image.devicePixelRatio());
    for (int y = 0; y < image.height(); ++y)
        out.writeRawData(reinterpret_cast<const char*>(image.constScanLine(y)), image.width() * 4);
}

bool readPicture(QDataStream& in, QSize max, QImage& picture) {
    quint32 width = 0;
    quint32 height = 0;
    quint8 ratio = 0;
    in >> width >> height >> ratio;
    if (in.status() != QDataStream::Ok || width == 0 || height == 0 ||
        width > quint32(max.width()) || height > quint32(max.height()) || ratio < 1 ||
        ratio > MaxPixelRatio)
        return false;
    QImage image(int(width), int(height), QImage::Format_RGB32);
    if (image.isNull())
        return false;
    const int row = image.width() * 4;
    for (int y = 0; y < image.height(); ++y) {
        if (in.readRawData(reinterpret_cast<char*>(image.scanLine(y)), row) != row)
            return false;
    }
    image.setDevicePixelRatio(ratio);
    picture = std::move(image);
    return true;
}

} // namespace

bool isPaneLink(const QUrl& url) {
    return url.isValid() &&
           (url.scheme() == QLatin1String("http") || url.scheme() == QLatin1String("https")) &&
           url.toEncoded().size() <= MaxUrl;
}

QByteArray encode(const Message& message) {
    QByteArray framed(LengthBytes, '\0');
    QDataStream out(&framed, QIODevice::WriteOnly | QIODevice::Append);
    out.setVersion(Version);
    out << quint8(message.kind);
    switch (message.kind) {
    case Message::Kind::Document:
        out << message.markup;
        break;
    case Message::Kind::Frame:
        out << message.url;
        break;
    case Message::Kind::Page:
        out << message.url;
        writePicture(out, message.picture);
        out << quint32(message.links.size());
        for (const Link& link : message.links)
            out << link.area << link.url;
        out << message.text;
        break;
    case Message::Kind::Failed:
        out << message.url << message.text;
        break;
    }
    const quint32 length = quint32(framed.size() - LengthBytes);
    QDataStream head(&framed, QIODevice::WriteOnly);
    head << length;
    return framed;
}

MessageReader::MessageReader(QSize pane, qreal ratio)
    : m_maxPicture(maxPicture(pane, ratio))
    , m_maxMessage(maxMessage(pane, ratio)) {}

bool MessageReader::feed(const QByteArray& bytes) {
    if (m_broken)
        return false;
    m_buffer += bytes;
    if (m_buffer.size() >= LengthBytes) {
        QDataStream in(m_buffer);
        quint32 length = 0;
        in >> length;
        if (length > m_maxMessage)
            breakOff();
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
    // Read in place: a picture is copied once, into its image.
    std::optional<Message> message =
        decode(QByteArray::fromRawData(m_buffer.constData() + LengthBytes, length));
    m_buffer.remove(0, LengthBytes + length);
    if (!message)
        breakOff();
    return message;
}

std::optional<Message> MessageReader::decode(const QByteArray& body) const {
    QDataStream in(body);
    in.setVersion(Version);
    Message message;
    quint8 kind = 0;
    in >> kind;
    message.kind = Message::Kind(kind);
    bool ok = true;
    switch (message.kind) {
    case Message::Kind::Document:
        in >> message.markup;
        ok = message.markup.size() <= MaxInnerHtml;
        break;
    case Message::Kind::Frame:
        in >> message.url;
        break;
    case Message::Kind::Page: {
        in >> message.url;
        quint32 count = 0;
        ok = readPicture(in, m_maxPicture, message.picture);
        if (ok)
            in >> count;
        ok = ok && count <= quint32(MaxLinks);
        for (quint32 i = 0; ok && i < count; ++i) {
            Link link;
            in >> link.area >> link.url;
            ok = isPaneLink(link.url);
            message.links << link;
        }
        in >> message.text;
        ok = ok && message.text.size() <= MaxText;
        break;
    }
    case Message::Kind::Failed:
        in >> message.url >> message.text;
        ok = message.text.size() <= MaxReason;
        break;
    default:
        ok = false;
    }
    if (!ok || in.status() != QDataStream::Ok || !in.atEnd())
        return std::nullopt;
    return message;
}

void MessageReader::breakOff() {
    m_broken = true;
    m_buffer.clear();
}

} // namespace tarvo::webprotocol
