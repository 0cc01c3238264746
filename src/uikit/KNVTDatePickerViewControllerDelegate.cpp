#include "uikit/KNVTDatePickerViewControllerDelegate.h"

bool KNVTDatePickerViewControllerDelegate::datePickerViewControllerShouldClose(KNVTDatePickerViewController *)
{
    return true;
}
