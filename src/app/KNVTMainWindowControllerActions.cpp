#include "app/KNVTMainWindowController.h"

#include "app/KNVTHomeViewController.h"
#include "app/KNVTMainWindowControllerDelegate.h"
#include "app/KNVTTaskStoreItemsNavigationController.h"
#include "app/WindowFactory.h"

#include "lists/KNVTTaskListItemsOutlineViewController.h"
#include "lists/KNVTTaskStoreItemsViewController.h"

#include "store/KNVTTaskStore.h"

#include "model/KNVTCDTag.h"
#include "model/KNVTCDTask.h"
#include "model/KNVTCDTaskList.h"

#include "foundation/Clock.h"
#include "foundation/DateAdditions.h"
#include "uikit/Announcement.h"
#include "uikit/Beeper.h"
#include "uikit/KeyboardOwner.h"
#include "uikit/Popover.h"
#include "uikit/TextInItsDirection.h"
#include "uikit/UnsavedTyping.h"

#include <QAbstractItemView>
#include <QApplication>
#include <QDialog>
#include <QLineEdit>
#include <QTimer>
#include <QToolButton>

#include <memory>
#include <utility>

QWidget *KNVTMainWindowController::anchorFor(QObject *sender)
{
    return qobject_cast<QWidget *>(sender);
}

void KNVTMainWindowController::openSheet(QPointer<QDialog> &slot, QDialog *sheet)
{
    if (!sheet)
        return;
    slot = sheet;
    sheet->setAttribute(Qt::WA_DeleteOnClose);
    sheet->setWindowModality(Qt::WindowModal);
    // Ending a sheet revalidates the toolbar once the sheet is gone.
    connect(sheet, &QDialog::finished, this,
            [this] { QTimer::singleShot(0, this, &KNVTMainWindowController::validateActions); });
    knvt::KeyboardOwner::open(sheet, knvt::Opener::User);
}

bool KNVTMainWindowController::togglePopover(QPointer<knvt::Popover> &slot)
{
    return slot && slot->closeUnlessTyping();
}

knvt::Popover *KNVTMainWindowController::openPopover(QPointer<knvt::Popover> &slot, QWidget *content, QWidget *anchor,
                                                     const QRect &rect)
{
    auto *popover = new knvt::Popover(this);
    popover->setAttribute(Qt::WA_DeleteOnClose);
    popover->setBehavior(knvt::Popover::Behavior::SemiTransient);
    popover->setAnimates(true);
    popover->setContentWidget(content);
    slot = popover;
    connect(popover, &knvt::Popover::closed, this, [this, popover](knvt::Popover::CloseReason reason) {
        if (popover == m_createTaskPopover) {
            m_createTaskForm.reset();
            // The keyboard goes to the list of the task saved there rather than back to where it was on the way. A
            // save the library refused made none, and the keyboard goes back.
            const QUrl made = std::exchange(m_taskMadeInPopover, QUrl());
            const ostore::Object *task =
                made.isEmpty() ? nullptr : KNVTTaskStore::defaultTaskStore()->objectForURI(made);
            // Only once the library took the task: a refused save leaves the form open, and the search with it.
            if (task && !task->isDeleted() && reason != knvt::Popover::CloseReason::Detached)
                endSearchNotFinding(made);
            QPointer<KNVTTaskStoreItemsViewController> list = currentTasksViewController();
            if (list && task && !task->isDeleted() && reason != knvt::Popover::CloseReason::Detached)
                if (QWidget *view = list->focusView(); view != nullptr && view->isVisible()) {
                    // The row is selected once the list has the keyboard, which the window system may grant a moment
                    // after the popover went, and in a later pass, so that a screen reader hears the list, then the
                    // new row; the row Qt would mark as the list takes the keyboard is let go first.
                    if (auto *items = qobject_cast<QAbstractItemView *>(view))
                        items->setCurrentIndex(QModelIndex());
                    const auto select = [list, made] {
                        QTimer::singleShot(0, list, [list, made] { list->selectObjectIfShown(made); });
                    };
                    auto once = std::make_shared<QMetaObject::Connection>();
                    *once = connect(qApp, &QApplication::focusChanged, list,
                                    [this, once, view, select](QWidget *, QWidget *now) {
                                        if (!now || now->window() != this)
                                            return;
                                        disconnect(*once);
                                        if (now == view)
                                            select();
                                    });
                    view->setFocus(Qt::OtherFocusReason);
                    if (view->hasFocus() && disconnect(*once))
                        select();
                }
        }
        // The keyboard goes back to where it was in this window, so that the user carries on from there; a popover
        // torn off into a window of its own keeps it, and a press in another window takes it there. One that closes
        // while the user is in another window or program (its task deleted by a sync) leaves that one in front with
        // the keys.
        const QWidget *userIn = QApplication::activeWindow();
        if (reason == knvt::Popover::CloseReason::Standard && isVisible() && (userIn == this || userIn == popover))
            activateWindow();
    });
    // A popover at a control near the window's edge (the New Task button) stays over the window, as one at a row of
    // the centre list does, rather than reaching past the window towards the screen's edge.
    QRect at = rect.isEmpty() ? anchor->rect() : rect;
    const int half = popover->sizeHint().width() / 2 + 1;
    if (isAncestorOf(anchor) && width() >= 2 * half) {
        const int centre = anchor->mapTo(this, at.center()).x();
        at.translate(qBound(half, centre, width() - half) - centre, 0);
    }
    popover->showRelativeTo(at, anchor, knvt::Opener::User);
    return popover;
}

