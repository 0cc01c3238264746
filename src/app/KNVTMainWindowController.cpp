#include "app/KNVTMainWindowController.h"

#include "app/KNVTHomeOutlineView.h"
#include "app/KNVTHomeViewController.h"
#include "app/KNVTMainWindowControllerDelegate.h"
#include "app/KNVTNoTaskViewController.h"
#include "app/KNVTTaskStoreItemsNavigationController.h"
#include "app/WindowFactory.h"

#include "lists/ItemRow.h"
#include "lists/KNVTItemsListFactory.h"
#include "lists/KNVTTaskListItemsOutlineViewController.h"
#include "lists/KNVTTaskStoreItemsViewController.h"
#include "lists/KNVTTaskTableCellView.h"

#include "store/KNVTTaskStore.h"

#include "model/KNVTCDTag.h"
#include "model/KNVTCDTask.h"
#include "model/KNVTCDTaskList.h"

#include "objectstore/Folding.h"

#include "foundation/NotificationCenter.h"
#include "foundation/StringAdditions.h"
#include "foundation/ThreadAdditions.h"
#include "uikit/ActionSet.h"
#include "uikit/ImageAdditions.h"
#include "uikit/ItemDataRole.h"
#include "uikit/Popover.h"
#include "uikit/WaitingWindowLine.h"

#include <QAbstractItemView>
#include <QApplication>
#include <QCloseEvent>
#include <QDialog>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMenuBar>
#include <QScopedValueRollback>
#include <QSplitter>
#include <QTimer>
#include <QToolBar>
#include <QToolButton>
#include <QVBoxLayout>
#include <QWindow>

namespace {

constexpr int kLeftMinimum = 160;
constexpr int kLeftMaximum = 400;
constexpr int kPaneMinimum = 300;

QWidget *container(const QString &name, QWidget *parent)
{
    auto *widget = new QWidget(parent);
    widget->setObjectName(name);
    auto *layout = new QVBoxLayout(widget);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    return widget;
}

void place(QWidget *child, QWidget *containerView)
{
    child->setParent(containerView);
    containerView->layout()->addWidget(child);
    child->show();
}

} // namespace

KNVTMainWindowController::KNVTMainWindowController(KNVTMainWindowControllerDelegate *delegate) : m_delegate(delegate)
{
    setObjectName(QStringLiteral("mainWindow"));
    setWindowTitle(tr("Quillvane"));
    setAttribute(Qt::WA_DeleteOnClose, false);
    using knvt::Command;
    m_actions = new knvt::ActionSet(this,
                                    {Command::NewTask,
                                     Command::NewProject,
                                     Command::NewArea,
                                     Command::NewTag,
                                     Command::Print,
                                     Command::Close,
                                     Command::Quit,
                                     Command::ToggleFullScreen,
                                     Command::People,
                                     Command::Preferences,
                                     Command::ContactUs,
                                     Command::GoToWaitingWindow,
                                     Command::Delete,
                                     Command::Duplicate,
                                     Command::SelectNext,
                                     Command::SelectPrevious,
                                     Command::MoveToInbox,
                                     Command::MoveToToday,
                                     Command::MoveToNext,
                                     Command::RemoveFromToday,
                                     Command::MoveToSomeday,
                                     Command::RemoveFromSomeday,
                                     Command::Schedule,
                                     Command::Mark,
                                     Command::MarkAsCompleted,
                                     Command::MarkAsUncompleted,
                                     Command::MarkAsCancelled,
                                     Command::DetachFromTaskList,
                                     Command::Archive,
                                     Command::Unarchive,
                                     Command::Open,
                                     Command::Edit,
                                     Command::AssignTo,
                                     Command::MoveTo,
                                     Command::GetInfo,
                                     Command::Share,
                                     Command::StopSharing,
                                     Command::ResendInvitations,
                                     Command::Unsubscribe,
                                     Command::Notifications,
                                     Command::Sync,
                                     Command::Assign,
                                     Command::Comment,
                                     Command::ToggleToday});
    m_homeViewController = std::make_unique<KNVTHomeViewController>(this);
    m_itemsNavigationController = std::make_unique<KNVTTaskStoreItemsNavigationController>();
    m_noTaskViewController = new KNVTNoTaskViewController;
    buildWindow();
    // Lists met later, search results among them, draw tasks in a font the first list may not have used.
    KNVTTaskTableCellView::prepareFonts();
    m_actions->setTarget(this);
    connect(m_actions, &knvt::ActionSet::validated, this, &KNVTMainWindowController::presentNotificationsCount);
    // The selection's commands follow the pane that takes the keyboard focus.
    connect(qApp, &QApplication::focusChanged, this, [this](QWidget *, QWidget *now) {
        if (now && now->window() == this)
            validateActions();
    });

    knvt::NotificationCenter &center = knvt::NotificationCenter::defaultCenter();
    center.addObserver(QString::fromLatin1(KNVTTaskStoreDidChangeNotification), nullptr, this,
                       [this](const knvt::Notification &) {
                           updateListHeading();
                           validateAfterListsReselect();
                       });
    center.addObserver(QString::fromLatin1(KNVTTaskStoreSyncSettingsDidChangeNotification), nullptr, this,
                       [this](const knvt::Notification &) { validateActions(); });
    // The window opens with the keyboard on its list: a title typed at once is no search that finds nothing, and no
    // caret blinks in an idle window.
    focus(currentListView(), Qt::OtherFocusReason);
}

