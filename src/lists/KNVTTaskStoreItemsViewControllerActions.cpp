#include "lists/KNVTTaskStoreItemsViewController.h"

#include "lists/KNVTApplicationServices.h"
#include "lists/KNVTMainWindowServices.h"
#include "lists/SavingAlertHandler.h"

#include "store/KNVTTaskStore.h"

#include "model/KNVTCDTask.h"
#include "model/KNVTCDTaskList.h"
#include "model/KNVTCDTaskWatcher.h"
#include "model/KNVTCDUser.h"

#include "uikit/AlertAdditions.h"
#include "uikit/Beeper.h"
#include "uikit/DeleteQuestion.h"

void KNVTTaskStoreItemsViewController::save()
{
    taskStore().saveLater(knvt::Opener::User);
}

// ---- Open and edit ----

void KNVTTaskStoreItemsViewController::viewSelectedItems(QObject *)
{
    viewSelectedTasks();
    viewSelectedTaskLists();
}

void KNVTTaskStoreItemsViewController::viewSelectedTasks()
{
    KNVTApplicationServices *services = KNVTApplicationServices::shared();
    if (!services)
        return;
    for (KNVTCDTask *task : selectedTasks())
        if (KNVTApplicationServices::TaskWindow *window = services->taskWindowControllerForTask(task))
            window->showWindow(this, knvt::Opener::User);
}

void KNVTTaskStoreItemsViewController::viewSelectedTaskLists()
{
    const TaskLists lists = selectedTaskLists();
    if (isInMainWindow() && lists.size() == 1)
        m_mainWindowServices->viewTaskList(lists.front());
}

void KNVTTaskStoreItemsViewController::editSelectedItems(QObject *sender)
{
    if (!canEditSelectedItems()) {
        knvt::Beeper::shared().beep();
        return;
    }
    editSelectedTasks(sender);
    editSelectedTaskLists();
}

void KNVTTaskStoreItemsViewController::editSelectedTasks(QObject *sender)
{
    const Tasks tasks = selectedTasks();
    if (tasks.empty())
        return;
    if (isInMainWindow()) {
        m_mainWindowServices->editSelectedItems(sender);
        return;
    }
    KNVTApplicationServices *services = KNVTApplicationServices::shared();
    if (!services)
        return;
    for (KNVTCDTask *task : tasks) {
        if (KNVTApplicationServices::TaskWindow *window = services->taskWindowControllerForTask(task)) {
            window->showWindow(this, knvt::Opener::User);
            window->edit(sender);
        }
    }
}

void KNVTTaskStoreItemsViewController::editSelectedTaskLists()
{
    const TaskLists lists = selectedTaskLists();
    if (isInMainWindow() && lists.size() == 1)
        m_mainWindowServices->editTaskList(lists.front());
}

// ---- Focus ----

void KNVTTaskStoreItemsViewController::moveSelectedItemsToInbox()
{
    taskStore().moveItemsToFocus(selectedItems(), KNVTFocusTypeInbox);
}

void KNVTTaskStoreItemsViewController::moveSelectedItemsToToday()
{
    taskStore().moveItemsToFocus(selectedItems(), KNVTFocusTypeToday);
}

void KNVTTaskStoreItemsViewController::removeSelectedItemsFromToday()
{
    taskStore().moveItemsToFocus(selectedItems(), KNVTFocusTypeNext);
}

void KNVTTaskStoreItemsViewController::moveSelectedItemsToNext()
{
    taskStore().moveItemsToFocus(selectedItems(), KNVTFocusTypeNext);
}

void KNVTTaskStoreItemsViewController::moveSelectedItemsToSomeday()
{
    taskStore().moveItemsToFocus(selectedItems(), KNVTFocusTypeSomeday);
}

void KNVTTaskStoreItemsViewController::removeSelectedItemsFromSomeday()
{
    moveSelectedItemsToNext();
}

