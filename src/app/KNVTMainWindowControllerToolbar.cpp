#include "app/KNVTMainWindowController.h"

#include "app/KNVTHomeViewController.h"
#include "app/KNVTMainWindowControllerDelegate.h"
#include "app/WindowFactory.h"

#include "lists/KNVTTaskStoreItemsViewController.h"

#include "store/KNVTTaskStore.h"

#include "model/KNVTCDTask.h"

#include "uikit/ActionSet.h"
#include "uikit/ApplicationCommands.h"
#include "uikit/ImageAdditions.h"
#include "uikit/KeyboardOwner.h"
#include "uikit/UnsavedTyping.h"

#include <QAction>
#include <QApplication>
#include <QLineEdit>
#include <QMenu>
#include <QMenuBar>
#include <QPointer>
#include <QToolBar>
#include <QToolButton>

using knvt::Command;

namespace {

struct ButtonSpec
{
    Command command;
    const char *name;
    const char *image;
};

// Sync runs only while the account lets it; disabled, the button says why and where to change it, since nothing else
// on screen does when the status line is empty.
void syncCommandState(KNVTTaskStore &store, knvt::CommandState &state)
{
    const knvt::SyncAccountState account = store.syncAccountState();
    state.enabled = account == knvt::SyncAccountState::On;
    switch (account) {
    case knvt::SyncAccountState::On: break;
    case knvt::SyncAccountState::NotSignedIn:
        state.whyDisabled =
            KNVTMainWindowController::tr("Sign in to the sync service in Preferences > Account to sync.");
        break;
    case knvt::SyncAccountState::SwitchedOff:
        state.whyDisabled = KNVTMainWindowController::tr(
            "Sync is switched off. Switch on Sync automatically in Preferences > Account.");
        break;
    case knvt::SyncAccountState::NewerVersionNeeded:
        state.whyDisabled = KNVTMainWindowController::tr(
            "Sync stopped because the sync service needs a newer version of Quillvane. Update Quillvane with your "
            "system's package manager to sync again.");
        break;
    case knvt::SyncAccountState::PasswordRefused:
        state.whyDisabled = KNVTMainWindowController::tr(
            "Sync waits for the password of your account, which the sync service refused.");
        break;
    case knvt::SyncAccountState::Paused:
        state.whyDisabled = KNVTMainWindowController::tr(
            "Sync is paused because the password was refused. Sign in again in Preferences > Account.");
        break;
    }
}

} // namespace

void KNVTMainWindowController::buildToolbar()
{
    m_toolbar = addToolBar(tr("Toolbar"));
    m_toolbar->setObjectName(QStringLiteral("toolbar"));
    m_toolbar->setMovable(false);
    m_toolbar->setFloatable(false);
    // Every button shows its picture with its name under it, as desktop toolbars do; the name is also the tooltip
    // and what screen readers say.
    m_toolbar->setToolButtonStyle(Qt::ToolButtonTextUnderIcon);
    m_toolbar->setIconSize(QSize(20, 20));

    const ButtonSpec buttons[] = {
        {Command::NewTask, "taskButton", "TB_NewTaskTemplate"},
        {Command::Notifications, "notificationsButton", "TB_UserTemplate"},
        {Command::Sync, "syncButton", "TB_SyncTemplate"},
        {Command::MoveTo, "moveButton", "TB_MoveTemplate"},
        {Command::Assign, "assignButton", "TB_AssignTemplate"},
        {Command::Delete, "deleteButton", "TB_DeleteTemplate"},
        {Command::Comment, "commentButton", "TB_CommentTemplate"},
        {Command::ToggleToday, "todayButton", "TB_StarTemplate"},
        {Command::Edit, "editButton", "TB_EditTemplate"},
    };
    for (const ButtonSpec &spec : buttons) {
        QAction *action = m_actions->action(spec.command);
        // The picture belongs to the button: the menus show the titles alone.
        action->setIconVisibleInMenu(false);
        const QIcon icon =
            knvt::tintedTemplateIcon(knvt::templateImageFromMainBundleWithName(QString::fromLatin1(spec.image)),
                                     m_toolbar->palette(), m_toolbar->iconSize());
        QToolButton *button = nullptr;
        if (spec.command == Command::Notifications) {
            // The button's face is the number of notifications, not the command's title.
            button = new QToolButton(m_toolbar);
            button->setObjectName(QString::fromLatin1(spec.name));
            button->setIcon(icon);
            button->setToolTip(action->text());
            button->setAccessibleName(action->text());
            button->setEnabled(false);
            connect(button, &QToolButton::clicked, this,
                    [this, button] { m_actions->activate(Command::Notifications, button); });
            connect(action, &QAction::changed, button, [button, action] { button->setEnabled(action->isEnabled()); });
        } else {
            action->setIcon(icon);
            button = m_actions->makeToolButton(spec.command, QString::fromLatin1(spec.name), m_toolbar);
        }
        button->setAutoRaise(true);
        button->setToolButtonStyle(m_toolbar->toolButtonStyle());
        button->setIconSize(m_toolbar->iconSize());
        m_toolbar->addWidget(button);
        if (spec.command == Command::NewTask)
            m_toolbar->addSeparator();
    }

    auto *spacer = new QWidget(m_toolbar);
    spacer->setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Preferred);
    m_toolbar->addWidget(spacer);
    m_searchField = new QLineEdit(m_toolbar);
    m_searchField->setObjectName(QStringLiteral("searchField"));
    m_searchField->setPlaceholderText(tr("Search"));
    m_searchField->setAccessibleName(tr("Search"));
    m_searchField->setClearButtonEnabled(true);
    knvt::UnsavedTyping::markNotKept(m_searchField);
    // The field's own button that empties it.
    for (QToolButton *clear : m_searchField->findChildren<QToolButton *>())
        clear->setAccessibleName(tr("Clear Search"));
    m_searchField->installEventFilter(this);
    m_searchField->setFixedWidth(220);
    m_toolbar->addWidget(m_searchField);
    connect(m_searchField, &QLineEdit::textChanged, this, &KNVTMainWindowController::searchTextDidChange);
}

