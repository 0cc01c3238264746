#include "uikit/KNVTDatePickerViewController.h"

#include "foundation/Clock.h"
#include "uikit/KNVTDatePicker.h"
#include "uikit/KNVTDatePickerView.h"
#include "uikit/Popover.h"

#include <QVBoxLayout>

namespace {
// The popover around the view keeps its own margin.
constexpr int ContentMargin = 0;
} // namespace

KNVTDatePickerViewController::KNVTDatePickerViewController(QObject *parent)
    : KNVTViewController(parent), m_date(knvt::Clock::shared().now())
{
    connect(this, &KNVTViewController::titleChanged, this, [this] {
        if (m_datePickerView)
            m_datePickerView->setAccessibleName(calendarName());
        if (m_datePicker)
            m_datePicker->setCalendarName(calendarName());
    });
}

void KNVTDatePickerViewController::loadView()
{
    auto *view = new KNVTDatePickerView;
    view->setDatePickerViewController(this);
    auto *picker = new KNVTDatePicker(view);
    picker->setObjectName(QStringLiteral("datePicker"));
    auto *layout = new QVBoxLayout(view);
    layout->setContentsMargins(ContentMargin, ContentMargin, ContentMargin, ContentMargin);
    layout->addWidget(picker);
    connect(picker, &KNVTDatePicker::dateValueProposed, this,
            [this, picker](const QDateTime &proposed) { datePickerCell(picker, proposed); });
    // A click takes the day it lands on, after the picker proposed it; left open, the calendar would take the next
    // click meant for the form (its Save) only to close.
    connect(picker, &QCalendarWidget::clicked, this, &KNVTDatePickerViewController::dayChosen);
    m_datePickerView = view;
    m_datePicker = picker;
    view->setAccessibleName(calendarName());
    picker->setCalendarName(calendarName());
    setView(view);
}

QString KNVTDatePickerViewController::calendarName() const
{
    return title().isEmpty() ? tr("Calendar") : title();
}

void KNVTDatePickerViewController::viewDidLoad()
{
    m_datePicker->setMinDate(m_minDate);
    m_datePicker->setMaxDate(m_maxDate);
    m_datePicker->setDateValue(m_date);
    m_openingDate = m_date;
    // Takes effect when the popover's window is shown and active.
    m_datePicker->setFocus(Qt::OtherFocusReason);
}

void KNVTDatePickerViewController::setPopover(knvt::Popover *popover)
{
    m_popover = popover;
}

void KNVTDatePickerViewController::setDate(const QDateTime &date)
{
    m_date = date;
    if (m_datePicker)
        m_datePicker->setDateValue(date);
}

void KNVTDatePickerViewController::setMinDate(const QDateTime &minDate)
{
    m_minDate = minDate;
    if (m_datePicker)
        m_datePicker->setMinDate(minDate);
}

void KNVTDatePickerViewController::setMaxDate(const QDateTime &maxDate)
{
    m_maxDate = maxDate;
    if (m_datePicker)
        m_datePicker->setMaxDate(maxDate);
}

void KNVTDatePickerViewController::dayChosen()
{
    bool close = true;
    if (KNVTDatePickerViewControllerDelegate *delegate = m_delegate.get())
        close = delegate->datePickerViewControllerShouldClose(this);
    if (close && m_popover)
        m_popover->performClose();
}

void KNVTDatePickerViewController::datePickerCell(KNVTDatePicker *, const QDateTime &proposedDateValue)
{
    if (proposedDateValue == m_date && proposedDateValue.isValid() == m_date.isValid())
        return;
    setDate(proposedDateValue);
    if (KNVTDatePickerViewControllerDelegate *delegate = m_delegate.get())
        delegate->datePickerViewController(this, m_date);
}

void KNVTDatePickerViewController::cancel()
{
    if (m_datePicker && m_openingDate.isValid())
        datePickerCell(m_datePicker, m_openingDate);
    if (m_popover)
        m_popover->performClose();
}
