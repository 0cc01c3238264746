#include "lists/KNVTTaskStoreItemsViewController.h"

#include "lists/KNVTApplicationServices.h"
#include "lists/KNVTMainWindowServices.h"
#include "lists/KNVTTaskStoreItemsViewControllerDelegate.h"
#include "lists/RowChangeAnnouncement.h"

#include "store/KNVTTaskStore.h"
#include "store/TaskStoreChanges.h"

#include "model/KNVTCDTask.h"
#include "model/KNVTCDTaskList.h"

#include "foundation/Defaults.h"
#include "foundation/NotificationCenter.h"
#include "uikit/AccessibilityEvents.h"
#include "uikit/ActionSet.h"
#include "uikit/Announcement.h"
#include "uikit/Beeper.h"
#include "uikit/KNVTPreferenceKeys.h"
#include "uikit/SelectionAfterRemoval.h"

#include <QAbstractItemView>
#include <QWidget>

#include <utility>

KNVTTaskStoreItemsViewController::KNVTTaskStoreItemsViewController(KNVTTaskStoreItemsViewControllerDelegate *delegate,
                                                                   QObject *parent)
    : KNVTViewController(parent), m_delegate(delegate)
{
    knvt::NotificationCenter &center = knvt::NotificationCenter::defaultCenter();
    KNVTTaskStore *store = &taskStore();
    center.addObserver(QString::fromLatin1(KNVTTaskStoreWillChangeNotification), store, this,
                       [this](const knvt::Notification &) { taskStoreWillChangeNotification(); });
    center.addObserver(
        QString::fromLatin1(KNVTTaskStoreDidChangeNotification), store, this,
        [this](const knvt::Notification &notification) {
            // Also the clock's changes: Today's rules ask what day it is.
            forgetSelectionReading();
            const std::optional<ostore::ChangeSet> changes = knvt::TaskStoreChanges::fromNotification(notification);
            const knvt::ListRows *rows = listRows();
            QWidget *view = focusView();
            // Only the list the user is on speaks, and only to a listening reader.
            const bool told = rows != nullptr && view != nullptr && view->isVisible()
                && knvt::AccessibilityEvents::shared().isListening();
            const bool elsewhere = knvt::TaskStoreChanges::madeElsewhere(notification);
            const knvt::RowChangeAnnouncement announcement(told ? rows : nullptr, changes, elsewhere);
            {
                const knvt::SelectionAfterRemoval::MadeElsewhere rowsGone(elsewhere);
                taskStoreDidChangeNotification(changes);
            }
            if (told)
                knvt::Announcement::announce(view, announcement.text(*taskStore().managedObjectContext()));
            didApplyStoreChange();
        });
    center.addObserver(QString::fromLatin1(KNVTTaskNotesNumberOfPreviewLinesDidChangeNotification), nullptr, this,
                       [this](const knvt::Notification &) { numberOfPreviewLinesForTaskNotesDidChangeNotification(); });
}

KNVTTaskStoreItemsViewController::~KNVTTaskStoreItemsViewController()
{
    // The list's own actions outlive it a moment, with its view.
    if (m_ownActions)
        m_ownActions->setTarget(nullptr);
    knvt::NotificationCenter::defaultCenter().removeObservers(this);
}

void KNVTTaskStoreItemsViewController::setTaskStoreItemsViewControllerDelegate(
    KNVTTaskStoreItemsViewControllerDelegate *delegate)
{
    m_delegate = delegate;
}

KNVTTaskStore &KNVTTaskStoreItemsViewController::taskStore()
{
    return *KNVTTaskStore::defaultTaskStore();
}

void KNVTTaskStoreItemsViewController::selectionDidChange()
{
    forgetSelectionReading();
    if (m_delegate)
        m_delegate->taskStoreItemsViewControllerSelectionDidChange(this);
}

void KNVTTaskStoreItemsViewController::selectObjectOnceShown(const QUrl &uri)
{
    m_objectToSelect = uri;
}