void KNVTTaskStoreItemsViewController::scheduleSelectedItems()
{
    const Tasks tasks = selectedTasks();
    if (isInMainWindow() && !tasks.empty())
        m_mainWindowServices->presentScheduleTasksSheetForTasks(tasks);
    save();
}

// ---- Marks ----

void KNVTTaskStoreItemsViewController::markSelectedItemsAsCompleted()
{
    for (KNVTCDTask *task : selectedTasks())
        task->markAsCompleted();
    for (KNVTCDTaskList *list : selectedTaskLists())
        list->performMarkAsCompletedWithAlertHandler(knvt::savingAlertHandler(knvt::Opener::User));
    save();
}

void KNVTTaskStoreItemsViewController::markSelectedItemsAsUncompleted()
{
    for (KNVTCDTask *task : selectedTasks())
        task->markAsUncompleted();
    for (KNVTCDTaskList *list : selectedTaskLists())
        list->markAsUncompleted();
    save();
}

void KNVTTaskStoreItemsViewController::markSelectedItemsAsCancelled()
{
    for (KNVTCDTask *task : selectedTasks())
        task->markAsCancelled();
    for (KNVTCDTaskList *list : selectedTaskLists())
        list->performMarkAsCancelledWithAlertHandler(knvt::savingAlertHandler(knvt::Opener::User));
    save();
}

// ---- Watching ----

void KNVTTaskStoreItemsViewController::startWatchingSelectedItems()
{
    KNVTTaskStore &store = taskStore();
    if (KNVTCDUser *me = store.me())
        for (KNVTCDTask *task : selectedTasks())
            store.taskWatcherWithUser(me, task);
    save();
}

void KNVTTaskStoreItemsViewController::stopWatchingSelectedItems()
{
    KNVTTaskStore &store = taskStore();
    if (KNVTCDUser *me = store.me())
        for (KNVTCDTask *task : selectedTasks())
            if (KNVTCDTaskWatcher *watcher = store.taskWatcherForUser(me, task))
                store.removeTaskWatcher(watcher);
    save();
}

// ---- Archive ----

void KNVTTaskStoreItemsViewController::archiveSelectedItems()
{
    for (KNVTCDTaskList *list : selectedTaskLists())
        list->performArchiveWithAlertHandler(knvt::savingAlertHandler(knvt::Opener::User));
    for (KNVTCDTask *task : selectedTasks())
        task->setArchived(true);
    save();
}

void KNVTTaskStoreItemsViewController::unarchiveSelectedItems()
{
    for (KNVTCDTaskList *list : selectedTaskLists())
        list->setArchived(false);
    for (KNVTCDTask *task : selectedTasks())
        task->setArchived(false);
    save();
}

// ---- Delete ----

void KNVTTaskStoreItemsViewController::deleteSelectedItems()
{
    const Tasks tasks = selectedTasks();
    const TaskLists lists = selectedTaskLists();
    if (!tasks.empty() && lists.empty()) {
        deleteSelectedTasks(tasks);
        return;
    }
    if (tasks.empty() && !lists.empty()) {
        deleteSelectedTaskLists(lists);
        return;
    }
    if (tasks.empty() && lists.empty())
        return;
    if (knvt::runModal(knvt::deleteRequest(tr("Delete Items"), false, knvt::Opener::User)) != 0)
        return;
    // A list goes with its tasks, as it does wherever a list is removed; then the selected tasks.
    KNVTTaskStore &store = taskStore();
    for (KNVTCDTaskList *list : lists)
        store.removeTaskList(list);
    for (KNVTCDTask *task : tasks)
        if (!task->isDeleted())
            task->markAsDeleted();
    save();
}

void KNVTTaskStoreItemsViewController::deleteSelectedTasks(const Tasks &tasks)
{
    if (!knvt::confirmDeletingTasks(qsizetype(tasks.size()), knvt::Opener::User))
        return;
    for (KNVTCDTask *task : tasks)
        task->markAsDeleted();
    save();
}

