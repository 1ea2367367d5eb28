// tarvo-web: one navigation of a web pane. The window starts it for each page under hard
// limits and reads what it finds from its standard output (see message.h):
//   tarvo-web [--timeout <milliseconds>] <url>
#include "webhelper/navigation.h"
#include "webhelper/output.h"

#include <QCoreApplication>
#include <QStringList>

#include <cstdio>
#include <cstdlib>

using namespace tarvo::webhelper;
using tarvo::webprotocol::encode;

int main(int argc, char* argv[]) {
    QCoreApplication app(argc, argv);
    QStringList arguments = app.arguments().mid(1);
    PageLimits limits;
    if (arguments.size() == 3 && arguments[0] == QLatin1String("--timeout")) {
        limits.timeout = std::chrono::milliseconds(arguments[1].toInt());
        arguments = arguments.mid(2);
    }
    if (arguments.size() != 1) {
        std::fputs("usage: tarvo-web [--timeout <milliseconds>] <url>\n", stderr);
        return 2;
    }

    Navigation navigation(limits, QUrl(arguments[0]));
    QObject::connect(&navigation, &Navigation::message, &app, [&](const Message& message) {
        // A window that has stopped reading wants nothing more.
        if (!writeOutput(encode(message)))
            std::_Exit(1);
        if (message.kind == Message::Kind::Page)
            app.quit();
    });
    navigation.start();
    return app.exec();
}
