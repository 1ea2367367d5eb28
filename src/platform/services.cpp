#include "platform/services.h"

namespace tarvo::platform {

PlatformServices createPlatformServices(const QString& appId) {
    PlatformServices services;
    services.instance = createSingleInstance(appId);
    services.interfaceTable = createInterfaceTable();
    services.tray = createTrayIcon();
    services.connection = createConnectionSource();
    services.resolver = createHostResolver();
    services.processes = createProcessLauncher();
    services.webPanes = createWebPaneFactory();
    return services;
}

} // namespace tarvo::platform
