#include "webprotocol/message.h"

#include "webprotocol/caps.h"

#include <QDataStream>
#include <QIODevice>
#include <QtEndian>

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

bool readPicture(QDataStream& in, QSize max, int ratio, QImage& picture) {
    quint32 width = 0;
    quint32 height = 0;
    quint8 drawnAt = 0;
    in >> width >> height >> drawnAt;
    if (in.status() != QDataStream::Ok || width == 0 || height == 0 ||
        width > quint32(max.width()) || height > quint32(max.height()) || drawnAt != ratio)
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

// A URL as the stream holds it (its encoded bytes), measured before it is parsed.
bool readUrl(QDataStream& in, QUrl& url) {
    QByteArray bytes;
    in >> bytes;
    if (in.status() != QDataStream::Ok || bytes.size() > MaxUrl)
        return false;
    url.setUrl(QString::fromLatin1(bytes));
    return isPaneLink(url);
}

bool readLink(QDataStream& in, QRect picture, Link& link) {
    in >> link.area;
    return in.status() == QDataStream::Ok && !link.area.isEmpty() && picture.contains(link.area) &&
           readUrl(in, link.url) && (in >> link.text, link.text.size() <= MaxLinkText);
}

} // namespace

bool isPaneLink(const QUrl& url) {
    return url.isValid() &&
           (url.scheme() == QLatin1String("http") || url.scheme() == QLatin1String("https")) &&
           !url.host().isEmpty() && url.toEncoded().size() <= MaxUrl;
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
            out << link.area << link.url << link.text;
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
    , m_ratio(boundedRatio(ratio))
    , m_maxMessage(maxMessage(pane, ratio)) {}

bool MessageReader::feed(const QByteArray& bytes) {
    if (m_broken)
        return false;
    m_buffer.remove(0, m_read);
    m_read = 0;
    m_buffer += bytes;
    head();
    return !m_broken;
}

// The next message's length once its head is in; a head of a message that may not come
// now, or not at that length, breaks the stream off.
std::optional<quint32> MessageReader::head() {
    const qsizetype available = m_buffer.size() - m_read;
    if (m_broken || available < LengthBytes)
        return std::nullopt;
    const auto* at = reinterpret_cast<const uchar*>(m_buffer.constData() + m_read);
    const quint32 length = qFromBigEndian<quint32>(at);
    if (length > m_maxMessage) {
        breakOff();
        return std::nullopt;
    }
    if (available == LengthBytes)
        return std::nullopt;
    if (length == 0 || length > maxBody(Message::Kind(at[LengthBytes]))) {
        breakOff();
        return std::nullopt;
    }
    return length;
}

// The largest body of a message of this kind at this point of the stream; 0 for one that
// may not come now. A string is its length and UTF-16, a URL its length and bytes.
qint64 MessageReader::maxBody(Message::Kind kind) const {
    constexpr qint64 Kind = 1;
    constexpr qint64 Length = 4;
    switch (kind) {
    case Message::Kind::Document:
        return m_stage == Stage::Start ? Kind + Length + 2 * MaxInnerHtml : 0;
    case Message::Kind::Frame:
        return m_stage == Stage::Frames && m_frames < MaxFrames ? Kind + Length + MaxUrl : 0;
    case Message::Kind::Page:
        return m_stage == Stage::Frames ? m_maxMessage : 0;
    case Message::Kind::Failed:
        return m_stage != Stage::Done ? Kind + Length + MaxUrl + Length + 2 * MaxReason : 0;
    }
    return 0;
}

std::optional<Message> MessageReader::next() {
    const std::optional<quint32> length = head();
    if (!length || m_buffer.size() - m_read < LengthBytes + qsizetype(*length))
        return std::nullopt;
    // Read in place: a picture is copied once, into its image.
    std::optional<Message> message =
        decode(QByteArray::fromRawData(m_buffer.constData() + m_read + LengthBytes, *length));
    m_read += LengthBytes + *length;
    if (!message) {
        breakOff();
        return std::nullopt;
    }
    if (message->kind == Message::Kind::Document)
        m_stage = Stage::Frames;
    else if (message->kind == Message::Kind::Frame)
        ++m_frames;
    else
        m_stage = Stage::Done;
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
        ok = readUrl(in, message.url);
        break;
    case Message::Kind::Page: {
        quint32 count = 0;
        ok = readUrl(in, message.url) && readPicture(in, m_maxPicture, m_ratio, message.picture);
        if (ok)
            in >> count;
        ok = ok && count <= quint32(MaxLinks);
        const QRect picture(0, 0, message.picture.width() / m_ratio,
                            message.picture.height() / m_ratio);
        for (quint32 i = 0; ok && i < count; ++i) {
            Link link;
            ok = readLink(in, picture, link);
            message.links << link;
        }
        in >> message.text;
        ok = ok && message.text.size() <= MaxText;
        break;
    }
    case Message::Kind::Failed:
        ok = readUrl(in, message.url);
        in >> message.text;
        ok = ok && message.text.size() <= MaxReason;
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
    m_read = 0;
}

} // namespace tarvo::webprotocol