KNVTMainWindowController::~KNVTMainWindowController()
{
    // The panes go first below; nothing may ask them about the commands while they do.
    disconnect(qApp, nullptr, this, nullptr);
    disconnect(m_actions, nullptr, this, nullptr);
    if (m_watchedHandle)
        disconnect(m_watchedHandle, nullptr, this, nullptr);
    m_actions->setTarget(nullptr);
    knvt::NotificationCenter::defaultCenter().removeObservers(this);
    for (QPointer<knvt::Popover> *popover : {&m_createTaskPopover, &m_notificationsPopover,
                                             &m_composeTaskCommentPopover, &m_assignTaskPopover, &m_taskEditPopover})
        delete popover->data();
    // The lists of the centre stack hold this window as their host; they go first.
    m_itemsNavigationController->setViewControllers({});
    m_taskViewController.reset();
    m_homeViewController.reset();
}

void KNVTMainWindowController::buildWindow()
{
    buildToolbar();
    buildMenuBar();

    m_splitView = new QSplitter(Qt::Horizontal, this);
    m_splitView->setObjectName(QStringLiteral("splitView"));
    m_splitView->setChildrenCollapsible(false);
    m_leftSplitContainerView = container(QStringLiteral("leftSplitContainerView"), m_splitView);
    m_centerContainerView = container(QStringLiteral("centerContainerView"), m_splitView);
    m_rightSplitContainerView = container(QStringLiteral("rightSplitContainerView"), m_splitView);
    // Every pane keeps its minimum whatever the window's width: the window cannot be made narrower than their sum.
    m_leftSplitContainerView->setMinimumWidth(kLeftMinimum);
    m_leftSplitContainerView->setMaximumWidth(kLeftMaximum);
    m_centerContainerView->setMinimumWidth(kPaneMinimum);
    m_rightSplitContainerView->setMinimumWidth(kPaneMinimum);
    for (int i = 0; i < 3; ++i)
        m_splitView->setCollapsible(i, false);
    m_splitView->setStretchFactor(0, 0);
    m_splitView->setStretchFactor(1, 1);
    m_splitView->setStretchFactor(2, 1);
    setCentralWidget(m_splitView);
    setMinimumWidth(kLeftMinimum + 2 * kPaneMinimum + 2 * m_splitView->handleWidth());
    resize(1100, 700);
    m_splitView->setSizes({220, 440, 440});

    m_listHeadingTextField = new QLabel(m_centerContainerView);
    m_listHeadingTextField->setObjectName(QStringLiteral("listHeadingTextField"));
    // A project's title as the user or a collaborator typed it.
    m_listHeadingTextField->setTextFormat(Qt::PlainText);
    m_listHeadingTextField->setContentsMargins(8, 4, 8, 4);
    QFont headingFont = m_listHeadingTextField->font();
    headingFont.setBold(true);
    m_listHeadingTextField->setFont(headingFont);
    // One line over the list, however much room the pane has: the list takes the rest.
    m_listHeadingTextField->setSizePolicy(QSizePolicy::Preferred, QSizePolicy::Fixed);
    m_listHeadingTextField->hide();
    m_centerContainerView->layout()->addWidget(m_listHeadingTextField);
    place(m_itemsNavigationController->view(), m_centerContainerView);
    // Return in the centre list edits its selection.
    m_actions->addPane(m_centerContainerView);
    place(m_noTaskViewController, m_rightSplitContainerView);
    showPlaceholder(tr("No Task Selected"));
    // Loading the home list selects Inbox, which installs the first centre list.
    place(m_homeViewController->view(), m_leftSplitContainerView);
}

