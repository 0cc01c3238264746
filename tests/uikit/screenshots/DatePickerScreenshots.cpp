// The date picker popover's content in each state.
#include "Screenshots.h"

#include "uikit/KNVTDatePickerViewController.h"

#include <QDateTime>

namespace {

QDateTime noon(int year, int month, int day)
{
    return QDateTime(QDate(year, month, day), QTime(12, 0), Qt::LocalTime);
}

} // namespace

KNVT_SCREENSHOTS(DatePicker)
{
    KNVTDatePickerViewController controller;
    controller.setDate(noon(2025, 3, 14));
    writer.save("date", controller.view());

    controller.setMinDate(noon(2025, 3, 10));
    controller.setMaxDate(noon(2025, 3, 24));
    writer.save("bounded", controller.view());
}
