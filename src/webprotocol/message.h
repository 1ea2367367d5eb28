#pragma once

#include <QByteArray>
#include <QImage>
#include <QList>
#include <QString>
#include <QUrl>

#include <optional>

namespace tarvo::webprotocol {

// What the helper process tells the window about one navigation, in the order it
// happens: the top-level document's markup, each frame as it completes, then the page
// to show with its pictures. Every message is a length and a body; the reader takes
// nothing larger than MaxMessage and checks every picture against its size.
struct Picture {
    QUrl url;
    QImage image; // ARGB32 premultiplied
};

struct Message {
    enum class Kind : quint8 { Document = 1, Frame = 2, Page = 3 };
    Kind kind = Kind::Document;
    QString markup;          // Document: the documentElement's innerHTML; Page: what is shown
    QUrl url;                // Frame, Page
    QList<Picture> pictures; // Page
};

constexpr qint64 MaxMessage = qint64(24) << 20;
// The innerHTML the window keeps of a document: the marker sits in its head.
constexpr qsizetype MaxInnerHtml = qsizetype(1) << 20;

QByteArray encode(const Message& message);

// Takes the helper's output as it arrives and gives whole messages back.
class MessageReader final {
public:
    // False once the stream is broken (a message too large or malformed); it stays so.
    bool feed(const QByteArray& bytes);
    std::optional<Message> next();
    bool broken() const { return m_broken; }

private:
    QByteArray m_buffer;
    bool m_broken = false;
};

// The pane's own page for a navigation that failed: the document (its innerHTML as the
// parser would give it) and the page shown. It never carries the maker's marker.
struct ErrorPage {
    Message document;
    Message page;
};
ErrorPage errorPage(const QUrl& url, const QString& why);

} // namespace tarvo::webprotocol
