#pragma once

#include <QAccessibleWidget>

class KNVTLevelIndicator;

namespace knvt {

// What assistive technology reads of a level indicator (the task form's priority): a slider named by its accessible
// name, its label or its tool tip, whose value is the number of lit segments from 0 to the maximum, read as the
// level's word where the indicator has words ("Medium", also its description), else as "2 of 3". Setting the value,
// or the increase and decrease actions, change it as the arrow keys do, and the owner hears the action.
class LevelIndicatorAccessible : public QAccessibleWidget, public QAccessibleValueInterface
{
public:
    explicit LevelIndicatorAccessible(KNVTLevelIndicator *indicator);

    void *interface_cast(QAccessible::InterfaceType t) override;
    QString text(QAccessible::Text t) const override;
    QStringList actionNames() const override;
    void doAction(const QString &actionName) override;

    QVariant currentValue() const override;
    void setCurrentValue(const QVariant &value) override;
    QVariant maximumValue() const override;
    QVariant minimumValue() const override;
    QVariant minimumStepSize() const override;

    // Makes every KNVTLevelIndicator answer with this interface; the indicator calls it when it is made.
    static void install();

private:
    KNVTLevelIndicator *indicator() const;
};

} // namespace knvt
