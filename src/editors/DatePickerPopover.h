#pragma once

#include <QDateTime>
#include <QString>

class KNVTDatePickerViewControllerDelegate;
class QWidget;

namespace knvt {

class Popover;

// Shows the calendar popover of a date control next to `anchor`: a transient popover (object name `name`) holding a
// KNVTDatePickerViewController that starts on `date`, refuses days before `minimum` (none when null) and tells
// `delegate` of every day picked. `title` says what the date is ("Due Date"); screen readers read the popover and its
// calendar by it. The popover deletes itself once it has closed. With `focus` the calendar takes the keyboard focus.
Popover *showDatePickerPopover(QWidget *anchor, const QString &name, const QString &title, const QDateTime &date,
                               const QDateTime &minimum, KNVTDatePickerViewControllerDelegate *delegate, bool focus);

} // namespace knvt
