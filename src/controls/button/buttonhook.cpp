#include "controls/button/buttonhook.h"

namespace tarvo::button {

namespace {

void call(const std::function<void()>& handler) {
    if (handler)
        handler();
}

} // namespace

ButtonHook::~ButtonHook() {
    remove();
}

bool ButtonHook::install(QWidget* control, HookHandlers handlers, bool themed) {
    remove();
    if (!control)
        return false;
    QWidget* window = control->window();
    m_handlers = std::move(handlers);
    m_themed = themed;
    m_controlHook = std::make_unique<forms::WindowHook>(
        control, [this](QEvent* event) { return onControl(event); });
    m_windowHook = std::make_unique<forms::WindowHook>(
        window, [this](QEvent* event) { return onWindow(event); });
    return true;
}

void ButtonHook::remove() {
    m_windowHook.reset();
    m_controlHook.reset();
}

bool ButtonHook::isInstalled() const {
    return m_controlHook && m_controlHook->isInstalled();
}

// Nothing is consumed: the window's own handling always follows.
bool ButtonHook::onControl(QEvent* event) {
    switch (event->type()) {
    case QEvent::Leave:
        call(m_handlers.leave);
        break;
    case QEvent::StyleChange:
        call(m_handlers.redraw);
        break;
    case QEvent::PaletteChange:
        if (m_themed)
            call(m_handlers.redraw);
        break;
    default:
        break;
    }
    return false;
}

bool ButtonHook::onWindow(QEvent* event) {
    switch (event->type()) {
    case QEvent::WindowActivate:
        call(m_handlers.activated);
        break;
    case QEvent::WindowDeactivate:
        call(m_handlers.deactivated);
        break;
    default:
        break;
    }
    return false;
}

} // namespace tarvo::button
