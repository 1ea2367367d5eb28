#include "platform/fake/faketray.h"

#include "forms/windowhook.h"
#include "runtime/codepage.h"

#include <QCoreApplication>

namespace tarvo::platform {

bool FakeTrayIcon::notify(NotifyAction action, const NotifyIconData& data) {
    m_requests.append({action, data});
    switch (action) {
    case NotifyAction::Add:
        m_current = data;
        m_shown = true;
        break;
    case NotifyAction::Modify:
        if (data.flags & notifyflag::Icon)
            m_current.icon = data.icon;
        if (data.flags & notifyflag::Tip)
            m_current.tip = data.tip;
        break;
    case NotifyAction::Delete:
        m_shown = false;
        break;
    }
    return true;
}

void FakeTrayIcon::click(int mouseMessage) {
    if (!m_shown || !m_current.window)
        return;
    forms::TrayCallbackEvent event(m_current.callbackMessage, mouseMessage);
    QCoreApplication::sendEvent(m_current.window, &event);
}

QString FakeTrayIcon::tip() const {
    return runtime::fromAnsiField(m_current.tip);
}

} // namespace tarvo::platform
