#include "lists/MoveMenu.h"

#include "lists/KNVTTaskStoreItemsViewController.h"

#include "store/KNVTTaskStore.h"

#include "model/KNVTCDTaskList.h"

#include "uikit/ActionSet.h"
#include "uikit/ImageAdditions.h"
#include "uikit/ShownAsTyped.h"

#include <QCoreApplication>
#include <QMenu>
#include <QPointer>

#include <algorithm>

namespace knvt {

namespace {

QString tr(const char *text)
{
    return QCoreApplication::translate("KNVTTaskStoreItemsViewController", text);
}

QAction *addHeader(QMenu *menu, const QString &title)
{
    QAction *header = menu->addAction(title);
    header->setEnabled(false);
    return header;
}

void addLists(QMenu *menu, KNVTTaskStoreItemsViewController &list, std::vector<KNVTCDTaskList *> lists,
              const QString &header, bool canMove)
{
    if (lists.empty())
        return;
    std::stable_sort(lists.begin(), lists.end(), KNVTCDTaskList::taskListComparator());
    menu->addSeparator();
    addHeader(menu, header);
    const QIcon icon = templateImageFromMainBundleWithName(QStringLiteral("SL_TaskListTemplate"));
    QPointer<KNVTTaskStoreItemsViewController> target(&list);
    for (KNVTCDTaskList *taskList : lists) {
        QAction *item = menu->addAction(icon, menuItemText(taskList->title()));
        const QUrl uri = taskList->uri();
        item->setData(uri);
        // The list is not asked when the selection cannot move at all.
        item->setEnabled(canMove && taskList->canAddTasks());
        QObject::connect(item, &QAction::triggered, &list, [target, uri] {
            if (target)
                target->moveSelectedItemsToTaskList(
                    dynamic_cast<KNVTCDTaskList *>(KNVTTaskStoreItemsViewController::taskStore().objectForURI(uri)));
        });
    }
}

} // namespace

void fillMoveMenu(QMenu &filled, KNVTTaskStoreItemsViewController &list)
{
    QMenu *menu = &filled;
    // The entries of the last selection go, later: one of them may be the entry being chosen. The menu itself stays,
    // wherever it is shown.
    for (QAction *action : menu->actions()) {
        menu->removeAction(action);
        if (action->parent() == menu)
            action->deleteLater();
    }
    addHeader(menu, tr("Focus"));
    // The window's own actions, with their keys and enabling; of each pair that shares a key the menu shows only the
    // one the window shows.
    ActionSet *set = list.actions();
    for (Command command : {Command::MoveToInbox, Command::MoveToToday, Command::RemoveFromToday, Command::MoveToNext,
                            Command::Schedule, Command::MoveToSomeday, Command::RemoveFromSomeday})
        if (QAction *action = set->action(command))
            menu->addAction(action);
    const bool canMove = list.canMoveSelectedItemsToTaskList();
    KNVTTaskStore &store = KNVTTaskStoreItemsViewController::taskStore();
    addLists(menu, list, store.activeProjects(), tr("Projects"), canMove);
    addLists(menu, list, store.activeAreas(), tr("Areas"), canMove);
}

} // namespace knvt
