#pragma once

#include <QAccessibleWidget>

namespace tarvo {

class ucProgressBar;

// What a screen reader reads of a bar: a progress bar named by its caption, with its
// value and range.
class ucProgressBarAccessible final : public QAccessibleWidget, public QAccessibleValueInterface {
public:
    explicit ucProgressBarAccessible(ucProgressBar* bar);

    QString text(QAccessible::Text kind) const override;
    void* interface_cast(QAccessible::InterfaceType type) override;

    QVariant currentValue() const override;
    void setCurrentValue(const QVariant& value) override;
    QVariant maximumValue() const override;
    QVariant minimumValue() const override;
    QVariant minimumStepSize() const override;

private:
    const ucProgressBar* bar() const;
};

// Makes Qt's accessibility use ucProgressBarAccessible for every bar; safe to call again.
void installProgressBarAccessibility();

// Tells an active assistive technology that the bar's value changed; nothing when none
// listens, so the animation's path stays as cheap as before.
void notifyProgressBarValue(ucProgressBar* bar, int value);

} // namespace tarvo
