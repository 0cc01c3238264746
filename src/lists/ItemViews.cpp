#include "lists/ItemViews.h"

#include "lists/ItemRowDelegate.h"
#include "lists/KNVTTaskStoreItemsViewController.h"
#include "lists/KNVTTaskStoreItemsViewControllerDelegate.h"

#include "uikit/ActionSet.h"
#include "uikit/Beeper.h"

#include <QKeyEvent>
#include <QMenu>
#include <QTreeView>

namespace knvt {

void setUpItemView(QTreeView *view)
{
    view->setHeaderHidden(true);
    view->setRootIsDecorated(false);
    view->setItemsExpandable(false);
    view->setUniformRowHeights(false);
    view->setSelectionMode(QAbstractItemView::ExtendedSelection);
    view->setSelectionBehavior(QAbstractItemView::SelectRows);
    view->setEditTriggers(QAbstractItemView::NoEditTriggers);
    view->setVerticalScrollMode(QAbstractItemView::ScrollPerPixel);
    view->setDragEnabled(true);
    view->setDragDropMode(QAbstractItemView::DragDrop);
    view->setDefaultDropAction(Qt::MoveAction);
    view->setMouseTracking(true);
    view->setFrameShape(QFrame::NoFrame);
}

void connectRowButtons(ItemRowDelegate *delegate, KNVTTaskStoreItemsViewController *controller)
{
    QObject::connect(delegate, &ItemRowDelegate::checkBoxClicked, controller,
                     [controller](const QUrl &uri) { controller->toggleStatus(uri); });
    QObject::connect(delegate, &ItemRowDelegate::archiveButtonClicked, controller,
                     [controller](const QUrl &uri) { controller->toggleArchive(uri); });
}

bool moveFocusOutOfItemView(KNVTTaskStoreItemsViewController *controller, bool next)
{
    KNVTTaskStoreItemsViewControllerDelegate *delegate =
        controller ? controller->taskStoreItemsViewControllerDelegate() : nullptr;
    if (!delegate)
        return false;
    if (next)
        delegate->taskStoreItemsViewControllerShouldInsertTab(controller);
    else
        delegate->taskStoreItemsViewControllerShouldInsertBacktab(controller);
    return true;
}

bool handleItemViewKey(KNVTTaskStoreItemsViewController *controller, QKeyEvent *event, QWidget *)
{
    if (!controller)
        return false;
    const Qt::KeyboardModifiers modifiers = event->modifiers();
    const bool ctrl = modifiers.testFlag(Qt::ControlModifier);
    const bool shift = modifiers.testFlag(Qt::ShiftModifier);
    switch (event->key()) {
    case Qt::Key_Backtab: return moveFocusOutOfItemView(controller, false);
    case Qt::Key_Tab: return moveFocusOutOfItemView(controller, !shift);
    case Qt::Key_Space: event->accept(); return true;
    case Qt::Key_A:
        if (ctrl && shift) {
            controller->deselectAllItems();
            return true;
        }
        if (ctrl) {
            controller->selectAllItems();
            return true;
        }
        return false;
    case Qt::Key_Return:
    case Qt::Key_Enter:
        // Return and Enter are the Edit command's keys; they arrive here with other modifiers, or when the selection
        // may not be edited, which beeps.
        if (!controller->actions()->activate(Command::Edit))
            Beeper::shared().beep();
        return true;
    default: return false;
    }
}

void showItemViewContextMenu(KNVTTaskStoreItemsViewController *controller, QWidget *view, const QPoint &globalPos)
{
    if (!controller)
        return;
    QMenu *menu = controller->menuForEvent(view);
    menu->setAttribute(Qt::WA_DeleteOnClose);
    menu->popup(globalPos);
}

} // namespace knvt