// ---- New items ----

knvt::NewTaskValues KNVTMainWindowController::newTaskValuesForHomeSelection(bool withDates) const
{
    knvt::NewTaskValues values;
    KNVTTaskStore &store = *KNVTTaskStore::defaultTaskStore();
    for (const knvt::HomeEntry &entry : m_homeViewController->selectedItems()) {
        if (entry.kind == knvt::HomeEntry::Kind::TaskList) {
            values.taskList = dynamic_cast<KNVTCDTaskList *>(store.objectForURI(entry.uri));
        } else if (entry.kind == knvt::HomeEntry::Kind::Tag) {
            if (auto *tag = dynamic_cast<KNVTCDTag *>(store.objectForURI(entry.uri)); tag && !tag->isDeleted())
                values.tags.push_back(tag);
        } else if (entry.kind == knvt::HomeEntry::Kind::FocusList && withDates) {
            if (entry.focusType == KNVTFocusTypeToday)
                values.startDate = knvt::todayAtZeroHundredHours();
            else if (entry.focusType == KNVTFocusTypeScheduled)
                values.startDate = knvt::tomorrowAtZeroHundredHours();
            else if (entry.focusType == KNVTFocusTypeSomeday)
                values.status = KNVTTaskStatusSomeday;
        }
    }
    // A project or area opened over the home selection is where the user is looking: the new task goes there.
    if (m_itemsNavigationController->count() > 1)
        if (auto *pushed = dynamic_cast<KNVTTaskListItemsOutlineViewController *>(currentTasksViewController()))
            if (KNVTCDTaskList *list = pushed->taskList(); list && list->canAddTasks())
                values.taskList = list;
    return values;
}

void KNVTMainWindowController::newTaskPopover(QObject *sender)
{
    // New Task by its key or its menu entry while its form is open: the user asks for a form and has one, with the
    // keyboard in it; the title typed next goes there, never into the list. Only a click on the button the form stands
    // at closes an empty one, as a second click on a popover's button does.
    if (m_createTaskPopover && anchorFor(sender) == nullptr) {
        m_createTaskPopover->comeBack();
        return;
    }
    if (togglePopover(m_createTaskPopover))
        return;
    QToolButton *taskButton = toolbarButton(QStringLiteral("taskButton"));
    QWidget *anchor = anchorFor(sender);
    // A menu command opens the popover at the New Task button while the toolbar shows it.
    if (!anchor && taskButton && taskButton->isVisible())
        anchor = taskButton;
    knvt::WindowFactory &factory = knvt::WindowFactory::shared();
    if (!anchor) {
        std::unique_ptr<knvt::TaskNewWindow> window =
            factory.taskNewWindowController(newTaskValuesForHomeSelection(false));
        window->showWindow(knvt::Opener::User);
        if (m_delegate)
            m_delegate->takeOwnershipOfTaskNewWindowController(std::move(window));
        return;
    }
    m_createTaskForm = factory.taskNewViewController(newTaskValuesForHomeSelection(true), nullptr);
    m_createTaskForm->setInsertedHandler([this](const QUrl &uri) { m_taskMadeInPopover = uri; });
    knvt::Popover *popover = openPopover(m_createTaskPopover, m_createTaskForm->view(), anchor);
    popover->setDetachFactory([this](knvt::Popover *) -> QWidget * {
        if (!m_createTaskForm)
            return nullptr;
        std::unique_ptr<knvt::TaskNewWindow> window =
            knvt::WindowFactory::shared().taskNewWindowController(m_createTaskForm->values());
        QWidget *widget = window->window();
        knvt::UnsavedTyping::carryOver(m_createTaskPopover, widget);
        if (QLineEdit *title = window->form() ? window->form()->titleTextField() : nullptr)
            title->setFocus();
        if (m_delegate)
            m_delegate->takeOwnershipOfTaskNewWindowController(std::move(window));
        return widget;
    });
}

