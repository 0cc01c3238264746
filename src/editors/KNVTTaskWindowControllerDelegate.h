#pragma once

class KNVTTaskWindowController;

// The keeper of the task windows (one per task), told when one closes so that it forgets it.
class KNVTTaskWindowControllerDelegate
{
public:
    virtual ~KNVTTaskWindowControllerDelegate() = default;

    virtual void taskWindowControllerWillClose(KNVTTaskWindowController *controller) = 0;
};
