#include "controls/progressbar/ucprogressbar.h"

#include "controls/progressbar/ucprogressbaraccessible.h"
#include "forms/surfacepresenter.h"
#include "runtime/errors.h"
#include "runtime/numbers.h"
#include "runtime/units.h"

#include <QPaintEvent>
#include <QPainter>

namespace tarvo {

using runtime::ErrorCode;

ucProgressBar::ucProgressBar(QWidget* parent)
    : QWidget(parent) {
    setAttribute(Qt::WA_OpaquePaintEvent);
    installProgressBarAccessibility();
    // A gauge changes on every animation tick.
    forms::presentSurface(*this, m_surface, forms::Presenting::Native);
    // Usable on its own; a host runs InitProperties or ReadProperties with its font.
    InitProperties(forms::ambientFont());
    setFixedSize(m_surface.size());
}

void ucProgressBar::setValue(int value) {
    if (value < m_model.min || value > m_model.max)
        runtime::raise(ErrorCode::InvalidPropertyValue, QStringLiteral("Value"));
    m_model.value = value;
    Refresh();
    if (m_model.value == m_lastValue)
        return;
    m_lastValue = m_model.value;
    notifyProgressBarValue(this, m_model.value);
    emit Change();
    // Handlers may have changed the bar, so each test looks at the fields afresh.
    if (m_model.value == m_model.max)
        emit ArrivedLast();
    if (m_model.value == m_model.min)
        emit ArrivedFirst();
}

void ucProgressBar::setMax(int value) {
    if (value <= m_model.min)
        runtime::raise(ErrorCode::InvalidPropertyValue, QStringLiteral("Max"));
    const qint32 span = runtime::subInt32(value, m_model.min);
    m_model.max = value;
    m_model.span = span;
    Refresh();
}

void ucProgressBar::setMin(int value) {
    if (value >= m_model.max)
        runtime::raise(ErrorCode::InvalidPropertyValue, QStringLiteral("Min"));
    const qint32 span = runtime::subInt32(m_model.max, value);
    m_model.min = value;
    // The span is brought up to date before the value moves, so the redraw and the
    // event handlers of that assignment already see the new range.
    m_model.span = span;
    setValue(value);
}

void ucProgressBar::setCaptionFormat(int format) {
    m_model.captionFormat = format;
    Refresh();
}

void ucProgressBar::setCaptionCustom(const QString& text) {
    m_model.captionCustom = text;
    Refresh();
}

void ucProgressBar::setOrientation(int orientation) {
    m_model.orientation = orientation;
}

void ucProgressBar::setBarPictureFore(forms::Picture picture) {
    m_model.fore = std::move(picture);
    Resize();
}

void ucProgressBar::setBarPictureBack(forms::Picture picture) {
    m_back = std::move(picture);
    Resize();
}

void ucProgressBar::setBarFont(forms::Font font) {
    m_surface.setFont(std::move(font));
    Refresh();
}

void ucProgressBar::setFontColor(forms::OleColor colour) {
    m_surface.setForeColor(colour);
    Refresh();
}

void ucProgressBar::Refresh() {
    runtime::step([this] { m_painter.paint(m_model, m_surface); });
}

void ucProgressBar::Resize() {
    // Each step that fails is skipped; sizing never fails.
    const bool ownBack = !forms::isEmpty(m_back);
    const forms::Picture& source = ownBack ? m_back : m_surface.picture();
    QSize pixels(0, 0);
    runtime::step([&] {
        if (source)
            pixels = runtime::himetricToPixels(source->sizeHimetric());
    });
    // The extent is set in twips; at 15 twips per pixel that is the same pixel size.
    runtime::step([&] {
        m_surface.resize(pixels);
        setFixedSize(pixels);
    });
    if (ownBack && m_surface.picture() != m_back)
        runtime::step([&] { m_surface.setPicture(m_back); });
    Refresh();
}

int ucProgressBar::ValueFromPoint(float x, float y) const {
    return valueFromPoint(m_model, m_surface.size(), x, y);
}

void ucProgressBar::paintEvent(QPaintEvent* event) {
    QPainter painter(this);
    const QRect area = event->rect();
    painter.drawImage(area, m_surface.image(), area);
}

void ucProgressBar::resizeEvent(QResizeEvent* event) {
    QWidget::resizeEvent(event);
    Resize();
}

} // namespace tarvo