void KNVTMainWindowController::buildMenuBar()
{
    auto *bar = new QMenuBar(this);
    bar->setObjectName(QStringLiteral("menuBar"));
    auto menu = [this, bar](const QString &title, const char *name, std::initializer_list<Command> commands) {
        QMenu *made = bar->addMenu(title);
        made->setObjectName(QString::fromLatin1(name));
        // What a screen reader calls the menu when it opens: the title as shown, without the mark of its Alt letter.
        made->setAccessibleName(QString(title).remove(QLatin1Char('&')));
        made->setSeparatorsCollapsible(false);
        for (Command command : commands)
            made->addAction(m_actions->action(command));
        m_actions->validateBeforeShowing(made);
        return made;
    };
    // Each menu opens with Alt and the letter its title marks; no two share a letter.
    QMenu *file =
        menu(tr("&File"), "fileMenu", {Command::NewTask, Command::NewProject, Command::NewArea, Command::NewTag});
    file->addSeparator();
    file->addAction(m_actions->action(Command::Print));
    file->addSeparator();
    file->addAction(m_actions->action(Command::Close));
    file->addAction(m_actions->action(Command::Quit));
    QMenu *edit = menu(tr("&Edit"), "editMenu", {Command::Delete, Command::Duplicate});
    edit->addSeparator();
    edit->addAction(m_actions->action(Command::SelectNext));
    edit->addAction(m_actions->action(Command::SelectPrevious));
    QMenu *items = menu(tr("&Items"), "itemsMenu",
                        {Command::MoveToToday, Command::RemoveFromToday, Command::MoveToSomeday,
                         Command::RemoveFromSomeday, Command::Schedule, Command::Mark});
    items->addSeparator();
    items->addAction(m_actions->action(Command::DetachFromTaskList));
    menu(tr("&View"), "viewMenu", {Command::ToggleFullScreen});
    QMenu *window = menu(tr("&Window"), "windowMenu", {Command::People, Command::Preferences});
    // Every window the application opened by itself that waits, by its name, the oldest with the key that goes to it.
    window->addSeparator();
    window->addAction(m_actions->action(Command::GoToWaitingWindow));
    connect(window, &QMenu::aboutToShow, this, [this, window] { listWaitingWindows(window); });
    // Contact Us is the Help menu's one entry: without a contact page built in, the menu would open empty.
    if (m_delegate && m_delegate->canContactUs())
        menu(tr("&Help"), "helpMenu", {Command::ContactUs});
    setMenuBar(bar);
}

void KNVTMainWindowController::listWaitingWindows(QMenu *menu)
{
    const QList<QAction *> entries = menu->actions();
    for (QAction *entry : entries)
        if (entry->property("waitingWindow").isValid())
            delete entry;
    const QList<QWidget *> waiting = knvt::KeyboardOwner::waitingWindows();
    for (qsizetype index = 1; index < waiting.size(); ++index) {
        const QPointer<QWidget> window = waiting.at(index);
        auto *entry = new QAction(knvt::KeyboardOwner::nameOf(window), menu);
        entry->setProperty("waitingWindow", true);
        connect(entry, &QAction::triggered, window, [window] { knvt::KeyboardOwner::goTo(window); });
        menu->addAction(entry);
    }
}

QMenu *KNVTMainWindowController::moveMenu() const
{
    return m_actions->menu(Command::MoveTo);
}

QToolButton *KNVTMainWindowController::toolbarButton(const QString &objectName) const
{
    return m_toolbar ? m_toolbar->findChild<QToolButton *>(objectName) : nullptr;
}

void KNVTMainWindowController::validateActions()
{
    if (m_actions)
        m_actions->validate();
}

