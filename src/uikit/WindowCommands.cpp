#include "uikit/WindowCommands.h"

#include "uikit/ActionSet.h"
#include "uikit/ApplicationCommands.h"
#include "uikit/Popover.h"
#include "uikit/UnsavedTyping.h"

#include <QApplication>
#include <QEvent>
#include <QMessageBox>
#include <QPointer>
#include <QWidget>

#include <algorithm>

namespace knvt {

namespace {

const QList<Command> kEveryWindow = {Command::NewTask, Command::Close, Command::Quit, Command::GoToWaitingWindow};

void offerMissingCommands(QWidget *window)
{
    if (!window->isWindow() || window->windowType() == Qt::Popup || window->windowType() == Qt::ToolTip
        || window->windowType() == Qt::SplashScreen || qobject_cast<QMessageBox *>(window) != nullptr
        || qobject_cast<Popover *>(window) != nullptr)
        return;
    // The sets of the window itself and of what it holds (a task window shown in a sheet), not of its own sheets.
    const QList<ActionSet *> sets = window->findChildren<ActionSet *>();
    QList<Command> missing;
    for (Command command : kEveryWindow) {
        if (std::none_of(sets.cbegin(), sets.cend(), [window, command](const ActionSet *set) {
                return set->window() != nullptr && set->window()->window() == window && set->action(command);
            }))
            missing << command;
    }
    if (!missing.isEmpty())
        new WindowCommands(window, missing);
}

// Offers them as each window shows, before the window system maps it.
class EveryWindow : public QObject
{
public:
    explicit EveryWindow(QObject *application) : QObject(application) { application->installEventFilter(this); }

protected:
    bool eventFilter(QObject *watched, QEvent *event) override
    {
        if (event->type() == QEvent::Show && watched->isWidgetType())
            offerMissingCommands(static_cast<QWidget *>(watched));
        return false;
    }
};

} // namespace

WindowCommands::WindowCommands(QWidget *window, const QList<Command> &commands)
    : QObject(window), m_window(window), m_actions(new ActionSet(window, commands))
{
    m_actions->setTarget(this);
}

WindowCommands::~WindowCommands()
{
    m_actions->setTarget(nullptr);
}

void WindowCommands::validateCommand(Command command, CommandState &state)
{
    if (!ApplicationCommands::validateCommand(command, state))
        state.enabled = command == Command::Close;
}

void WindowCommands::performCommand(Command command, QWidget *)
{
    if (!ApplicationCommands::performCommand(command) && command == Command::Close)
        UnsavedTyping::closeAsking(m_window);
}

void WindowCommands::offerInEveryWindow()
{
    static QPointer<EveryWindow> offering;
    if (offering != nullptr || QCoreApplication::instance() == nullptr)
        return;
    offering = new EveryWindow(QCoreApplication::instance());
    const QWidgetList windows = QApplication::topLevelWidgets();
    for (QWidget *window : windows)
        if (window->isVisible())
            offerMissingCommands(window);
}

} // namespace knvt