void KNVTTaskStoreItemsViewController::keepCurrentRowInViewAfterCommand()
{
    auto *view = qobject_cast<QAbstractItemView *>(focusView());
    const QModelIndex current = view ? view->currentIndex() : QModelIndex();
    m_keepCurrentRowInView = current.isValid() && view->viewport()->rect().intersects(view->visualRect(current));
}

bool KNVTTaskStoreItemsViewController::selectObjectIfShown(const QUrl &uri)
{
    auto *view = qobject_cast<QAbstractItemView *>(focusView());
    const std::optional<int> row = view ? cellIndexForObjectValue(uri) : std::nullopt;
    if (!row)
        return false;
    selectRows({*row});
    view->scrollTo(indexForRow(*row));
    // The keyboard goes to the new task (from the home list too), so that Delete and Edit act on it; in a window that
    // is not active (a new-task window is), it is there when the window comes back.
    view->setFocus(Qt::OtherFocusReason);
    return true;
}

void KNVTTaskStoreItemsViewController::didApplyStoreChange()
{
    auto *view = qobject_cast<QAbstractItemView *>(focusView());
    if (!view)
        return;
    if (!m_objectToSelect.isEmpty()) {
        const QUrl uri = m_objectToSelect;
        if (selectObjectIfShown(uri)) {
            m_objectToSelect.clear();
        } else {
            const ostore::Object *object = taskStore().objectForURI(uri);
            if (!object || object->isDeleted() || !object->isInserted())
                m_objectToSelect.clear();
        }
    }
    // The command moved the row it acted on (a completed task goes under Completed): the view follows it, so that the
    // keyboard carries on from where the user sees the selection.
    if (std::exchange(m_keepCurrentRowInView, false) && view->currentIndex().isValid())
        view->scrollTo(view->currentIndex());
}

int KNVTTaskStoreItemsViewController::itemRowHeight()
{
    return knvt::Defaults::standard().value(QString::fromLatin1(KNVTTaskNotesNumberOfPreviewLines)).toInt() != 0 ? 90
                                                                                                                 : 50;
}

void KNVTTaskStoreItemsViewController::doubleAction()
{
    const Tasks tasks = selectedTasks();
    if (!tasks.empty() && mainWindowServices() && canEditSelectedItems()) {
        mainWindowServices()->viewSelectedItems(focusView());
        return;
    }
    if (!tasks.empty()) {
        if (KNVTApplicationServices *services = KNVTApplicationServices::shared())
            for (KNVTCDTask *task : tasks)
                if (KNVTApplicationServices::TaskWindow *window = services->taskWindowControllerForTask(task))
                    window->showWindow(this, knvt::Opener::User);
        return;
    }
    const TaskLists lists = selectedTaskLists();
    if (!lists.empty())
        if (KNVTTaskStoreItemsViewControllerDelegate *delegate = taskStoreItemsViewControllerDelegate())
            delegate->taskStoreItemsViewControllerItemWasDoubleClicked(this, lists.front());
}

void KNVTTaskStoreItemsViewController::print()
{
    knvt::Beeper::shared().beep();
}

void KNVTTaskStoreItemsViewController::selectNextItem()
{
    knvt::Beeper::shared().beep();
}

void KNVTTaskStoreItemsViewController::selectPreviousItem()
{
    knvt::Beeper::shared().beep();
}

bool KNVTTaskStoreItemsViewController::canAssignTasks(const Tasks &tasks, KNVTCDTaskList **taskList)
{
    return KNVTTaskStoreCapabilities::canAssignTasks(tasks, taskList);
}

// ---- Rules: every answer is the store's rule for the current selection ----

#define KNVT_ITEM_RULE(name, storeRule)                                                                                \
    bool KNVTTaskStoreItemsViewController::name()                                                                      \
    {                                                                                                                  \
        return askAboutSelection([](const Selection &selection) { return taskStore().storeRule(selection); });         \
    }

