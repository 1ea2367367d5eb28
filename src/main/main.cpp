#include "forms/application.h"
#include "forms/font.h"
#include "forms/framelock.h"
#include "forms/surfacewidget.h"
#include "main/form1.h"
#include "platform/application.h"
#include "platform/presentation.h"
#include "platform/services.h"

int main(int argc, char* argv[]) {
    tarvo::platform::prepareApplication();
    tarvo::forms::Application app(argc, argv);
    // Held while the window is set up, as while it handles an event; let go to wait.
    tarvo::forms::FrameLock::Hold setup;
    app.setApplicationName(QStringLiteral("Tarvo"));
    // Ties the window to its launcher (icon and name in task lists).
    app.setDesktopFileName(QStringLiteral("tarvo"));
    // The window hides to the tray; only unloading it ends the program.
    app.setQuitOnLastWindowClosed(false);
    tarvo::platform::installSurfacePresenters();
    tarvo::forms::addInterfaceFont();

    tarvo::platform::PlatformServices services =
        tarvo::platform::createPlatformServices(QStringLiteral("tarvo"));
    tarvo::form1 window(services);
    // The graph scrolls on every clock tick: it goes straight to the window system.
    if (auto* graph = window.findChild<tarvo::forms::SurfaceWidget*>(QStringLiteral("Picture3")))
        graph->presentNatively();
    if (!window.Form_Load())
        return 0;
    QObject::connect(&window, &tarvo::form1::unloaded, &app, &QCoreApplication::quit,
                     Qt::QueuedConnection);
    window.show();
    setup.release();
    return app.exec();
}