void KNVTMainWindowController::selectNewTask(const QUrl &uri)
{
    // The form tells of its task before its save, which it makes at once: only a task the library took ends the search
    // and is selected, in the list shown then; a refused save leaves the search as it was.
    QTimer::singleShot(0, this, [this, uri] {
        const ostore::Object *task = KNVTTaskStore::defaultTaskStore()->objectForURI(uri);
        if (!task || task->isInserted() || task->isDeleted())
            return;
        endSearchNotFinding(uri);
        if (KNVTTaskStoreItemsViewController *list = currentTasksViewController();
            list && !list->selectObjectIfShown(uri))
            list->selectObjectOnceShown(uri);
    });
}

void KNVTMainWindowController::endSearchNotFinding(const QUrl &uri)
{
    // A new task the search does not find would be saved out of sight.
    if (m_route.kind != Route::Kind::Search)
        return;
    KNVTTaskStore &store = *KNVTTaskStore::defaultTaskStore();
    auto *task = dynamic_cast<KNVTCDTask *>(store.objectForURI(uri));
    if (task == nullptr || store.evaluate(task, store.tasksForSearchTermPredicate(m_route.searchString)))
        return;
    m_searchField->clear();
    knvt::Announcement::announce(
        this, tr("The search ended to show the new task %1.").arg(knvt::isolatedText(task->title())));
}

void KNVTMainWindowController::newProjectSheet(QObject *)
{
    openSheet(m_projectNewWindowController, knvt::WindowFactory::shared().projectNewWindowController(this));
}

void KNVTMainWindowController::newAreaSheet(QObject *)
{
    openSheet(m_areaNewWindowController, knvt::WindowFactory::shared().areaNewWindowController(this));
}

void KNVTMainWindowController::newTagSheet(QObject *)
{
    openSheet(m_tagNewWindowController, knvt::WindowFactory::shared().tagNewWindowController(this));
}

void KNVTMainWindowController::notificationsSheet(QObject *sender)
{
    if (togglePopover(m_notificationsPopover))
        return;
    QWidget *anchor = anchorFor(sender);
    if (!anchor)
        anchor = toolbarButton(QStringLiteral("notificationsButton"));
    openPopover(m_notificationsPopover, knvt::WindowFactory::shared().notificationsViewController(nullptr), anchor);
}

void KNVTMainWindowController::commentOnSelectedTask(QObject *sender)
{
    if (togglePopover(m_composeTaskCommentPopover))
        return;
    KNVTCDTask *task = m_taskViewController ? m_taskViewController->task() : nullptr;
    if (!task)
        return;
    QWidget *anchor = anchorFor(sender) ? anchorFor(sender) : toolbarButton(QStringLiteral("commentButton"));
    openPopover(m_composeTaskCommentPopover,
                knvt::WindowFactory::shared().taskCommentNewViewController(task, QString(), nullptr), anchor);
}

void KNVTMainWindowController::assignSelectedTasks(QObject *sender)
{
    if (togglePopover(m_assignTaskPopover))
        return;
    KNVTTaskStoreItemsViewController *list = currentTasksViewController();
    const auto tasks = list ? list->selectedTasks() : KNVTTaskStoreItemsViewController::Tasks();
    if (tasks.empty())
        return;
    // Tasks of several lists share no people to offer: the "Delegate Tasks" sheet takes them together.
    if (tasks.size() > 1 && !KNVTTaskStoreItemsViewController::canAssignTasks(tasks, nullptr)) {
        presentAssignTasksSheetForTasks(tasks);
        return;
    }
    QWidget *anchor = anchorFor(sender) ? anchorFor(sender) : toolbarButton(QStringLiteral("assignButton"));
    openPopover(m_assignTaskPopover, knvt::WindowFactory::shared().tasksAssignViewController(tasks, nullptr), anchor);
}

// ---- Sheets of the lists ----

void KNVTMainWindowController::presentScheduleTasksSheetForTasks(const std::vector<KNVTCDTask *> &tasks)
{
    openSheet(m_scheduleTasksWindowController,
              knvt::WindowFactory::shared().scheduleTasksWindowController(tasks, this));
}

void KNVTMainWindowController::presentAssignTasksSheetForTasks(const std::vector<KNVTCDTask *> &tasks)
{
    openSheet(m_assignTasksWindowController, knvt::WindowFactory::shared().tasksAssignWindowController(tasks, this));
}

void KNVTMainWindowController::viewTaskList(KNVTCDTaskList *taskList)
{
    if (!taskList)
        return;
    knvt::WindowFactory &factory = knvt::WindowFactory::shared();
    if (taskList->isProject())
        openSheet(m_projectWindowController, factory.projectWindowController(taskList, this));
    else if (taskList->isArea())
        openSheet(m_areaWindowController, factory.areaWindowController(taskList, this));
}

