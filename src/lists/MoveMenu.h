#pragma once

class KNVTTaskStoreItemsViewController;
class QMenu;

namespace knvt {

// The destinations of the Move To command for a list's selection, shared by the context menu and the main window's
// Move button: a "Focus" header over the window's own Move To Inbox, Move To Today (or Remove From Today), Move To
// Next, Schedule and Move To Someday (or Remove From Someday) actions, with their keys, then the active projects and
// the active areas under their headers, in the lists' own order. A project or area is enabled when the selection may
// move and the list takes tasks. `menu` is emptied and filled anew from the store; the list entries act on `list`
// when chosen.
void fillMoveMenu(QMenu &menu, KNVTTaskStoreItemsViewController &list);

} // namespace knvt
