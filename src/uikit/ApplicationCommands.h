#pragma once

#include "uikit/Command.h"
#include "uikit/CommandTarget.h"

namespace knvt {

// The commands of the application as a whole (New Task, Quit) for a window other than the main window: its action set
// offers them with their one title and keys and hands them on here, so that they work in every window. The
// application installs itself as the shared instance at start; without one, such a window does not offer them.
class ApplicationCommands
{
public:
    virtual ~ApplicationCommands() = default;

    // Carries out the command as the application would from its menu bar: New Task opens a new-task window when the
    // main window is not the active one.
    virtual void performApplicationCommand(Command command) = 0;

    // The answers of such a window for New Task and Quit: enabled while the application is there, and carried out by
    // it; and of every window for Go to Waiting Window, shown while a window waits and titled by its name. Both return
    // false for any other command, which the window answers itself.
    static bool validateCommand(Command command, CommandState &state);
    static bool performCommand(Command command);

    static ApplicationCommands *shared();
    // Not owned; nullptr removes it.
    static void setShared(ApplicationCommands *commands);
};

} // namespace knvt
