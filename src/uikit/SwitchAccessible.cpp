#include "uikit/SwitchAccessible.h"

#include "uikit/KNVTSwitch.h"

#include <QCoreApplication>

namespace knvt {

namespace {

QAccessibleInterface *createSwitchInterface(const QString &className, QObject *object)
{
    if (className != QLatin1String("KNVTSwitch"))
        return nullptr;
    auto *control = qobject_cast<KNVTSwitch *>(object);
    return control != nullptr ? new SwitchAccessible(control) : nullptr;
}

} // namespace

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
    static const bool installed = [] {
        QAccessible::installFactory(&createSwitchInterface);
        return true;
    }();
    Q_UNUSED(installed);
}

} // namespace knvt
