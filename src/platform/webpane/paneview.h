#pragma once

#include "webprotocol/message.h"

#include <QAbstractScrollArea>
#include <QImage>
#include <QList>
#include <QTextDocument>

namespace tarvo::platform::webpane {

// Shows a pane's page as the helper drew it: a picture, scrolled when it is taller than
// the pane, with the link areas the helper found. The pointer is a hand over a link, and
// a click on one opens a web link in the desktop's browser; the pane keeps its page. From
// the keyboard, Tab and Shift+Tab move through the link areas (a ring marks the one in
// focus) and Enter opens it as a click does; each is an accessible link of its own (see
// PaneAccessible). The page's text, in plain characters, is the pane's accessible name
// and description. The pane's own error page is the one document it lays out itself: its
// content is the window's, not a page's.
class PaneView final : public QAbstractScrollArea {
    Q_OBJECT
public:
    explicit PaneView(QWidget* parent = nullptr);

    void showPage(const tarvo::webprotocol::Message& page);
    void showError(const QString& html);
    // What is shown, as text, and the page's picture.
    QString text() const { return accessibleDescription(); }
    const QImage& picture() const { return m_picture; }

    // The page's link areas (none for an error page); a new page, a new number.
    const QList<tarvo::webprotocol::Link>& links() const { return m_links; }
    int pageNumber() const { return m_page; }
    // The link area under a point of the viewport, or -1; one where the viewport shows it.
    int linkAt(QPoint point) const;
    QRect linkInViewport(int index) const;
    // The link area the keyboard is on (-1: none), moved there, and opened as by a click.
    int focusedLink() const { return m_focused; }
    void focusLink(int index);
    void openLink(int index) const;

protected:
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void focusInEvent(QFocusEvent* event) override;
    void focusOutEvent(QFocusEvent* event) override;
    bool focusNextPrevChild(bool next) override;
    void scrollContentsBy(int dx, int dy) override;

private:
    void setText(const QString& text);
    void newPage();
    void updateScrolling();

    QImage m_picture;
    QList<tarvo::webprotocol::Link> m_links;
    QTextDocument m_error;
    bool m_showsError = false;
    int m_pressed = -1;
    int m_focused = -1;
    int m_page = 0;
};

} // namespace tarvo::platform::webpane
