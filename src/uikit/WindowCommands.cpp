#include "uikit/WindowCommands.h"

#include "uikit/ActionSet.h"
#include "uikit/ApplicationCommands.h"
#include "uikit/UnsavedTyping.h"

#include <QWidget>

namespace knvt {

WindowCommands::WindowCommands(QWidget *window, std::initializer_list<Command> commands)
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
    if (!ApplicationCommands::performCommand(command) && command == Command::Close
        && UnsavedTyping::mayDiscard(m_window))
        m_window->close();
}

} // namespace knvt
