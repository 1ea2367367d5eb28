#include "controls/titlebar/mictitlebar.h"

#include <QHelpEvent>
#include <QMouseEvent>
#include <QToolTip>
#include <QWindow>

// Pointer handling of the title bar: drag, hover looks, clicks, tooltips.

namespace tarvo {

QString MicTitleBar::toolTipOf(TitlePart part) {
    switch (part) {
    case TitlePart::PicMinU:
        return QStringLiteral("最小化");
    case TitlePart::PicMaxU:
        return QStringLiteral("最大化");
    case TitlePart::PicCloseU:
        return QStringLiteral("关闭");
    default:
        return {};
    }
}

bool MicTitleBar::event(QEvent* event) {
    // The window losing the activation reaches its children as WindowDeactivate.
    if (event->type() == QEvent::WindowDeactivate)
        endHover();
    if (event->type() != QEvent::ToolTip)
        return QWidget::event(event);
    auto* help = static_cast<QHelpEvent*>(event);
    const auto part = m_model.hitTest(help->pos(), size());
    const QString text = part ? toolTipOf(*part) : QString();
    if (text.isEmpty())
        QToolTip::hideText();
    else
        QToolTip::showText(help->globalPos(), text, this, m_model.rect(*part));
    return true;
}

void MicTitleBar::mousePressEvent(QMouseEvent* event) {
    if (event->button() != Qt::LeftButton)
        return; // other buttons neither move the window nor click
    // A button in its hover look hears the pointer first, as a captured box would.
    const auto target =
        m_hovered ? m_hovered : m_model.hitTest(event->position().toPoint(), size());
    if (!target)
        return;
    if (isDragPart(*target)) {
        beginDrag(event->globalPosition());
        return;
    }
    m_pressed = target;
}

void MicTitleBar::beginDrag(QPointF globalPos) {
    endHover();
    m_pressed.reset();
    QWidget* window = m_host.hwnd();
    if (!window)
        return;
    // The window manager moves the window; where there is none (a bare X server) the
    // window follows the pointer from here until the button is released.
    if (QWindow* handle = window->windowHandle(); handle && handle->startSystemMove())
        return;
    m_selfMove = SelfMove{globalPos.toPoint(), window->pos()};
}

void MicTitleBar::mouseMoveEvent(QMouseEvent* event) {
    if (event->buttons() != Qt::NoButton) {
        // Moving with a button pressed changes nothing, except a window being moved.
        if (m_selfMove && (event->buttons() & Qt::LeftButton)) {
            if (QWidget* window = m_host.hwnd())
                window->move(m_selfMove->windowStart + event->globalPosition().toPoint() -
                             m_selfMove->pointerStart);
        }
        return;
    }
    m_selfMove.reset(); // the release went elsewhere
    if (m_hovered) {
        hover(*m_hovered, event->position());
        return;
    }
    const auto part = m_model.hitTest(event->position().toPoint(), size());
    if (part && isButton(*part))
        hover(*part, event->position());
}

void MicTitleBar::hover(TitlePart button, QPointF at) {
    const QRect& box = m_model.rect(button);
    if (!insideBox(at - QPointF(box.topLeft()), box.size())) {
        endHover();
        return;
    }
    m_hovered = button;
    if (m_model.overlay(button) != hoverSource(button)) {
        m_model.setOverlay(button, hoverSource(button));
        redraw();
    }
}

void MicTitleBar::endHover() {
    const auto button = std::exchange(m_hovered, std::nullopt);
    if (button && m_model.overlay(*button)) {
        m_model.setOverlay(*button, std::nullopt);
        redraw();
    }
}

void MicTitleBar::mouseReleaseEvent(QMouseEvent* event) {
    if (event->button() != Qt::LeftButton)
        return;
    m_selfMove.reset();
    const auto pressed = std::exchange(m_pressed, std::nullopt);
    if (pressed && m_model.enabled(*pressed) &&
        m_model.rect(*pressed).contains(event->position().toPoint()))
        click(*pressed);
}

void MicTitleBar::mouseDoubleClickEvent(QMouseEvent* event) {
    // The second press of a double click neither drags nor clicks.
    if (event->button() != Qt::LeftButton || m_hovered)
        return;
    if (m_model.hitTest(event->position().toPoint(), size()) == TitlePart::ImageM &&
        m_model.enabled(TitlePart::PicMaxU))
        clickMax();
}

void MicTitleBar::leaveEvent(QEvent* event) {
    QWidget::leaveEvent(event);
    endHover();
}

void MicTitleBar::click(TitlePart part) {
    switch (part) {
    case TitlePart::PicCloseU:
        endHover();
        m_host.Unload(); // last: the host may go away with it
        return;
    case TitlePart::PicMinU:
        m_host.Hide();
        if (m_hovered == part)
            m_hovered.reset();
        m_model.setOverlay(part, std::nullopt);
        redraw();
        return;
    case TitlePart::PicMaxU:
        clickMax();
        return;
    default:
        return;
    }
}

void MicTitleBar::clickMax() {
    if (m_hovered == TitlePart::PicMaxU)
        m_hovered.reset();
    m_model.setOverlay(TitlePart::PicMaxU, std::nullopt);
    redraw();
}

} // namespace tarvo
