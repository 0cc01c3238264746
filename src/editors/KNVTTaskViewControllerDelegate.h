#pragma once

class KNVTTaskViewController;

// Told when the user presses Tab or Back-Tab in the task detail, so that the host moves the keyboard focus out of
// it. The answers are not used.
class KNVTTaskViewControllerDelegate
{
public:
    virtual ~KNVTTaskViewControllerDelegate() = default;

    virtual bool taskViewControllerShouldInsertTab(KNVTTaskViewController *controller) = 0;
    virtual bool taskViewControllerShouldInsertBacktab(KNVTTaskViewController *controller) = 0;
};