void KNVTMainWindowController::presentNotificationsCount()
{
    QToolButton *notifications = toolbarButton(QStringLiteral("notificationsButton"));
    if (!notifications || !KNVTTaskStore::defaultTaskStore())
        return;
    const qsizetype count = KNVTTaskStore::defaultTaskStore()->numberOfNotifications();
    if (count > 0) {
        notifications->setToolButtonStyle(Qt::ToolButtonTextBesideIcon);
        notifications->setText(QString::number(count));
    } else {
        // With nothing to count, the button reads as the others do: its picture with its name under it.
        notifications->setToolButtonStyle(Qt::ToolButtonTextUnderIcon);
        notifications->setText(m_actions->action(Command::Notifications)->text());
    }
}

knvt::CommandTarget *KNVTMainWindowController::commandPane() const
{
    // The pane of the window's keyboard focus, also while a menu of the window is open.
    QWidget *focused = focusWidget();
    if (focused && m_homeViewController && m_homeViewController->view()->isAncestorOf(focused))
        return m_homeViewController.get();
    return currentTasksViewController();
}

void KNVTMainWindowController::beginValidation()
{
    m_validatingList = currentTasksViewController();
    if (m_validatingList)
        m_validatingList->beginValidation();
}

void KNVTMainWindowController::endValidation()
{
    if (m_validatingList)
        m_validatingList->endValidation();
    m_validatingList = nullptr;
}

void KNVTMainWindowController::validateCommand(Command command, knvt::CommandState &state)
{
    if (knvt::CommandTarget *detail =
            m_taskViewController ? m_taskViewController->commandTargetFor(command) : nullptr) {
        detail->validateCommand(command, state);
        return;
    }
    KNVTTaskStore &store = *KNVTTaskStore::defaultTaskStore();
    KNVTTaskStoreItemsViewController *list = currentTasksViewController();
    switch (command) {
    case Command::NewTask:
    case Command::NewProject:
    case Command::NewArea:
    case Command::NewTag:
    case Command::Close:
    case Command::Quit:
    case Command::ToggleFullScreen:
    case Command::People:
    case Command::Preferences: state.enabled = true; return;
    case Command::ContactUs:
        // Without a contact page there is nothing to open.
        state.visible = m_delegate && m_delegate->canContactUs();
        state.enabled = state.visible;
        return;
    case Command::GoToWaitingWindow: knvt::ApplicationCommands::validateCommand(command, state); return;
    case Command::Notifications: state.enabled = store.numberOfNotifications() > 0; return;
    case Command::Sync: syncCommandState(store, state); return;
    case Command::Comment: {
        KNVTCDTask *shown = m_taskViewController ? m_taskViewController->task() : nullptr;
        state.enabled = shown && !shown->isArchived();
        return;
    }
    case Command::Assign: state.enabled = list && list->canAssignSelectedItems(); return;
    // An empty selection may not be moved.
    case Command::ToggleToday: state.enabled = list && list->canMoveSelectedItemsToToday(); return;
    // The centre list's, whichever pane has the focus.
    case Command::Print:
    case Command::SelectNext:
    case Command::SelectPrevious:
        if (list)
            list->validateCommand(command, state);
        return;
    default:
        if (knvt::CommandTarget *pane = commandPane())
            pane->validateCommand(command, state);
        return;
    }
}

void KNVTMainWindowController::performCommand(Command command, QWidget *source)
{
    if (knvt::CommandTarget *detail =
            m_taskViewController ? m_taskViewController->commandTargetFor(command) : nullptr) {
        detail->performCommand(command, source);
        return;
    }
    KNVTTaskStoreItemsViewController *list = currentTasksViewController();
    switch (command) {
    case Command::NewTask: newTaskPopover(source); return;
    case Command::NewProject: newProjectSheet(source); return;
    case Command::NewArea: newAreaSheet(source); return;
    case Command::NewTag: newTagSheet(source); return;
    case Command::Close: knvt::UnsavedTyping::closeAsking(QApplication::activeWindow()); return;
    case Command::Quit:
    case Command::People:
    case Command::Preferences:
    case Command::ContactUs:
        if (m_delegate)
            m_delegate->performApplicationCommand(command);
        return;
    case Command::ToggleFullScreen: toggleFullScreen(); return;
    case Command::GoToWaitingWindow: knvt::ApplicationCommands::performCommand(command); return;
    case Command::Notifications: notificationsSheet(source); return;
    case Command::Sync: sync(); return;
    case Command::Comment: commentOnSelectedTask(source); return;
    case Command::Assign: assignSelectedTasks(source); return;
    case Command::ToggleToday: toggleTodayForSelectedItems(); return;
    case Command::Print:
    case Command::SelectNext:
    case Command::SelectPrevious:
        if (list)
            list->performCommand(command, source);
        return;
    default:
        if (knvt::CommandTarget *pane = commandPane())
            pane->performCommand(command, source);
        return;
    }
}