KNVTTaskStoreItemsViewController *KNVTMainWindowController::currentTasksViewController() const
{
    return dynamic_cast<KNVTTaskStoreItemsViewController *>(m_itemsNavigationController->topViewController().get());
}

bool KNVTMainWindowController::isFullScreen() const
{
    return windowState().testFlag(Qt::WindowFullScreen);
}

// ---- Home selection and search ----

void KNVTMainWindowController::homeViewControllerDidSelectItems(KNVTHomeViewController *,
                                                                const std::vector<knvt::HomeEntry> &items)
{
    // The commands on the home list's entry follow its selection.
    validateActions();
    // Another list chosen during a search: the search ends with the list it chose, not the one shown before it.
    clearSearchFieldQuietly();
    m_listBeforeSearch.reset();
    showHomeSelection(items);
}

void KNVTMainWindowController::clearSearchFieldQuietly()
{
    if (m_searchField->text().isEmpty())
        return;
    // Not under a signal blocker: the field's clear button follows the same signal and would stay shown.
    m_clearingSearchField = true;
    m_searchField->clear();
    m_clearingSearchField = false;
}

void KNVTMainWindowController::showHomeSelection(const std::vector<knvt::HomeEntry> &items)
{
    if (items.empty())
        return;
    const knvt::HomeEntry &first = items.front();
    KNVTItemsListFactory &factory = KNVTItemsListFactory::shared();
    const int depth = m_itemsNavigationController->count();
    Route route;
    switch (first.kind) {
    case knvt::HomeEntry::Kind::TaskList: {
        if (depth == 1 && m_route.kind == Route::Kind::TaskList && m_route.taskList == first.uri)
            return;
        auto *list = dynamic_cast<KNVTCDTaskList *>(KNVTTaskStore::defaultTaskStore()->objectForURI(first.uri));
        if (!list)
            return;
        route.kind = Route::Kind::TaskList;
        route.taskList = first.uri;
        installList(factory.taskListItems(this, list), route);
        return;
    }
    case knvt::HomeEntry::Kind::FocusList:
        // Choosing the list shown again goes back to it from whatever was opened above it.
        if (depth >= 1 && m_route.kind == Route::Kind::FocusList && m_route.focusType == first.focusType) {
            popToRootList();
            return;
        }
        route.kind = Route::Kind::FocusList;
        route.focusType = first.focusType;
        installList(factory.focusTaskListItems(this, first.focusType), route);
        return;
    case knvt::HomeEntry::Kind::Item:
        if (depth >= 1 && m_route.kind == Route::Kind::TaskLists) {
            popToRootList();
            return;
        }
        route.kind = Route::Kind::TaskLists;
        installList(factory.taskListsItems(this), route);
        return;
    case knvt::HomeEntry::Kind::Tag: {
        // The tasks that carry every chosen tag.
        std::vector<KNVTCDTag *> tags;
        for (const knvt::HomeEntry &entry : items) {
            if (entry.kind != knvt::HomeEntry::Kind::Tag)
                continue;
            route.tags << entry.uri;
            if (auto *tag = dynamic_cast<KNVTCDTag *>(KNVTTaskStore::defaultTaskStore()->objectForURI(entry.uri)))
                tags.push_back(tag);
        }
        if (depth == 1 && m_route.kind == Route::Kind::Tags && m_route.tags == route.tags)
            return;
        route.kind = Route::Kind::Tags;
        installList(factory.tagsItems(this, tags), route);
        return;
    }
    }
}

