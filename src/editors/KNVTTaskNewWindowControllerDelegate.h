#pragma once

class KNVTTaskNewWindowController;

// The owner of a new-task window, told when the window closes so that it can let the window go.
class KNVTTaskNewWindowControllerDelegate
{
public:
    virtual ~KNVTTaskNewWindowControllerDelegate() = default;

    virtual void taskNewWindowControllerWillClose(KNVTTaskNewWindowController *controller) = 0;
};
