#pragma once

#include <QByteArray>
#include <QImage>
#include <QList>
#include <QRect>
#include <QSize>
#include <QString>
#include <QUrl>

#include <optional>

namespace tarvo::webprotocol {

// What the helper process tells the window about one navigation, in the order it
// happens: the top-level document's innerHTML, each frame as it completes, then the page
// drawn (or why there is none). Every message is a length and a body.
struct Link {
    QRect area;   // in the picture's logical pixels, inside the picture
    QUrl url;     // a pane link (isPaneLink)
    QString text; // what the link reads there, for assistive technology
};

struct Message {
    enum class Kind : quint8 { Document = 1, Frame = 2, Page = 3, Failed = 4 };
    Kind kind = Kind::Document;
    QString markup;    // Document: the documentElement's innerHTML
    QUrl url;          // Frame, Page, Failed
    QImage picture;    // Page: opaque, with the device pixel ratio it was drawn at
    QList<Link> links; // Page
    QString text;      // Page: the page's plain text; Failed: the reason
};

QByteArray encode(const Message& message);

// A link a pane may follow: a valid http or https address with a host, within the caps.
// The helper sends no other address, the reader takes no other, and the pane opens no
// other.
bool isPaneLink(const QUrl& url);

// Takes the helper's output as it arrives and gives whole messages back, each within the
// caps (caps.h) for the pane it was asked to draw for, in the one order the helper sends
// them: a Document, at most MaxFrames Frames, then a Page or a Failed (a Failed may also
// come alone); nothing after. A message out of order or past a cap is refused by its
// head (length and kind), before its body is waited for.
class MessageReader final {
public:
    MessageReader(QSize pane, qreal ratio);

    // False once the stream is broken (a message out of order, past a cap or malformed);
    // it stays so.
    bool feed(const QByteArray& bytes);
    std::optional<Message> next();
    bool broken() const { return m_broken; }

private:
    enum class Stage { Start, Frames, Done };

    std::optional<quint32> head();
    qint64 maxBody(Message::Kind kind) const;
    std::optional<Message> decode(const QByteArray& body) const;
    void breakOff();

    QSize m_maxPicture;
    int m_ratio;
    qint64 m_maxMessage;
    QByteArray m_buffer;
    qsizetype m_read = 0; // what of the buffer has been given back
    Stage m_stage = Stage::Start;
    int m_frames = 0;
    bool m_broken = false;
};

} // namespace tarvo::webprotocol
