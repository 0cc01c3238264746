#include "uikit/SwitchAccessible.h"

#include "uikit/AccessibleFactory.h"
#include "uikit/KNVTSwitch.h"

#include <QCoreApplication>

namespace knvt {

SwitchAccessible::SwitchAccessible(KNVTSwitch *control) : ToggleButtonAccessible(control) {}

KNVTSwitch *SwitchAccessible::control() const
{
    return static_cast<KNVTSwitch *>(widget());
}

QString SwitchAccessible::text(QAccessible::Text t) const
{
    if (t != QAccessible::Value)
        return ToggleButtonAccessible::text(t);
    return control()->isOn() ? QCoreApplication::translate("KNVTSwitch", "On")
                             : QCoreApplication::translate("KNVTSwitch", "Off");
}

QString SwitchAccessible::fallbackName() const
{
    return QCoreApplication::translate("KNVTSwitch", "Switch");
}

QAccessible::State SwitchAccessible::state() const
{
    QAccessible::State state = ToggleButtonAccessible::state();
    state.checked = control()->isOn();
    return state;
}

void SwitchAccessible::install()
{
    installAccessibleFactory<SwitchAccessible, KNVTSwitch>();
}

} // namespace knvt
