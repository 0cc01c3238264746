#include "editors/KNVTProjectNewWindowController.h"

#include "editors/DatePickerPopover.h"
#include "editors/EditorObjects.h"
#include "editors/SaveScheduler.h"

#include "model/KNVTCDTaskList.h"

#include "uikit/KNVTDatePickerViewController.h"

#include "foundation/DateAdditions.h"

#include <QGridLayout>

KNVTProjectNewWindowController::KNVTProjectNewWindowController(QWidget *parent)
    : KNVTTaskListNewWindowController(parent)
{
    setObjectName(QStringLiteral("KNVTProjectNewWindowController"));
    setWindowTitle(tr("New Project"));
    titleTextField()->setPlaceholderText(tr("New Project"));

    auto *grid = new QGridLayout;
    const auto addRow = [&](int row, const QString &name, const QString &title, const QString &dateName,
                            const QString &command, QCheckBox *&box, knvt::DateField *&picker, QToolButton *&calendar) {
        box = new QCheckBox(title, this);
        box->setObjectName(name + QStringLiteral("CheckBoxButton"));
        picker = new knvt::DateField(this);
        picker->setObjectName(name + QStringLiteral("DatePicker"));
        picker->setAccessibleName(dateName);
        calendar = new QToolButton(this);
        calendar->setObjectName(name + QStringLiteral("CalendarButton"));
        calendar->setText(QStringLiteral("\u25BE"));
        calendar->setToolTip(tr("Choose a day in a calendar"));
        // The button shows only an arrow: screen readers say what it does.
        calendar->setAccessibleName(command);
        calendar->setAutoRaise(true);
        grid->addWidget(box, row, 0);
        grid->addWidget(picker, row, 1);
        grid->addWidget(calendar, row, 2);
    };
    addRow(0, QStringLiteral("startDate"), tr("Start"), tr("Start Date"), tr("Choose Start Date"),
           m_startDateCheckBoxButton, m_startDateDatePicker, m_startDateCalendarButton);
    addRow(1, QStringLiteral("dueDate"), tr("Due"), tr("Due Date"), tr("Choose Due Date"), m_dueDateCheckBoxButton,
           m_dueDateDatePicker, m_dueDateCalendarButton);
    grid->setColumnStretch(1, 1);
    contentLayout()->addLayout(grid);

    const QDateTime today = knvt::todayAtZeroHundredHours();
    m_startDateDatePicker->setDateValue(today);
    m_startDateDatePicker->setMinimumDateValue(today, tr("Start cannot be before today"));
    m_dueDateDatePicker->setDateValue(today);
    connect(m_startDateCheckBoxButton, &QCheckBox::toggled, this, &KNVTProjectNewWindowController::startDateToggled);
    connect(m_dueDateCheckBoxButton, &QCheckBox::toggled, this, &KNVTProjectNewWindowController::dueDateToggled);
    for (QCheckBox *box : {m_startDateCheckBoxButton, m_dueDateCheckBoxButton})
        connect(box, &QCheckBox::toggled, this, &KNVTProjectNewWindowController::updateSaveButton);
    for (knvt::DateField *field : {m_startDateDatePicker, m_dueDateDatePicker})
        connect(field, &knvt::DateField::refusedChanged, this, &KNVTProjectNewWindowController::updateSaveButton);
    connect(m_startDateCalendarButton, &QToolButton::clicked, this,
            [this] { displayStartDatePickerPopover(m_startDateCalendarButton); });
    connect(m_dueDateCalendarButton, &QToolButton::clicked, this,
            [this] { displayDueDatePickerPopover(m_dueDateCalendarButton); });
    startDateToggled();
    dueDateToggled();
    updateSaveButton();
}

KNVTProjectNewWindowController::~KNVTProjectNewWindowController()
{
    for (knvt::Popover *popover : {m_startDatePickerPopover.data(), m_dueDatePickerPopover.data()}) {
        if (popover)
            popover->deleteLater();
    }
}

void KNVTProjectNewWindowController::startDateToggled()
{
    const bool on = m_startDateCheckBoxButton->isChecked();
    m_startDateDatePicker->setEnabled(on);
    m_startDateDatePicker->setVisible(on);
    m_startDateCalendarButton->setVisible(on);
}

void KNVTProjectNewWindowController::dueDateToggled()
{
    const bool on = m_dueDateCheckBoxButton->isChecked();
    m_dueDateDatePicker->setEnabled(on);
    m_dueDateDatePicker->setVisible(on);
    m_dueDateCalendarButton->setVisible(on);
}

void KNVTProjectNewWindowController::displayStartDatePickerPopover(QWidget *sender)
{
    if (m_startDatePickerPopover) {
        m_startDatePickerPopover->performClose();
        return;
    }
    // The calendar refuses what the picker below it would refuse: days before today.
    m_startDatePickerPopover =
        knvt::showDatePickerPopover(sender, QStringLiteral("startDatePickerPopover"), tr("Start Date"),
                                    m_startDateDatePicker->dateValue(), knvt::todayAtZeroHundredHours(), this, true);
}

void KNVTProjectNewWindowController::displayDueDatePickerPopover(QWidget *sender)
{
    if (m_dueDatePickerPopover) {
        m_dueDatePickerPopover->performClose();
        return;
    }
    m_dueDatePickerPopover = knvt::showDatePickerPopover(sender, QStringLiteral("dueDatePickerPopover"), tr("Due Date"),
                                                         m_dueDateDatePicker->dateValue(), QDateTime(), this, true);
}

void KNVTProjectNewWindowController::datePickerViewController(KNVTDatePickerViewController *controller,
                                                              const QDateTime &date)
{
    if (controller->popover() && controller->popover() == m_startDatePickerPopover)
        m_startDateDatePicker->chooseDay(knvt::dayForDate(date));
    else if (controller->popover() && controller->popover() == m_dueDatePickerPopover)
        m_dueDateDatePicker->chooseDay(knvt::dayForDate(date));
}

bool KNVTProjectNewWindowController::canSave() const
{
    return KNVTTaskListNewWindowController::canSave()
        && knvt::DateField::allowsSave(m_startDateCheckBoxButton->isChecked(), m_startDateDatePicker)
        && knvt::DateField::allowsSave(m_dueDateCheckBoxButton->isChecked(), m_dueDateDatePicker);
}

bool KNVTProjectNewWindowController::performSave()
{
    KNVTCDTaskList *project = knvt::taskStore().projectWithTitle(titleTextField()->text());
    if (project && m_startDateCheckBoxButton->isChecked())
        project->setStartDate(m_startDateDatePicker->dateValue());
    if (project && m_dueDateCheckBoxButton->isChecked())
        project->setDueDate(m_dueDateDatePicker->dateValue());
    return knvt::saveFormNow();
}
