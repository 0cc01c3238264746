#pragma once

#include <QDateTime>

class KNVTDatePickerViewController;

// Told about the dates the user picks in a date popover, and asked before Return closes it.
class KNVTDatePickerViewControllerDelegate
{
public:
    virtual ~KNVTDatePickerViewControllerDelegate() = default;

    // The user chose `date`, which differs from the controller's previous date.
    virtual void datePickerViewController(KNVTDatePickerViewController *controller, const QDateTime &date) = 0;

    // false keeps the popover open on Return. By default Return closes it.
    virtual bool datePickerViewControllerShouldClose(KNVTDatePickerViewController *controller);
};
