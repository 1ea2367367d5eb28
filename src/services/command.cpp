#include "services/command.h"

#include "forms/yield.h"

#include <QPlainTextEdit>
#include <QPointer>
#include <QTextCursor>

#include <utility>

namespace tarvo {

namespace {

// The original read at most this much into a buffer of 1025 bytes kept NUL-terminated.
constexpr int ChunkBytes = 1023;

void append(QPlainTextEdit& box, const QString& text) {
    QTextCursor cursor(box.document());
    cursor.movePosition(QTextCursor::End);
    cursor.insertText(text);
}

} // namespace

bool RunCommand(platform::IProcessLauncher& launcher, const QString& commandLine,
                QPlainTextEdit* box) {
    if (box == nullptr)
        return false;
    QPointer<QPlainTextEdit> target(box);

    const std::unique_ptr<platform::IProcessOutput> output = launcher.start(commandLine);
    if (!output)
        return true; // nothing started: the box keeps its text

    target->setPlainText(QString());
    // A line end's carriage return is held until the next read, so that a CR LF pair cut
    // between two reads still reaches the box as one line end.
    bool heldReturn = false;
    for (;;) {
        output->waitForOutput();
        // Text as the backend decoded it from the console's code page.
        QString text = output->read(ChunkBytes);
        if (text.isEmpty())
            break;
        if (std::exchange(heldReturn, false))
            text.prepend(u'\r');
        if (text.endsWith(u'\r')) {
            heldReturn = true;
            text.chop(1);
        }
        // The original handed each chunk on as NUL-terminated text.
        text.remove(QChar(0));
        if (!target)
            return false;
        if (!text.isEmpty())
            append(*target, text);
        forms::doEvents();
    }
    if (!target)
        return false;
    if (heldReturn)
        append(*target, QStringLiteral("\r"));
    return true;
}

} // namespace tarvo
