#include "controls/progressbar/ucprogressbaraccessible.h"

#include "controls/progressbar/ucprogressbar.h"
#include "forms/framethread.h"

namespace tarvo {

ucProgressBarAccessible::ucProgressBarAccessible(ucProgressBar* bar)
    : QAccessibleWidget(bar, QAccessible::ProgressBar) {}

const ucProgressBar* ucProgressBarAccessible::bar() const {
    return static_cast<const ucProgressBar*>(widget());
}

QString ucProgressBarAccessible::text(QAccessible::Text kind) const {
    switch (kind) {
    case QAccessible::Name: {
        // A name the host gave wins; otherwise the bar is named by what it shows.
        const QString given = QAccessibleWidget::text(kind);
        return given.isEmpty() ? captionText(bar()->model()).trimmed() : given;
    }
    case QAccessible::Value:
        return QString::number(bar()->Value());
    default:
        return QAccessibleWidget::text(kind);
    }
}

void* ucProgressBarAccessible::interface_cast(QAccessible::InterfaceType type) {
    if (type == QAccessible::ValueInterface)
        return static_cast<QAccessibleValueInterface*>(this);
    return QAccessibleWidget::interface_cast(type);
}

QVariant ucProgressBarAccessible::currentValue() const {
    return bar()->Value();
}

void ucProgressBarAccessible::setCurrentValue(const QVariant&) {
    // Read only: the value belongs to the host (and to the mouse on the bar itself).
}

QVariant ucProgressBarAccessible::maximumValue() const {
    return bar()->Max();
}

QVariant ucProgressBarAccessible::minimumValue() const {
    return bar()->Min();
}

QVariant ucProgressBarAccessible::minimumStepSize() const {
    return 1;
}

namespace {

QAccessibleInterface* createAccessible(const QString& className, QObject* object) {
    if (className == QLatin1String("tarvo::ucProgressBar") && object->isWidgetType())
        return new ucProgressBarAccessible(static_cast<ucProgressBar*>(object));
    return nullptr;
}

} // namespace

void installProgressBarAccessibility() {
    static const bool installed = [] {
        QAccessible::installFactory(createAccessible);
        return true;
    }();
    Q_UNUSED(installed);
}

void notifyProgressBarValue(ucProgressBar* bar, int value) {
    if (!QAccessible::isActive())
        return;
    // The screen reader's bridge lives on the window thread; a frame thread posts there.
    forms::runOnWindowThread(bar, [bar, value] {
        QAccessibleValueChangeEvent event(bar, value);
        QAccessible::updateAccessibility(&event);
    });
}

} // namespace tarvo
