#include "platform/application.h"

#include <QByteArray>
#include <QtGlobal>

namespace tarvo::platform {

void prepareApplication() {
    // The window changes in small strips many times a second (the graph scrolls by one
    // pixel per tick). Through X shared memory each such update makes the next paint of
    // the same strip wait for a round trip to the server; plain requests carry the few
    // changed pixels without that wait.
    qputenv("QT_XCB_NO_MITSHM", "1");
    // Nothing here needs GLib's main loop, and Qt's own UNIX dispatcher costs less per
    // wake-up (measured with bench/cpu.sh GLIB=1). Set (even empty), the choice is left
    // to whoever set it.
    if (!qEnvironmentVariableIsSet("QT_NO_GLIB"))
        qputenv("QT_NO_GLIB", "1");
}

} // namespace tarvo::platform
