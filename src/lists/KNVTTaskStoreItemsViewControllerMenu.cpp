#include "lists/KNVTTaskStoreItemsViewController.h"

#include "lists/MoveMenu.h"

#include "store/KNVTTaskStore.h"

#include "model/KNVTCDTaskList.h"
#include "model/KNVTCDTaskListCollaborator.h"
#include "model/KNVTCDUser.h"

#include "uikit/MenuAdditions.h"

#include <QCoreApplication>
#include <QMenu>

QMenu *KNVTTaskStoreItemsViewController::menuForEvent(QWidget *parent)
{
    auto *menu = new QMenu(tr("Contextual Menu"), parent);
    menu->setSeparatorsCollapsible(false);
    auto add = [this](QMenu *into, const QString &title, const QKeySequence &key, bool enabled, auto action) {
        QAction *item = into->addAction(title);
        item->setShortcut(key);
        item->setEnabled(enabled);
        QObject::connect(item, &QAction::triggered, this, action);
        return item;
    };

    // Today and Someday.
    if (shouldDisplayRemoveSelectedItemsFromToday())
        add(menu, tr("Remove From Today"), QKeySequence(QStringLiteral("Ctrl+T")), canRemoveSelectedItemsFromToday(),
            [this] { removeSelectedItemsFromToday(); });
    else
        add(menu, tr("Move To Today"), QKeySequence(QStringLiteral("Ctrl+T")), canMoveSelectedItemsToToday(),
            [this] { moveSelectedItemsToToday(); });
    if (shouldDisplayRemoveSelectedTasksFromSomeday())
        add(menu, tr("Remove From Someday"), QKeySequence(QStringLiteral("Ctrl+Y")),
            canRemoveSelectedItemsFromSomeday(), [this] { removeSelectedItemsFromSomeday(); });
    else
        add(menu, tr("Move To Someday"), QKeySequence(QStringLiteral("Ctrl+Y")), canMoveSelectedItemsToSomeday(),
            [this] { moveSelectedItemsToSomeday(); });
    const Items selection = selectedItems();
    add(menu, tr("Schedule"), QKeySequence(QStringLiteral("Ctrl+R")), taskStore().shouldDisplayScheduleItems(selection),
        [this] { scheduleSelectedItems(); });

    if (canArchiveSelectedItems()) {
        menu->addSeparator();
        add(menu, tr("Archive"), QKeySequence(), true, [this] { archiveSelectedItems(); });
    }
    if (canUnarchiveSelectedItems()) {
        menu->addSeparator();
        add(menu, tr("Unarchive"), QKeySequence(), true, [this] { unarchiveSelectedItems(); });
    }

    // Mark: each entry also needs its own rule, so a key can never mark what the rules refuse.
    auto *mark = new QMenu(tr("Mark"), menu);
    const bool c = shouldDisplayMarkSelectedItemsAsCompleted();
    const bool u = shouldDisplayMarkSelectedItemsAsUncompleted();
    const bool x = shouldDisplayMarkSelectedItemsAsCancelled();
    if (c)
        add(mark, tr("As Completed"), QKeySequence(QStringLiteral("Ctrl+.")), canMarkSelectedItemsAsCompleted(),
            [this] { markSelectedItemsAsCompleted(); });
    if (u)
        add(mark, tr("As Uncompleted"), c ? QKeySequence() : QKeySequence(QStringLiteral("Ctrl+.")),
            canMarkSelectedItemsAsUncompleted(), [this] { markSelectedItemsAsUncompleted(); });
    if (x)
        add(mark, tr("As Cancelled"), QKeySequence(QStringLiteral("Alt+Backspace")), canMarkSelectedItemsAsCancelled(),
            [this] { markSelectedItemsAsCancelled(); });
    if (canMarkSelectedItems()) {
        menu->addSeparator();
        menu->addMenu(mark);
    } else {
        delete mark;
    }

    const Tasks tasks = selectedTasks();
    const TaskLists lists = selectedTaskLists();
    if ((!tasks.empty() && lists.empty()) || (tasks.empty() && lists.size() == 1)) {
        menu->addSeparator();
        add(menu, tr("Open"), QKeySequence(QStringLiteral("Ctrl+O")), true, [this] { viewSelectedItems(); });
    }
    if ((canEditSelectedItems() && lists.empty()) || (tasks.empty() && lists.size() == 1))
        add(menu, tr("Edit"), QKeySequence(QStringLiteral("Ctrl+Return")), true, [this] { editSelectedItems(); });
    if (canDuplicateSelectedItems()) {
        menu->addSeparator();
        add(menu, tr("Duplicate"), QKeySequence(QStringLiteral("Ctrl+D")), true, [this] { duplicateSelectedItems(); });
    }

    KNVTCDTaskList *common = nullptr;
    if (canAssignSelectedItems() && canAssignTasks(tasks, &common) && common && common->isCollaborative()) {
        auto *assign = new QMenu(tr("Assign To"), menu);
        KNVTCDUser *me = taskStore().me();
        const QUrl meUri = me ? me->uri() : QUrl();
        QAction *meItem = add(assign, tr("Me"), QKeySequence(), me != nullptr, [this, meUri] {
            assignSelectedItemsToUser(dynamic_cast<KNVTCDUser *>(taskStore().objectForURI(meUri)));
        });
        meItem->setData(meUri);
        assign->addSeparator();
        for (KNVTCDTaskListCollaborator *collaborator : common->activeTaskListCollaborators()) {
            KNVTCDUser *user = collaborator->user();
            const QUrl userUri = user->uri();
            QAction *item = add(assign, user->extendedDisplayName(), QKeySequence(), true, [this, userUri] {
                assignSelectedItemsToUser(dynamic_cast<KNVTCDUser *>(taskStore().objectForURI(userUri)));
            });
            item->setData(userUri);
        }
        menu->addSeparator();
        menu->addMenu(assign);
    }

    menu->addSeparator();
    add(menu, tr("Delete"), QKeySequence(QStringLiteral("Ctrl+Backspace")), canDeleteSelectedItems(),
        [this] { deleteSelectedItems(); });

    if (!selection.empty()) {
        menu->addSeparator();
        QMenu *move = knvt::buildMoveMenu(*this, menu);
        move->setTitle(tr("Move To"));
        menu->addMenu(move);
    }
    return menu;
}
