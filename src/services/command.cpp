#include "services/command.h"

#include "forms/yield.h"

#include <QPlainTextEdit>
#include <QPointer>
#include <QStringDecoder>
#include <QTextCursor>

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
    // The console's output is UTF-8; the decoder keeps a character split between two
    // reads until its remaining bytes arrive.
    QStringDecoder decoder(QStringDecoder::Utf8);
    for (;;) {
        output->waitForOutput();
        const QByteArray chunk = output->read(ChunkBytes);
        if (chunk.isEmpty())
            break;
        QString text = decoder.decode(chunk);
        // The original handed each chunk on as NUL-terminated text.
        text.remove(QChar(0));
        if (!target)
            return false;
        if (!text.isEmpty())
            append(*target, text);
        forms::doEvents();
    }
    return target != nullptr;
}

} // namespace tarvo
