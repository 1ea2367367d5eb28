#include "platform/webpane/paneview.h"

#include <QAbstractTextDocumentLayout>
#include <QDesktopServices>
#include <QMouseEvent>
#include <QPainter>
#include <QScrollBar>

namespace tarvo::platform::webpane {

PaneView::PaneView(QWidget* parent)
    : QAbstractScrollArea(parent) {
    setFrameShape(QFrame::NoFrame);
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
    setText(page.text);
    updateScrolling();
    viewport()->update();
}

void PaneView::showError(const QString& html) {
    m_showsError = true;
    m_picture = QImage();
    m_links.clear();
    m_error.setHtml(html);
    m_error.setTextWidth(viewport()->width());
    setText(m_error.toPlainText());
    updateScrolling();
    viewport()->update();
}

void PaneView::setText(const QString& text) {
    setAccessibleName(text.section(u'\n', 0, 0, QString::SectionSkipEmpty).left(200));
    setAccessibleDescription(text);
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
    if (event->button() == Qt::LeftButton && link >= 0 && link == m_pressed &&
        tarvo::webprotocol::isPaneLink(m_links[link].url))
        QDesktopServices::openUrl(m_links[link].url);
    m_pressed = -1;
}

} // namespace tarvo::platform::webpane