void KNVTMainWindowController::installList(const std::shared_ptr<KNVTTaskStoreItemsViewController> &list,
                                           const Route &route)
{
    if (!list)
        return;
    if (route.kind != Route::Kind::Search)
        m_listBeforeSearch.reset();
    m_route = route;
    list->setMainWindowServices(this);
    {
        const QScopedValueRollback replacing(m_replacingList, true);
        m_itemsNavigationController->setRootViewController(list, false);
    }
    if (QWidget *view = list->focusView())
        view->installEventFilter(this);
    updateListHeading();
    keyboardToTheListShown();
    taskStoreItemsViewControllerSelectionDidChange(list.get());
}

void KNVTMainWindowController::keyboardToTheListShown()
{
    if (std::exchange(m_keyboardToTheNextList, false))
        focus(currentListView(), Qt::OtherFocusReason);
}

void KNVTMainWindowController::popToRootList()
{
    if (m_itemsNavigationController->count() < 2)
        return;
    {
        const QScopedValueRollback replacing(m_replacingList, true);
        m_itemsNavigationController->popToRootViewControllerAnimated(false);
    }
    updateListHeading();
    keyboardToTheListShown();
    taskStoreItemsViewControllerSelectionDidChange(currentTasksViewController());
}

void KNVTMainWindowController::updateListHeading()
{
    // A list opened above the home selection's list names what it shows; the home selection names the others.
    QString title;
    if (m_itemsNavigationController->count() > 1)
        if (auto *list = dynamic_cast<KNVTTaskListItemsOutlineViewController *>(currentTasksViewController()))
            if (const KNVTCDTaskList *taskList = list->taskList())
                title = taskList->title();
    m_listHeadingTextField->setText(title);
    m_listHeadingTextField->setAccessibleName(title);
    m_listHeadingTextField->setVisible(!title.isEmpty());
}

void KNVTMainWindowController::searchTextDidChange(const QString &text)
{
    if (m_clearingSearchField)
        return;
    // Spaces around the words are no part of the search, and spaces alone search for nothing: the list stays as it
    // was.
    const QString searched = knvt::trimmedString(text);
    if (!searched.isEmpty()) {
        if (m_route.kind == Route::Kind::Search && m_route.searchString == searched)
            return;
        if (m_route.kind != Route::Kind::Search) {
            rememberListBeforeSearch();
            forgetEarlierSearchesTyping();
        }
        Route route;
        route.kind = Route::Kind::Search;
        route.searchString = searched;
        installList(KNVTItemsListFactory::shared().searchItems(this, searched), route);
        return;
    }
    if (m_route.kind != Route::Kind::Search)
        return;
    // Back to the list of the home selection, as it was before the search.
    m_route = Route();
    validateActions();
    // The list kept aside comes back with its own selection and scroll, which are those it showed.
    if (const std::shared_ptr<KNVTTaskStoreItemsViewController> kept = std::exchange(m_listBeforeSearch, nullptr)) {
        installList(kept, m_routeBeforeSearch);
        return;
    }
    // No list was shown when the search began.
    showHomeSelection(m_homeViewController->selectedItems());
}

void KNVTMainWindowController::forgetEarlierSearchesTyping()
{
    // The field's undo kept every key typed into it and every clearing, search after search, for as long as the window
    // lived. A search begins from a field with nothing to search: its undo goes back to that and no further.
    const QString typed = m_searchField->text();
    const int cursor = m_searchField->cursorPosition();
    m_clearingSearchField = true;
    m_searchField->setText(QString());
    m_searchField->insert(typed);
    m_searchField->setCursorPosition(cursor);
    m_clearingSearchField = false;
}

void KNVTMainWindowController::rememberListBeforeSearch()
{
    // The home selection's list is kept whatever was opened above it: that list goes with the search, and clearing the
    // search goes back to the home selection's list as it stood under it, with its own selection and scroll.
    m_listBeforeSearch =
        std::dynamic_pointer_cast<KNVTTaskStoreItemsViewController>(m_itemsNavigationController->rootViewController());
    m_routeBeforeSearch = m_route;
}

// ---- Right pane ----

