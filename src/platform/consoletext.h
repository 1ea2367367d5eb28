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

// A console program's output decoded once, chunk by chunk. A console may be set to UTF-8
// whatever the system's code page, so the output is read as UTF-8 for as long as all of
// it is valid UTF-8; from the first chunk that is not, it is read in the console's code
// page (a single- or double-byte one) to its end. Text before that chunk reads the same
// either way when it is ASCII, as ping's first line is (a code page's first characters
// that happen to form valid UTF-8 would show as that). A character cut between two
// chunks is held until its remaining bytes arrive; one whose bytes never come shows as a
// single replacement character when the output ends.
class ConsoleText final {
public:
    explicit ConsoleText(unsigned codePage)
        : m_codePage(codePage) {}

    QString decode(QByteArrayView chunk);
    // What is left at the end of the output.
    QString finish();

private:
    // Whole characters of bytes in the code page as text, the cut rest held.
    QString fromConsoleCodePage(const QByteArray& bytes);

    unsigned m_codePage;
    bool m_utf8 = true; // all of the output so far is valid UTF-8
    QByteArray m_held;
};

} // namespace tarvo::platform
