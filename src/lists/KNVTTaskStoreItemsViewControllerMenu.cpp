#include "lists/KNVTTaskStoreItemsViewController.h"

#include "lists/KNVTMainWindowServices.h"
#include "lists/MoveMenu.h"

#include "store/KNVTTaskStore.h"

#include "model/KNVTCDTask.h"
#include "model/KNVTCDTaskList.h"
#include "model/KNVTCDTaskListCollaborator.h"
#include "model/KNVTCDUser.h"

#include "uikit/ActionSet.h"
#include "uikit/ShownAsTyped.h"

#include <QAction>
#include <QCoreApplication>
#include <QMenu>
#include <QWidget>

using knvt::Command;

knvt::ActionSet *KNVTTaskStoreItemsViewController::actions()
{
    if (m_mainWindowServices)
        if (knvt::ActionSet *set = m_mainWindowServices->actions())
            return set;
    if (!m_ownActions) {
        // A list standing alone is a window of its own, with the list commands and no others.
        QWidget *window = view();
        m_ownActions = new knvt::ActionSet(window,
                                           {Command::MoveToInbox,
                                            Command::MoveToToday,
                                            Command::RemoveFromToday,
                                            Command::MoveToNext,
                                            Command::MoveToSomeday,
                                            Command::RemoveFromSomeday,
                                            Command::Schedule,
                                            Command::Archive,
                                            Command::Unarchive,
                                            Command::Mark,
                                            Command::MarkAsCompleted,
                                            Command::MarkAsUncompleted,
                                            Command::MarkAsCancelled,
                                            Command::Open,
                                            Command::Edit,
                                            Command::Duplicate,
                                            Command::AssignTo,
                                            Command::Delete,
                                            Command::MoveTo,
                                            Command::DetachFromTaskList,
                                            Command::SelectNext,
                                            Command::SelectPrevious,
                                            Command::Print});
        m_ownActions->addPane(window);
        m_ownActions->setTarget(this);
    }
    return m_ownActions;
}

QMenu *KNVTTaskStoreItemsViewController::menuForEvent(QWidget *parent)
{
    knvt::ActionSet *set = actions();
    // The actions act on the list that has the keyboard focus: this one, from now on.
    if (QWidget *view = focusView())
        view->setFocus(Qt::OtherFocusReason);
    set->validate();
    auto *menu = new QMenu(tr("Contextual Menu"), parent);
    menu->setSeparatorsCollapsible(false);
    auto add = [menu, set](Command command) { menu->addAction(set->action(command)); };
    auto enabled = [set](Command command) { return set->action(command)->isEnabled(); };

    // Of each pair the one shown, with its key.
    add(set->action(Command::RemoveFromToday)->isVisible() ? Command::RemoveFromToday : Command::MoveToToday);
    add(set->action(Command::RemoveFromSomeday)->isVisible() ? Command::RemoveFromSomeday : Command::MoveToSomeday);
    add(Command::Schedule);
    if (enabled(Command::Archive)) {
        menu->addSeparator();
        add(Command::Archive);
    }
    if (enabled(Command::Unarchive)) {
        menu->addSeparator();
        add(Command::Unarchive);
    }
    if (enabled(Command::Mark)) {
        menu->addSeparator();
        add(Command::Mark);
    }
    const Tasks tasks = selectedTasks();
    const TaskLists lists = selectedTaskLists();
    if (enabled(Command::Open)) {
        menu->addSeparator();
        add(Command::Open);
    }
    // Several tasks and lists may be edited together, but not from here; one list alone is offered even when it may
    // not be edited (the command beeps).
    if ((enabled(Command::Edit) && lists.empty()) || (tasks.empty() && lists.size() == 1))
        add(Command::Edit);
    if (enabled(Command::Duplicate)) {
        menu->addSeparator();
        add(Command::Duplicate);
    }
    if (enabled(Command::AssignTo)) {
        menu->addSeparator();
        add(Command::AssignTo);
    }
    menu->addSeparator();
    add(Command::Delete);
    if (enabled(Command::MoveTo)) {
        menu->addSeparator();
        add(Command::MoveTo);
    }
    // A screen reader names the menu after what it acts on.
    const qsizetype count = qsizetype(tasks.size() + lists.size());
    if (count == 1)
        menu->setAccessibleName(tasks.empty() ? lists.front()->title() : tasks.front()->title());
    else
        menu->setAccessibleName(tr("%1 Selected Items").arg(count));
    return menu;
}

