#pragma once

#include "uikit/Command.h"

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

    static ApplicationCommands *shared();
    // Not owned; nullptr removes it.
    static void setShared(ApplicationCommands *commands);
};

} // namespace knvt
