#include "main/speed.h"

#include "runtime/errors.h"
#include "runtime/numbers.h"
#include "services/command.h"
#include "services/web.h"

#include <QPlainTextEdit>
#include <QRegularExpression>

#include <cmath>
#include <optional>

namespace tarvo {

namespace {

// A number as the runtime's integer conversion takes it: blanks around it allowed,
// a fraction rounded half to even.
qint16 toInteger(QStringView text) {
    bool ok = false;
    const double value = text.trimmed().toDouble(&ok);
    if (!ok || !std::isfinite(value))
        runtime::raise(runtime::ErrorCode::InvalidProcedureCall,
                       QStringLiteral("not a number: ") + text.toString());
    return runtime::toInt16(value);
}

// Windows in English: "Minimum = 1ms, Maximum = 40ms, Average = 23ms".
std::optional<qint16> windowsAverage(const QString& output) {
    const qsizetype at = output.indexOf(u"Average", 0, Qt::CaseInsensitive);
    if (at < 0)
        return std::nullopt;
    // Past "Average" and the " = " that follows it.
    const QString rest = output.mid(at + 7 + 3);
    const qsizetype unit = rest.indexOf(u'm', 0, Qt::CaseInsensitive);
    if (unit < 0)
        runtime::raise(runtime::ErrorCode::InvalidProcedureCall,
                       QStringLiteral("no unit after the average"));
    return toInteger(QStringView(rest).left(unit));
}

// Windows in any language: the round-trip line lists minimum, maximum and average, in that
// order, each a number with its unit ("最短 = 11ms，最长 = 13ms，平均 = 12ms", Russian
// "Минимальное = 11мсек, Максимальное = 13 мсек, Среднее = 12 мсек"). The packets line
// above it also holds three "= N" values, but bare counts ("已发送 = 3，已接收 = 0，丢失 =
// 3 (100% 丢失)"), and a reply line holds one time ("时间=12ms"). When no echo came back
// there is no round-trip line at all.
std::optional<qint16> roundTripAverage(const QString& output) {
    static const QRegularExpression value(
        QStringLiteral("=\\s*(-?[0-9]+(?:\\.[0-9]+)?) ?(\\p{L}+)"),
        QRegularExpression::UseUnicodePropertiesOption);
    const QStringList lines = output.split(u'\n');
    for (const QString& line : lines) {
        QStringList numbers;
        QStringList units;
        for (auto it = value.globalMatch(line); it.hasNext();) {
            const QRegularExpressionMatch found = it.next();
            numbers << found.captured(1);
            units << found.captured(2);
        }
        if (numbers.size() == 3 && units.count(units.front()) == 3)
            return toInteger(numbers.at(2));
    }
    return std::nullopt;
}

// iputils: "rtt min/avg/max/mdev = 0.031/23.4/0.050/0.008 ms"; busybox writes
// "round-trip min/avg/max = ...".
std::optional<qint16> iputilsAverage(const QString& output) {
    static const QRegularExpression head(QStringLiteral("(?:rtt|round-trip) min/avg/max"));
    const QRegularExpressionMatch found = head.match(output);
    if (!found.hasMatch())
        return std::nullopt;
    static const QRegularExpression line(
        QStringLiteral("(?:/mdev)? = ([0-9]+(?:\\.[0-9]+)?)/([0-9]+(?:\\.[0-9]+)?)/"
                       "([0-9]+(?:\\.[0-9]+)?)(?:/[0-9]+(?:\\.[0-9]+)?)? ms"));
    const QRegularExpressionMatch numbers =
        line.match(output, found.capturedEnd(), QRegularExpression::NormalMatch,
                   QRegularExpression::AnchorAtOffsetMatchOption);
    if (!numbers.hasMatch())
        runtime::raise(runtime::ErrorCode::InvalidProcedureCall,
                       QStringLiteral("malformed round-trip line"));
    return toInteger(numbers.capturedView(2));
}

} // namespace

qint16 parsePingAverage(const QString& output) {
    if (const auto average = windowsAverage(output))
        return *average;
    if (const auto average = roundTripAverage(output))
        return *average;
    if (const auto average = iputilsAverage(output))
        return *average;
    return PingNoAnswer;
}

qint16 PingLatency(const QString& host, QPlainTextEdit* text1, platform::IHostResolver& resolver,
                   platform::IProcessLauncher& launcher) {
    if (text1 == nullptr)
        runtime::raise(runtime::ErrorCode::InvalidProcedureCall, QStringLiteral("no text box"));
    const QString address = ResolveHostAddress(resolver, host);
    text1->setPlainText(QString());
    // Only a plain IPv4 address goes on the command line: no name, no option, nothing
    // the argument splitter could turn into more arguments.
    if (!isDottedIPv4(address))
        return PingNoAnswer;
    RunCommand(launcher, platform::pingCommandLine(address), text1);
    return parsePingAverage(text1->toPlainText());
}

} // namespace tarvo
