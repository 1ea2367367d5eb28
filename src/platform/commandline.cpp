#include "platform/process.h"

namespace tarvo::platform {

namespace {

bool isBlank(QChar c) {
    return c == u' ' || c == u'\t';
}

} // namespace

QStringList splitCommandLine(const QString& commandLine) {
    QStringList args;
    if (commandLine.isEmpty())
        return args;

    const qsizetype n = commandLine.size();
    qsizetype i = 0;

    // The program name follows its own rules: no escapes, one quoted part at most.
    QString program;
    if (commandLine[0] == u'"') {
        ++i;
        while (i < n && commandLine[i] != u'"')
            program += commandLine[i++];
        if (i < n)
            ++i; // the closing quote
    } else {
        while (i < n && !isBlank(commandLine[i]))
            program += commandLine[i++];
    }
    args << program;

    while (i < n && isBlank(commandLine[i]))
        ++i;
    if (i >= n)
        return args;

    QString current;
    int quotes = 0;      // 1 while inside a quoted part
    int backslashes = 0; // run of backslashes just copied
    while (i < n) {
        const QChar c = commandLine[i];
        if (isBlank(c) && quotes == 0) {
            args << current;
            current.clear();
            backslashes = 0;
            while (i < n && isBlank(commandLine[i]))
                ++i;
            if (i >= n)
                return args;
        } else if (c == u'\\') {
            current += c;
            ++backslashes;
            ++i;
        } else if (c == u'"') {
            if (backslashes % 2 == 0) {
                // 2n backslashes: n of them stay, the quote toggles quoting.
                current.chop(backslashes / 2);
                ++quotes;
            } else {
                // 2n+1 backslashes: n of them stay, followed by a literal quote.
                current.chop(backslashes / 2 + 1);
                current += u'"';
            }
            ++i;
            backslashes = 0;
            // Runs of quotes: every third one is literal.
            while (i < n && commandLine[i] == u'"') {
                if (++quotes == 3) {
                    current += u'"';
                    quotes = 0;
                }
                ++i;
            }
            if (quotes == 2)
                quotes = 0;
        } else {
            current += c;
            backslashes = 0;
            ++i;
        }
    }
    args << current;
    return args;
}

} // namespace tarvo::platform
