#pragma once

#include "uikit/KNVTDatePicker.h"
#include "uikit/KNVTDatePickerView.h"
#include "uikit/KNVTDatePickerViewControllerDelegate.h"
#include "uikit/KNVTViewController.h"
#include "uikit/Popover.h"
#include "uikit/WeakDelegate.h"

#include <QDateTime>
#include <QPointer>

// The content of the date popovers of the task and project forms: a KNVTDatePickerView ("datePickerView") holding a
// KNVTDatePicker ("datePicker"), made when view() is first asked for. Every date the user picks, by click or arrow
// key, becomes the controller's date and is reported to the delegate when it differs from the previous one; Return
// closes the popover.
//
// Presenting, as the forms do: set the delegate, the date and any bounds; put view() into a knvt::Popover
// (setContentWidget()), give the controller that popover, show it at the date field and focus the picker.
class KNVTDatePickerViewController : public KNVTViewController
{
    Q_OBJECT
    Q_PROPERTY(QDateTime date READ date WRITE setDate)
    Q_PROPERTY(QDateTime minDate READ minDate WRITE setMinDate)
    Q_PROPERTY(QDateTime maxDate READ maxDate WRITE setMaxDate)

public:
    // The date starts at the current moment.
    explicit KNVTDatePickerViewController(QObject *parent = nullptr);

    // Not owned; a QObject delegate is forgotten when it is destroyed.
    KNVTDatePickerViewControllerDelegate *datePickerViewControllerDelegate() const { return m_delegate.get(); }
    void setDatePickerViewControllerDelegate(KNVTDatePickerViewControllerDelegate *delegate)
    {
        m_delegate.set(delegate);
    }

    // Both nullptr until the view is loaded.
    KNVTDatePicker *datePicker() const { return m_datePicker; }
    KNVTDatePickerView *datePickerView() const { return m_datePickerView; }

    // The popover that shows the controller; not owned.
    knvt::Popover *popover() const { return m_popover; }
    void setPopover(knvt::Popover *popover);

    // The name screen readers give the popover and the calendar: the controller's title, what the calendar is for
    // ("Due Date"), or "Calendar" while it has none.
    QString calendarName() const;

    QDateTime date() const { return m_date; }
    // Also shows the date in a loaded picker; reports nothing.
    void setDate(const QDateTime &date);
    // Null for no bound; passed on to a loaded picker at once.
    QDateTime minDate() const { return m_minDate; }
    void setMinDate(const QDateTime &minDate);
    QDateTime maxDate() const { return m_maxDate; }
    void setMaxDate(const QDateTime &maxDate);

    // The picker's report of a date the user chose: a date other than the current one becomes the date and is
    // passed to the delegate. The picker takes the proposed value as it is in every case.
    void datePickerCell(KNVTDatePicker *datePicker, const QDateTime &proposedDateValue);
    // Escape: the date the calendar opened with comes back (reported to the delegate when the user had moved away
    // from it, as every pick is reported at once), and the popover closes.
    void cancel();

    // The user settled on the day shown (Return, or a click on a day): the popover closes unless the delegate keeps
    // it open. A calendar shown in a sheet of its own stays.
    void dayChosen();

protected:
    void loadView() override;
    // Passes the date and the bounds to the picker and gives it the keyboard focus.
    void viewDidLoad() override;

private:
    knvt::WeakDelegate<KNVTDatePickerViewControllerDelegate> m_delegate;
    QPointer<KNVTDatePickerView> m_datePickerView;
    QPointer<KNVTDatePicker> m_datePicker;
    QPointer<knvt::Popover> m_popover;
    QDateTime m_date;
    // The date when the view was loaded, which Escape puts back.
    QDateTime m_openingDate;
    QDateTime m_minDate;
    QDateTime m_maxDate;
};
