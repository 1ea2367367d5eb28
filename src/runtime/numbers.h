#pragma once

#include <QLocale>
#include <QString>
#include <QStringView>

#include <cstdint>

namespace tarvo::runtime {

// The nearest integer, halves to the even neighbour, whatever the FPU rounding mode is.
double roundHalfEven(double value);

// Every float-to-integer store rounds to the nearest integer, halves to the even
// neighbour, and raises Overflow (6) when the result does not fit.
qint16 toInt16(double value);
qint32 toInt32(double value);
qint64 toInt64(double value);

// Integer narrowing and arithmetic that raise Overflow (6) like the original's
// 16- and 32-bit integer operations.
qint16 narrowInt16(qint64 value);
qint32 narrowInt32(qint64 value);
inline qint32 addInt32(qint32 a, qint32 b) {
    return narrowInt32(qint64(a) + b);
}
inline qint32 subInt32(qint32 a, qint32 b) {
    return narrowInt32(qint64(a) - b);
}
inline qint16 addInt16(qint16 a, qint16 b) {
    return narrowInt16(qint64(a) + b);
}
inline qint16 subInt16(qint16 a, qint16 b) {
    return narrowInt16(qint64(a) - b);
}

// Formats with a pattern of the original runtime: "0", "0%", "0.0%", "0.00%",
// "###,###,###,###,##0". Rounds halves away from zero; "," groups thousands with the
// locale's separator, "." is the locale's decimal point, "%" multiplies by 100.
QString formatPattern(double value, QStringView pattern, const QLocale& locale = QLocale());

// A number as the runtime writes it in text: the shortest form with at most 7 (single)
// or 15 (double) significant digits, no trailing zeros, the locale's decimal separator.
QString singleToText(float value, const QLocale& locale = QLocale());
QString doubleToText(double value, const QLocale& locale = QLocale());

} // namespace tarvo::runtime
