#include "webprotocol/request.h"

#include "webprotocol/caps.h"

namespace tarvo::webprotocol {

QStringList toArguments(const Request& request) {
    return {QStringLiteral("--timeout"),
            QString::number(request.timeout.count()),
            QStringLiteral("--pane"),
            QStringLiteral("%1x%2").arg(request.pane.width()).arg(request.pane.height()),
            QStringLiteral("--ratio"),
            QString::number(request.ratio),
            QStringLiteral("--scroll-bar"),
            QString::number(request.scrollBar),
            QStringLiteral("--font"),
            request.font.toString(),
            request.url.toString(QUrl::FullyEncoded)};
}

std::optional<Request> fromArguments(const QStringList& arguments) {
    if (arguments.size() != 11)
        return std::nullopt;
    Request request;
    bool ok[5] = {};
    request.timeout = std::chrono::milliseconds(arguments[1].toInt(&ok[0]));
    const QStringList pane = arguments[3].split(u'x');
    request.pane = boundedPane(QSize(pane.value(0).toInt(&ok[1]), pane.value(1).toInt(&ok[2])));
    request.ratio = boundedRatio(arguments[5].toDouble(&ok[3]));
    request.scrollBar = std::clamp(arguments[7].toInt(&ok[4]), 0, request.pane.width() / 2);
    const bool named =
        arguments[0] == QLatin1String("--timeout") && arguments[2] == QLatin1String("--pane") &&
        arguments[4] == QLatin1String("--ratio") && arguments[6] == QLatin1String("--scroll-bar") &&
        arguments[8] == QLatin1String("--font");
    if (!named || !std::all_of(std::begin(ok), std::end(ok), [](bool b) { return b; }) ||
        !request.font.fromString(arguments[9]))
        return std::nullopt;
    request.url = QUrl(arguments[10]);
    return request;
}

} // namespace tarvo::webprotocol
