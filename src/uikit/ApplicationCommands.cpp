#include "uikit/ApplicationCommands.h"

#include "uikit/KeyboardOwner.h"

namespace knvt {

namespace {

ApplicationCommands *gCommands = nullptr;

bool isApplicationCommand(Command command)
{
    return command == Command::NewTask || command == Command::Quit;
}

} // namespace

bool ApplicationCommands::validateCommand(Command command, CommandState &state)
{
    if (command == Command::GoToWaitingWindow) {
        // Shown while a window waits, by the name of the one it goes to: the Window menu lists what waits.
        const QList<QWidget *> waiting = KeyboardOwner::waitingWindows();
        state.visible = !waiting.isEmpty();
        state.enabled = state.visible;
        if (!waiting.isEmpty())
            state.title = KeyboardOwner::nameOf(waiting.first());
        return true;
    }
    if (!isApplicationCommand(command))
        return false;
    state.enabled = gCommands != nullptr;
    return true;
}

bool ApplicationCommands::performCommand(Command command)
{
    if (command == Command::GoToWaitingWindow) {
        if (const QList<QWidget *> waiting = KeyboardOwner::waitingWindows(); !waiting.isEmpty())
            KeyboardOwner::goTo(waiting.first());
        return true;
    }
    if (!isApplicationCommand(command))
        return false;
    if (gCommands != nullptr)
        gCommands->performApplicationCommand(command);
    return true;
}

ApplicationCommands *ApplicationCommands::shared()
{
    return gCommands;
}

void ApplicationCommands::setShared(ApplicationCommands *commands)
{
    gCommands = commands;
}

} // namespace knvt
