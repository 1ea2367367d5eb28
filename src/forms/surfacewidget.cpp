#include "forms/surfacewidget.h"

#include "forms/palette.h"
#include "forms/surfacepresenter.h"

#include <QPaintEvent>
#include <QPainter>
#include <QResizeEvent>

#include <utility>

namespace tarvo::forms {

SurfaceWidget::SurfaceWidget(QWidget* parent)
    : QWidget(parent) {
    // The retained image covers the whole widget, so Qt need not clear behind it.
    setAttribute(Qt::WA_OpaquePaintEvent);
    m_surface.resize(size());
    presentSurface(*this, m_surface);
}

void SurfaceWidget::presentNatively() {
    presentSurface(*this, m_surface, Presenting::Native);
}

void SurfaceWidget::paintEvent(QPaintEvent* event) {
    QPainter painter(this);
    const QRect r = event->rect();
    drawPart(painter, r.topLeft(), std::as_const(m_surface).image(), r);
}

void SurfaceWidget::resizeEvent(QResizeEvent* event) {
    m_surface.resize(event->size());
    QWidget::resizeEvent(event);
}

} // namespace tarvo::forms
