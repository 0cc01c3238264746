#pragma once

#include <vector>

class KNVTCDUser;
class QWidget;

// A list of people with a tick beside each, shown in a popover where a set of people is chosen (the watchers of a
// task). The forms only know this interface; the list itself comes from a KNVTUserSelectionFactory. It belongs to
// its view: deleting the view (closing the popover that holds it) deletes the list too.
class KNVTUserSelection
{
public:
    virtual ~KNVTUserSelection() = default;

    virtual QWidget *view() = 0;
    // The people offered, in the order given.
    virtual void setUsers(const std::vector<KNVTCDUser *> &users) = 0;
    // The people ticked.
    virtual void setSelectedUsers(const std::vector<KNVTCDUser *> &users) = 0;
    virtual std::vector<KNVTCDUser *> selectedUsers() const = 0;
};
