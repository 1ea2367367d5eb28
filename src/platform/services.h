#pragma once

#include "platform/connection.h"
#include "platform/iftable.h"
#include "platform/process.h"
#include "platform/resolver.h"
#include "platform/singleinstance.h"
#include "platform/tray.h"
#include "platform/webpane.h"

#include <QString>

#include <memory>

namespace tarvo::platform {

// Everything the main window asks of the system, handed to it by main; tests hand fakes.
struct PlatformServices {
    std::unique_ptr<ISingleInstance> instance;
    std::unique_ptr<IInterfaceTable> interfaceTable;
    std::unique_ptr<ITrayIcon> tray;
    std::unique_ptr<IConnectionSource> connection;
    std::unique_ptr<IHostResolver> resolver;
    std::unique_ptr<IProcessLauncher> processes;
    std::unique_ptr<IWebPaneFactory> webPanes;
};

// The services of this build's backend.
PlatformServices createPlatformServices(const QString& appId);

} // namespace tarvo::platform
