#pragma once

#include <QItemSelection>
#include <QList>
#include <QModelIndex>
#include <QStringList>

#include <functional>
#include <vector>

class KNVTTaskStoreItemsViewController;
class QAbstractItemView;
class QItemSelectionModel;
class QKeyEvent;
class QPoint;
class QTreeView;
class QWidget;

namespace ostore {
class Object;
}

namespace knvt {

class ItemRowDelegate;
struct ItemRow;

// What the view of any item list, table or outline alike, is and does: its set-up, its row buttons, the keys, Tab and
// the context menu.

// One column without a header, nothing to expand by hand, rows of their own heights scrolled by the pixel, several
// rows selected at once, rows dragged out, no frame; the second click of a double click never reaches the buttons of
// a row other than the first click's.
void setUpItemView(QTreeView *view);

// The completion box and the archive button of a row act on the object of the row through the controller.
void connectRowButtons(ItemRowDelegate *delegate, KNVTTaskStoreItemsViewController *controller);

// Tab (`next`) or Back-tab in the view of `controller`: the list's host moves the keyboard focus to a neighbouring
// pane; the selection stays. False when there is no controller or host to ask, so that the view handles the key
// itself.
bool moveFocusOutOfItemView(KNVTTaskStoreItemsViewController *controller, bool next);

// The list's own keys: Space does nothing (a view would toggle the current row), Ctrl+A selects every item row,
// Ctrl+Shift+A none, and Return or Enter that the Edit action did not take (other modifiers) edit through it, or beep
// when the selection may not be edited. With nothing selected, the first arrow, Home, End or page key selects the row
// the keyboard is on. The commands' keys (Ctrl+O, Ctrl+T, ...) belong to the window's actions.
// True when `event` was one of them and has been handled; any other key is left to the view.
bool handleItemViewKey(KNVTTaskStoreItemsViewController *controller, QKeyEvent *event, QWidget *view);

// The row's painted buttons as a screen reader offers them: the completion box (when the user may use it) as the
// toggle action, a closed project's archive button as "Archive".
QStringList rowActionNames(const QModelIndex &index);
// Does what a click on the button does.
void performRowAction(KNVTTaskStoreItemsViewController *controller, const QModelIndex &index, const QString &name);

// Where the cursor keys go in an item list: the row `proposed` by the view when it is an item, else the nearest item
// beyond it in the direction of the key (`downwards` for Down, Page Down and Home; section headers are passed over),
// else where the cursor is now.
QModelIndex itemRowForCursor(QTreeView *view, bool downwards, const QModelIndex &proposed);

// After the view handled `event`: Home, End, Page Up or Page Down that left nothing selected select the row the
// keyboard is on.
void selectRowAfterJump(QAbstractItemView *view, QKeyEvent *event);

// A change of rows `topLeft` to `bottomRight` (one parent) as an item view hears of it: `tell` (the view's own
// dataChanged) gets only the rows on screen, and a screen reader still hears of all of them. A view places each
// changed row by walking the rows above it, so a sync that changes thousands of rows told whole would cost the
// square of their number; no other row needs telling, because a row's height follows from its kind alone.
void tellChangedRowsOnScreen(QTreeView *view, const QModelIndex &topLeft, const QModelIndex &bottomRight,
                             const std::function<void(const QModelIndex &, const QModelIndex &)> &tell);

// The rows of `indexes` (in the order shown) as one selection of whole rows: neighbouring rows of one parent make one
// range, so that a list selected whole holds one range per section and reading it back stays linear in its rows (Qt
// asks every range about every row it reports).
QItemSelection rowSelection(const QModelIndexList &indexes);
// The flat row number of each selected row of `selection`, read off its ranges, ascending and each once; `rowOf` maps
// a first-column index to its row number, or to -1 for a row that does not count (a section header).
QList<int> selectedRowNumbers(const QItemSelectionModel &selection,
                              const std::function<int(const QModelIndex &)> &rowOf);
// Selects exactly the item rows among `rows` (flat row numbers, in any order, repeats allowed), the first of them as
// the keyboard's row unless the keyboard's row is one of them; `itemIndex` maps a row number to its first-column index, or to an invalid one for a section
// header or a row past the end.
void selectRowNumbers(QItemSelectionModel &selection, const QList<int> &rows,
                      const std::function<QModelIndex(int)> &itemIndex);

// The object an item row shows, found by the identity the row keeps (reading its URI again would cost a parse for
// every selected row); nullptr for no row, a section header or an object the library no longer holds.
ostore::Object *objectOfItemRow(const ItemRow *row);
// The objects of type T that `rows` show, in their order; `itemRowOf` maps each of `rows` to its ItemRow.
template <class T, class Rows, class ItemRowOf>
std::vector<T *> objectsOfItemRows(const Rows &rows, const ItemRowOf &itemRowOf)
{
    std::vector<T *> result;
    result.reserve(size_t(rows.size()));
    for (const auto &row : rows)
        if (auto *object = dynamic_cast<T *>(objectOfItemRow(itemRowOf(row))))
            result.push_back(object);
    return result;
}

// Shows the list's context menu for its current selection at `globalPos`; the menu deletes itself when it closes.
void showItemViewContextMenu(KNVTTaskStoreItemsViewController *controller, QWidget *view, const QPoint &globalPos);

} // namespace knvt
