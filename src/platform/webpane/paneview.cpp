#include "platform/webpane/paneview.h"

#include "platform/webpane/accessibletext.h"
#include "platform/webpane/focusring.h"
#include "platform/webpane/paneaccessible.h"

#include <QAbstractTextDocumentLayout>
#include <QAccessible>
#include <QDesktopServices>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>
#include <QScrollBar>

namespace tarvo::platform::webpane {

PaneView::PaneView(QWidget* parent)
    : QAbstractScrollArea(parent) {
    installAccessibility();
    setFrameShape(QFrame::NoFrame);
    setFocusPolicy(Qt::StrongFocus);
    setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    setVerticalScrollBarPolicy(Qt::ScrollBarAsNeeded);
    viewport()->setMouseTracking(true);
    viewport()->setAutoFillBackground(true);
    viewport()->setBackgroundRole(QPalette::Base);
    m_error.setUndoRedoEnabled(false);
    m_error.setDocumentMargin(0);
}

void PaneView::showPage(const tarvo::webprotocol::Message& page) {
    m_showsError = false;
    m_error.clear();
    m_picture = page.picture;
    m_links = page.links;
    newPage();
    setText(page.text);
    updateScrolling();
    viewport()->update();
}

void PaneView::showError(const QString& html) {
    m_showsError = true;
    m_picture = QImage();
    m_links.clear();
    newPage();
    // The window's own face, which holds the page's fixed words.
    m_error.setDefaultFont(font());
    m_error.setHtml(html);
    m_error.setTextWidth(viewport()->width());
    setText(m_error.toPlainText());
    updateScrolling();
    viewport()->update();
}

// The old page's links go: no focus stays on one, and their accessible objects end.
void PaneView::newPage() {
    ++m_page;
    m_focused = -1;
    m_pressed = -1;
    QAccessibleEvent reorder(this, QAccessible::ObjectReorder);
    QAccessible::updateAccessibility(&reorder);
}

void PaneView::setText(const QString& text) {
    const QString plain = accessibleText(text);
    setAccessibleName(plain.section(u'\n', 0, 0, QString::SectionSkipEmpty).left(200));
    setAccessibleDescription(plain);
}

void PaneView::updateScrolling() {
    const qreal height =
        m_showsError ? m_error.size().height() : m_picture.height() / m_picture.devicePixelRatio();
    QScrollBar* bar = verticalScrollBar();
    bar->setRange(0, std::max(0, int(height) - viewport()->height()));
    bar->setPageStep(viewport()->height());
    bar->setSingleStep(20);
}

void PaneView::paintEvent(QPaintEvent*) {
    QPainter painter(viewport());
    painter.translate(0, -verticalScrollBar()->value());
    if (m_showsError) {
        m_error.drawContents(&painter, QRectF(0, verticalScrollBar()->value(), viewport()->width(),
                                              viewport()->height()));
    } else if (!m_picture.isNull()) {
        painter.drawImage(QPointF(0, 0), m_picture);
        if (hasFocus() && m_focused >= 0)
            paintFocusRing(painter, m_links[m_focused].area);
    }
}

void PaneView::resizeEvent(QResizeEvent* event) {
    QAbstractScrollArea::resizeEvent(event);
    if (m_showsError)
        m_error.setTextWidth(viewport()->width());
    updateScrolling();
}

void PaneView::scrollContentsBy(int, int) {
    viewport()->update();
}

int PaneView::linkAt(QPoint point) const {
    const QPoint onPicture = point + QPoint(0, verticalScrollBar()->value());
    for (qsizetype i = 0; i < m_links.size(); ++i)
        if (m_links[i].area.contains(onPicture))
            return int(i);
    return -1;
}

QRect PaneView::linkInViewport(int index) const {
    return m_links[index].area.translated(0, -verticalScrollBar()->value());
}

void PaneView::focusLink(int index) {
    if (index < 0 || index >= m_links.size())
        return;
    m_focused = index;
    setFocus(Qt::OtherFocusReason);
    // Scrolled into view, and told to assistive technology.
    const QRect area = m_links[index].area;
    QScrollBar* bar = verticalScrollBar();
    if (area.top() < bar->value())
        bar->setValue(area.top());
    else if (area.bottom() >= bar->value() + viewport()->height())
        bar->setValue(area.bottom() + 1 - viewport()->height());
    QAccessibleEvent focus(this, QAccessible::Focus);
    focus.setChild(index);
    QAccessible::updateAccessibility(&focus);
    viewport()->update();
}

void PaneView::openLink(int index) const {
    if (index >= 0 && index < m_links.size() && tarvo::webprotocol::isPaneLink(m_links[index].url))
        QDesktopServices::openUrl(m_links[index].url);
}

void PaneView::mouseMoveEvent(QMouseEvent* event) {
    viewport()->setCursor(linkAt(event->position().toPoint()) >= 0 ? Qt::PointingHandCursor
                                                                   : Qt::ArrowCursor);
}

void PaneView::mousePressEvent(QMouseEvent* event) {
    m_pressed = event->button() == Qt::LeftButton ? linkAt(event->position().toPoint()) : -1;
}

// A click is a press and a release on the same link.
void PaneView::mouseReleaseEvent(QMouseEvent* event) {
    const int link = linkAt(event->position().toPoint());
    if (event->button() == Qt::LeftButton && link >= 0 && link == m_pressed)
        openLink(link);
    m_pressed = -1;
}

void PaneView::keyPressEvent(QKeyEvent* event) {
    if ((event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter) && m_focused >= 0)
        openLink(m_focused);
    else
        QAbstractScrollArea::keyPressEvent(event);
}

// Tab into the pane lands on its first link, Shift+Tab on its last.
void PaneView::focusInEvent(QFocusEvent* event) {
    QAbstractScrollArea::focusInEvent(event);
    if (event->reason() == Qt::TabFocusReason)
        focusLink(0);
    else if (event->reason() == Qt::BacktabFocusReason)
        focusLink(int(m_links.size()) - 1);
    viewport()->update();
}

void PaneView::focusOutEvent(QFocusEvent* event) {
    QAbstractScrollArea::focusOutEvent(event);
    viewport()->update();
}

// From link to link within the pane; past its last (or first) link, on to the next widget.
bool PaneView::focusNextPrevChild(bool next) {
    const int to = m_focused < 0 ? (next ? 0 : -1) : m_focused + (next ? 1 : -1);
    if (hasFocus() && to >= 0 && to < m_links.size()) {
        focusLink(to);
        return true;
    }
    return QAbstractScrollArea::focusNextPrevChild(next);
}

} // namespace tarvo::platform::webpane
