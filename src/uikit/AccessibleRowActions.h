#pragma once

#include <QModelIndex>
#include <QString>
#include <QStringList>

namespace knvt {

// What a list whose rows paint their own controls (a check box, Edit and Delete buttons) lets assistive technology do
// with a row: a list view that implements it is read through RowListAccessible, whose rows offer these actions.
class AccessibleRowActions
{
public:
    virtual ~AccessibleRowActions() = default;

    // The row's actions as the user would name them ("Edit", "Delete"), in the order the row shows them; the
    // standard toggle action for a row's check box.
    virtual QStringList accessibleActionNames(const QModelIndex &row) const = 0;
    // Does what the row's control named `name` does when clicked; nothing for a name the row does not offer.
    virtual void performAccessibleAction(const QModelIndex &row, const QString &name) = 0;
};

} // namespace knvt
