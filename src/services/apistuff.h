#pragma once

#include "forms/picture.h"
#include "forms/windowhook.h"
#include "platform/tray.h"

#include <QPointer>
#include <QString>
#include <QWidget>

#include <memory>

namespace tarvo {

// The notification-area icon of the main window and the hook that learns of clicks on
// it. A left-button release on the icon hides or shows the window; a right-button
// release is swallowed; every other message goes on to the window's own handling.
class APIStuff final {
public:
    static constexpr int TrayCallbackMessage = 2025;
    static constexpr quint32 TrayIconId = 1;

    explicit APIStuff(platform::ITrayIcon& tray);
    ~APIStuff();

    APIStuff(const APIStuff&) = delete;
    APIStuff& operator=(const APIStuff&) = delete;

    void InstallTrayIcon(QWidget* form);
    void RemoveTrayIcon();
    void SetTrayTip(const QString& text);
    void SetTrayIcon(const forms::Picture& picture);
    // Where the desktop has no notification area a hidden window could never come
    // back, so hiding minimises it instead.
    void HideWindow(QWidget* window) const;

    const platform::NotifyIconData& record() const { return m_record; }
    bool isHooked() const { return m_hook != nullptr; }

private:
    bool TrayWindowProc(QEvent* event);

    platform::ITrayIcon& m_tray;
    QPointer<QWidget> m_form;
    std::unique_ptr<forms::WindowHook> m_hook;
    platform::NotifyIconData m_record;
};

} // namespace tarvo
