// tarvo-web: one navigation of a web pane. The window starts it for each page under hard
// limits (see webprotocol/request.h for its command line) and reads from its standard
// output what it finds: the document's innerHTML, each frame, then the page drawn at the
// pane's width or why there is none (see webprotocol/message.h).
#include "sandbox/sandbox.h"
#include "webhelper/navigation.h"
#include "webhelper/outofmemory.h"
#include "webhelper/output.h"
#include "webhelper/pagepainter.h"
#include "webhelper/preload.h"
#include "webprotocol/request.h"

#include <QGuiApplication>

#include <cstdio>
#include <cstdlib>

using namespace tarvo::webhelper;
using tarvo::sandbox::enterSandbox;
using tarvo::sandbox::Sandbox;
using tarvo::webprotocol::encode;
using tarvo::webprotocol::Request;

namespace {

// A window that has stopped reading wants nothing more.
void send(const Message& message) {
    if (!writeOutput(encode(message)))
        std::_Exit(1);
}

} // namespace

int main(int argc, char* argv[]) {
    endOnOutOfMemory();
    // It never shows a window: the build names the platform it draws on (offscreen), or
    // none, for the system's own (Windows, whose fonts only it knows).
    if (const QByteArray platform = TARVO_HELPER_PLATFORM; !platform.isEmpty())
        qputenv("QT_QPA_PLATFORM", platform);
    QGuiApplication app(argc, argv);
    const std::optional<Request> request =
        tarvo::webprotocol::fromArguments(app.arguments().mid(1));
    if (!request) {
        std::fputs("usage: tarvo-web --timeout <ms> --pane <w>x<h> --ratio <r> --scroll-bar <px> "
                   "--font <font> <url>\n",
                   stderr);
        return 2;
    }
    preload(request->font);
    // Everything the helper loads from its own files is loaded: from here on it only
    // reads the page, and could do so without the right to open anything else.
    PageLimits limits;
    limits.timeout = request->timeout;
    const Sandbox sandbox = enterSandbox(request->url, limits.connections());
    if (sandbox.exitCode != 0) {
        std::fprintf(stderr, "tarvo-web: no sandbox: %s\n", qPrintable(sandbox.why));
        return sandbox.exitCode;
    }

    Navigation navigation(limits, request->url, sandbox.sockets);
    QObject::connect(&navigation, &Navigation::message, &app, [&](const Message& message) {
        send(message);
        if (message.kind == Message::Kind::Failed)
            app.quit();
    });
    QObject::connect(
        &navigation, &Navigation::ready, &app,
        [&](const QUrl& url, const QString& html, const QHash<QUrl, QImage>& pictures) {
            send(paintPage(url, html, pictures, *request));
            app.quit();
        });
    navigation.start();
    return app.exec();
}
