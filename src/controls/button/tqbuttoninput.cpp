#include "controls/button/tqbutton.h"

#include "forms/yield.h"

#include <QGuiApplication>
#include <QKeyEvent>
#include <QMouseEvent>

namespace tarvo {

namespace {

int buttonNumber(Qt::MouseButton button) {
    switch (button) {
    case Qt::LeftButton:
        return 1;
    case Qt::RightButton:
        return 2;
    case Qt::MiddleButton:
        return 4;
    default:
        return 0;
    }
}

int shiftState(Qt::KeyboardModifiers modifiers) {
    return (modifiers & Qt::ShiftModifier ? 1 : 0) | (modifiers & Qt::ControlModifier ? 2 : 0) |
           (modifiers & Qt::AltModifier ? 4 : 0);
}

// The key code a key event stands for: letters upper case, digits, and the keys the
// button handles by code.
int keyCode(const QKeyEvent* event) {
    const int key = event->key();
    switch (key) {
    case Qt::Key_Return:
    case Qt::Key_Enter:
        return 13;
    case Qt::Key_Escape:
        return 27;
    case Qt::Key_Space:
        return 32;
    case Qt::Key_Left:
        return 37;
    case Qt::Key_Up:
        return 38;
    case Qt::Key_Right:
        return 39;
    case Qt::Key_Down:
        return 40;
    case Qt::Key_Backspace:
        return 8;
    case Qt::Key_Tab:
        return 9;
    case Qt::Key_Shift:
        return 16;
    case Qt::Key_Control:
        return 17;
    case Qt::Key_Alt:
        return 18;
    default:
        break;
    }
    if ((key >= Qt::Key_0 && key <= Qt::Key_9) || (key >= Qt::Key_A && key <= Qt::Key_Z))
        return key;
    if (key >= Qt::Key_F1 && key <= Qt::Key_F24)
        return 112 + (key - Qt::Key_F1);
    return key & 0xFFFF;
}

} // namespace

void tqbutton::mousePressEvent(QMouseEvent* event) {
    m_tooltip.pointerPressed();
    const QPointF at = event->position();
    m_model.mouseDown(buttonNumber(event->button()), shiftState(event->modifiers()), float(at.x()),
                      float(at.y()));
}

void tqbutton::mouseMoveEvent(QMouseEvent* event) {
    m_tooltip.pointerMoved();
    m_model.mouseMove(rect().contains(event->position().toPoint()));
}

void tqbutton::mouseReleaseEvent(QMouseEvent* event) {
    const QPointF at = event->position();
    m_model.mouseUp(buttonNumber(event->button()), shiftState(event->modifiers()), float(at.x()),
                    float(at.y()), width(), height());
}

void tqbutton::mouseDoubleClickEvent(QMouseEvent* event) {
    Q_UNUSED(event);
    m_model.dblClick();
}

// The tip follows the pointer itself; the button's own state learns of the leave only
// through its message hook (see tqbuttonhooks.cpp).
void tqbutton::leaveEvent(QEvent* event) {
    QWidget::leaveEvent(event);
    m_tooltip.pointerLeft();
}

void tqbutton::keyPressEvent(QKeyEvent* event) {
    m_model.keyDown(keyCode(event), shiftState(event->modifiers()));
    const QString text = event->text();
    if (!text.isEmpty() && !(event->modifiers() & Qt::AltModifier))
        m_model.keyPress(text.at(0).unicode());
}

void tqbutton::keyReleaseEvent(QKeyEvent* event) {
    // A held key repeats its press, never its release.
    if (event->isAutoRepeat())
        return;
    m_model.keyUp(keyCode(event), shiftState(event->modifiers()));
}

void tqbutton::focusInEvent(QFocusEvent* event) {
    QWidget::focusInEvent(event);
    m_model.gotFocus();
}

void tqbutton::focusOutEvent(QFocusEvent* event) {
    QWidget::focusOutEvent(event);
    // A menu opened from the button has the keyboard only while it is open: to the
    // button's state that is no loss of focus (the pressed look stays with the menu).
    if (event->reason() == Qt::PopupFocusReason)
        return;
    releaseCapture(); // a Space press ends with the focus
    m_model.lostFocus();
}

// ---- what the state machine asks of the widget ----

void tqbutton::raise(ButtonEvent event, const EventArgs& a) {
    switch (event) {
    case ButtonEvent::Click:
        emit Click();
        break;
    case ButtonEvent::DblClick:
        emit DblClick();
        break;
    case ButtonEvent::MouseEnter:
        emit MouseEnter();
        break;
    case ButtonEvent::MouseLeave:
        emit MouseLeave();
        break;
    case ButtonEvent::MouseMove:
        emit MouseMove(a.button, a.shift, a.x, a.y);
        break;
    case ButtonEvent::MouseUp:
        emit MouseUp(a.button, a.shift, a.x, a.y);
        break;
    case ButtonEvent::MouseDown:
        emit MouseDown(a.button, a.shift, a.x, a.y);
        break;
    case ButtonEvent::KeyDown:
        emit KeyDown(a.button, a.shift);
        break;
    case ButtonEvent::KeyUp:
        emit KeyUp(a.button, a.shift);
        break;
    case ButtonEvent::KeyPress:
        emit KeyPress(a.button);
        break;
    }
}

void tqbutton::runOptionGroup() {
    const QWidget* container = parentWidget();
    for (tqbutton* other : window()->findChildren<tqbutton*>()) {
        if (other != this && other->parentWidget() == container && other->Mode() == ModeOption)
            other->setValue(false);
    }
}

void tqbutton::doEvents() {
    forms::doEvents();
}

void tqbutton::captureMouse() {
    // While a mouse button is held the press already holds the pointer, and an explicit
    // grab taken then would outlive the release.
    if (!isVisible() || QGuiApplication::mouseButtons() != Qt::NoButton)
        return;
    QWidget* grabber = QWidget::mouseGrabber();
    if (grabber == this)
        return;
    if (grabber)
        grabber->releaseMouse();
    grabMouse();
}

void tqbutton::releaseCapture() {
    if (QWidget::mouseGrabber() == this)
        releaseMouse();
}

void tqbutton::focusNeighbour(bool next) {
    focusNextPrevChild(next);
}

void tqbutton::showHandCursor() {
    setCursor(Qt::PointingHandCursor);
}

} // namespace tarvo
