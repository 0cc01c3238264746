#include "uikit/LevelIndicatorAccessible.h"

#include "uikit/AccessibleFactory.h"
#include "uikit/KNVTLevelIndicator.h"
#include "uikit/UnsavedTyping.h"

#include <QCoreApplication>

namespace knvt {

LevelIndicatorAccessible::LevelIndicatorAccessible(KNVTLevelIndicator *indicator)
    : QAccessibleWidget(indicator, QAccessible::Slider)
{}

KNVTLevelIndicator *LevelIndicatorAccessible::indicator() const
{
    return static_cast<KNVTLevelIndicator *>(widget());
}

void *LevelIndicatorAccessible::interface_cast(QAccessible::InterfaceType t)
{
    if (t == QAccessible::ValueInterface)
        return static_cast<QAccessibleValueInterface *>(this);
    return QAccessibleWidget::interface_cast(t);
}

QString LevelIndicatorAccessible::text(QAccessible::Text t) const
{
    switch (t) {
    case QAccessible::Name: {
        const QString name = QAccessibleWidget::text(t);
        return name.isEmpty() ? widget()->toolTip() : name;
    }
    case QAccessible::Value:
        if (!indicator()->levelName().isEmpty())
            return indicator()->levelName();
        //: The value of a level control such as the priority: "2 of 3".
        return QCoreApplication::translate("KNVTLevelIndicator", "%1 of %2")
            .arg(QString::number(indicator()->value()), QString::number(indicator()->maximumValue()));
    case QAccessible::Description: {
        // The bus carries a slider's value as a number only: the word goes with the description too.
        const QString description = QAccessibleWidget::text(t);
        return description.isEmpty() || description == widget()->toolTip() ? indicator()->levelName() : description;
    }
    default: return QAccessibleWidget::text(t);
    }
}

QStringList LevelIndicatorAccessible::actionNames() const
{
    QStringList names = QAccessibleWidget::actionNames();
    if (widget()->isEnabled())
        names << QAccessibleActionInterface::increaseAction() << QAccessibleActionInterface::decreaseAction();
    return names;
}

void LevelIndicatorAccessible::doAction(const QString &actionName)
{
    if (actionName == QAccessibleActionInterface::increaseAction())
        setCurrentValue(indicator()->value() + 1);
    else if (actionName == QAccessibleActionInterface::decreaseAction())
        setCurrentValue(indicator()->value() - 1);
    else
        QAccessibleWidget::doAction(actionName);
}

QVariant LevelIndicatorAccessible::currentValue() const
{
    return indicator()->value();
}

void LevelIndicatorAccessible::setCurrentValue(const QVariant &value)
{
    if (!widget()->isEnabled())
        return;
    // The user's input, as a click on the level is.
    UnsavedTyping::accessibleInput(indicator());
    indicator()->userSetValue(value.toInt());
}

QVariant LevelIndicatorAccessible::maximumValue() const
{
    return indicator()->maximumValue();
}

QVariant LevelIndicatorAccessible::minimumValue() const
{
    return 0;
}

QVariant LevelIndicatorAccessible::minimumStepSize() const
{
    return 1;
}

void LevelIndicatorAccessible::install()
{
    installAccessibleFactory<LevelIndicatorAccessible, KNVTLevelIndicator>();
}

} // namespace knvt
