#include "platform/web/paneview.h"

#include <QDesktopServices>
#include <QTextDocument>

namespace tarvo::platform::web {

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

void PaneView::showPage(const QString& html, const QHash<QUrl, QImage>& images) {
    m_images = images;
    setHtml(html);
    document()->setDocumentMargin(0);
}

QVariant PaneView::loadResource(int type, const QUrl& name) {
    if (type == QTextDocument::ImageResource) {
        const auto found = m_images.constFind(name);
        if (found != m_images.constEnd())
            return *found;
    }
    return {};
}

} // namespace tarvo::platform::web