void KNVTTaskStoreItemsViewController::validateCommand(Command command, knvt::CommandState &state)
{
    // Asked on its own, a command makes a pass of its own.
    if (!m_validating) {
        beginValidation();
        validateCommand(command, state);
        endValidation();
        return;
    }
    const Selection &selection = *m_selectionReading;
    const bool empty = selection.items().empty();
    switch (command) {
    case Command::MoveToInbox: state.enabled = canMoveSelectedItemsToInbox(); return;
    case Command::MoveToNext: state.enabled = canMoveSelectedItemsToNext(); return;
    case Command::MoveToToday:
        state.visible = !shouldDisplayRemoveSelectedItemsFromToday();
        state.enabled = canMoveSelectedItemsToToday();
        return;
    case Command::RemoveFromToday:
        state.visible = shouldDisplayRemoveSelectedItemsFromToday();
        state.enabled = canRemoveSelectedItemsFromToday();
        return;
    case Command::MoveToSomeday:
        state.visible = !shouldDisplayRemoveSelectedTasksFromSomeday();
        state.enabled = canMoveSelectedItemsToSomeday();
        return;
    case Command::RemoveFromSomeday:
        state.visible = shouldDisplayRemoveSelectedTasksFromSomeday();
        state.enabled = canRemoveSelectedItemsFromSomeday();
        return;
    case Command::Schedule: state.enabled = canScheduleSelectedItems(); return;
    case Command::Archive: state.enabled = canArchiveSelectedItems(); return;
    case Command::Unarchive: state.enabled = canUnarchiveSelectedItems(); return;
    case Command::Mark: state.enabled = canMarkSelectedItems(); return;
    case Command::MarkAsCompleted:
    case Command::MarkAsUncompleted: {
        // Each mark also needs its own rule: a disabled Mark menu does not stop a key.
        const bool c = !empty && shouldDisplayMarkSelectedItemsAsCompleted();
        const bool u = !empty && shouldDisplayMarkSelectedItemsAsUncompleted();
        if (command == Command::MarkAsCompleted) {
            state.visible = c;
            state.enabled = canMarkSelectedItemsAsCompleted();
        } else {
            state.visible = u;
            state.enabled = canMarkSelectedItemsAsUncompleted();
            // With both shown, the key is Completed's.
            if (c)
                state.keys.clear();
        }
        return;
    }
    case Command::MarkAsCancelled:
        state.visible = !empty && shouldDisplayMarkSelectedItemsAsCancelled();
        state.enabled = canMarkSelectedItemsAsCancelled();
        return;
    case Command::Open: {
        const Tasks &tasks = selection.tasks();
        const TaskLists &lists = selection.taskLists();
        state.enabled = (!tasks.empty() && lists.empty()) || (tasks.empty() && lists.size() == 1);
        return;
    }
    case Command::Edit:
        state.enabled = canEditSelectedItems() || (selection.tasks().empty() && selection.taskLists().size() == 1);
        return;
    case Command::Duplicate: state.enabled = canDuplicateSelectedItems(); return;
    case Command::AssignTo: {
        KNVTCDTaskList *common = nullptr;
        state.enabled = canAssignSelectedItems() && canAssignTasks(selection.tasks(), &common) && common
            && common->isCollaborative();
        if (state.enabled && state.menu)
            fillAssignMenu(*state.menu);
        return;
    }
    case Command::Delete: state.enabled = canDeleteSelectedItems(); return;
    case Command::MoveTo:
        state.enabled = !empty;
        if (state.enabled && state.menu)
            knvt::fillMoveMenu(*state.menu, *this);
        return;
    case Command::DetachFromTaskList: state.enabled = canDetachSelectedItemsFromTaskList(); return;
    case Command::SelectNext:
    case Command::SelectPrevious: state.enabled = !empty; return;
    case Command::Print: state.enabled = true; return;
    default: return;
    }
}

void KNVTTaskStoreItemsViewController::performCommand(Command command, QWidget *source)
{
    keepCurrentRowInViewAfterCommand();
    switch (command) {
    case Command::MoveToInbox: moveSelectedItemsToInbox(); return;
    case Command::MoveToNext: moveSelectedItemsToNext(); return;
    case Command::MoveToToday: moveSelectedItemsToToday(); return;
    case Command::RemoveFromToday: removeSelectedItemsFromToday(); return;
    case Command::MoveToSomeday: moveSelectedItemsToSomeday(); return;
    case Command::RemoveFromSomeday: removeSelectedItemsFromSomeday(); return;
    case Command::Schedule: scheduleSelectedItems(); return;
    case Command::Archive: archiveSelectedItems(); return;
    case Command::Unarchive: unarchiveSelectedItems(); return;
    case Command::MarkAsCompleted: markSelectedItemsAsCompleted(); return;
    case Command::MarkAsUncompleted: markSelectedItemsAsUncompleted(); return;
    case Command::MarkAsCancelled: markSelectedItemsAsCancelled(); return;
    case Command::Open: viewSelectedItems(source); return;
    case Command::Edit: editSelectedItems(source); return;
    case Command::Duplicate: duplicateSelectedItems(); return;
    case Command::Delete: deleteSelectedItems(); return;
    case Command::DetachFromTaskList: detachSelectedItemsFromTaskList(); return;
    case Command::SelectNext: selectNextItem(); return;
    case Command::SelectPrevious: selectPreviousItem(); return;
    case Command::Print: print(); return;
    default: return;
    }
}

void KNVTTaskStoreItemsViewController::fillAssignMenu(QMenu &menu)
{
    for (QAction *action : menu.actions()) {
        menu.removeAction(action);
        if (action->parent() == &menu)
            action->deleteLater();
    }
    KNVTCDTaskList *common = nullptr;
    if (!canAssignTasks(selectedTasks(), &common) || !common)
        return;
    QPointer<KNVTTaskStoreItemsViewController> self(this);
    auto add = [&menu, self](const QString &title, const QUrl &userUri, bool enabled) {
        QAction *item = menu.addAction(title);
        item->setData(userUri);
        item->setEnabled(enabled);
        QObject::connect(item, &QAction::triggered, &menu, [self, userUri] {
            if (self)
                self->assignSelectedItemsToUser(dynamic_cast<KNVTCDUser *>(taskStore().objectForURI(userUri)));
        });
    };
    KNVTCDUser *me = taskStore().me();
    add(tr("Me"), me ? me->uri() : QUrl(), me != nullptr);
    menu.addSeparator();
    for (KNVTCDTaskListCollaborator *collaborator : common->activeTaskListCollaborators())
        if (KNVTCDUser *user = collaborator->user())
            add(knvt::menuItemText(user->extendedDisplayName()), user->uri(), true);
}
