#pragma once

class QMenuBar;

// Gives the shortcut validator the application's main menu, so that a combination a menu item uses is refused.
// The application shell provides it; without one no menu is checked.
class KNVTMainMenuSource
{
public:
    virtual ~KNVTMainMenuSource();

    // The menu bar of the main window, or nullptr when there is none at the moment.
    virtual QMenuBar *mainMenuBar() const = 0;

    static KNVTMainMenuSource *shared();
    // Not owned; nullptr removes it.
    static void setShared(KNVTMainMenuSource *source);
};
