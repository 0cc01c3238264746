#pragma once

#include "uikit/AccessibleRowActions.h"
#include "uikit/SelectionAfterRemoval.h"

#include <QListView>
#include <QStringList>

class QMenu;

namespace knvt {

// A list whose rows are painted by a delegate, buttons and check boxes included, made readable and workable without
// a mouse. Assistive technology reads it through the kit's RowListAccessible: each row as one element with its text,
// its description and, where it shows a check box, whether it is ticked; the buttons painted in a row (accept,
// decline, invite) and ticking a box the user may change are that element's actions. The model lists a row's buttons
// under RowActionsRole, in the order they are painted, with the titles they show.
//
// From the keyboard, Return, Enter or Space on a row with one button presses it; on a row with several they open the
// row's menu of its buttons, which the menu key, Shift+F10 and a right click also open. A press of a button by any of
// these ways, or by a click the delegate reports through triggerRowAction(), is announced by rowActionTriggered().
class PaintedRowList : public QListView, public AccessibleRowActions
{
    Q_OBJECT

public:
    // The titles (QStringList) of the buttons a row shows, translated.
    static constexpr int RowActionsRole = Qt::UserRole + 900;

    explicit PaintedRowList(QWidget *parent = nullptr);
    ~PaintedRowList() override;

    // The buttons of the row at `index`.
    static QStringList rowActions(const QModelIndex &index);
    // Presses button `action` of the row at `index`; nothing for a button the row does not show.
    void triggerRowAction(const QModelIndex &index, int action);

    // The menu of the row's buttons, or nullptr for a row without any; the caller owns it.
    QMenu *makeRowActionMenu(const QModelIndex &index);

    void setModel(QAbstractItemModel *model) override;

    QStringList accessibleActionNames(const QModelIndex &row) const override;
    void performAccessibleAction(const QModelIndex &row, const QString &name) override;

signals:
    void rowActionTriggered(const QModelIndex &index, int action);

protected:
    void rowsAboutToBeRemoved(const QModelIndex &parent, int start, int end) override;
    // A screen reader is told of the row the keys act on after the list that took the keyboard, so that it names the
    // person, not only the list; Qt tells of a row only when the keys move to another.
    void focusInEvent(QFocusEvent *event) override;
    void keyPressEvent(QKeyEvent *event) override;
    void contextMenuEvent(QContextMenuEvent *event) override;

private:
    SelectionAfterRemoval m_selectionAfterRemoval;
    void announceCurrentRow();
    void announceCheckStates(const QModelIndex &topLeft, const QModelIndex &bottomRight, const QList<int> &roles);
    void openRowActionMenu(const QModelIndex &index, const QPoint &globalPosition);
};

} // namespace knvt
