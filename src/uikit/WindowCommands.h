#pragma once

#include "uikit/Command.h"
#include "uikit/CommandTarget.h"

#include <QObject>

#include <initializer_list>

class QWidget;

namespace knvt {

class ActionSet;

// The commands of a window that has none of its own beyond the application's: New Task and Quit, carried out by the
// application (ApplicationCommands), and Close, which closes the window once the user agrees to drop what is typed
// in it (UnsavedTyping). The window makes one with the commands its
// menus advertise and owns it; the keys work wherever the keyboard is in the window.
class WindowCommands : public QObject, public CommandTarget
{
public:
    WindowCommands(QWidget *window, std::initializer_list<Command> commands);
    ~WindowCommands() override;

    ActionSet *actions() const { return m_actions; }

    void validateCommand(Command command, CommandState &state) override;
    void performCommand(Command command, QWidget *source) override;

private:
    QWidget *m_window;
    ActionSet *m_actions;
};

} // namespace knvt
