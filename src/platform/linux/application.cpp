#include "platform/application.h"

#include "platform/linux/sessionplatform.h"

#include <QByteArray>
#include <QCoreApplication>
#include <QtGlobal>

#include <malloc.h>

namespace tarvo::platform {

namespace {

bool platformChosenHere = false;

// The plugin is loaded by now; programs started later (the browser a link opens) get
// the session's own choice back.
void forgetPlatformChoice() {
    if (platformChosenHere)
        qunsetenv("QT_QPA_PLATFORM");
}

} // namespace

Q_COREAPP_STARTUP_FUNCTION(forgetPlatformChoice)

void prepareApplication() {
    const QByteArray platform =
        platformForSession({qgetenv("WAYLAND_DISPLAY"), qgetenv("XDG_SESSION_TYPE"),
                            qgetenv("DISPLAY"), qgetenv("QT_QPA_PLATFORM")});
    if (!platform.isEmpty()) {
        qputenv("QT_QPA_PLATFORM", platform);
        platformChosenHere = true;
    }
    // Nothing here needs GLib's main loop, and Qt's own UNIX dispatcher costs less per
    // wake-up (measured with bench/cpu.sh GLIB=1). Set (even empty), the choice is left
    // to whoever set it.
    if (!qEnvironmentVariableIsSet("QT_NO_GLIB"))
        qputenv("QT_NO_GLIB", "1");
    // Pixel buffers (surfaces, pictures) are mapped and unmapped on their own, always:
    // glibc would otherwise raise the threshold after the first one freed, and later
    // ones freed would stay behind in the heap.
    mallopt(M_MMAP_THRESHOLD, 128 * 1024);
}

} // namespace tarvo::platform
