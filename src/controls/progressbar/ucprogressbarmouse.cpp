#include "controls/progressbar/ucprogressbar.h"

#include "runtime/errors.h"

#include <QMouseEvent>

namespace tarvo {

namespace {

int buttonCode(Qt::MouseButtons buttons) {
    int code = 0;
    if (buttons & Qt::LeftButton)
        code |= 1;
    if (buttons & Qt::RightButton)
        code |= 2;
    if (buttons & Qt::MiddleButton)
        code |= 4;
    return code;
}

int shiftCode(Qt::KeyboardModifiers modifiers) {
    int code = 0;
    if (modifiers & Qt::ShiftModifier)
        code |= 1;
    if (modifiers & Qt::ControlModifier)
        code |= 2;
    if (modifiers & Qt::AltModifier)
        code |= 4;
    return code;
}

} // namespace

// A failing assignment inside a mouse handler (a value left above a lowered Max, a
// zero-sized bar) is dropped: it must not escape into the event loop.

void ucProgressBar::mousePressEvent(QMouseEvent* event) {
    m_clickArmed = true;
    const QPointF at = event->position();
    runtime::step([&] {
        onMouseDown(buttonCode(event->button()), shiftCode(event->modifiers()), float(at.x()),
                    float(at.y()));
    });
}

void ucProgressBar::mouseMoveEvent(QMouseEvent* event) {
    const QPointF at = event->position();
    runtime::step([&] {
        onMouseMove(buttonCode(event->buttons()), shiftCode(event->modifiers()), float(at.x()),
                    float(at.y()));
    });
}

void ucProgressBar::mouseReleaseEvent(QMouseEvent* event) {
    onMouseUp();
    // A click is a press and a release over the control; the release that ends a double
    // click is no click.
    const bool click = m_clickArmed && rect().contains(event->position().toPoint());
    m_clickArmed = false;
    if (click)
        emit Click();
}

void ucProgressBar::mouseDoubleClickEvent(QMouseEvent*) {
    m_clickArmed = false;
    runtime::step([&] { onDblClick(); });
}

void ucProgressBar::onMouseDown(int button, int shift, float x, float y) {
    const int width = m_surface.scaleWidth();
    const int height = m_surface.scaleHeight();
    if (!(x >= 0 && x < width && y >= 0 && y < height))
        return;
    m_lastButton = qint16(button);
    m_lastShift = qint16(shift);
    m_lastX = x;
    m_lastY = y;
    if (button == 1) {
        m_dragging = true;
        onMouseMove(button, shift, x, y);
    } else if (button == 2) {
        // One step towards the pointer.
        const int target = ValueFromPoint(x, y);
        if (m_model.value < target)
            setValue(m_model.value + 1);
        else if (target < m_model.value)
            setValue(m_model.value - 1);
    }
}

void ucProgressBar::onMouseMove(int, int, float x, float y) {
    const float width = float(m_surface.scaleWidth());
    const float height = float(m_surface.scaleHeight());
    if (x < 0)
        x = 0;
    else if (x >= width)
        x = width;
    if (y < 0)
        y = 0;
    else if (y >= height)
        y = height;
    if (m_dragging)
        setValue(ValueFromPoint(x, y));
}

void ucProgressBar::onMouseUp() {
    m_dragging = false;
}

void ucProgressBar::onDblClick() {
    onMouseDown(m_lastButton, m_lastShift, m_lastX, m_lastY);
}

} // namespace tarvo
