#include "lists/KNVTTaskStoreItemsTableView.h"

#include "lists/KNVTTaskStoreItemsTableViewController.h"
#include "lists/KNVTTaskStoreItemsViewControllerDelegate.h"

#include <QContextMenuEvent>
#include <QDragMoveEvent>
#include <QDropEvent>
#include <QKeyEvent>
#include <QMenu>
#include <QMimeData>

KNVTTaskStoreItemsTableView::KNVTTaskStoreItemsTableView(QWidget *parent) : QTreeView(parent)
{
    setObjectName(QStringLiteral("tableView"));
    setHeaderHidden(true);
    setRootIsDecorated(false);
    setItemsExpandable(false);
    setUniformRowHeights(false);
    setSelectionMode(QAbstractItemView::ExtendedSelection);
    setSelectionBehavior(QAbstractItemView::SelectRows);
    setEditTriggers(QAbstractItemView::NoEditTriggers);
    setVerticalScrollMode(QAbstractItemView::ScrollPerPixel);
    setDragEnabled(true);
    setDragDropMode(QAbstractItemView::DragDrop);
    setDefaultDropAction(Qt::MoveAction);
    setMouseTracking(true);
    setFrameShape(QFrame::NoFrame);
}

void KNVTTaskStoreItemsTableView::setTaskStoreItemsTableViewController(
    KNVTTaskStoreItemsTableViewController *controller)
{
    m_controller = controller;
}

bool KNVTTaskStoreItemsTableView::focusNextPrevChild(bool next)
{
    // Tab never reaches keyPressEvent of an item view; the host decides where the focus goes.
    if (!m_controller || !m_controller->taskStoreItemsViewControllerDelegate())
        return QTreeView::focusNextPrevChild(next);
    KNVTTaskStoreItemsViewControllerDelegate *delegate = m_controller->taskStoreItemsViewControllerDelegate();
    if (next)
        delegate->taskStoreItemsViewControllerShouldInsertTab(m_controller);
    else
        delegate->taskStoreItemsViewControllerShouldInsertBacktab(m_controller);
    return true;
}

void KNVTTaskStoreItemsTableView::keyPressEvent(QKeyEvent *event)
{
    if (!m_controller) {
        QTreeView::keyPressEvent(event);
        return;
    }
    const Qt::KeyboardModifiers modifiers = event->modifiers();
    const bool ctrl = modifiers.testFlag(Qt::ControlModifier);
    const bool shift = modifiers.testFlag(Qt::ShiftModifier);
    switch (event->key()) {
    case Qt::Key_Backtab: focusNextPrevChild(false); return;
    case Qt::Key_Tab: focusNextPrevChild(!shift); return;
    case Qt::Key_Space:
        // A space would toggle the selection of the current row.
        event->accept();
        return;
    case Qt::Key_A:
        if (ctrl && shift) {
            m_controller->deselectAllItems();
            return;
        }
        if (ctrl) {
            m_controller->selectAllItems();
            return;
        }
        break;
    case Qt::Key_O:
        if (ctrl) {
            m_controller->viewSelectedItems(this);
            return;
        }
        break;
    case Qt::Key_Return:
    case Qt::Key_Enter: m_controller->editSelectedItems(this); return;
    default: break;
    }
    QTreeView::keyPressEvent(event);
}

void KNVTTaskStoreItemsTableView::contextMenuEvent(QContextMenuEvent *event)
{
    if (!m_controller)
        return;
    QMenu *menu = m_controller->menuForEvent(this);
    menu->setAttribute(Qt::WA_DeleteOnClose);
    menu->popup(event->globalPos());
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
