#include "platform/linux/sessionplatform.h"

namespace tarvo::platform {

QByteArray platformForSession(const SessionEnvironment& env) {
    if (!env.qpaPlatform.isEmpty())
        return {};
    const bool wayland = !env.waylandDisplay.isEmpty() || env.sessionType == "wayland";
    if (!wayland || env.display.isEmpty())
        return {};
    return QByteArrayLiteral("xcb");
}

} // namespace tarvo::platform
