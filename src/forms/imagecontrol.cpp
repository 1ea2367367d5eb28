#include "forms/imagecontrol.h"

#include "forms/palette.h"

#include <QPaintEvent>
#include <QPainter>

namespace tarvo::forms {

ImageControl::ImageControl(QWidget* parent)
    : QWidget(parent) {
    setAttribute(Qt::WA_TranslucentBackground);
}

void ImageControl::setPicture(Picture picture) {
    if (picture == m_picture)
        return;
    m_picture = std::move(picture);
    update();
}

void ImageControl::paintEvent(QPaintEvent* event) {
    if (isEmpty(m_picture))
        return;
    QPainter painter(this);
    if (m_picture->type() == PictureType::Icon) {
        const int side = std::min(width(), height());
        m_picture->icon().paint(&painter, QRect(0, 0, side, side), Qt::AlignLeft | Qt::AlignTop);
    } else {
        drawPart(painter, event->rect().topLeft(), m_picture->pixels(), event->rect());
    }
}

} // namespace tarvo::forms
