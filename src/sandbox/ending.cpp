#include "sandbox/ending.h"

namespace tarvo::sandbox {

QString endReason(HelperEnd end) {
    switch (end) {
    case HelperEnd::Crashed:
        return QStringLiteral("the page crashed its helper");
    case HelperEnd::CpuTimeLimit:
        return QStringLiteral("the page went past the CPU-time limit");
    case HelperEnd::MemoryLimit:
        return QStringLiteral("the page went past the memory limit");
    case HelperEnd::Deadline:
        return QStringLiteral("the page helper did not finish in time");
    case HelperEnd::StoppedBySandbox:
        return QStringLiteral("the page helper was stopped by its sandbox");
    case HelperEnd::NoSandbox:
        return QStringLiteral("the page helper could not enter its sandbox");
    case HelperEnd::CannotConfine:
        return QStringLiteral("this system cannot confine the page helper");
    case HelperEnd::NotConfined:
        return QStringLiteral("the page helper could not run under its limits");
    case HelperEnd::KilledFromOutside:
        return QStringLiteral("the page helper was ended from outside");
    case HelperEnd::Missing:
        return QStringLiteral("the page helper is missing");
    case HelperEnd::EndedEarly:
        break;
    }
    return QStringLiteral("the page helper ended early");
}

} // namespace tarvo::sandbox
