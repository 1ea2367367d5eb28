#include "controls/button/tooltipwindow.h"

#include <QApplication>
#include <QBitmap>
#include <QCursor>
#include <QPainter>
#include <QRegion>
#include <QScreen>
#include <QStyle>
#include <QStyleHints>

namespace tarvo::button {

namespace {

// Where a rectangular tip sits relative to the pointer, as the desktop places its tips.
constexpr QPoint BelowPointer(2, 16);

QRect screenArea(QPoint at, const QWidget* widget) {
    if (const QScreen* screen = QGuiApplication::screenAt(at))
        return screen->availableGeometry();
    if (const QScreen* screen = widget->screen())
        return screen->availableGeometry();
    return QRect(QPoint(-(1 << 20), -(1 << 20)), QSize(1 << 21, 1 << 21));
}

} // namespace

TooltipWindow::TooltipWindow(const TooltipContent& content, QWidget* control)
    : QWidget(control, Qt::ToolTip | Qt::FramelessWindowHint | Qt::WindowTransparentForInput)
    , m_content(content)
    , m_look(tooltipLook(content, control ? control->style() : nullptr)) {
    setAttribute(Qt::WA_ShowWithoutActivating);
    setAttribute(Qt::WA_TransparentForMouseEvents);
    setLayoutDirection(content.rightToLeft ? Qt::RightToLeft : Qt::LeftToRight);
    build(true);
}

void TooltipWindow::build(bool stemAbove) {
    m_layout = layoutTooltip(m_content, m_look, stemAbove);
    m_image = renderTooltip(m_content, m_look, m_layout, palette());
    setFixedSize(m_layout.size);
    if (m_content.type == TooltipBalloon)
        setMask(QRegion(QBitmap::fromImage(m_image.createAlphaMask())));
    else
        clearMask();
}

void TooltipWindow::showAt(QPoint globalPos) {
    const QRect area = screenArea(globalPos, this);
    const bool balloon = m_content.type == TooltipBalloon;

    // A balloon's pointer tip is the resting point; a rectangle sits just below it.
    auto placed = [&](bool below) {
        const QPoint tip = m_layout.stem.isEmpty() ? QPoint() : m_layout.stem.first();
        if (balloon)
            return QRect(globalPos - tip, m_layout.size);
        QPoint topLeft = globalPos + BelowPointer;
        if (!below)
            topLeft.setY(globalPos.y() - m_layout.size.height() - 2);
        if (m_content.rightToLeft)
            topLeft.setX(globalPos.x() - m_layout.size.width() - BelowPointer.x());
        return QRect(topLeft, m_layout.size);
    };

    QRect geometry = placed(true);
    if (geometry.bottom() > area.bottom()) {
        if (balloon)
            build(false);
        geometry = placed(false);
    }
    // Never hang off the side of the screen (a balloon's pointer keeps its tip).
    if (!balloon) {
        if (geometry.right() > area.right())
            geometry.moveRight(area.right());
        if (geometry.left() < area.left())
            geometry.moveLeft(area.left());
    }
    move(geometry.topLeft());
    show();
}

void TooltipWindow::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    painter.drawImage(0, 0, m_image);
}

ButtonTooltip::ButtonTooltip(QWidget* control)
    : m_control(control) {
    m_delay.setSingleShot(true);
    const QStyle* style = control ? control->style() : QApplication::style();
    m_delay.setInterval(style ? style->styleHint(QStyle::SH_ToolTip_WakeUpDelay) : 700);
    connect(&m_delay, &QTimer::timeout, this, &ButtonTooltip::show);
    // A tip stands ten double-click times, as the system's tooltip control lets it.
    m_expiry.setSingleShot(true);
    m_expiry.setInterval(10 * QGuiApplication::styleHints()->mouseDoubleClickInterval());
    connect(&m_expiry, &QTimer::timeout, this, &ButtonTooltip::hide);
}

ButtonTooltip::~ButtonTooltip() {
    delete m_window.data();
}

void ButtonTooltip::enterHot(const TooltipContent& content, bool enabled, bool popupShown,
                             bool pressed) {
    if (!enabled || popupShown || pressed)
        return;
    m_delay.stop();
    delete m_window.data();
    if (!m_control || content.text.isEmpty())
        return;
    m_window = new TooltipWindow(content, m_control);
    m_delay.start();
}

void ButtonTooltip::pointerMoved() {
    if (m_delay.isActive())
        m_delay.start();
}

void ButtonTooltip::pointerLeft() {
    hide();
}

void ButtonTooltip::pointerPressed() {
    hide();
}

bool ButtonTooltip::isShowing() const {
    return m_window && m_window->isVisible();
}

void ButtonTooltip::show() {
    if (!m_window || !m_control || !m_control->isVisible())
        return;
    QPoint at = QCursor::pos();
    // The tip belongs to the button: a pointer reported elsewhere rests on its middle.
    if (!m_control->rect().contains(m_control->mapFromGlobal(at)))
        at = m_control->mapToGlobal(m_control->rect().center());
    m_window->showAt(at);
    m_expiry.start();
}

void ButtonTooltip::hide() {
    m_delay.stop();
    m_expiry.stop();
    if (m_window)
        m_window->hide();
}

} // namespace tarvo::button
