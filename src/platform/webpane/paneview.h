#pragma once

#include "webprotocol/message.h"

#include <QAbstractScrollArea>
#include <QImage>
#include <QList>
#include <QTextDocument>

namespace tarvo::platform::webpane {

// Shows a pane's page as the helper drew it: a picture, scrolled when it is taller than
// the pane, with the link areas the helper found. The pointer is a hand over a link, and
// a click on one opens a web link in the desktop's browser; the pane keeps its page. The
// page's text is the pane's accessible name and description. The pane's own error page
// is the one document it lays out itself: its content is the window's, not a page's.
class PaneView final : public QAbstractScrollArea {
    Q_OBJECT
public:
    explicit PaneView(QWidget* parent = nullptr);

    void showPage(const tarvo::webprotocol::Message& page);
    void showError(const QString& html);
    // What is shown, as text, and the page's picture.
    QString text() const { return accessibleDescription(); }
    const QImage& picture() const { return m_picture; }

protected:
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void scrollContentsBy(int dx, int dy) override;

private:
    void setText(const QString& text);
    void updateScrolling();
    // The link under a point of the viewport, or -1.
    int linkAt(QPoint point) const;

    QImage m_picture;
    QList<tarvo::webprotocol::Link> m_links;
    QTextDocument m_error;
    bool m_showsError = false;
    int m_pressed = -1;
};

} // namespace tarvo::platform::webpane
