#pragma once

#include "lists/AccessibleItemView.h"
#include "uikit/SelectionAfterRemoval.h"

#include <QPointer>
#include <QTreeView>

class KNVTTaskStoreItemsTableViewController;

// The table of a table list: one column, no header, rows of their own heights. Keys become list commands: Tab and
// Back-tab move the focus through the host, Space does nothing, Ctrl+A and Ctrl+Shift+A select all and nothing,
// Ctrl+O opens, Return and Enter edit; the context menu is the controller's. Drops go to the controller.
class KNVTTaskStoreItemsTableView : public QTreeView, public knvt::AccessibleItemView
{
    Q_OBJECT

public:
    explicit KNVTTaskStoreItemsTableView(QWidget *parent = nullptr);

    KNVTTaskStoreItemsTableViewController *taskStoreItemsTableViewController() const { return m_controller; }
    void setTaskStoreItemsTableViewController(KNVTTaskStoreItemsTableViewController *controller);

    // ---- knvt::AccessibleItemView ------------------------------------------------------------------------------
    QString accessibleListName() const override;
    QStringList accessibleActionNames(const QModelIndex &row) const override;
    void performAccessibleAction(const QModelIndex &row, const QString &name) override;

protected:
    void rowsAboutToBeRemoved(const QModelIndex &parent, int start, int end) override;
    void dataChanged(const QModelIndex &topLeft, const QModelIndex &bottomRight,
                     const QList<int> &roles = QList<int>()) override;
    bool focusNextPrevChild(bool next) override;
    QModelIndex moveCursor(CursorAction cursorAction, Qt::KeyboardModifiers modifiers) override;
    void keyPressEvent(QKeyEvent *event) override;
    void contextMenuEvent(QContextMenuEvent *event) override;
    void dragEnterEvent(QDragEnterEvent *event) override;
    void dragMoveEvent(QDragMoveEvent *event) override;
    void dropEvent(QDropEvent *event) override;

private:
    knvt::SelectionAfterRemoval m_selectionAfterRemoval;
    QPointer<KNVTTaskStoreItemsTableViewController> m_controller;
};
