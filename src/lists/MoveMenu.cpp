#include "lists/MoveMenu.h"

#include "lists/KNVTTaskStoreItemsViewController.h"

#include "store/KNVTTaskStore.h"

#include "model/KNVTCDTaskList.h"

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
    struct Entry
    {
        const char *title;
        const char *image;
        bool enabled;
        void (KNVTTaskStoreItemsViewController::*action)();
    };
    const Entry entries[] = {
        {QT_TRANSLATE_NOOP("KNVTTaskStoreItemsViewController", "Inbox"), "SL_InboxTemplate",
         list.canMoveSelectedItemsToInbox(), &KNVTTaskStoreItemsViewController::moveSelectedItemsToInbox},
        {QT_TRANSLATE_NOOP("KNVTTaskStoreItemsViewController", "Today"), "TB_StarTemplate",
         list.canMoveSelectedItemsToToday(), &KNVTTaskStoreItemsViewController::moveSelectedItemsToToday},
        {QT_TRANSLATE_NOOP("KNVTTaskStoreItemsViewController", "Next"), "SL_NextTemplate",
         list.canMoveSelectedItemsToNext(), &KNVTTaskStoreItemsViewController::moveSelectedItemsToNext},
        {QT_TRANSLATE_NOOP("KNVTTaskStoreItemsViewController", "Scheduled"), "SL_ScheduledTemplate",
         list.canScheduleSelectedItems(), &KNVTTaskStoreItemsViewController::scheduleSelectedItems},
        {QT_TRANSLATE_NOOP("KNVTTaskStoreItemsViewController", "Someday"), "SL_SomedayTemplate",
         list.canMoveSelectedItemsToSomeday(), &KNVTTaskStoreItemsViewController::moveSelectedItemsToSomeday},
    };
    QPointer<KNVTTaskStoreItemsViewController> target(&list);
    for (const Entry &entry : entries) {
        QAction *item =
            menu->addAction(templateImageFromMainBundleWithName(QString::fromLatin1(entry.image)), tr(entry.title));
        item->setEnabled(entry.enabled);
        QObject::connect(item, &QAction::triggered, &list, [target, action = entry.action] {
            if (target)
                ((*target).*action)();
        });
    }
    const bool canMove = list.canMoveSelectedItemsToTaskList();
    KNVTTaskStore &store = KNVTTaskStoreItemsViewController::taskStore();
    addLists(menu, list, store.activeProjects(), tr("Projects"), canMove);
    addLists(menu, list, store.activeAreas(), tr("Areas"), canMove);
}

} // namespace knvt
