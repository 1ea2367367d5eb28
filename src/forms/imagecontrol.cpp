#include "forms/imagecontrol.h"

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

void ImageControl::paintEvent(QPaintEvent*) {
    if (isEmpty(m_picture))
        return;
    QPainter painter(this);
    if (m_picture->type() == PictureType::Icon) {
        const int side = std::min(width(), height());
        m_picture->icon().paint(&painter, QRect(0, 0, side, side), Qt::AlignLeft | Qt::AlignTop);
    } else {
        painter.drawImage(QPoint(0, 0), m_picture->pixels());
    }
}

} // namespace tarvo::forms
