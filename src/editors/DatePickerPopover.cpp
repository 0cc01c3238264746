#include "editors/DatePickerPopover.h"

#include "uikit/KNVTDatePicker.h"
#include "uikit/KNVTDatePickerViewController.h"
#include "uikit/Popover.h"
#include "uikit/UnsavedTyping.h"

namespace knvt {

Popover *showDatePickerPopover(QWidget *anchor, const QString &name, const QString &title, const QDateTime &date,
                               const QDateTime &minimum, KNVTDatePickerViewControllerDelegate *delegate, bool focus)
{
    if (!anchor)
        return nullptr;
    auto *popover = new Popover(anchor->window());
    popover->setObjectName(name);
    popover->setBehavior(Popover::Behavior::Transient);
    popover->setAnimates(true);
    auto *controller = new KNVTDatePickerViewController(popover);
    controller->setTitle(title);
    controller->setDate(date);
    controller->setMinDate(minimum);
    controller->setDatePickerViewControllerDelegate(delegate);
    controller->setPopover(popover);
    popover->setContentWidget(controller->view());
    // The day picked goes into the date control at once, which holds it: the calendar keeps nothing of its own that
    // a press outside would drop.
    if (controller->datePicker())
        UnsavedTyping::markNotKept(controller->datePicker());
    QObject::connect(popover, &Popover::closed, popover, [popover] { popover->deleteLater(); });
    popover->showRelativeTo(QRect(), anchor, Opener::User);
    if (!focus && controller->datePicker())
        controller->datePicker()->clearFocus();
    return popover;
}

} // namespace knvt
