#pragma once

class KNVTTaskStoreItemsViewController;
class QMenu;

namespace knvt {

// The destinations of the Move To command for a list's selection, shared by the context menu and the main window's
// Move button: a "Focus" header over Inbox, Today, Next, Scheduled and Someday, then the active projects and the
// active areas under their headers, in the lists' own order. Each entry is enabled by the list's rule for it; a
// project or area also needs to take tasks. `menu` is emptied and filled anew from the store; its entries act on
// `list` when chosen.
void fillMoveMenu(QMenu &menu, KNVTTaskStoreItemsViewController &list);

} // namespace knvt
