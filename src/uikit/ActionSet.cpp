#include "uikit/ActionSet.h"

#include "uikit/KeyboardOwner.h"
#include "uikit/MenuItemAccessible.h"

#include <QAction>
#include <QApplication>
#include <QCoreApplication>
#include <QEvent>
#include <QMenu>
#include <QMouseEvent>
#include <QToolButton>

#include <optional>

namespace knvt {

namespace {

enum class Scope { Window, Pane };

struct CommandSpec
{
    Command command;
    const char *objectName;
    const char *title;
    // The title of the command's toolbar button where it is shorter; nullptr: the title.
    const char *buttonTitle;
    std::initializer_list<const char *> keys;
    Scope scope = Scope::Window;
};

// Every command's title and keys, made here once for every window.
const CommandSpec kCommands[] = {
    {Command::NewTask, "newTaskAction", QT_TRANSLATE_NOOP("ActionSet", "New Task"), nullptr, {"Ctrl+N"}},
    {Command::NewProject, "newProjectAction", QT_TRANSLATE_NOOP("ActionSet", "New Project"), nullptr, {}},
    {Command::NewArea, "newAreaAction", QT_TRANSLATE_NOOP("ActionSet", "New Area"), nullptr, {}},
    {Command::NewTag, "newTagAction", QT_TRANSLATE_NOOP("ActionSet", "New Tag"), nullptr, {}},
    {Command::Print, "printAction", QT_TRANSLATE_NOOP("ActionSet", "Print"), nullptr, {"Ctrl+P"}},
    {Command::Close, "closeAction", QT_TRANSLATE_NOOP("ActionSet", "Close"), nullptr, {"Ctrl+W"}},
    {Command::Quit, "quitAction", QT_TRANSLATE_NOOP("ActionSet", "Quit"), nullptr, {"Ctrl+Q"}},
    {Command::ToggleFullScreen,
     "toggleFullScreenAction",
     QT_TRANSLATE_NOOP("ActionSet", "Toggle Full Screen"),
     nullptr,
     {"F11"}},
    {Command::People, "peopleAction", QT_TRANSLATE_NOOP("ActionSet", "People"), nullptr, {}},
    {Command::Preferences, "preferencesAction", QT_TRANSLATE_NOOP("ActionSet", "Preferences"), nullptr, {}},
    {Command::ContactUs, "contactUsAction", QT_TRANSLATE_NOOP("ActionSet", "Contact Us"), nullptr, {}},
    // A key of its own that no window manager of the desktop takes and no text field uses, in every window: the road
    // to what waits that needs no pointer.
    {Command::GoToWaitingWindow,
     "goToWaitingWindowAction",
     QT_TRANSLATE_NOOP("ActionSet", "Go to Waiting Window"),
     nullptr,
     {"F8"}},
    // The Backspace key is what a Mac keyboard calls Delete; the Delete key itself is taken as well, also alone (a
    // text field keeps its own Delete).
    {Command::Delete,
     "deleteAction",
     QT_TRANSLATE_NOOP("ActionSet", "Delete"),
     nullptr,
     {"Ctrl+Backspace", "Ctrl+Del", "Del"}},
    {Command::Duplicate, "duplicateAction", QT_TRANSLATE_NOOP("ActionSet", "Duplicate"), nullptr, {"Ctrl+D"}},
    {Command::SelectNext, "selectNextAction", QT_TRANSLATE_NOOP("ActionSet", "Select Next"), nullptr, {}},
    {Command::SelectPrevious, "selectPreviousAction", QT_TRANSLATE_NOOP("ActionSet", "Select Previous"), nullptr, {}},
    {Command::MoveToInbox, "moveToInboxAction", QT_TRANSLATE_NOOP("ActionSet", "Move To Inbox"), nullptr, {}},
    {Command::MoveToNext, "moveToNextAction", QT_TRANSLATE_NOOP("ActionSet", "Move To Next"), nullptr, {}},
    // Each pair shares its key: only the one shown has it.
    {Command::MoveToToday, "moveToTodayAction", QT_TRANSLATE_NOOP("ActionSet", "Move To Today"), nullptr, {"Ctrl+T"}},
    {Command::RemoveFromToday,
     "removeFromTodayAction",
     QT_TRANSLATE_NOOP("ActionSet", "Remove From Today"),
     nullptr,
     {"Ctrl+T"}},
    {Command::MoveToSomeday,
     "moveToSomedayAction",
     QT_TRANSLATE_NOOP("ActionSet", "Move To Someday"),
     nullptr,
     {"Ctrl+S"}},
    {Command::RemoveFromSomeday,
     "removeFromSomedayAction",
     QT_TRANSLATE_NOOP("ActionSet", "Remove From Someday"),
     nullptr,
     {"Ctrl+S"}},
    {Command::Schedule, "scheduleAction", QT_TRANSLATE_NOOP("ActionSet", "Schedule"), nullptr, {}},
    {Command::Mark, "markAction", QT_TRANSLATE_NOOP("ActionSet", "Mark"), nullptr, {}},
    {Command::MarkAsCompleted,
     "markAsCompletedAction",
     QT_TRANSLATE_NOOP("ActionSet", "As Completed"),
     nullptr,
     {"Ctrl+."}},
    {Command::MarkAsUncompleted,
     "markAsUncompletedAction",
     QT_TRANSLATE_NOOP("ActionSet", "As Uncompleted"),
     nullptr,
     {"Ctrl+."}},
    {Command::MarkAsCancelled,
     "markAsCancelledAction",
     QT_TRANSLATE_NOOP("ActionSet", "As Cancelled"),
     nullptr,
     {"Alt+Backspace", "Alt+Del"}},
    {Command::DetachFromTaskList,
     "detachFromTaskListAction",
     QT_TRANSLATE_NOOP("ActionSet", "Detach from Task List"),
     nullptr,
     {}},
    {Command::Archive, "archiveAction", QT_TRANSLATE_NOOP("ActionSet", "Archive"), nullptr, {}},
    {Command::Unarchive, "unarchiveAction", QT_TRANSLATE_NOOP("ActionSet", "Unarchive"), nullptr, {}},
    {Command::Open, "openAction", QT_TRANSLATE_NOOP("ActionSet", "Open"), nullptr, {"Ctrl+O"}},
    {Command::Edit, "editAction", QT_TRANSLATE_NOOP("ActionSet", "Edit"), nullptr, {"Return", "Enter"}, Scope::Pane},
    {Command::AssignTo, "assignToAction", QT_TRANSLATE_NOOP("ActionSet", "Assign To"), nullptr, {}},
    {Command::MoveTo,
     "moveToAction",
     QT_TRANSLATE_NOOP("ActionSet", "Move To"),
     QT_TRANSLATE_NOOP("ActionSet", "Move"),
     {}},
    {Command::GetInfo, "getInfoAction", QT_TRANSLATE_NOOP("ActionSet", "Get Info"), nullptr, {"Ctrl+I"}},
    {Command::Share, "shareAction", QT_TRANSLATE_NOOP("ActionSet", "Sharing Setting..."), nullptr, {}},
    {Command::StopSharing, "stopSharingAction", QT_TRANSLATE_NOOP("ActionSet", "Stop Sharing..."), nullptr, {}},
    {Command::ResendInvitations,
     "resendInvitationsAction",
     QT_TRANSLATE_NOOP("ActionSet", "Resend Invitations"),
     nullptr,
     {}},
    {Command::Unsubscribe, "unsubscribeAction", QT_TRANSLATE_NOOP("ActionSet", "Unsubscribe"), nullptr, {}},
    {Command::Notifications, "notificationsAction", QT_TRANSLATE_NOOP("ActionSet", "Notifications"), nullptr, {}},
    {Command::Sync, "syncAction", QT_TRANSLATE_NOOP("ActionSet", "Sync"), nullptr, {}},
    {Command::Assign, "assignAction", QT_TRANSLATE_NOOP("ActionSet", "Assign"), nullptr, {}},
    {Command::Comment, "commentAction", QT_TRANSLATE_NOOP("ActionSet", "Comment"), nullptr, {}},
    {Command::ToggleToday, "toggleTodayAction", QT_TRANSLATE_NOOP("ActionSet", "Today"), nullptr, {}},
    {Command::Done, "doneAction", QT_TRANSLATE_NOOP("ActionSet", "Done"), nullptr, {}},
};

const CommandSpec &spec(Command command)
{
    for (const CommandSpec &entry : kCommands)
        if (entry.command == command)
            return entry;
    Q_UNREACHABLE();
}

QString translated(const char *text)
{
    return QCoreApplication::translate("ActionSet", text);
}

bool hasMenu(Command command)
{
    return command == Command::Mark || command == Command::MoveTo || command == Command::AssignTo;
}

// A toolbar button that runs its command through the set, telling it which button the command came from.
class ActionToolButton : public QToolButton
{
public:
    ActionToolButton(ActionSet *set, Command command, QWidget *parent)
        : QToolButton(parent), m_set(set), m_command(command)
    {}

protected:
    void nextCheckState() override
    {
        if (m_set)
            m_set->activate(m_command, this);
    }