KNVT_ITEM_RULE(canEditSelectedItems, canEditItems)
KNVT_ITEM_RULE(canDeleteSelectedItems, canDeleteItems)
KNVT_ITEM_RULE(canMoveSelectedItemsToInbox, canMoveItemsToInbox)
KNVT_ITEM_RULE(canMoveSelectedItemsToToday, canMoveItemsToToday)
KNVT_ITEM_RULE(canRemoveSelectedItemsFromToday, canRemoveItemsFromToday)
KNVT_ITEM_RULE(canMoveSelectedItemsToNext, canMoveItemsToNext)
KNVT_ITEM_RULE(canRemoveSelectedItemsFromNext, canRemoveItemsFromNext)
KNVT_ITEM_RULE(canScheduleSelectedItems, canScheduleItems)
KNVT_ITEM_RULE(canMarkSelectedItems, canMarkItems)
KNVT_ITEM_RULE(canMarkSelectedItemsAsCompleted, canMarkItemsAsCompleted)
KNVT_ITEM_RULE(canMarkSelectedItemsAsUncompleted, canMarkItemsAsUncompleted)
KNVT_ITEM_RULE(canMarkSelectedItemsAsCancelled, canMarkItemsAsCancelled)
KNVT_ITEM_RULE(canAssignSelectedItems, canAssignItems)
KNVT_ITEM_RULE(canStartWatchingSelectedItems, canStartWatchingItems)
KNVT_ITEM_RULE(canStopWatchingSelectedItems, canStopWatchingItems)
KNVT_ITEM_RULE(canArchiveSelectedItems, canArchiveItems)
KNVT_ITEM_RULE(canUnarchiveSelectedItems, canUnarchiveSelectedItems)
KNVT_ITEM_RULE(canDuplicateSelectedItems, canDuplicateItems)
KNVT_ITEM_RULE(canMoveSelectedItemsToTaskList, canMoveItemsToTaskList)
KNVT_ITEM_RULE(canDetachSelectedItemsFromTaskList, canDetachItemsFromTaskList)
KNVT_ITEM_RULE(shouldDisplayRemoveSelectedItemsFromToday, shouldDisplayRemoveItemsFromToday)
KNVT_ITEM_RULE(shouldDisplayRemoveSelectedItemsFromSomeday, shouldDisplayRemoveItemsFromSomeday)
KNVT_ITEM_RULE(shouldDisplayMarkSelectedItemsAsCompleted, shouldDisplayMarkItemsAsCompleted)
KNVT_ITEM_RULE(shouldDisplayMarkSelectedItemsAsUncompleted, shouldDisplayMarkItemsAsUncompleted)
KNVT_ITEM_RULE(shouldDisplayMarkSelectedItemsAsCancelled, shouldDisplayMarkItemsAsCancelled)

#undef KNVT_ITEM_RULE

// Someday takes tasks only here: a project or area among the selection refuses both directions, although the
// store's item rule would move a mixed selection. Each selected task must pass the store's task rule.
bool KNVTTaskStoreItemsViewController::canMoveSelectedItemsToSomeday()
{
    return askAboutSelection([](const Selection &selection) {
        return selection.taskLists().empty()
            && selection.answer(taskStore(), &KNVTTaskStoreCapabilities::canMoveTasksToSomeday);
    });
}

bool KNVTTaskStoreItemsViewController::canRemoveSelectedItemsFromSomeday()
{
    return canMoveSelectedItemsToSomeday();
}

bool KNVTTaskStoreItemsViewController::shouldDisplayRemoveSelectedTasksFromSomeday()
{
    return askAboutSelection([](const Selection &selection) {
        return selection.answer(taskStore(), &KNVTTaskStoreCapabilities::shouldDisplayRemoveTasksFromSomeday);
    });
}

void KNVTTaskStoreItemsViewController::beginValidation()
{
    const ostore::Context *context = taskStore().managedObjectContext();
    const quint64 changeCount = context ? context->changeCount() : 0;
    if (!m_selectionReading || !context || changeCount != m_selectionReadingChangeCount) {
        m_selectionReading.emplace(selectedItems());
        m_selectionReadingChangeCount = changeCount;
    }
    m_validating = true;
}

void KNVTTaskStoreItemsViewController::endValidation()
{
    m_validating = false;
}
