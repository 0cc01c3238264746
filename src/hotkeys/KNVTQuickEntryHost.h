#pragma once

#include <QString>
#include <QtGlobal>

// What the quick-entry hot key opens, provided by the application shell: a new-task window (status 2, priority 0,
// nothing else filled in) brought in front of every program with its title field focused, and kept by the
// application until it closes.
class KNVTQuickEntryHost
{
public:
    virtual ~KNVTQuickEntryHost();

    // `userTime` is the window system's time of the key press, so that the window manager lets the window take the
    // focus from the program the user was in; on desktops that hand out activation tokens with the press,
    // `activationToken` serves the same end (empty otherwise).
    virtual void openQuickEntryWindow(quint32 userTime, const QString &activationToken) = 0;
};
