#pragma once

#include "uikit/AccessibleRowActions.h"

#include <QAccessible>
#include <QModelIndex>
#include <QString>

namespace knvt {

// A tree or list view whose rows are painted, read by assistive technology through knvt::ItemViewAccessible: the view
// says what the list is called and what its painted buttons do, the model says what each row reads (its accessible
// text, description and check state). Its row actions are the row's painted buttons, in the order the row shows them:
// QAccessibleActionInterface::toggleAction() for a completion box the user may use, the button's name ("Archive") for
// the others.
class AccessibleItemView : public AccessibleRowActions
{
public:
    // The list's name when the view has no accessible name of its own ("Today", the project's title).
    virtual QString accessibleListName() const = 0;
    // What the list is (List for the item lists, Tree for a list whose sections open and close).
    virtual QAccessible::Role accessibleListRole() const { return QAccessible::List; }
    // Whether the user may close the row that has rows of its own at `index`; one that always stays open (a fixed
    // section) is read as neither expandable nor expanded. Asked only of a view whose items the user may open.
    virtual bool isRowCollapsible(const QModelIndex &index) const
    {
        Q_UNUSED(index);
        return true;
    }
};

} // namespace knvt
