#pragma once

#include <QPointer>

class QAction;
class QMenu;

namespace knvt {

// The menu-bar items whose titles, keys, enabled and hidden states follow the main window's selection. The
// application makes them once; each main window puts the menus into its menu bar and keeps these items current.
struct MenuBarItems
{
    QPointer<QMenu> fileMenu;
    QPointer<QMenu> editMenu;
    QPointer<QMenu> itemsMenu;
    QPointer<QMenu> viewMenu;
    QPointer<QMenu> windowMenu;
    QPointer<QMenu> helpMenu;

    QPointer<QAction> usersMenuItem;
    QPointer<QAction> toggleFullScreenMenuItem;
    QPointer<QAction> moveSelectedItemsToTodayMenuItem;
    QPointer<QAction> removeSelectedItemsFromTodayMenuItem;
    QPointer<QAction> moveSelectedItemsToSomedayMenuItem;
    QPointer<QAction> removeSelectedItemsFromSomedayMenuItem;
    QPointer<QAction> scheduleSelectedItemsMenuItem;
    QPointer<QAction> markSelectedItemsMenuItem;
    QPointer<QAction> markSelectedItemsAsCompletedMenuItem;
    QPointer<QAction> markSelectedItemsAsUncompletedMenuItem;
    QPointer<QAction> markSelectedItemsAsCancelledMenuItem;
    QPointer<QAction> deleteSelectedItemsMenuItem;
    QPointer<QAction> duplicateSelectedItemsMenuItem;
    QPointer<QAction> detachSelectedItemsFromTaskListMenuItem;
    QPointer<QAction> selectNextItemMenuItem;
    QPointer<QAction> selectPreviousItemMenuItem;
};

} // namespace knvt
