#pragma once

#include <QHash>
#include <QImage>
#include <QTextBrowser>
#include <QUrl>

namespace tarvo::platform::web {

// Shows a pane's page. It loads nothing by itself: images come only from what the
// navigation fetched, and any other resource (local files included) is refused. A click
// on a web link opens the desktop's browser; the pane keeps its page.
class PaneView final : public QTextBrowser {
    Q_OBJECT
public:
    explicit PaneView(QWidget* parent = nullptr);

    void showPage(const QString& html, const QHash<QUrl, QImage>& images);

    QVariant loadResource(int type, const QUrl& name) override;

private:
    QHash<QUrl, QImage> m_images;
};

} // namespace tarvo::platform::web
