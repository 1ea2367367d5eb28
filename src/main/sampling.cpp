#include "main/sampling.h"

#include "runtime/numbers.h"

#include <cstdlib>

namespace tarvo::sampling {

using namespace runtime;

qint64 kilobytes(qint64 bytes) {
    // Whole division with the remainder rounded: exact for every 64-bit total, where a
    // double quotient would lose the last digits above 2^53.
    qint64 quotient = bytes / 1024;
    qint64 remainder = bytes % 1024;
    if (remainder < 0) {
        remainder += 1024;
        --quotient;
    }
    if (remainder > 512 || (remainder == 512 && (quotient & 1) != 0))
        ++quotient;
    return quotient;
}

qint16 rateTarget(qint64 rate, int max) {
    if (rate < 0)
        return 0;
    if (rate >= max)
        return narrowInt16(qint64(max) - 1);
    return narrowInt16(rate);
}

bool rateStartFits(qint16 steps, int max) {
    return std::abs(int(steps)) <= qint64(max) - 1;
}

bool latencyStartFits(qint16 steps, int max) {
    return std::abs(int(steps)) <= max;
}

BarMotion animationStep(BarMotion motion, int min, int max) {
    if (motion.steps > 0) {
        --motion.steps;
        if (qint64(motion.value) + 1 <= max)
            ++motion.value;
    } else if (motion.steps < 0) {
        if (qint64(motion.value) - 1 >= min)
            --motion.value;
        ++motion.steps;
    } else {
        motion.busy = false;
    }
    return motion;
}

} // namespace tarvo::sampling
