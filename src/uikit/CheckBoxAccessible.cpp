#include "uikit/CheckBoxAccessible.h"

#include "uikit/KNVTCheckBox.h"

#include <QCoreApplication>

namespace knvt {

namespace {

QAccessibleInterface *createCheckBoxInterface(const QString &className, QObject *object)
{
    if (className != QLatin1String("KNVTCheckBox"))
        return nullptr;
    auto *box = qobject_cast<KNVTCheckBox *>(object);
    return box != nullptr ? new CheckBoxAccessible(box) : nullptr;
}

QString translate(const char *text)
{
    return QCoreApplication::translate("KNVTCheckBox", text);
}

} // namespace

CheckBoxAccessible::CheckBoxAccessible(KNVTCheckBox *box) : QAccessibleWidget(box, QAccessible::CheckBox) {}

KNVTCheckBox *CheckBoxAccessible::box() const
{
    return static_cast<KNVTCheckBox *>(widget());
}

QString CheckBoxAccessible::text(QAccessible::Text t) const
{
    switch (t) {
    case QAccessible::Name: {
        QString name = QAccessibleWidget::text(t);
        if (name.isEmpty())
            name = widget()->toolTip();
        return name.isEmpty() ? translate("Completed") : name;
    }
    case QAccessible::Description: {
        const QString description = widget()->accessibleDescription();
        if (!description.isEmpty())
            return description;
        switch (box()->checkBoxState()) {
        case KNVTCheckBoxStateTick: return translate("Completed");
        case KNVTCheckBoxStateCross: return translate("Cancelled");
        default: return translate("Not completed");
        }
    }
    default: return QAccessibleWidget::text(t);
    }
}

QAccessible::State CheckBoxAccessible::state() const
{
    QAccessible::State state = QAccessibleWidget::state();
    state.checkable = true;
    state.checked = box()->checkBoxState() == KNVTCheckBoxStateTick;
    state.checkStateMixed = box()->checkBoxState() == KNVTCheckBoxStateCross;
    state.pressed = box()->isDown();
    return state;
}

QStringList CheckBoxAccessible::actionNames() const
{
    if (!widget()->isEnabled())
        return {};
    return {QAccessibleActionInterface::toggleAction(), QAccessibleActionInterface::pressAction()};
}

void CheckBoxAccessible::doAction(const QString &actionName)
{
    if (!widget()->isEnabled())
        return;
    // The owner hears the click and sets the new state from its item, as after a click with the mouse.
    if (actionName == QAccessibleActionInterface::toggleAction()
        || actionName == QAccessibleActionInterface::pressAction())
        box()->click();
}

void CheckBoxAccessible::install()
{
    static const bool installed = [] {
        QAccessible::installFactory(&createCheckBoxInterface);
        return true;
    }();
    Q_UNUSED(installed);
}

} // namespace knvt
