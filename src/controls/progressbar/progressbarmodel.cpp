#include "controls/progressbar/progressbarmodel.h"

#include "runtime/errors.h"
#include "runtime/numbers.h"

#include <cmath>
#include <limits>

namespace tarvo {

namespace {

// value - min as the 32-bit offset the drawing uses; nothing when it does not fit.
std::optional<qint32> offset(const ProgressBarModel& model) {
    const qint64 d = qint64(model.value) - model.min;
    if (d < std::numeric_limits<qint32>::min() || d > std::numeric_limits<qint32>::max())
        return std::nullopt;
    return qint32(d);
}

// A fill edge rounded to a 16-bit integer, halves to even; nothing when out of range.
std::optional<int> fillEdge(double position) {
    if (!std::isfinite(position))
        return std::nullopt;
    std::optional<int> edge;
    runtime::step([&] { edge = runtime::toInt16(position); });
    return edge;
}

// Appends the plain decimal digits of a 32-bit value without a temporary string.
void appendDecimal(QString& out, qint32 value) {
    char16_t digits[12];
    int at = 12;
    qint64 rest = value;
    const bool negative = rest < 0;
    if (negative)
        rest = -rest;
    do {
        digits[--at] = char16_t(u'0' + rest % 10);
        rest /= 10;
    } while (rest != 0);
    if (negative)
        digits[--at] = u'-';
    out.append(QStringView(digits + at, 12 - at));
}

QStringView percentPattern(int format) {
    switch (format) {
    case CaptionPercent:
    case CaptionRelPercent:
        return u"0%";
    case CaptionPercent1:
    case CaptionRelPercent1:
        return u"0.0%";
    default:
        return u"0.00%";
    }
}

} // namespace

std::optional<QRect> fillArea(const ProgressBarModel& model, QSize scale) {
    const auto d = offset(model);
    if (!d || model.span == 0)
        return std::nullopt;
    const double fraction = double(*d) / double(model.span);
    QRect area;
    if (model.orientation == OrientationHorizontal) {
        const auto w = fillEdge(fraction * scale.width());
        if (!w)
            return std::nullopt;
        area = QRect(0, 0, *w, scale.height());
    } else if (model.orientation == OrientationVertical) {
        const auto t = fillEdge(scale.height() - fraction * scale.height());
        if (!t)
            return std::nullopt;
        area = QRect(0, *t, scale.width(), scale.height() - *t);
    } else {
        return std::nullopt;
    }
    // A negative extent (a value below the range, as read from a bag) draws nothing;
    // whatever lies outside the surface is cut off.
    if (area.width() <= 0 || area.height() <= 0)
        return std::nullopt;
    area = area.intersected(QRect(QPoint(0, 0), scale));
    if (area.isEmpty())
        return std::nullopt;
    return area;
}

void captionText(const ProgressBarModel& model, QString& out) {
    out.resize(0);
    switch (model.captionFormat) {
    case CaptionValue:
        appendDecimal(out, model.value);
        return;
    case CaptionCustomText:
        appendDecimal(out, model.value);
        out.append(model.captionCustom);
        return;
    case CaptionPercent:
    case CaptionPercent1:
    case CaptionPercent2:
        if (model.span != 0)
            out.append(runtime::formatPattern(double(model.value) / model.span,
                                              percentPattern(model.captionFormat)));
        return;
    case CaptionRelPercent:
    case CaptionRelPercent1:
    case CaptionRelPercent2:
        if (const auto d = offset(model); d && model.span != 0)
            out.append(runtime::formatPattern(double(*d) / model.span,
                                              percentPattern(model.captionFormat)));
        return;
    default:
        return;
    }
}

QString captionText(const ProgressBarModel& model) {
    QString text;
    captionText(model, text);
    return text;
}

int valueFromPoint(const ProgressBarModel& model, QSize scale, float x, float y) {
    qint32 v = 0;
    if (model.orientation == OrientationHorizontal || model.orientation == OrientationVertical) {
        const double p = model.orientation == OrientationHorizontal
                             ? double(x) / double(scale.width())
                             : (double(scale.height()) - double(y)) / double(scale.height());
        const double raw = p * model.span + model.min;
        if (!std::isfinite(raw))
            runtime::raise(runtime::ErrorCode::Overflow, QStringLiteral("pointer position"));
        v = runtime::toInt32(raw);
    }
    if (v < model.min)
        return model.min;
    if (v > model.max)
        return model.max;
    return v;
}

} // namespace tarvo
