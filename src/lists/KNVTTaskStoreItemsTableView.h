#pragma once

#include <QPointer>
#include <QTreeView>

class KNVTTaskStoreItemsTableViewController;

// The table of a table list: one column, no header, rows of their own heights. Keys become list commands: Tab and
// Back-tab move the focus through the host, Space does nothing, Ctrl+A and Ctrl+Shift+A select all and nothing,
// Ctrl+O opens, Return and Enter edit; the context menu is the controller's. Drops go to the controller.
class KNVTTaskStoreItemsTableView : public QTreeView
{
    Q_OBJECT

public:
    explicit KNVTTaskStoreItemsTableView(QWidget *parent = nullptr);

    KNVTTaskStoreItemsTableViewController *taskStoreItemsTableViewController() const { return m_controller; }
    void setTaskStoreItemsTableViewController(KNVTTaskStoreItemsTableViewController *controller);

protected:
    bool focusNextPrevChild(bool next) override;
    void keyPressEvent(QKeyEvent *event) override;
    void contextMenuEvent(QContextMenuEvent *event) override;
    void dragEnterEvent(QDragEnterEvent *event) override;
    void dragMoveEvent(QDragMoveEvent *event) override;
    void dropEvent(QDropEvent *event) override;

private:
    QPointer<KNVTTaskStoreItemsTableViewController> m_controller;
};
