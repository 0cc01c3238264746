#pragma once

#include "editors/DateField.h"
#include "editors/KNVTTaskListNewWindowController.h"

#include "uikit/KNVTDatePickerViewControllerDelegate.h"
#include "uikit/Popover.h"

#include <QCheckBox>
#include <QPointer>
#include <QToolButton>

// The sheet that creates a project from its title and, each behind a check box, a start and a due date with a
// calendar popover beside it. The start can be no earlier than today; the due date may lie anywhere.
class KNVTProjectNewWindowController : public KNVTTaskListNewWindowController,
                                       public KNVTDatePickerViewControllerDelegate
{
    Q_OBJECT

public:
    explicit KNVTProjectNewWindowController(QWidget *parent = nullptr);
    ~KNVTProjectNewWindowController() override;

    QCheckBox *startDateCheckBoxButton() const { return m_startDateCheckBoxButton; }
    knvt::DateField *startDateDatePicker() const { return m_startDateDatePicker; }
    QToolButton *startDateCalendarButton() const { return m_startDateCalendarButton; }
    QCheckBox *dueDateCheckBoxButton() const { return m_dueDateCheckBoxButton; }
    knvt::DateField *dueDateDatePicker() const { return m_dueDateDatePicker; }
    QToolButton *dueDateCalendarButton() const { return m_dueDateCalendarButton; }
    knvt::Popover *startDatePickerPopover() const { return m_startDatePickerPopover; }
    knvt::Popover *dueDatePickerPopover() const { return m_dueDatePickerPopover; }

    // Each check box shows and enables its picker while ticked.
    void startDateToggled();
    void dueDateToggled();
    // Open the calendar next to `sender`, or close it when it is open.
    void displayStartDatePickerPopover(QWidget *sender);
    void displayDueDatePickerPopover(QWidget *sender);

    // A day picked in a calendar goes into its picker; the check box stays as it is.
    void datePickerViewController(KNVTDatePickerViewController *controller, const QDateTime &date) override;

protected:
    // Besides a title, each ticked date names a day.
    bool canSave() const override;
    bool performSave() override;

private:
    QCheckBox *m_startDateCheckBoxButton = nullptr;
    knvt::DateField *m_startDateDatePicker = nullptr;
    QToolButton *m_startDateCalendarButton = nullptr;
    QCheckBox *m_dueDateCheckBoxButton = nullptr;
    knvt::DateField *m_dueDateDatePicker = nullptr;
    QToolButton *m_dueDateCalendarButton = nullptr;
    QPointer<knvt::Popover> m_startDatePickerPopover;
    QPointer<knvt::Popover> m_dueDatePickerPopover;
};