void KNVTMainWindowController::taskStoreItemsViewControllerSelectionDidChange(KNVTTaskStoreItemsViewController *list)
{
    // A list kept out of sight (under a search, or under a list opened above it) follows the store, and its selection
    // with it; the right pane shows the selection of the list shown.
    if (list && list != currentTasksViewController())
        return;
    const KNVTTaskStoreItemsViewController::Tasks tasks =
        list ? list->selectedTasks() : KNVTTaskStoreItemsViewController::Tasks();
    const bool detailHadKeyboard = m_taskViewController && m_taskViewController->view()->isAncestorOf(focusWidget());
    if (tasks.size() == 1) {
        KNVTCDTask *task = tasks.front();
        if (m_noTaskViewController)
            m_noTaskViewController->hide();
        if (!m_taskViewController || m_taskViewController->task() != task) {
            if (m_taskViewController && m_taskViewController->task() == nullptr) {
                m_taskViewController->setTask(task);
            } else {
                m_taskViewController = knvt::WindowFactory::shared().taskViewController(task);
                // The detail's own table, also while it goes away: the handler goes with the detail.
                m_taskViewController->tabHandler = [this, detail = m_taskViewController.get()](bool next) {
                    moveFocus(detail->tableView(), next);
                };
                place(m_taskViewController->view(), m_rightSplitContainerView);
                // Return on a comment row edits the comment.
                m_actions->addPane(m_taskViewController->view());
            }
        }
        m_taskViewController->view()->show();
    } else {
        if (m_taskViewController) {
            if (tasks.empty())
                m_taskViewController.reset();
            else {
                m_taskViewController->setTask(nullptr);
                m_taskViewController->view()->hide();
            }
        }
        showPlaceholder(tasks.empty() ? tr("No Task Selected") : tr("Multiple Tasks Selected"));
    }
    // The detail that had the keyboard went (its task deleted, here or elsewhere): the keyboard stays in the list beside
    // it, rather than on nothing.
    if (detailHadKeyboard && (focusWidget() == nullptr || !focusWidget()->isVisible()))
        focus(currentListView(), Qt::OtherFocusReason);
    validateActions();
}

void KNVTMainWindowController::showPlaceholder(const QString &text)
{
    if (!m_noTaskViewController) {
        m_noTaskViewController = new KNVTNoTaskViewController;
        place(m_noTaskViewController, m_rightSplitContainerView);
    }
    m_noTaskViewController->titleTextField()->setText(text);
    m_noTaskViewController->show();
}

void KNVTMainWindowController::taskStoreItemsViewControllerItemWasDoubleClicked(KNVTTaskStoreItemsViewController *,
                                                                                KNVTCDTaskList *taskList)
{
    if (!taskList || m_homeViewController->selectItem(taskList))
        return;
    // A list the home list does not show (archived, someday) opens above the current one, under its heading.
    auto list = KNVTItemsListFactory::shared().taskListItems(this, taskList);
    list->setMainWindowServices(this);
    {
        const QScopedValueRollback replacing(m_replacingList, true);
        m_itemsNavigationController->pushViewController(list, true);
    }
    updateListHeading();
    keyboardToTheListShown();
    taskStoreItemsViewControllerSelectionDidChange(list.get());
}

void KNVTMainWindowController::validateAfterListsReselect()
{
    if (m_validationPending)
        return;
    m_validationPending = true;
    // The window may hear of the change before its lists have applied it (observers are told in the order they came);
    // validating then would read the selection of before the change. One pass later every list has applied it; the
    // second pass leaves room for what the home list's new selection sets off.
    QPointer<KNVTMainWindowController> self(this);
    QTimer::singleShot(0, this, [self] {
        QTimer::singleShot(0, self, [self] {
            if (!self)
                return;
            self->m_validationPending = false;
            self->validateActions();
        });
    });
}

// ---- Focus cycle ----

QWidget *KNVTMainWindowController::currentListView() const
{
    KNVTTaskStoreItemsViewController *list = currentTasksViewController();
    return list ? list->focusView() : nullptr;
}

QWidget *KNVTMainWindowController::taskTableView() const
{
    return m_taskViewController && m_taskViewController->task() ? m_taskViewController->tableView() : nullptr;
}

void KNVTMainWindowController::focus(QWidget *widget, Qt::FocusReason reason)
{
    if (widget)
        widget->setFocus(reason);
}

namespace {

bool takesTabFocus(const QWidget *widget)
{
    return widget && widget->isVisible() && widget->isEnabled() && (widget->focusPolicy() & Qt::TabFocus);
}

// The member of `widgets` that is `widget` or holds it, or -1.
qsizetype indexHolding(const QList<QWidget *> &widgets, const QWidget *widget)
{
    for (qsizetype i = 0; i < widgets.size(); ++i)
        if (widget && (widgets[i] == widget || widgets[i]->isAncestorOf(widget)))
            return i;
    return -1;
}

} // namespace

