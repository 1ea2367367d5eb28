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

// The console's UTF-8 output, decoded chunk by chunk. A character split between two reads
// is held until its remaining bytes arrive; one whose bytes never come shows as a single
// replacement character when the output ends.
class Utf8Stream final {
public:
    QString decode(const QByteArray& chunk) {
        QByteArray bytes = m_held + chunk;
        const qsizetype cut = bytes.size() - incompleteTail(bytes);
        m_held = bytes.mid(cut);
        bytes.truncate(cut);
        return QString::fromUtf8(bytes);
    }

    QString finish() {
        const bool cutOff = !m_held.isEmpty();
        m_held.clear();
        return cutOff ? QString(QChar::ReplacementCharacter) : QString();
    }

private:
    // The length of a well-formed but unfinished sequence at the end of bytes, else 0.
    static qsizetype incompleteTail(const QByteArray& bytes) {
        const auto byte = [&](qsizetype i) { return quint8(bytes[i]); };
        const auto continuation = [](quint8 b) { return (b & 0xC0) == 0x80; };
        for (qsizetype back = 1; back <= 3 && back <= bytes.size(); ++back) {
            const qsizetype lead = bytes.size() - back;
            const quint8 b = byte(lead);
            if (continuation(b))
                continue;
            const int length = b >= 0xC2 && b <= 0xDF   ? 2
                               : b >= 0xE0 && b <= 0xEF ? 3
                               : b >= 0xF0 && b <= 0xF4 ? 4
                                                        : 0;
            if (back >= length)
                return 0;
            // The second byte's narrower ranges: no overlong forms, surrogates or values
            // above U+10FFFF.
            if (back >= 2) {
                const quint8 second = byte(lead + 1);
                if ((b == 0xE0 && second < 0xA0) || (b == 0xED && second > 0x9F) ||
                    (b == 0xF0 && second < 0x90) || (b == 0xF4 && second > 0x8F))
                    return 0;
            }
            return back;
        }
        return 0;
    }

    QByteArray m_held;
};

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
    Utf8Stream decoder;
    // A line end's carriage return is held until the next read, so that a CR LF pair cut
    // between two reads still reaches the box as one line end.
    bool heldReturn = false;
    for (;;) {
        output->waitForOutput();
        const QByteArray chunk = output->read(ChunkBytes);
        if (chunk.isEmpty())
            break;
        QString text = decoder.decode(chunk);
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
    // The output ended inside a character: show that something was there.
    const QString rest = (heldReturn ? QStringLiteral("\r") : QString()) + decoder.finish();
    if (!target)
        return false;
    if (!rest.isEmpty())
        append(*target, rest);
    return true;
}

} // namespace tarvo
