#include "lists/ItemViews.h"

#include "lists/ItemRowDelegate.h"

#include "lists/KNVTTaskStoreItemsViewController.h"
#include "lists/KNVTTaskStoreItemsViewControllerDelegate.h"
#include "uikit/SecondClickGuard.h"

#include "lists/ItemRow.h"
#include "lists/KNVTProjectTableCellView.h"

#include "store/KNVTTaskStore.h"

#include "objectstore/Context.h"

#include "uikit/ActionSet.h"
#include "uikit/Beeper.h"

#include <QAccessible>
#include <QAccessibleActionInterface>

#include <QItemSelectionModel>
#include <QKeyEvent>
#include <QMenu>
#include <QTreeView>

#include <algorithm>

namespace knvt {

namespace {

bool isItemRow(const QModelIndex &index)
{
    return index.isValid() && index.flags().testFlag(Qt::ItemIsSelectable);
}

// Selects the keyboard's row when nothing is selected; false when there was a selection or no such row.
bool selectKeyboardRow(QAbstractItemView *view)
{
    QItemSelectionModel *selection = view->selectionModel();
    if (!selection || selection->hasSelection() || !isItemRow(view->currentIndex()))
        return false;
    selection->select(view->currentIndex(), QItemSelectionModel::ClearAndSelect | QItemSelectionModel::Rows);
    return true;
}

} // namespace

QItemSelection rowSelection(const QModelIndexList &indexes)
{
    QItemSelection selection;
    QModelIndex top;
    QModelIndex bottom;
    for (const QModelIndex &index : indexes) {
        if (bottom.isValid() && index.parent() == bottom.parent() && index.row() == bottom.row() + 1) {
            bottom = index;
            continue;
        }
        if (top.isValid())
            selection.append(QItemSelectionRange(top, bottom));
        top = bottom = index;
    }
    if (top.isValid())
        selection.append(QItemSelectionRange(top, bottom));
    return selection;
}

QList<int> selectedRowNumbers(const QItemSelectionModel &selection,
                              const std::function<int(const QModelIndex &)> &rowOf)
{
    QList<int> rows;
    const QItemSelection ranges = selection.selection();
    for (const QItemSelectionRange &range : ranges) {
        const QModelIndex parent = range.parent();
        const QAbstractItemModel *model = range.model();
        for (int row = range.top(); row <= range.bottom(); ++row)
            if (const int number = rowOf(model->index(row, 0, parent)); number >= 0)
                rows << number;
    }
    // Two ranges may hold one row (a row added to a selection that had it).
    std::sort(rows.begin(), rows.end());
    rows.erase(std::unique(rows.begin(), rows.end()), rows.end());
    return rows;
}

void selectRowNumbers(QItemSelectionModel &selection, const QList<int> &rows,
                      const std::function<QModelIndex(int)> &itemIndex)
{
    QList<int> sorted = rows;
    std::sort(sorted.begin(), sorted.end());
    sorted.erase(std::unique(sorted.begin(), sorted.end()), sorted.end());
    QModelIndexList items;
    for (int row : std::as_const(sorted))
        if (const QModelIndex index = itemIndex(row); index.isValid())
            items << index;
    selection.select(rowSelection(items), QItemSelectionModel::ClearAndSelect | QItemSelectionModel::Rows);
    // The keyboard's row stays where it is when it is selected (Ctrl+A neither moves it nor scrolls the view to the
    // top, and a screen reader hears of no other row); else the first of the rows asked for becomes the keyboard's.
    if (const QModelIndex current = selection.currentIndex(); current.isValid() && items.contains(current))
        return;
    for (int row : rows)
        if (const QModelIndex index = itemIndex(row); index.isValid()) {
            selection.setCurrentIndex(index, QItemSelectionModel::NoUpdate);
            break;
        }
}

ostore::Object *objectOfItemRow(const ItemRow *row)
{
    if (!row || row->isHeader())
        return nullptr;
    ostore::Context *context = KNVTTaskStoreItemsViewController::taskStore().managedObjectContext();
    return context ? context->existingObject(row->objectID) : nullptr;
}

void selectRowAfterJump(QAbstractItemView *view, QKeyEvent *event)
{
    // Home, End and the page keys may land on the row the keyboard was already on, which the view does not select.
    switch (event->key()) {
    case Qt::Key_Home:
    case Qt::Key_End:
    case Qt::Key_PageUp:
    case Qt::Key_PageDown:
        if (!(event->modifiers() & ~Qt::KeypadModifier))
            selectKeyboardRow(view);
        return;
    default: return;
    }
}

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
    // A completed task leaves its place at the first click; the second must not tick the row that slid under it.
    SecondClickGuard::install(view);
}