QList<QWidget *> KNVTMainWindowController::focusChain() const
{
    QList<QWidget *> chain;
    if (m_toolbar) {
        const QList<QAction *> items = m_toolbar->actions();
        for (QAction *item : items)
            if (QWidget *widget = m_toolbar->widgetForAction(item); takesTabFocus(widget))
                chain << widget;
    }
    if (m_homeViewController) {
        chain << m_homeViewController->outlineView();
        if (QWidget *add = m_homeViewController->addPopUpButton(); takesTabFocus(add))
            chain << add;
        if (knvt::WaitingWindowLine *waiting = m_homeViewController->waitingLine();
            waiting != nullptr && takesTabFocus(waiting->button()))
            chain << waiting->button();
    }
    if (QWidget *list = currentListView())
        chain << list;
    if (QWidget *task = taskTableView(); task && task->isVisible())
        chain << task;
    return chain;
}

QList<QWidget *> KNVTMainWindowController::focusPanes() const
{
    QList<QWidget *> panes;
    panes << m_searchField;
    if (m_homeViewController)
        panes << m_homeViewController->outlineView();
    if (QWidget *list = currentListView())
        panes << list;
    if (QWidget *task = taskTableView(); task && task->isVisible())
        panes << task;
    return panes;
}

void KNVTMainWindowController::moveFocus(QWidget *from, bool next)
{
    if (from != nullptr && !from->isVisible()) {
        // The control with the keyboard goes away under the user, and Qt moves the keyboard on from it as from a Tab (a
        // list that another home entry's list replaces, as when the list shown is deleted elsewhere; a detail that
        // closes). It stays in the pane the user works in, never on what comes next in the window's order: the
        // toolbar's New Task, which the next Space would press.
        if (m_replacingList && m_itemsNavigationController->view()->isAncestorOf(from)) {
            // The list that takes its place shows a moment later, and takes the keyboard then.
            m_keyboardToTheNextList = true;
            return;
        }
        QWidget *list = currentListView();
        focus(list != nullptr && list->isVisible() && list != from && !list->isAncestorOf(from)
                  ? list
                  : m_homeViewController->outlineView(),
              Qt::OtherFocusReason);
        return;
    }
    const QList<QWidget *> chain = focusChain();
    if (chain.isEmpty())
        return;
    const qsizetype at = indexHolding(chain, from);
    const qsizetype count = chain.size();
    const qsizetype to = at < 0 ? (next ? 0 : count - 1) : (at + (next ? 1 : count - 1)) % count;
    focus(chain[to], next ? Qt::TabFocusReason : Qt::BacktabFocusReason);
}

void KNVTMainWindowController::moveFocusToPane(bool next)
{
    const QList<QWidget *> panes = focusPanes();
    if (panes.isEmpty())
        return;
    QWidget *focused = focusWidget();
    // A toolbar button belongs to the search field's pane, the button under the home list to the home list's.
    qsizetype at = -1;
    if (focused && m_toolbar && m_toolbar->isAncestorOf(focused))
        at = 0;
    else if (focused && m_homeViewController && m_homeViewController->view()->isAncestorOf(focused))
        at = panes.indexOf(m_homeViewController->outlineView());
    else
        at = indexHolding(panes, focused);
    const qsizetype count = panes.size();
    const qsizetype to = at < 0 ? (next ? 0 : count - 1) : (at + (next ? 1 : count - 1)) % count;
    focus(panes[to], Qt::OtherFocusReason);
}

bool KNVTMainWindowController::focusNextPrevChild(bool next)
{
    // Tab in a control that leaves it to its window: the toolbar's buttons, the search field, the home list's button.
    moveFocus(focusWidget(), next);
    return true;
}

void KNVTMainWindowController::keyPressEvent(QKeyEvent *event)
{
    if (event->key() == Qt::Key_F6 && !(event->modifiers() & ~Qt::ShiftModifier & ~Qt::KeypadModifier)) {
        moveFocusToPane(!event->modifiers().testFlag(Qt::ShiftModifier));
        return;
    }
    QMainWindow::keyPressEvent(event);
}

