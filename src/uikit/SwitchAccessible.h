#pragma once

#include "uikit/ToggleButtonAccessible.h"

class KNVTSwitch;

namespace knvt {

// What assistive technology reads of the on/off switch: a check box named by its accessible name, its label or its
// tool tip, checked while on; toggling it turns it over as a click does, and the owner hears the action.
class SwitchAccessible : public ToggleButtonAccessible
{
public:
    explicit SwitchAccessible(KNVTSwitch *control);

    QString text(QAccessible::Text t) const override;
    QAccessible::State state() const override;

    // Makes every KNVTSwitch answer with this interface; the switch calls it when it is made.
    static void install();

protected:
    QString fallbackName() const override;

private:
    KNVTSwitch *control() const;
};

} // namespace knvt
