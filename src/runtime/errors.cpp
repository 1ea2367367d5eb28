#include "runtime/errors.h"

namespace tarvo::runtime {

Q_LOGGING_CATEGORY(lcStep, "tarvo.step", QtWarningMsg)

namespace {

const char* describe(ErrorCode code) {
    switch (code) {
    case ErrorCode::InvalidProcedureCall:
        return "Invalid procedure call or argument";
    case ErrorCode::Overflow:
        return "Overflow";
    case ErrorCode::SubscriptOutOfRange:
        return "Subscript out of range";
    case ErrorCode::DivisionByZero:
        return "Division by zero";
    case ErrorCode::ObjectVariableNotSet:
        return "Object variable or With block variable not set";
    case ErrorCode::InvalidPropertyValue:
        return "Invalid property value";
    }
    return "Application-defined or object-defined error";
}

} // namespace

RuntimeError::RuntimeError(ErrorCode code, QString detail)
    : m_code(code)
    , m_detail(std::move(detail)) {
    // Built once here so that what() can hand out a pointer that stays valid.
    m_what = QByteArray::number(number()) + ": " + describe(code);
    if (!m_detail.isEmpty())
        m_what += " (" + m_detail.toUtf8() + ')';
}

const char* RuntimeError::what() const noexcept {
    return m_what.constData();
}

void traceDroppedStep(const std::exception& failure, const std::source_location& where) noexcept {
    if (!lcStep().isDebugEnabled())
        return;
    try {
        // RuntimeError's text leads with its number; any other failure is a library's own.
        const bool numbered = dynamic_cast<const RuntimeError*>(&failure) != nullptr;
        qCDebug(lcStep, "step dropped at %s:%u: %s%s", where.file_name(), unsigned(where.line()),
                numbered ? "" : "error: ", failure.what());
    } catch (...) {
        // A trace must never turn a dropped failure into a new one.
    }
}

void raise(ErrorCode code, const QString& detail) {
    throw RuntimeError(code, detail);
}

} // namespace tarvo::runtime
