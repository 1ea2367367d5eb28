#include "platform/tray.h"
#include "forms/windowhook.h"
#include "runtime/codepage.h"

#include <QCoreApplication>
#include <QPointer>
#include <QSystemTrayIcon>

namespace tarvo::platform {
namespace {

// The notification area through QSystemTrayIcon. Qt re-docks the icon by itself when
// the notification area host restarts. The icon belongs to the record's window: it goes
// when the window goes.
class QtTrayIcon final : public ITrayIcon {
public:
    QtTrayIcon() = default;
    ~QtTrayIcon() override { delete m_icon; }
    QtTrayIcon(const QtTrayIcon&) = delete;
    QtTrayIcon& operator=(const QtTrayIcon&) = delete;

    bool notify(NotifyAction action, const NotifyIconData& data) override {
        switch (action) {
        case NotifyAction::Add:
            if (m_icon)
                return false;
            m_icon = new QSystemTrayIcon(data.window.data());
            m_window = data.window;
            m_callbackMessage = data.callbackMessage;
            QObject::connect(
                m_icon, &QSystemTrayIcon::activated,
                [this](QSystemTrayIcon::ActivationReason reason) { activated(reason); });
            apply(data);
            m_icon->show();
            return true;
        case NotifyAction::Modify:
            if (!m_icon)
                return false;
            apply(data);
            return true;
        case NotifyAction::Delete:
            if (!m_icon)
                return false;
            m_icon->hide();
            delete m_icon;
            return true;
        }
        return false;
    }

    bool isAvailable() const override { return QSystemTrayIcon::isSystemTrayAvailable(); }

private:
    void apply(const NotifyIconData& data) {
        if (data.flags & notifyflag::Icon)
            m_icon->setIcon(data.icon);
        if (data.flags & notifyflag::Tip)
            m_icon->setToolTip(runtime::fromAnsiField(data.tip));
    }

    void activated(QSystemTrayIcon::ActivationReason reason) {
        // The second click of a double click releases the left button again, too.
        int message = 0;
        if (reason == QSystemTrayIcon::Trigger || reason == QSystemTrayIcon::DoubleClick)
            message = forms::WmLButtonUp;
        else if (reason == QSystemTrayIcon::Context)
            message = forms::WmRButtonUp;
        if (message && m_window) {
            forms::TrayCallbackEvent event(m_callbackMessage, message);
            QCoreApplication::sendEvent(m_window, &event);
        }
    }

    QPointer<QSystemTrayIcon> m_icon;
    QPointer<QWidget> m_window;
    int m_callbackMessage = 0;
};

} // namespace

std::unique_ptr<ITrayIcon> createTrayIcon() {
    return std::make_unique<QtTrayIcon>();
}

} // namespace tarvo::platform
