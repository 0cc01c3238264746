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
    static const bool installed = [] {
        QAccessible::installFactory(&createCheckBoxInterface);
        return true;
    }();
    Q_UNUSED(installed);
}

} // namespace knvt
