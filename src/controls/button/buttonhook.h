#pragma once

#include "forms/windowhook.h"

#include <QPointer>
#include <QWidget>

#include <functional>
#include <memory>

namespace tarvo::button {

// What the button does with the messages of its two hooked windows.
struct HookHandlers {
    std::function<void()> leave;       // the pointer left the control
    std::function<void()> activated;   // its top-level window became active
    std::function<void()> deactivated; // ... or inactive
    std::function<void()> redraw;      // system colours or the style changed
};

// The button's message hook: one on the control (pointer leave, palette and style
// changes) and one on its top-level window (activation). Each sees its window's events
// before the window's own handling and passes every event on.
class ButtonHook final {
public:
    ButtonHook() = default;
    ~ButtonHook();
    ButtonHook(const ButtonHook&) = delete;
    ButtonHook& operator=(const ButtonHook&) = delete;

    // Hooks control and its top-level window, replacing an earlier installation.
    // Palette changes are followed only when the application is themed. Returns false,
    // with nothing hooked, when there is no control; the control then works without.
    bool install(QWidget* control, HookHandlers handlers, bool themed = true);
    void remove();
    bool isInstalled() const;

private:
    bool onControl(QEvent* event);
    bool onWindow(QEvent* event);

    HookHandlers m_handlers;
    bool m_themed = true;
    std::unique_ptr<forms::WindowHook> m_controlHook;
    std::unique_ptr<forms::WindowHook> m_windowHook;
};

} // namespace tarvo::button
