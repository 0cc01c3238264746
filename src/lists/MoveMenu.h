#pragma once

class KNVTTaskStoreItemsViewController;
class QMenu;
class QWidget;

namespace knvt {

// The Move To menu of a list's selection, shared by the context menu and the main window's Move button: a "Focus"
// header over Inbox, Today, Next, Scheduled and Someday, then the active projects and the active areas under their
// headers, in the lists' own order. Each entry is enabled by the list's rule for it; a project or area also needs to
// take tasks. Built anew each time from the store; the entries act on `list` when chosen.
QMenu *buildMoveMenu(KNVTTaskStoreItemsViewController &list, QWidget *parent);

} // namespace knvt
