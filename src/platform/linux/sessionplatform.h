#pragma once

#include <QByteArray>

namespace tarvo::platform {

// What the session's environment says about its window systems.
struct SessionEnvironment final {
    QByteArray waylandDisplay; // WAYLAND_DISPLAY
    QByteArray sessionType;    // XDG_SESSION_TYPE
    QByteArray display;        // DISPLAY
    QByteArray qpaPlatform;    // QT_QPA_PLATFORM, the user's own choice
};

// The platform plugin to start on, or empty to leave the choice to Qt. On a Wayland
// session with an X server beside it, that is xcb (XWayland): the window keeps its X
// presenter, its round corners (a shape, where Wayland only limits input) and its
// lightness, whichever of Qt's plugins happen to be installed.
QByteArray platformForSession(const SessionEnvironment& env);

} // namespace tarvo::platform
