#include "webhelper/pagepainter.h"

#include "webhelper/textcut.h"
#include "webprotocol/caps.h"

#include <QAbstractTextDocumentLayout>
#include <QPainter>
#include <QTextBlock>
#include <QTextDocument>
#include <QTextLayout>

#include <cmath>

namespace tarvo::webhelper {
namespace {

using webprotocol::Link;
using webprotocol::Message;

// A document that loads no resource of its own (a local file included).
class PageDocument final : public QTextDocument {
public:
    using QTextDocument::QTextDocument;

protected:
    QVariant loadResource(int, const QUrl&) override { return {}; }
};

// One area per line of every link, in document order, within the picture.
QList<Link> linkAreas(const QTextDocument& document, const QRect& picture) {
    QList<Link> links;
    QAbstractTextDocumentLayout* layout = document.documentLayout();
    for (QTextBlock block = document.begin(); block.isValid(); block = block.next()) {
        const QTextLayout* lines = block.layout();
        if (!lines || lines->lineCount() == 0)
            continue;
        // The block's lines are placed relative to its layout's position in its frame.
        const QPointF origin =
            layout->blockBoundingRect(block).topLeft() - lines->boundingRect().topLeft();
        for (auto it = block.begin(); !it.atEnd(); ++it) {
            const QTextFragment fragment = it.fragment();
            const QTextCharFormat format = fragment.charFormat();
            const QUrl url(format.anchorHref());
            if (!format.isAnchor() || !webprotocol::isPaneLink(url))
                continue;
            QString text = fragment.text();
            text.remove(QChar::ObjectReplacementCharacter);
            text = cutText(text, webprotocol::MaxLinkText);
            const int from = fragment.position() - block.position();
            const int to = from + fragment.length();
            for (int i = 0; i < lines->lineCount(); ++i) {
                const QTextLine line = lines->lineAt(i);
                const int start = std::max(from, line.textStart());
                const int end = std::min(to, line.textStart() + line.textLength());
                if (start >= end)
                    continue;
                const qreal left = line.cursorToX(start);
                const qreal right = line.cursorToX(end);
                const QRectF area(origin + QPointF(std::min(left, right), line.y()),
                                  QSizeF(std::abs(right - left), line.height()));
                const QRect shown = area.toAlignedRect() & picture;
                if (shown.isEmpty())
                    continue;
                if (links.size() == webprotocol::MaxLinks)
                    return links;
                links << Link{shown, url, text};
            }
        }
    }
    return links;
}

QString plainText(const QTextDocument& document) {
    QString text = document.toPlainText();
    text.remove(QChar::ObjectReplacementCharacter);
    text.replace(QChar::LineSeparator, u'\n');
    return cutText(text, webprotocol::MaxText);
}

} // namespace

Message paintPage(const QUrl& url, const QString& html, const QHash<QUrl, QImage>& pictures,
                  const webprotocol::Request& request) {
    const QSize pane = webprotocol::boundedPane(request.pane);
    const int ratio = webprotocol::boundedRatio(request.ratio);
    PageDocument document;
    document.setUndoRedoEnabled(false);
    document.setDefaultFont(request.font);
    document.setHtml(html);
    // Added after the markup (setting it clears the document's resources), before the
    // layout that asks for them.
    for (auto it = pictures.begin(); it != pictures.end(); ++it)
        document.addResource(QTextDocument::ImageResource, it.key(), it.value());
    document.setDocumentMargin(0);
    document.setTextWidth(pane.width());
    // Taller than the pane: the pane shows a scroll bar beside it.
    if (document.size().height() > pane.height())
        document.setTextWidth(pane.width() - request.scrollBar);

    const QSize max = webprotocol::maxPicture(pane, ratio);
    const int width = int(document.textWidth());
    const int height =
        std::clamp(int(std::ceil(document.size().height())), pane.height(), max.height() / ratio);
    QImage picture(width * ratio, height * ratio, QImage::Format_RGB32);
    picture.setDevicePixelRatio(ratio);
    picture.fill(Qt::white);
    {
        QPainter painter(&picture);
        QAbstractTextDocumentLayout::PaintContext context;
        context.clip = QRectF(0, 0, width, height);
        context.palette.setColor(QPalette::Text, Qt::black);
        painter.setClipRect(context.clip);
        document.documentLayout()->draw(&painter, context);
    }

    Message page;
    page.kind = Message::Kind::Page;
    page.url = url;
    page.links = linkAreas(document, QRect(0, 0, width, height));
    page.text = plainText(document);
    page.picture = std::move(picture);
    return page;
}

} // namespace tarvo::webhelper
