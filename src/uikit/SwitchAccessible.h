#pragma once

#include <QAccessibleWidget>

class KNVTSwitch;

namespace knvt {

// What assistive technology reads of the on/off switch: a check box named by its accessible name, its label or its
// tool tip, checked while on; toggling it turns it over as a click does, and the owner hears the action.
class SwitchAccessible : public QAccessibleWidget
{
public:
    explicit SwitchAccessible(KNVTSwitch *control);

    QString text(QAccessible::Text t) const override;
    QAccessible::State state() const override;
    QStringList actionNames() const override;
    void doAction(const QString &actionName) override;

    // Makes every KNVTSwitch answer with this interface; the switch calls it when it is made.
    static void install();

private:
    KNVTSwitch *control() const;
};

} // namespace knvt
