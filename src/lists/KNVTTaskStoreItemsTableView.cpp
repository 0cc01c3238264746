#include "lists/KNVTTaskStoreItemsTableView.h"

#include "lists/ItemViewAccessible.h"
#include "lists/ItemViews.h"
#include "lists/KNVTTaskStoreItemsTableViewController.h"

#include <QContextMenuEvent>
#include <QDragMoveEvent>
#include <QDropEvent>
#include <QMimeData>

KNVTTaskStoreItemsTableView::KNVTTaskStoreItemsTableView(QWidget *parent) : QTreeView(parent)
{
    setObjectName(QStringLiteral("tableView"));
    knvt::setUpItemView(this);
    knvt::ItemViewAccessible::install();
}

void KNVTTaskStoreItemsTableView::setTaskStoreItemsTableViewController(
    KNVTTaskStoreItemsTableViewController *controller)
{
    m_controller = controller;
}

QString KNVTTaskStoreItemsTableView::accessibleListName() const
{
    return m_controller ? m_controller->listTitle() : QString();
}

QStringList KNVTTaskStoreItemsTableView::accessibleActionNames(const QModelIndex &row) const
{
    return knvt::rowActionNames(row);
}

void KNVTTaskStoreItemsTableView::performAccessibleAction(const QModelIndex &row, const QString &name)
{
    knvt::performRowAction(m_controller, row, name);
}

QModelIndex KNVTTaskStoreItemsTableView::moveCursor(CursorAction cursorAction, Qt::KeyboardModifiers modifiers)
{
    const bool downwards = cursorAction == MoveDown || cursorAction == MovePageDown || cursorAction == MoveHome
        || cursorAction == MoveNext;
    return knvt::itemRowForCursor(this, downwards, QTreeView::moveCursor(cursorAction, modifiers));
}

void KNVTTaskStoreItemsTableView::dataChanged(const QModelIndex &topLeft, const QModelIndex &bottomRight,
                                              const QList<int> &roles)
{
    knvt::tellChangedRowsOnScreen(this, topLeft, bottomRight,
                                  [this, &roles](const QModelIndex &first, const QModelIndex &last) {
                                      QTreeView::dataChanged(first, last, roles);
                                  });
}

bool KNVTTaskStoreItemsTableView::focusNextPrevChild(bool next)
{
    // Tab never reaches keyPressEvent of an item view; the host decides where the focus goes.
    return knvt::moveFocusOutOfItemView(m_controller, next) || QTreeView::focusNextPrevChild(next);
}

void KNVTTaskStoreItemsTableView::keyPressEvent(QKeyEvent *event)
{
    if (knvt::handleItemViewKey(m_controller, event, this))
        return;
    QTreeView::keyPressEvent(event);
    knvt::selectRowAfterJump(this, event);
}

void KNVTTaskStoreItemsTableView::contextMenuEvent(QContextMenuEvent *event)
{
    knvt::showItemViewContextMenu(m_controller, this, event->globalPos());
}

void KNVTTaskStoreItemsTableView::dragEnterEvent(QDragEnterEvent *event)
{
    if (m_controller && event->mimeData()->hasFormat(QStringLiteral("KNVTTastStoreManagedObjectDragAndDropUTI"))
        && event->source() != nullptr)
        event->acceptProposedAction();
    else
        event->ignore();
}

void KNVTTaskStoreItemsTableView::dragMoveEvent(QDragMoveEvent *event)
{
    if (!m_controller) {
        event->ignore();
        return;
    }
    const int row = indexAt(event->position().toPoint()).row();
    if (m_controller->validateDrop(*event->mimeData(), row, event->source() != nullptr) == Qt::MoveAction) {
        event->setDropAction(Qt::MoveAction);
        event->accept();
    } else {
        event->ignore();
    }
}

void KNVTTaskStoreItemsTableView::dropEvent(QDropEvent *event)
{
    if (!m_controller) {
        event->ignore();
        return;
    }
    const int row = indexAt(event->position().toPoint()).row();
    if (m_controller->acceptDrop(*event->mimeData(), row, event->source() != nullptr)) {
        event->setDropAction(Qt::MoveAction);
        event->accept();
    } else {
        event->ignore();
    }
}

void KNVTTaskStoreItemsTableView::rowsAboutToBeRemoved(const QModelIndex &parent, int start, int end)
{
    m_selectionAfterRemoval.rowsAboutToBeRemoved(*this, parent, start, end);
    QTreeView::rowsAboutToBeRemoved(parent, start, end);
}
