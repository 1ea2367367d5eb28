#include "runtime/numbers.h"

#include "runtime/errors.h"

#include <cmath>
#include <limits>

namespace tarvo::runtime {

double roundHalfEven(double value) {
    const double fraction = std::abs(value - std::trunc(value));
    if (fraction == 0.5)
        return 2.0 * std::round(value / 2.0);
    return std::round(value);
}

namespace {

template <typename Int> Int roundToInt(double value) {
    if (std::isnan(value))
        raise(ErrorCode::Overflow);
    const double rounded = roundHalfEven(value);
    // The upper bound is -min (a power of two, exact as a double), excluded: max itself
    // is not exact for 64 bits.
    if (rounded < double(std::numeric_limits<Int>::min()) ||
        rounded >= -double(std::numeric_limits<Int>::min()))
        raise(ErrorCode::Overflow);
    return static_cast<Int>(rounded);
}

// A finite value as decimal digits: value = 0.<digits> x 10^pointPos, where pointPos is
// the number of digits before the decimal point (negative for leading zeros after it).
struct Decimal {
    QByteArray digits; // no leading zero unless the value is zero
    int pointPos = 0;
};

// The value's shortest decimal form with at most `precision` significant digits.
Decimal toDecimal(double magnitude, int precision) {
    Decimal d;
    if (magnitude == 0.0) {
        d.digits = "0";
        d.pointPos = 1;
        return d;
    }
    // "d.ddddde+XX": the runtime's conversion keeps this many significant digits.
    const QByteArray text = QByteArray::number(magnitude, 'e', precision - 1);
    const qsizetype e = text.indexOf('e');
    for (qsizetype i = 0; i < e; ++i) {
        if (text[i] != '.')
            d.digits += text[i];
    }
    d.pointPos = text.mid(e + 1).toInt() + 1;
    while (d.digits.size() > 1 && d.digits.endsWith('0'))
        d.digits.chop(1);
    return d;
}

QString groupDigits(const QString& digits, const QString& separator) {
    QString out;
    const qsizetype n = digits.size();
    for (qsizetype i = 0; i < n; ++i) {
        if (i > 0 && (n - i) % 3 == 0)
            out += separator;
        out += digits[i];
    }
    return out;
}

struct Pattern {
    QString prefix;
    QString suffix;
    int minIntDigits = 0;
    int minFracDigits = 0;
    int maxFracDigits = 0;
    int percents = 0;
    bool grouping = false;
    bool point = false;
};

Pattern parsePattern(QStringView text) {
    Pattern p;
    qsizetype first = -1;
    qsizetype last = -1;
    for (qsizetype i = 0; i < text.size(); ++i) {
        const QChar c = text[i];
        if (c == u'0' || c == u'#' || c == u'.' || (c == u',' && first >= 0)) {
            if (first < 0)
                first = i;
            last = i;
        }
    }
    if (first < 0) {
        p.prefix = text.toString();
        p.percents = int(text.count(u'%'));
        return p;
    }
    p.prefix = text.first(first).toString();
    p.suffix = text.sliced(last + 1).toString();
    p.percents = int(text.count(u'%'));
    for (qsizetype i = first; i <= last; ++i) {
        const QChar c = text[i];
        if (c == u'.') {
            p.point = true;
        } else if (c == u',') {
            if (!p.point)
                p.grouping = true;
        } else if (p.point) {
            ++p.maxFracDigits;
            if (c == u'0')
                p.minFracDigits = p.maxFracDigits;
        }
    }
    // Whole digits are optional up to the first "0"; from there on each position shows.
    const QStringView body = text.sliced(first, last + 1 - first);
    const QStringView intPart = body.first(p.point ? body.indexOf(u'.') : body.size());
    const qsizetype firstZero = intPart.indexOf(u'0');
    if (firstZero >= 0) {
        const QStringView forced = intPart.sliced(firstZero);
        p.minIntDigits = int(forced.count(u'0') + forced.count(u'#'));
    }
    return p;
}

QString numberToText(double value, int precision, const QLocale& locale) {
    if (std::isnan(value))
        return QStringLiteral("NaN");
    if (std::isinf(value))
        return value < 0 ? QStringLiteral("-Inf") : QStringLiteral("Inf");
    const Decimal d = toDecimal(std::abs(value), precision);
    const QString sign = (value < 0 && d.digits != "0") ? QStringLiteral("-") : QString();
    const int count = int(d.digits.size());
    const int exponent = d.pointPos - 1;
    const int decimals = std::max(0, count - d.pointPos);
    QString out;
    if (exponent < precision && decimals <= precision) {
        // Plain form: the whole digits, then the fraction when there is one.
        QString whole;
        QString fraction;
        if (d.pointPos <= 0) {
            whole = QStringLiteral("0");
            fraction = QString(-d.pointPos, u'0') + QString::fromLatin1(d.digits);
        } else {
            whole = QString::fromLatin1(d.digits.left(d.pointPos));
            if (d.pointPos > count)
                whole += QString(d.pointPos - count, u'0');
            fraction = QString::fromLatin1(d.digits.mid(d.pointPos));
        }
        out = whole;
        if (!fraction.isEmpty())
            out += locale.decimalPoint() + fraction;
    } else {
        // Too large or too many places after the point: "1.234568E+08", "3.3E-05".
        out = QChar::fromLatin1(d.digits[0]);
        if (count > 1)
            out += locale.decimalPoint() + QString::fromLatin1(d.digits.mid(1));
        out += exponent < 0 ? QStringLiteral("E-") : QStringLiteral("E+");
        out += QStringLiteral("%1").arg(std::abs(exponent), 2, 10, QLatin1Char('0'));
    }
    return sign + out;
}

} // namespace

qint16 toInt16(double value) {
    return roundToInt<qint16>(value);
}
qint32 toInt32(double value) {
    return roundToInt<qint32>(value);
}
qint64 toInt64(double value) {
    return roundToInt<qint64>(value);
}

qint16 narrowInt16(qint64 value) {
    if (value < std::numeric_limits<qint16>::min() || value > std::numeric_limits<qint16>::max())
        raise(ErrorCode::Overflow);
    return static_cast<qint16>(value);
}

qint32 narrowInt32(qint64 value) {
    if (value < std::numeric_limits<qint32>::min() || value > std::numeric_limits<qint32>::max())
        raise(ErrorCode::Overflow);
    return static_cast<qint32>(value);
}

// The runtime's formatter works on the value's 15-significant-digit decimal form, not on
// the binary fraction: 2.675 formats as "2.68" and 1.005 as "1.01", as a reader of the
// number expects. Halves of that decimal form go away from zero.
QString formatPattern(double value, QStringView pattern, const QLocale& locale) {
    if (!std::isfinite(value))
        raise(ErrorCode::Overflow);
    const Pattern p = parsePattern(pattern);

    Decimal d = toDecimal(std::abs(value), 15);
    if (d.digits != "0")
        d.pointPos += 2 * p.percents;

    // Round to maxFracDigits places after the point.
    const int keep = d.pointPos + p.maxFracDigits; // leading digits that stay
    if (keep < int(d.digits.size())) {
        // Below keep == 0 the value is under half of the last place and becomes zero.
        const bool up = keep >= 0 && d.digits[keep] >= '5';
        QByteArray kept = keep > 0 ? d.digits.left(keep) : QByteArray();
        if (up) {
            qsizetype i = kept.size() - 1;
            while (i >= 0 && kept[i] == '9')
                kept[i--] = '0';
            if (i >= 0) {
                kept[i] = char(kept[i] + 1);
            } else {
                kept.prepend('1');
                ++d.pointPos;
            }
        }
        if (kept.isEmpty()) {
            kept = "0";
            d.pointPos = 1;
        }
        d.digits = kept;
    }

    // Split into whole and fractional digits.
    QString whole;
    QString fraction;
    const QString digits = QString::fromLatin1(d.digits);
    if (d.pointPos <= 0) {
        fraction = QString(-d.pointPos, u'0') + digits;
    } else {
        whole = digits.left(d.pointPos);
        if (d.pointPos > digits.size())
            whole += QString(d.pointPos - digits.size(), u'0');
        fraction = digits.mid(d.pointPos);
    }
    while (whole.startsWith(u'0'))
        whole.remove(0, 1);
    if (whole.size() < p.minIntDigits)
        whole.prepend(QString(p.minIntDigits - whole.size(), u'0'));
    fraction = fraction.leftJustified(p.maxFracDigits, u'0', true);
    while (fraction.size() > p.minFracDigits && fraction.endsWith(u'0'))
        fraction.chop(1);

    const bool zero = d.digits == "0";
    QString out = p.prefix;
    if (value < 0 && !zero)
        out += u'-';
    out += p.grouping ? groupDigits(whole, locale.groupSeparator()) : whole;
    if (p.point)
        out += locale.decimalPoint() + fraction;
    out += p.suffix;
    return out;
}

QString singleToText(float value, const QLocale& locale) {
    return numberToText(double(value), 7, locale);
}

QString doubleToText(double value, const QLocale& locale) {
    return numberToText(value, 15, locale);
}

} // namespace tarvo::runtime
