#pragma once

#include <QByteArray>
#include <QIcon>
#include <QPointer>
#include <QWidget>

#include <memory>

namespace tarvo::platform {

enum class NotifyAction : int { Add = 0, Modify = 1, Delete = 2 };

namespace notifyflag {
inline constexpr quint32 Message = 0x01;
inline constexpr quint32 Icon = 0x02;
inline constexpr quint32 Tip = 0x04;
inline constexpr quint32 State = 0x08;
inline constexpr quint32 Info = 0x10;
} // namespace notifyflag

inline constexpr int TrayTipBytes = 128;

// The notification-icon record as the shell request takes it; the tip is the ANSI
// (code page 936) field of 128 bytes, read up to its first NUL.
struct NotifyIconData {
    QPointer<QWidget> window;
    quint32 id = 0;
    quint32 flags = 0;
    int callbackMessage = 0;
    QIcon icon;
    QByteArray tip;
};

// The notification area. Clicks on the icon reach the record's window as a
// TrayCallbackEvent (windowhook.h): left button release 514, right button release 517.
class ITrayIcon {
public:
    virtual ~ITrayIcon() = default;
    virtual bool notify(NotifyAction action, const NotifyIconData& data) = 0;
    // False on desktops without a notification area: hiding would lose the window.
    virtual bool isAvailable() const = 0;
};

std::unique_ptr<ITrayIcon> createTrayIcon();

} // namespace tarvo::platform