bool KNVTMainWindowController::eventFilter(QObject *watched, QEvent *event)
{
    // What a search needs that the session has not made yet is made while the user's hand goes to the keys, off the
    // window's thread, rather than by the first key; started once the window has shown the field taking the keyboard,
    // since the thread making it takes a processor the window may have to share.
    if (watched == m_searchField && event->type() == QEvent::FocusIn)
        knvt::performBlockAfterWaitingEvents(this, [] { ostore::Folding::prepareInBackground(); });
    // Escape in the search field ends the search: the field empties, which brings back the list shown before it,
    // and the keyboard goes to that list.
    // Escape in the results ends it the same way.
    if (event->type() != QEvent::KeyPress)
        return QMainWindow::eventFilter(watched, event);
    const auto *key = static_cast<QKeyEvent *>(event);
    const bool plain = !(key->modifiers() & ~Qt::KeypadModifier);
    const bool inResults = m_route.kind == Route::Kind::Search && watched && watched == currentListView();
    if ((watched == m_searchField || inResults) && key->key() == Qt::Key_Escape && plain
        && !m_searchField->text().isEmpty()) {
        m_searchField->clear();
        focus(currentListView(), Qt::OtherFocusReason);
        return true;
    }
    // Down or Return in the search field goes to the first result.
    if (watched == m_searchField && m_route.kind == Route::Kind::Search && plain
        && (key->key() == Qt::Key_Down || key->key() == Qt::Key_Return || key->key() == Qt::Key_Enter)) {
        if (KNVTTaskStoreItemsViewController *list = currentTasksViewController()) {
            for (int row = 0, count = list->numberOfRows(); row < count; ++row) {
                const knvt::ItemRow *item = list->rowAt(row);
                if (item && !item->isHeader()) {
                    list->selectRows({row});
                    break;
                }
            }
            focus(currentListView(), Qt::OtherFocusReason);
        }
        return true;
    }
    return QMainWindow::eventFilter(watched, event);
}

bool KNVTMainWindowController::homeViewControllerShouldInsertTab(KNVTHomeViewController *)
{
    moveFocus(m_homeViewController->outlineView(), true);
    return false;
}

bool KNVTMainWindowController::homeViewControllerShouldInsertBacktab(KNVTHomeViewController *)
{
    moveFocus(m_homeViewController->outlineView(), false);
    return false;
}

bool KNVTMainWindowController::taskStoreItemsViewControllerShouldInsertTab(KNVTTaskStoreItemsViewController *list)
{
    // The list that asks, which may be one going away rather than the one shown now.
    moveFocus(list != nullptr ? list->focusView() : currentListView(), true);
    return false;
}

bool KNVTMainWindowController::taskStoreItemsViewControllerShouldInsertBacktab(KNVTTaskStoreItemsViewController *list)
{
    moveFocus(list != nullptr ? list->focusView() : currentListView(), false);
    return false;
}

// ---- Window events ----

void KNVTMainWindowController::closeEvent(QCloseEvent *event)
{
    // The window's popovers and sheets go with it: whatever closes the window has asked about the typing in them.
    for (QDialog *sheet : findChildren<QDialog *>())
        if (sheet->isVisible())
            sheet->reject();
    if (m_delegate)
        m_delegate->mainWindowControllerWillClose(this);
    QMainWindow::closeEvent(event);
}

bool KNVTMainWindowController::event(QEvent *event)
{
    // A click in the window while it is not the active one (another program has the keyboard) moves the keyboard's
    // place to the pane clicked in without a focus change of Qt's: the commands follow it all the same, so that a
    // reader's press of a toolbar button acts on that pane.
    if ((event->type() == QEvent::WinIdChange || event->type() == QEvent::Show) && windowHandle() != m_watchedHandle
        && windowHandle() != nullptr) {
        m_watchedHandle = windowHandle();
        connect(m_watchedHandle, &QWindow::focusObjectChanged, this, &KNVTMainWindowController::validateActions);
    }
    return QMainWindow::event(event);
}

void KNVTMainWindowController::changeEvent(QEvent *event)
{
    QMainWindow::changeEvent(event);
    if (event->type() == QEvent::ActivationChange)
        validateActions();
}

void KNVTMainWindowController::toggleFullScreen()
{
    if (isFullScreen())
        showNormal();
    else
        showFullScreen();
}
