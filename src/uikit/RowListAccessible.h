#pragma once

#include <QAccessibleWidget>
#include <QHash>

class QListView;

namespace knvt {

class AccessibleRowActions;

// What assistive technology reads of a list of painted rows whose view implements AccessibleRowActions: a list named
// by the view's accessible name and described by its accessible description, with one element for each row of the
// model. A row is named by the model's accessible text (its display text when there is none), described by its
// accessible description, checkable with its state when the model gives it a check state (a partly checked row is
// "mixed"), focused while it is the view's current row, selected while it is chosen, and offers the view's actions for
// it.
class RowListAccessible : public QAccessibleWidget
{
public:
    explicit RowListAccessible(QListView *view);
    ~RowListAccessible() override;

    QAccessible::State state() const override;
    int childCount() const override;
    QAccessibleInterface *child(int index) const override;
    int indexOfChild(const QAccessibleInterface *child) const override;
    QAccessibleInterface *focusChild() const override;

    // Makes every list view that implements AccessibleRowActions answer with this interface; such a view calls it
    // when it is made.
    static void install();

private:
    QListView *view() const;

    mutable QHash<int, QAccessible::Id> m_rows;
};

} // namespace knvt
