#include "platform/consoletext.h"

#include <QStringDecoder>

#include <utility>

namespace tarvo::platform {

namespace {

// The length of a well-formed but unfinished UTF-8 sequence at the end of bytes, else 0.
qsizetype incompleteUtf8Tail(const QByteArray& bytes) {
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

} // namespace

QString ConsoleText::fromConsoleCodePage(const QByteArray& bytes) {
    qsizetype whole = 0;
    while (whole < bytes.size()) {
        const bool lead = isLeadByte(m_codePage, quint8(bytes[whole]));
        if (lead && whole + 1 == bytes.size())
            break;
        whole += lead ? 2 : 1;
    }
    m_held = bytes.mid(whole);
    return fromCodePage(m_codePage, QByteArrayView(bytes).first(whole));
}

QString ConsoleText::decode(QByteArrayView chunk) {
    const QByteArray bytes = m_held + chunk.toByteArray();
    if (m_utf8) {
        const qsizetype whole = bytes.size() - incompleteUtf8Tail(bytes);
        QStringDecoder utf8(QStringDecoder::Utf8, QStringDecoder::Flag::Stateless |
                                                      QStringDecoder::Flag::ConvertInitialBom);
        QString text = utf8.decode(QByteArrayView(bytes).first(whole));
        // A console set to UTF-8 has no other code page to fall back on.
        if (!utf8.hasError() || m_codePage == CodePageUtf8) {
            m_held = bytes.mid(whole);
            return text;
        }
        m_utf8 = false;
    }
    return fromConsoleCodePage(bytes);
}

QString ConsoleText::finish() {
    QString text;
    // Output that ends inside a UTF-8 sequence was not UTF-8 after all.
    if (m_utf8 && m_codePage != CodePageUtf8 && !m_held.isEmpty()) {
        m_utf8 = false;
        text = fromConsoleCodePage(std::exchange(m_held, {}));
    }
    if (!m_held.isEmpty())
        text += QChar::ReplacementCharacter;
    m_held.clear();
    return text;
}

} // namespace tarvo::platform
