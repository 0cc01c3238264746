#include "uikit/ToggleButtonAccessible.h"

#include <QAbstractButton>

namespace knvt {

ToggleButtonAccessible::ToggleButtonAccessible(QAbstractButton *button)
    : QAccessibleWidget(button, QAccessible::CheckBox)
{}

QAbstractButton *ToggleButtonAccessible::button() const
{
    return static_cast<QAbstractButton *>(widget());
}

QString ToggleButtonAccessible::text(QAccessible::Text t) const
{
    if (t != QAccessible::Name)
        return QAccessibleWidget::text(t);
    QString name = QAccessibleWidget::text(t);
    if (name.isEmpty())
        name = widget()->toolTip();
    return name.isEmpty() ? fallbackName() : name;
}

QAccessible::State ToggleButtonAccessible::state() const
{
    QAccessible::State state = QAccessibleWidget::state();
    state.checkable = true;
    return state;
}

QStringList ToggleButtonAccessible::actionNames() const
{
    if (!widget()->isEnabled())
        return {};
    return {QAccessibleActionInterface::toggleAction(), QAccessibleActionInterface::pressAction()};
}

void ToggleButtonAccessible::doAction(const QString &actionName)
{
    if (widget()->isEnabled()
        && (actionName == QAccessibleActionInterface::toggleAction()
            || actionName == QAccessibleActionInterface::pressAction()))
        button()->click();
}

} // namespace knvt
