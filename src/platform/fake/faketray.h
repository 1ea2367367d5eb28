#pragma once

#include "platform/tray.h"

#include <QList>

namespace tarvo::platform {

// Records every request and lets a test click the icon.
class FakeTrayIcon final : public ITrayIcon {
public:
    struct Request {
        NotifyAction action;
        NotifyIconData data;
    };

    bool notify(NotifyAction action, const NotifyIconData& data) override;
    bool isAvailable() const override { return m_available; }

    void setAvailable(bool available) { m_available = available; }
    // Sends the icon's callback to the window of the added icon, as the shell would.
    void click(int mouseMessage);

    const QList<Request>& requests() const { return m_requests; }
    bool isShown() const { return m_shown; }
    // The tip as the shell shows it: the ANSI field up to its first NUL.
    QString tip() const;
    const NotifyIconData& current() const { return m_current; }

private:
    QList<Request> m_requests;
    NotifyIconData m_current;
    bool m_shown = false;
    bool m_available = true;
};

} // namespace tarvo::platform
