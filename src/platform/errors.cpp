#include "platform/errors.h"

namespace tarvo::platform {

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

void raise(ErrorCode code, const QString& detail) {
    throw RuntimeError(code, detail);
}

} // namespace tarvo::platform
