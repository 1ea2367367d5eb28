#include "forms/yield.h"

#include <QCoreApplication>

namespace tarvo::forms {

namespace {
std::function<void()>& yieldHandler() {
    static std::function<void()> handler;
    return handler;
}
} // namespace

void doEvents() {
    // Copied so that a handler may replace itself while it runs.
    if (const auto handler = yieldHandler()) {
        handler();
        return;
    }
    QCoreApplication::processEvents();
}

void setYieldHandler(std::function<void()> handler) {
    yieldHandler() = std::move(handler);
}

} // namespace tarvo::forms
