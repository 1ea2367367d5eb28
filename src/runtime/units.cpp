#include "runtime/units.h"

#include "runtime/numbers.h"

#include <cstdlib>

namespace tarvo::runtime {

namespace {
constexpr int HimetricPerInch = 2540;
}

int twipsToPixels(int twips) {
    return toInt32(double(twips) / TwipsPerPixel);
}

// As the system's MulDiv: the exact quotient, halves away from zero.
int pixelsToHimetric(int pixels) {
    const qint64 numerator = qint64(pixels) * HimetricPerInch;
    const qint64 quotient = (std::llabs(numerator) * 2 + DotsPerInch) / (2 * DotsPerInch);
    return int(numerator < 0 ? -quotient : quotient);
}

double himetricToPixels(double himetric) {
    return himetric * DotsPerInch / HimetricPerInch;
}

QSize himetricToPixels(QSize himetric) {
    return {toInt32(himetricToPixels(double(himetric.width()))),
            toInt32(himetricToPixels(double(himetric.height())))};
}

} // namespace tarvo::runtime
