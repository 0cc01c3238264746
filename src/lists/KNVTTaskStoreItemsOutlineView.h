#pragma once

#include "lists/AccessibleItemView.h"
#include "uikit/SelectionAfterRemoval.h"
#include <QModelIndex>
#include <QPersistentModelIndex>

#include <QPointer>
#include <QTreeView>

class KNVTTaskStoreItemsOutlineViewController;
class QMimeData;

// The view of an outline list: its sections and their rows, one column, no header, nothing to expand or collapse.
// Keys become list commands (Tab and Back-tab move the focus through the host, Space does nothing, Ctrl+A and
// Ctrl+Shift+A select every row and none, Ctrl+O opens, Return and Enter edit), the context menu is the controller's,
// and drags over it are validated by the controller, which may retarget them onto a section or into it at a
// position; the view draws where the drop would land.
class KNVTTaskStoreItemsOutlineView : public QTreeView, public knvt::AccessibleItemView
{
    Q_OBJECT

public:
    explicit KNVTTaskStoreItemsOutlineView(QWidget *parent = nullptr);

    KNVTTaskStoreItemsOutlineViewController *taskStoreItemsOutlineViewController() const { return m_controller; }
    void setTaskStoreItemsOutlineViewController(KNVTTaskStoreItemsOutlineViewController *controller);

    // Where a drop at `position` (viewport coordinates) is proposed, before the controller retargets it: onto a row
    // or a section (child index -1) near its middle, else between two rows of a section (the section and the child
    // index the drop would take); nowhere (the root) below the last row.
    void proposedDrop(const QPoint &position, QModelIndex *item, int *childIndex) const;

    // The drop indicator: a frame around the section and its rows when `childIndex` is -1, else a line where the
    // section's child `childIndex` would stand; an invalid item hides it.
    void setDropIndicator(const QModelIndex &item, int childIndex);
    QModelIndex dropIndicatorItem() const { return m_dropItem; }
    int dropIndicatorChildIndex() const { return m_dropChildIndex; }

    // Every item row of a section is as high as its first: the view then sizes its scroll bar from each section's
    // header and first row, where QTreeView asks every row of the list for its height each time it lays them out,
    // which a list of 100,000 rows cannot afford between two events.
    void setSectionRowsShareHeight(bool share) { m_sectionRowsShareHeight = share; }

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
    void dragLeaveEvent(QDragLeaveEvent *event) override;
    void dropEvent(QDropEvent *event) override;
    void paintEvent(QPaintEvent *event) override;
    void updateGeometries() override;

private:
    knvt::SelectionAfterRemoval m_selectionAfterRemoval;
    // The validated target of a drag at `position`; answers whether it may be dropped there.
    bool validate(const QMimeData &mime, const QPoint &position, bool fromThisProcess, QModelIndex *item,
                  int *childIndex);
    QRect dropIndicatorRect() const;

    QPointer<KNVTTaskStoreItemsOutlineViewController> m_controller;
    QPersistentModelIndex m_dropItem;
    int m_dropChildIndex = -1;
    bool m_sectionRowsShareHeight = false;
    bool m_updatingGeometries = false;
};