    // The second click of a double click presses nothing: a button that opens a popover would close it again.
    void mousePressEvent(QMouseEvent *event) override
    {
        if (m_lastRelease && event->timestamp() - *m_lastRelease < ulong(QApplication::doubleClickInterval())) {
            m_swallowingRelease = true;
            event->accept();
            return;
        }
        QToolButton::mousePressEvent(event);
    }

    void mouseDoubleClickEvent(QMouseEvent *event) override { event->accept(); }

    void mouseReleaseEvent(QMouseEvent *event) override
    {
        if (m_swallowingRelease) {
            m_swallowingRelease = false;
            event->accept();
            return;
        }
        m_lastRelease = event->timestamp();
        QToolButton::mouseReleaseEvent(event);
    }

private:
    QPointer<ActionSet> m_set;
    Command m_command;
    std::optional<quint64> m_lastRelease;
    bool m_swallowingRelease = false;
};

} // namespace

ActionSet::ActionSet(QWidget *window, const QList<Command> &commands) : QObject(window), m_window(window)
{
    // The actions stand in several menus at once; each is read in the menu that shows it.
    MenuItemAccessible::install();
    for (Command command : commands) {
        const CommandSpec &entry = spec(command);
        Entry made;
        if (hasMenu(command)) {
            made.menu = new QMenu(translated(entry.title), window);
            made.menu->setObjectName(
                QString::fromLatin1(entry.objectName).replace(QStringLiteral("Action"), QStringLiteral("Menu")));
            made.menu->setSeparatorsCollapsible(false);
            // What a screen reader calls the menu when it opens.
            made.menu->setAccessibleName(translated(entry.title));
            made.action = made.menu->menuAction();
            // The Mark menu holds the set's own actions, which any pass validates: it has nothing to fill.
            QMenu *opening = command == Command::Mark ? nullptr : made.menu;
            connect(made.menu, &QMenu::aboutToShow, this, [this, opening] { validateFilling(opening); });
        } else {
            made.action = new QAction(translated(entry.title), window);
        }
        made.action->setObjectName(QString::fromLatin1(entry.objectName));
        if (entry.buttonTitle)
            made.action->setIconText(translated(entry.buttonTitle));
        made.action->setShortcuts(keys(command));
        made.action->setShortcutContext(entry.scope == Scope::Pane ? Qt::WidgetWithChildrenShortcut
                                                                   : Qt::WindowShortcut);
        made.action->setEnabled(false);
        if (entry.scope == Scope::Window)
            window->addAction(made.action);
        connect(made.action, &QAction::triggered, this, [this, command] { trigger(command); });
        m_entries.emplace(command, made);
    }
    // The Mark menu holds the three marks the window offers.
    if (QMenu *mark = menu(Command::Mark))
        for (Command command : {Command::MarkAsCompleted, Command::MarkAsUncompleted, Command::MarkAsCancelled})
            if (QAction *entry = action(command))
                mark->addAction(entry);
    qApp->installEventFilter(this);
    // Go to Waiting Window is enabled, with its key, as soon as something waits, in whichever window the user is: a
    // key pressed in a window of its own (a popover, a sheet) is matched without this set's validation.
    if (action(Command::GoToWaitingWindow) != nullptr)
        if (KeyboardOwner *owner = KeyboardOwner::installed())
            connect(owner, &KeyboardOwner::waitingChanged, this, &ActionSet::validate, Qt::QueuedConnection);
}

ActionSet::~ActionSet()
{
    if (qApp)
        qApp->removeEventFilter(this);
}

QAction *ActionSet::action(Command command) const
{
    const auto found = m_entries.find(command);
    return found == m_entries.end() ? nullptr : found->second.action;
}

QMenu *ActionSet::menu(Command command) const
{
    const auto found = m_entries.find(command);
    return found == m_entries.end() ? nullptr : found->second.menu;
}

void ActionSet::setTarget(CommandTarget *target)
{
    m_target = target;
    validate();
}

void ActionSet::validate()
{
    validateFilling(nullptr);
}

void ActionSet::validateFilling(QMenu *opening)
{
    // A target may open a menu or show an alert while it answers; the answers of that pass stand.
    if (m_validating)
        return;
    m_validating = true;
    CommandTarget *target = m_target;
    if (target)
        target->beginValidation();
    for (const auto &[command, entry] : m_entries) {
        CommandState state;
        state.title = title(command);
        state.keys = keys(command);
        state.menu = opening && entry.menu == opening ? opening : nullptr;
        if (target)
            target->validateCommand(command, state);
        // A hidden twin leaves the key to the one shown.
        if (!state.visible)
            state.keys.clear();
        QAction *action = entry.action;
        if (action->text() != state.title)
            action->setText(state.title);
        if (action->shortcuts() != state.keys)
            action->setShortcuts(state.keys);
        action->setVisible(state.visible);
        action->setEnabled(state.enabled && state.visible);
        // Why it may not run takes the place of the tooltip, which else repeats the title; a screen reader reads a
        // button's tooltip as its description.
        const QString tip = !state.enabled && !state.whyDisabled.isEmpty() ? state.whyDisabled : action->iconText();
        if (action->toolTip() != tip)
            action->setToolTip(tip);
    }
    if (target)
        target->endValidation();
    m_validating = false;
    emit validated();
}

bool ActionSet::activate(Command command, QWidget *source)
{
    QAction *found = action(command);
    if (!found)
        return false;
    validate();
    if (!found->isEnabled())
        return false;
    m_source = source;
    found->trigger();
    m_source = nullptr;
    return true;
}

void ActionSet::trigger(Command command)
{
    QPointer<QWidget> source = m_source;
    m_source = nullptr;
    if (m_target)
        m_target->performCommand(command, source);
}

void ActionSet::addPane(QWidget *pane)
{
    for (const auto &[command, entry] : m_entries)
        if (spec(command).scope == Scope::Pane)
            pane->addAction(entry.action);
}

QToolButton *ActionSet::makeToolButton(Command command, const QString &objectName, QWidget *parent)
{
    QAction *commandAction = action(command);
    Q_ASSERT(commandAction);
    auto *button = new ActionToolButton(this, command, parent);
    button->setObjectName(objectName);
    // The button shows the short title; so do its tooltip and what screen readers say.
    commandAction->setToolTip(commandAction->iconText());
    // The button's own menu, not only its action's, is what makes a screen reader say that it opens a menu. It is set
    // first: setting it after the action would take the action, which is the menu's own, off the button again.
    QMenu *commandMenu = menu(command);
    if (commandMenu)
        button->setMenu(commandMenu);
    button->setDefaultAction(commandAction);
    button->setAccessibleName(commandAction->iconText());
    if (commandMenu)
        button->setPopupMode(QToolButton::InstantPopup);
    return button;
}

void ActionSet::validateBeforeShowing(QMenu *shown)
{
    connect(shown, &QMenu::aboutToShow, this, &ActionSet::validate);
}

QString ActionSet::title(Command command)
{
    return translated(spec(command).title);
}

QList<QKeySequence> ActionSet::keys(Command command)
{
    QList<QKeySequence> sequences;
    for (const char *key : spec(command).keys)
        sequences << QKeySequence(QString::fromLatin1(key));
    return sequences;
}

bool ActionSet::eventFilter(QObject *watched, QEvent *event)
{
    // Before the keys of the window are matched, the actions take the state of the moment: a key pressed right after
    // a change finds the rules of after the change, not of before it.
    // The event travels up from the focused widget (or goes to the window, when nothing in it has the focus) to the
    // window; the first delivery is enough.
    if (event->type() != QEvent::ShortcutOverride || !m_window || !watched->isWidgetType())
        return false;
    // The keys of a window work in its tool windows as well (a form popover), as Qt matches them.
    QWidget *first = QApplication::focusWidget() ? QApplication::focusWidget() : m_window->window();
    const QWidget *in = first->window();
    if (in != m_window->window() && in->windowType() == Qt::Tool && in->parentWidget() != nullptr)
        in = in->parentWidget()->window();
    if (watched == first && in == m_window->window())
        validate();
    return false;
}

} // namespace knvt
