#pragma once

#include "uikit/ToggleButtonAccessible.h"

class KNVTCheckBox;

namespace knvt {

// What assistive technology reads of the round completion check box: a check box named by its accessible name, its
// label or its tool tip ("Completed" when it has none), checked when it shows the tick and "mixed" when it shows the
// cross of a cancelled item, which the description also says in words; toggling it clicks it, as the mouse does.
class CheckBoxAccessible : public ToggleButtonAccessible
{
public:
    explicit CheckBoxAccessible(KNVTCheckBox *box);

    QString text(QAccessible::Text t) const override;
    QAccessible::State state() const override;

    // Makes every KNVTCheckBox answer with this interface; the box calls it when it is made.
    static void install();

protected:
    QString fallbackName() const override;

private:
    KNVTCheckBox *box() const;
};

} // namespace knvt
