#include "platform/webpane/paneview.h"

#include <QDesktopServices>
#include <QTextDocument>

namespace tarvo::platform::webpane {

PaneView::PaneView(QWidget* parent)
    : QTextBrowser(parent) {
    setFrameShape(QFrame::NoFrame);
    setOpenLinks(false);
    setOpenExternalLinks(false);
    setUndoRedoEnabled(false);
    document()->setDocumentMargin(0);
    connect(this, &QTextBrowser::anchorClicked, this, [](const QUrl& url) {
        if (url.scheme() == QLatin1String("http") || url.scheme() == QLatin1String("https"))
            QDesktopServices::openUrl(url);
    });
}

void PaneView::showPage(const QString& html, const QList<tarvo::webprotocol::Picture>& pictures) {
    setHtml(html);
    // Added after the markup (setting it clears the document's resources), before the
    // layout that asks for them.
    for (const tarvo::webprotocol::Picture& picture : pictures)
        document()->addResource(QTextDocument::ImageResource, picture.url, picture.image);
    document()->setDocumentMargin(0);
}

QVariant PaneView::loadResource(int, const QUrl&) {
    return {};
}

} // namespace tarvo::platform::webpane
