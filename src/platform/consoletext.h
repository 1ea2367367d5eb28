#pragma once

#include <QByteArray>
#include <QByteArrayView>
#include <QString>

namespace tarvo::platform {

inline constexpr unsigned CodePageUtf8 = 65001;

// The code page console programs write their output in: UTF-8 on Linux, the OEM code
// page on Windows (936 on a Chinese one).
unsigned consoleCodePage();

// Whether byte leads a two-byte character in a double-byte code page such as 936.
bool isLeadByte(unsigned codePage, quint8 byte);
// Whole characters of a single- or double-byte code page as text; bytes that form no
// character become U+FFFD.
QString fromCodePage(unsigned codePage, QByteArrayView bytes);

// A console program's output decoded once, chunk by chunk, from its code page (UTF-8, or
// a single- or double-byte one). A character cut between two chunks is held until its
// remaining bytes arrive; one whose bytes never come shows as a single replacement
// character when the output ends.
class ConsoleText final {
public:
    explicit ConsoleText(unsigned codePage)
        : m_codePage(codePage) {}

    QString decode(QByteArrayView chunk);
    // What is left at the end of the output.
    QString finish();

private:
    // The length of the prefix of bytes that holds only whole characters.
    qsizetype wholeBytes(const QByteArray& bytes) const;

    unsigned m_codePage;
    QByteArray m_held;
};

} // namespace tarvo::platform
