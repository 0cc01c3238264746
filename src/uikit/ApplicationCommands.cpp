#include "uikit/ApplicationCommands.h"

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
    if (!isApplicationCommand(command))
        return false;
    state.enabled = gCommands != nullptr;
    return true;
}

bool ApplicationCommands::performCommand(Command command)
{
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
