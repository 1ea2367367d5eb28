#pragma once

#include <QEvent>
#include <QObject>
#include <QPointer>
#include <QWidget> // QPointer<QWidget> needs the complete type in the inline accessors

#include <functional>

namespace tarvo::forms {

// Window messages that have no Qt event of their own.
inline constexpr int WmLButtonUp = 514;
inline constexpr int WmRButtonUp = 517;

// The notification-area icon's callback message, carrying the mouse message (lParam).
class TrayCallbackEvent final : public QEvent {
public:
    TrayCallbackEvent(int callbackMessage, int mouseMessage);
    static QEvent::Type eventType();

    int callbackMessage() const { return m_callbackMessage; }
    int mouseMessage() const { return m_mouseMessage; }

private:
    int m_callbackMessage;
    int m_mouseMessage;
};

// Replacement of a window's procedure: the handler sees the window's events first and
// returns true to consume one; what it does not consume goes on to the procedure it
// replaced. Hooks chain: the last installed sees an event first, and removing them in
// reverse order restores each previous procedure.
class WindowHook final : public QObject {
    Q_OBJECT
public:
    using Handler = std::function<bool(QEvent*)>;

    WindowHook(QWidget* window, Handler handler);
    ~WindowHook() override;

    void remove();
    bool isInstalled() const { return m_window != nullptr; }
    QWidget* window() const { return m_window; }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    QPointer<QWidget> m_window;
    Handler m_handler;
};

} // namespace tarvo::forms
