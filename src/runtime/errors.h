#pragma once

#include <QLoggingCategory>
#include <QString>

#include <exception>
#include <iterator>
#include <source_location>
#include <utility>

namespace tarvo::runtime {

// Run-time error numbers of the original runtime; callers and tests compare against them.
enum class ErrorCode : int {
    InvalidProcedureCall = 5,
    Overflow = 6,
    SubscriptOutOfRange = 9,
    DivisionByZero = 11,
    ObjectVariableNotSet = 91,
    InvalidPropertyValue = 380,
};

class RuntimeError final : public std::exception {
public:
    explicit RuntimeError(ErrorCode code, QString detail = {});

    ErrorCode code() const noexcept { return m_code; }
    int number() const noexcept { return static_cast<int>(m_code); }
    const QString& detail() const noexcept { return m_detail; }
    const char* what() const noexcept override;

private:
    ErrorCode m_code;
    QString m_detail;
    QByteArray m_what;
};

[[noreturn]] void raise(ErrorCode code, const QString& detail = {});

// Checked element access of the original's arrays: an index outside fails with
// Subscript out of range (9).
template <typename Items> decltype(auto) element(Items&& items, qsizetype index) {
    if (index < 0 || index >= qsizetype(std::size(items)))
        raise(ErrorCode::SubscriptOutOfRange);
    return std::forward<Items>(items)[std::size_t(index)];
}

// Failures that continue-on-error drops. Silent unless a developer enables it through
// Qt's logging rules, e.g. QT_LOGGING_RULES="tarvo.step.debug=true".
Q_DECLARE_LOGGING_CATEGORY(lcStep)

// Records a dropped failure (error number, what failed, where) in lcStep.
void traceDroppedStep(const std::exception& failure, const std::source_location& where) noexcept;

// Continue-on-error: one step of a handler runs here; when it fails the step is
// abandoned and the handler goes on with its next one. Returns whether the step completed.
template <typename Step>
bool step(Step&& body,
          const std::source_location where = std::source_location::current()) noexcept {
    try {
        std::forward<Step>(body)();
        return true;
    } catch (const std::exception& failure) {
        traceDroppedStep(failure, where);
        return false;
    }
}

} // namespace tarvo::runtime
