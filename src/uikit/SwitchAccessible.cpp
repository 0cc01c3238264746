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

SwitchAccessible::SwitchAccessible(KNVTSwitch *control) : QAccessibleWidget(control, QAccessible::CheckBox) {}

KNVTSwitch *SwitchAccessible::control() const
{
    return static_cast<KNVTSwitch *>(widget());
}

QString SwitchAccessible::text(QAccessible::Text t) const
{
    switch (t) {
    case QAccessible::Name: {
        QString name = QAccessibleWidget::text(t);
        if (name.isEmpty())
            name = widget()->toolTip();
        return name.isEmpty() ? QCoreApplication::translate("KNVTSwitch", "Switch") : name;
    }
    case QAccessible::Value:
        return control()->isOn() ? QCoreApplication::translate("KNVTSwitch", "On")
                                 : QCoreApplication::translate("KNVTSwitch", "Off");
    default: return QAccessibleWidget::text(t);
    }
}

QAccessible::State SwitchAccessible::state() const
{
    QAccessible::State state = QAccessibleWidget::state();
    state.checkable = true;
    state.checked = control()->isOn();
    return state;
}

QStringList SwitchAccessible::actionNames() const
{
    if (!widget()->isEnabled())
        return {};
    return {QAccessibleActionInterface::toggleAction(), QAccessibleActionInterface::pressAction()};
}

void SwitchAccessible::doAction(const QString &actionName)
{
    if (widget()->isEnabled()
        && (actionName == QAccessibleActionInterface::toggleAction()
            || actionName == QAccessibleActionInterface::pressAction()))
        control()->click();
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
