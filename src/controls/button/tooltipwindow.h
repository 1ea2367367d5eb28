#pragma once

#include "controls/button/tooltippainter.h"

#include <QImage>
#include <QPointer>
#include <QTimer>
#include <QWidget>

namespace tarvo::button {

// The button's own tip window: a standard rectangle or a balloon whose pointer points
// at the place on the button where the pointer rests.
class TooltipWindow final : public QWidget {
    Q_OBJECT
public:
    TooltipWindow(const TooltipContent& content, QWidget* control);

    const TooltipContent& content() const { return m_content; }
    const TooltipLayout& tipLayout() const { return m_layout; }
    const QImage& image() const { return m_image; }

    // Places the tip for a pointer resting at globalPos on the button and shows it:
    // below the pointer when there is room on the screen, above it otherwise.
    void showAt(QPoint globalPos);

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    void build(bool stemAbove);

    TooltipContent m_content;
    TooltipLook m_look;
    TooltipLayout m_layout;
    QImage m_image;
};

// When the button's tip shows: created afresh at every Hot entry, shown once the pointer
// has rested on the button for the desktop's usual tooltip delay, gone when the pointer
// leaves or presses, or by itself after a while, as the system's tips time out.
class ButtonTooltip final : public QObject {
    Q_OBJECT
public:
    explicit ButtonTooltip(QWidget* control);
    ~ButtonTooltip() override;

    // The button turned Hot from the mouse. No tip while disabled, while the menu is
    // shown or while pressed, and none for an empty text.
    void enterHot(const TooltipContent& content, bool enabled, bool popupShown, bool pressed);
    // The pointer moved on the button: a tip not yet shown waits for it to rest again.
    void pointerMoved();
    void pointerLeft();
    void pointerPressed();

    TooltipWindow* window() const { return m_window; }
    bool isWaiting() const { return m_delay.isActive(); }
    bool isShowing() const;
    int delay() const { return m_delay.interval(); }
    int remainingWait() const { return m_delay.remainingTime(); } // -1 when not waiting

private:
    void show();
    void hide();

    QPointer<QWidget> m_control;
    QPointer<TooltipWindow> m_window;
    QTimer m_delay;
    QTimer m_expiry; // while the tip shows
};

} // namespace tarvo::button
