#pragma once

#include <QByteArray>
#include <QByteArrayView>
#include <QString>
#include <QStringView>

namespace tarvo::runtime {

// Text handed to the system in the original's ANSI form uses code page 936 (GBK).
QByteArray toAnsi(QStringView text);
QString fromAnsi(QByteArrayView bytes);

// Stores text in a fixed-size ANSI field: converts, then cuts at maxBytes bytes. A cut
// that would split a double-byte character drops that character's lead byte as well.
QByteArray toAnsiField(QStringView text, int maxBytes);
// Reads a fixed-size ANSI field: its text up to the first NUL, or all of it without one.
QString fromAnsiField(QByteArrayView field);

} // namespace tarvo::runtime