void KNVTTaskStoreItemsViewController::deleteSelectedTaskLists(const TaskLists &lists)
{
    if (knvt::runModal(knvt::deleteRequest(tr("Delete Items"), false, knvt::Opener::User)) != 0)
        return;
    // Through the store, so that a synced list's tasks go with it instead of staying listed without their list.
    KNVTTaskStore &store = taskStore();
    for (KNVTCDTaskList *list : lists)
        store.removeTaskList(list);
    save();
}

// ---- Duplicate, move, assign ----

void KNVTTaskStoreItemsViewController::duplicateSelectedItems()
{
    for (KNVTCDTask *task : selectedTasks())
        task->duplicateTask();
    save();
}

void KNVTTaskStoreItemsViewController::moveSelectedItemsToTaskList(KNVTCDTaskList *destination)
{
    if (!destination)
        return;
    for (KNVTCDTask *task : selectedTasks())
        if (task->taskList() != destination)
            task->performMoveToTaskList(destination, knvt::savingAlertHandler(knvt::Opener::User));
    save();
}

void KNVTTaskStoreItemsViewController::detachSelectedItemsFromTaskList()
{
    for (KNVTCDTask *task : selectedTasks())
        if (task->taskList())
            task->performMoveToTaskList(nullptr, knvt::savingAlertHandler(knvt::Opener::User));
    save();
}

void KNVTTaskStoreItemsViewController::assignSelectedItemsToUser(KNVTCDUser *user)
{
    if (!user)
        return;
    for (KNVTCDTask *task : selectedTasks())
        if (task->assignee() != user)
            task->setAssignee(user);
    save();
}

// ---- Row buttons ----

void KNVTTaskStoreItemsViewController::toggleStatus(const QUrl &uri)
{
    KNVTTaskStore &store = taskStore();
    KNVTCDTaskStoreObject *object = store.objectForURI(uri);
    if (auto *task = dynamic_cast<KNVTCDTask *>(object)) {
        if (!store.canMarkTasks({task})) {
            knvt::Beeper::shared().beep();
            return;
        }
        if (task->isCompletedOrCancelled())
            task->markAsUncompleted();
        else
            task->markAsCompleted();
        store.saveUserChanges();
        return;
    }
    auto *list = dynamic_cast<KNVTCDTaskList *>(object);
    if (!list)
        return;
    if (!store.canMarkTaskLists({list})) {
        knvt::Beeper::shared().beep();
        return;
    }
    if (list->isCompletedOrCancelled()) {
        list->markAsUncompleted();
        store.saveUserChanges();
        return;
    }
    QPointer<KNVTTaskStoreItemsViewController> self(this);
    list->performMarkAsCompletedWithAlertHandler(knvt::savingAlertHandler(knvt::Opener::User), [self](bool completed) {
        QMetaObject::invokeMethod(
            &taskStore(),
            [self, completed] {
                if (completed)
                    taskStore().saveUserChanges();
                else if (self)
                    self->reloadData();
            },
            Qt::QueuedConnection);
    });
    // The box shows its old state again until the answer comes.
    reloadData();
}

void KNVTTaskStoreItemsViewController::toggleToday(const QUrl &uri)
{
    KNVTTaskStore &store = taskStore();
    if (KNVTCDTaskStoreObject *object = store.objectForURI(uri))
        store.toggleToday({object});
}

void KNVTTaskStoreItemsViewController::toggleArchive(const QUrl &uri)
{
    auto *list = dynamic_cast<KNVTCDTaskList *>(taskStore().objectForURI(uri));
    if (!list)
        return;
    list->performArchiveWithAlertHandler(knvt::savingAlertHandler(knvt::Opener::User), [](bool archived) {
        if (archived)
            taskStore().saveUserChanges();
    });
}
