#pragma once

#include <QHash>
#include <QListView>
#include <QPersistentModelIndex>
#include <QStringList>

class QAccessibleInterface;
class QMenu;

namespace knvt {

// A list whose rows are painted by a delegate, buttons and check boxes included, made readable and workable without
// a mouse. Each row reads as one element to assistive technology: its text as its name, its description, whether it
// is chosen and, where it shows a check box, whether it is ticked; the buttons painted in it (accept, decline,
// invite) are actions of that element. The model lists a row's buttons under RowActionsRole, in the order they are
// painted, with the titles they show.
//
// From the keyboard, Return, Enter or Space on a row with one button presses it; on a row with several they open the
// row's menu of its buttons, which the menu key, Shift+F10 and a right click also open. A press of a button by any of
// these ways, or by a click the delegate reports through triggerRowAction(), is announced by rowActionTriggered().
class PaintedRowList : public QListView
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

    // The element of the row at `row` (one of the view's accessible children), kept while the row lasts.
    QAccessibleInterface *accessibleRow(int row);

    void setModel(QAbstractItemModel *model) override;

    // Makes Qt's accessibility read every PaintedRowList this way; idempotent.
    static void installAccessibility();

signals:
    void rowActionTriggered(const QModelIndex &index, int action);

protected:
    void keyPressEvent(QKeyEvent *event) override;
    void contextMenuEvent(QContextMenuEvent *event) override;

private:
    void forgetRows(const QModelIndex &parent, int first, int last);
    void forgetAllRows();
    void announceCheckStates(const QModelIndex &topLeft, const QModelIndex &bottomRight, const QList<int> &roles);
    void openRowActionMenu(const QModelIndex &index, const QPoint &globalPosition);

    QHash<QPersistentModelIndex, unsigned int> m_rowInterfaces;
};

} // namespace knvt
