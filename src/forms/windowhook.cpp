#include "forms/windowhook.h"

#include <QWidget>

namespace tarvo::forms {

TrayCallbackEvent::TrayCallbackEvent(int callbackMessage, int mouseMessage)
    : QEvent(eventType())
    , m_callbackMessage(callbackMessage)
    , m_mouseMessage(mouseMessage) {}

QEvent::Type TrayCallbackEvent::eventType() {
    static const auto type = QEvent::Type(QEvent::registerEventType());
    return type;
}

// Qt asks the most recently installed filter first, which is exactly how a chain of
// replaced window procedures behaves.
WindowHook::WindowHook(QWidget* window, Handler handler)
    : m_window(window)
    , m_handler(std::move(handler)) {
    if (m_window)
        m_window->installEventFilter(this);
}

WindowHook::~WindowHook() {
    remove();
}

void WindowHook::remove() {
    if (m_window)
        m_window->removeEventFilter(this);
    m_window = nullptr;
}

bool WindowHook::eventFilter(QObject* watched, QEvent* event) {
    if (!m_window || watched != m_window.data() || !m_handler)
        return false;
    // A copy, so that a handler that removes or deletes its own hook keeps running safely.
    const Handler handler = m_handler;
    try {
        return handler(event);
    } catch (const std::exception&) {
        // A failing hook must not take the window down; the event goes on unhandled.
        return false;
    }
}

} // namespace tarvo::forms
