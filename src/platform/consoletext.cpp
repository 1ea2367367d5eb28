#include "platform/consoletext.h"

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

qsizetype ConsoleText::wholeBytes(const QByteArray& bytes) const {
    if (m_codePage == CodePageUtf8)
        return bytes.size() - incompleteUtf8Tail(bytes);
    qsizetype whole = 0;
    while (whole < bytes.size()) {
        const bool lead = isLeadByte(m_codePage, quint8(bytes[whole]));
        if (lead && whole + 1 == bytes.size())
            break;
        whole += lead ? 2 : 1;
    }
    return whole;
}

QString ConsoleText::decode(QByteArrayView chunk) {
    QByteArray bytes = m_held + chunk.toByteArray();
    const qsizetype whole = wholeBytes(bytes);
    m_held = bytes.mid(whole);
    bytes.truncate(whole);
    if (m_codePage == CodePageUtf8)
        return QString::fromUtf8(bytes);
    return fromCodePage(m_codePage, bytes);
}

QString ConsoleText::finish() {
    const bool cutOff = !m_held.isEmpty();
    m_held.clear();
    return cutOff ? QString(QChar::ReplacementCharacter) : QString();
}

} // namespace tarvo::platform