void tellChangedRowsOnScreen(QTreeView *view, const QModelIndex &topLeft, const QModelIndex &bottomRight,
                             const std::function<void(const QModelIndex &, const QModelIndex &)> &tell)
{
    const int rows = bottomRight.row() - topLeft.row() + 1;
    if (rows <= 1 || !view->isVisible() || topLeft.parent() != bottomRight.parent()) {
        tell(topLeft, bottomRight);
        return;
    }
    const QRect first = view->visualRect(topLeft);
    const QRect last = view->visualRect(bottomRight);
    const int height = first.height();
    // Rows of one height one under another, as the rows of a section are: where each stands follows from the first.
    if (height <= 0 || last.top() != first.top() + (rows - 1) * height) {
        tell(topLeft, bottomRight);
        return;
    }
    const int top = first.top();
    const int bottom = view->viewport()->height();
    const int shownFrom = std::max(0, top < 0 ? -top / height : 0);
    const int shownTo = bottom > top ? std::min(rows - 1, (bottom - top - 1) / height) : -1;
    const auto row = [&topLeft](int offset) { return topLeft.siblingAtRow(topLeft.row() + offset); };
    const auto announce = [view, &row, &bottomRight](int from, int to) {
        if (from > to || !QAccessible::isActive())
            return;
        QAccessibleTableModelChangeEvent event(view, QAccessibleTableModelChangeEvent::DataChanged);
        event.setFirstRow(row(from).row());
        event.setLastRow(row(to).row());
        event.setFirstColumn(0);
        event.setLastColumn(bottomRight.column());
        QAccessible::updateAccessibility(&event);
    };
    if (shownFrom > shownTo) {
        announce(0, rows - 1);
        return;
    }
    announce(0, shownFrom - 1);
    tell(row(shownFrom), row(shownTo).siblingAtColumn(bottomRight.column()));
    announce(shownTo + 1, rows - 1);
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

bool handleItemViewKey(KNVTTaskStoreItemsViewController *controller, QKeyEvent *event, QWidget *view)
{
    if (!controller)
        return false;
    const Qt::KeyboardModifiers modifiers = event->modifiers();
    const bool ctrl = modifiers.testFlag(Qt::ControlModifier);
    const bool shift = modifiers.testFlag(Qt::ShiftModifier);
    switch (event->key()) {
    case Qt::Key_Up:
    case Qt::Key_Down:
        // A list that takes the keyboard with nothing selected marks its first row as the keyboard's; the first arrow
        // selects that row instead of leaving it behind (a list of one row could not be chosen otherwise).
        if (auto *items = qobject_cast<QAbstractItemView *>(view);
            items && !(modifiers & ~Qt::KeypadModifier) && selectKeyboardRow(items))
            return true;
        return false;
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

QStringList rowActionNames(const QModelIndex &index)
{
    const auto *row = index.data(ItemRowRole).value<const ItemRow *>();
    QStringList names;
    if (row == nullptr)
        return names;
    if ((row->kind == ItemRowKind::Task || row->kind == ItemRowKind::Project) && row->checkBoxEnabled)
        names << QAccessibleActionInterface::toggleAction();
    if (KNVTProjectTableCellView::showsArchiveButton(*row))
        names << ActionSet::title(Command::Archive);
    return names;
}

void performRowAction(KNVTTaskStoreItemsViewController *controller, const QModelIndex &index, const QString &name)
{
    const auto *row = index.data(ItemRowRole).value<const ItemRow *>();
    if (controller == nullptr || row == nullptr || !rowActionNames(index).contains(name))
        return;
    // The row's URI, not the row: the action may change the rows.
    const QUrl uri = row->uri;
    if (name == QAccessibleActionInterface::toggleAction())
        controller->toggleStatus(uri);
    else
        controller->toggleArchive(uri);
}

QModelIndex itemRowForCursor(QTreeView *view, bool downwards, const QModelIndex &proposed)
{
    if (!proposed.isValid() || isItemRow(proposed))
        return proposed;
    for (QModelIndex index = proposed; index.isValid();
         index = downwards ? view->indexBelow(index) : view->indexAbove(index))
        if (isItemRow(index))
            return index;
    // Nothing beyond the header in that direction (the first section's header above the first row): stay.
    const QModelIndex current = view->currentIndex();
    if (isItemRow(current))
        return current;
    for (QModelIndex index = proposed; index.isValid();
         index = downwards ? view->indexAbove(index) : view->indexBelow(index))
        if (isItemRow(index))
            return index;
    return {};
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
