#pragma once

#include <QAccessible>
#include <QAccessibleInterface>
#include <QPersistentModelIndex>
#include <QPointer>

class QAbstractItemView;

namespace knvt {

// One painted row of a list, as assistive technology reads it. It has no widget of its own and stands for its row
// while the row exists: it is named by the model's accessible text (its display text when there is none), described
// by its accessible description, checkable with its state when the model gives a check state (a partly checked row is
// "mixed"), and offers the actions of the view when the view implements AccessibleRowActions.
class PaintedRowAccessible : public QAccessibleInterface, public QAccessibleActionInterface
{
public:
    PaintedRowAccessible(QAbstractItemView *view, const QModelIndex &index, QAccessible::Role role);

    const QPersistentModelIndex &index() const { return m_index; }

    bool isValid() const override;
    QObject *object() const override;
    QWindow *window() const override;
    QAccessibleInterface *parent() const override;
    QAccessibleInterface *child(int index) const override;
    QAccessibleInterface *childAt(int x, int y) const override;
    int childCount() const override;
    int indexOfChild(const QAccessibleInterface *child) const override;
    QString text(QAccessible::Text t) const override;
    void setText(QAccessible::Text t, const QString &text) override;
    QRect rect() const override;
    QAccessible::Role role() const override;
    // Invalid once the row is gone; otherwise invisible while scrolled out of sight, disabled as the model says, and
    // checked as the model says. What the user can do with the row (focus, select, open) each list adds.
    QAccessible::State state() const override;
    void *interface_cast(QAccessible::InterfaceType t) override;

    QStringList actionNames() const override;
    void doAction(const QString &actionName) override;
    QStringList keyBindingsForAction(const QString &actionName) const override;

protected:
    QAbstractItemView *view() const { return m_view.data(); }

private:
    QPointer<QAbstractItemView> m_view;
    QPersistentModelIndex m_index;
    QAccessible::Role m_role;
};

} // namespace knvt
