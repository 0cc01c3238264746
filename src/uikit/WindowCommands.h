#pragma once

#include "uikit/Command.h"
#include "uikit/CommandTarget.h"

#include <QList>
#include <QObject>

class QWidget;

namespace knvt {

class ActionSet;

// The commands of a window that has none of its own beyond the application's: New Task and Quit, carried out by the
// application (ApplicationCommands), and Close, which closes the window once the user agrees to drop what is typed
// in it (UnsavedTyping). The window owns it; the keys work wherever the keyboard is in the window.
class WindowCommands : public QObject, public CommandTarget
{
public:
    WindowCommands(QWidget *window, const QList<Command> &commands);
    ~WindowCommands() override;

    // From now on every window of the application that shows (its sheets, the account windows, the password window)
    // answers New Task, Close, Quit and Go to Waiting Window as the main window's menus show them: those it does not
    // offer through an action set of its own, it gets through one of these. Alerts, whose keys are their buttons, and popovers, which belong
    // to their window, are left as they are.
    static void offerInEveryWindow();

    ActionSet *actions() const { return m_actions; }

    void validateCommand(Command command, CommandState &state) override;
    void performCommand(Command command, QWidget *source) override;

private:
    QWidget *m_window;
    ActionSet *m_actions;
};

} // namespace knvt