void KNVTMainWindowController::editTaskList(KNVTCDTaskList *taskList)
{
    if (!taskList)
        return;
    knvt::WindowFactory &factory = knvt::WindowFactory::shared();
    if (taskList->isProject())
        openSheet(m_editProjectWindowController, factory.projectEditWindowController(taskList, this));
    else if (taskList->isArea())
        openSheet(m_editAreaWindowController, factory.areaEditWindowController(taskList, this));
}

// ---- View and edit ----

QWidget *KNVTMainWindowController::editAnchor(QWidget *source, QRect *rect) const
{
    *rect = QRect();
    if (source && source->window() == this)
        return source;
    KNVTCDTask *shown = m_taskViewController ? m_taskViewController->task() : nullptr;
    KNVTTaskStoreItemsViewController *list = currentTasksViewController();
    auto *view = list ? qobject_cast<QAbstractItemView *>(list->focusView()) : nullptr;
    if (shown && view && view->isVisible()) {
        if (const std::optional<int> row = list->cellIndexForObjectValue(shown->uri())) {
            const QRect visible = view->visualRect(list->indexForRow(*row)).intersected(view->viewport()->rect());
            if (!visible.isEmpty()) {
                *rect = visible;
                return view->viewport();
            }
        }
    }
    QToolButton *editButton = toolbarButton(QStringLiteral("editButton"));
    return editButton && editButton->isVisible() ? editButton : nullptr;
}

void KNVTMainWindowController::editSelectedItems(QObject *sender)
{
    KNVTCDTask *shown = m_taskViewController ? m_taskViewController->task() : nullptr;
    knvt::WindowFactory &factory = knvt::WindowFactory::shared();
    if (!shown) {
        KNVTTaskStoreItemsViewController *list = currentTasksViewController();
        if (!list || !m_delegate)
            return;
        for (KNVTCDTask *task : list->selectedTasks()) {
            if (!task->canEdit() || task->isArchived())
                continue;
            knvt::TaskWindow *window = m_delegate->taskWindowControllerForTask(task);
            window->showWindow(this, knvt::Opener::User);
            window->edit(sender);
        }
        return;
    }
    if (!shown->canEdit() || shown->isArchived()) {
        knvt::Beeper::shared().beep();
        return;
    }
    QRect rect;
    QWidget *anchor = editAnchor(qobject_cast<QWidget *>(sender), &rect);
    const bool hasWindow = m_delegate && m_delegate->hasTaskWindowControllerForTask(shown);
    if (isFullScreen()) {
        if (hasWindow) {
            knvt::TaskWindow *window = m_delegate->taskWindowControllerForTask(shown);
            window->showWindow(this, knvt::Opener::User);
            window->edit(this);
        } else if (anchor) {
            if (!togglePopover(m_taskEditPopover))
                openPopover(m_taskEditPopover, factory.taskEditViewController(shown, nullptr), anchor, rect);
        } else {
            openSheet(m_taskEditWindowController, factory.taskEditWindowController(shown, this));
        }
        return;
    }
    if (!hasWindow && anchor) {
        if (togglePopover(m_taskEditPopover))
            return;
        QWidget *content = factory.taskEditViewController(shown, nullptr);
        openPopover(m_taskEditPopover, content, anchor, rect);
        if (auto *title = content->findChild<QLineEdit *>(QStringLiteral("titleTextField")))
            title->setFocus();
        return;
    }
    if (m_delegate) {
        knvt::TaskWindow *window = m_delegate->taskWindowControllerForTask(shown);
        window->showWindow(this, knvt::Opener::User);
        window->edit(this);
    }
}

void KNVTMainWindowController::viewSelectedItems(QObject *)
{
    KNVTCDTask *shown = m_taskViewController ? m_taskViewController->task() : nullptr;
    if (isFullScreen() && shown) {
        if (m_delegate && m_delegate->hasTaskWindowControllerForTask(shown))
            m_delegate->taskWindowControllerForTask(shown)->showWindow(this, knvt::Opener::User);
        else
            openSheet(m_taskSheetWindowController,
                      knvt::WindowFactory::shared().taskSheetWindowController(shown, this));
        return;
    }
    KNVTTaskStoreItemsViewController *list = currentTasksViewController();
    if (!list || !m_delegate)
        return;
    for (KNVTCDTask *task : list->selectedTasks())
        m_delegate->taskWindowControllerForTask(task)->showWindow(this, knvt::Opener::User);
}

// ---- Actions handled here ----

void KNVTMainWindowController::sync()
{
    KNVTTaskStore &store = *KNVTTaskStore::defaultTaskStore();
    if (store.syncAccountState() != knvt::SyncAccountState::On) {
        knvt::Beeper::shared().beep();
        return;
    }
    store.sync();
}

void KNVTMainWindowController::toggleTodayForSelectedItems()
{
    if (KNVTTaskStoreItemsViewController *list = currentTasksViewController())
        KNVTTaskStore::defaultTaskStore()->toggleToday(list->selectedItems());
}
