#pragma once

#include <QtGlobal>

namespace tarvo::sampling {

// The arithmetic of the sampling tick and of the gauge animation, free of the window so
// that each rule can be checked on its own. Integer results that do not fit raise
// Overflow (6), as every store of the window's handlers does.

// A byte total in KB (1024 bytes), the nearest whole number, halves to the even one.
qint64 kilobytes(qint64 bytes);

// The target a rate gauge takes from a rate: a rate on the scale is shown as it is; a
// rate at or above Max shows the gauge full (Max - 1: off the scale, not stale); a
// negative rate (counters went backwards: reset, wrap, an interface gone) is no rate
// at all and brings the gauge to 0.
qint16 rateTarget(qint64 rate, int max);

// Whether a rate gauge may start an animation of this many steps; when it may not, the
// sampling tick ends there.
bool rateStartFits(qint16 steps, int max);

// Whether the latency gauge may start an animation of this many steps; when it may not,
// only the start is skipped.
bool latencyStartFits(qint16 steps, int max);

// One animation tick of a busy gauge: a step towards the target, the value held within
// [min, max]. The last tick, with no steps left, makes the gauge idle.
struct BarMotion {
    qint16 steps = 0; // remaining unit steps; the sign is the direction
    int value = 0;    // the gauge's Value
    bool busy = true;

    friend bool operator==(const BarMotion&, const BarMotion&) = default;
};
BarMotion animationStep(BarMotion motion, int min, int max);

} // namespace tarvo::sampling
