#include "uikit/CheckBoxAccessible.h"

#include "uikit/AccessibleFactory.h"
#include "uikit/KNVTCheckBox.h"

#include <QCoreApplication>

namespace knvt {

namespace {

QString translate(const char *text)
{
    return QCoreApplication::translate("KNVTCheckBox", text);
}

} // namespace

CheckBoxAccessible::CheckBoxAccessible(KNVTCheckBox *box) : ToggleButtonAccessible(box) {}

KNVTCheckBox *CheckBoxAccessible::box() const
{
    return static_cast<KNVTCheckBox *>(widget());
}

QString CheckBoxAccessible::text(QAccessible::Text t) const
{
    if (t != QAccessible::Description || !widget()->accessibleDescription().isEmpty())
        return ToggleButtonAccessible::text(t);
    switch (box()->checkBoxState()) {
    case KNVTCheckBoxStateTick: return translate("Completed");
    case KNVTCheckBoxStateCross: return translate("Cancelled");
    default: return translate("Not completed");
    }
}

QString CheckBoxAccessible::fallbackName() const
{
    return translate("Completed");
}

QAccessible::State CheckBoxAccessible::state() const
{
    QAccessible::State state = ToggleButtonAccessible::state();
    state.checked = box()->checkBoxState() == KNVTCheckBoxStateTick;
    state.checkStateMixed = box()->checkBoxState() == KNVTCheckBoxStateCross;
    state.pressed = box()->isDown();
    return state;
}

void CheckBoxAccessible::install()
{
    installAccessibleFactory<CheckBoxAccessible, KNVTCheckBox>();
}

} // namespace knvt
