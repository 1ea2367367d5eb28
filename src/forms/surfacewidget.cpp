#include "forms/surfacewidget.h"

#include <QPaintEvent>
#include <QPainter>
#include <QResizeEvent>

namespace tarvo::forms {

SurfaceWidget::SurfaceWidget(QWidget* parent)
    : QWidget(parent) {
    // The retained image covers the whole widget, so Qt need not clear behind it.
    setAttribute(Qt::WA_OpaquePaintEvent);
    m_surface.resize(size());
    m_surface.setPresenter([this](const QRegion& region) { update(region); });
    // A scroll moves what the window system already shows and repaints only the strip
    // it uncovers, instead of copying the whole area again.
    m_surface.setScrollPresenter(
        [this](const QRect& rect, int dx, int dy) { scroll(dx, dy, rect); });
}

void SurfaceWidget::paintEvent(QPaintEvent* event) {
    QPainter painter(this);
    const QRect r = event->rect();
    painter.drawImage(r.topLeft(), m_surface.image(), r);
}

void SurfaceWidget::resizeEvent(QResizeEvent* event) {
    m_surface.resize(event->size());
    QWidget::resizeEvent(event);
}

} // namespace tarvo::forms
