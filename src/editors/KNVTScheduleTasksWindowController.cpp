#include "editors/KNVTScheduleTasksWindowController.h"

#include "editors/CancelAndSaveButtons.h"
#include "editors/EditorObjects.h"
#include "editors/SaveScheduler.h"
#include "store/TaskStoreChanges.h"

#include "uikit/GoneElsewhere.h"
#include "uikit/TextInItsDirection.h"

#include "model/KNVTCDTask.h"
#include "model/KNVTTaskStatus.h"

#include "uikit/KNVTDatePicker.h"
#include "uikit/ShownAsTyped.h"

#include "foundation/DateAdditions.h"
#include "foundation/NotificationCenter.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

KNVTScheduleTasksWindowController::KNVTScheduleTasksWindowController(const std::vector<KNVTCDTask *> &tasks,
                                                                     QWidget *parent)
    : knvt::Sheet(parent),
      m_taskURIs(knvt::urisOfObjects(tasks)),
      m_startDateFormatter(knvt::DateFormat::withTemplate(QStringLiteral("EEEddMMMyyyy"), QString(),
                                                          knvt::DateFormat::Weekdays::English))
{
    setObjectName(QStringLiteral("KNVTScheduleTasksWindowController"));
    auto *layout = new QVBoxLayout(this);
    m_titleTextField = new QLabel(this);
    m_titleTextField->setObjectName(QStringLiteral("titleTextField"));
    QFont bold = m_titleTextField->font();
    bold.setBold(true);
    m_titleTextField->setFont(bold);
    m_titleTextField->setTextFormat(Qt::PlainText);
    layout->addWidget(m_titleTextField);

    m_datePicker = new KNVTDatePicker(this);
    m_datePicker->setObjectName(QStringLiteral("datePicker"));
    m_datePicker->setCalendarName(tr("Start Date"));
    layout->addWidget(m_datePicker);
    m_startDateTextField = new QLabel(this);
    m_startDateTextField->setObjectName(QStringLiteral("startDateTextField"));
    m_startDateTextField->setAlignment(Qt::AlignCenter);
    layout->addWidget(m_startDateTextField);

    const knvt::CancelAndSaveButtons buttons = knvt::CancelAndSaveButtons::add(layout, this, this);
    m_cancelButton = buttons.cancel;
    m_saveButton = buttons.save;
    connect(m_cancelButton, &QPushButton::clicked, this, [this] { cancel(m_cancelButton); });
    connect(m_saveButton, &QPushButton::clicked, this, [this] { save(m_saveButton); });

    QDateTime day = knvt::tomorrowAtZeroHundredHours();
    if (tasks.size() == 1 && tasks.front()->startDate().isValid())
        day = tasks.front()->startDate();
    showTitle(tasks);
    // A sync or another window may delete some of the tasks meanwhile: the title counts those that are left, and a
    // sheet with none left closes as any form whose object went away.
    knvt::NotificationCenter::defaultCenter().addObserver(
        QString::fromLatin1(KNVTTaskStoreDidChangeNotification), &knvt::taskStore(), this,
        [this](const knvt::Notification &notification) {
            const std::vector<KNVTCDTask *> left = this->tasks();
            if (!left.empty()) {
                showTitle(left);
                return;
            }
            knvt::tellObjectWentAway(knvt::EditedObject::Task, QString(), this,
                                     knvt::whoseChange(knvt::TaskStoreChanges::madeElsewhere(notification)), true);
            dismiss();
        });
    // A start before today shows today, the earliest day the picker offers.
    m_datePicker->setMinDate(knvt::todayAtZeroHundredHours());
    m_datePicker->setDateValue(day);
    m_startDateTextField->setText(m_startDateFormatter.stringFromDate(m_datePicker->dateValue()));
    connect(m_datePicker, &KNVTDatePicker::dateValueProposed, this, &KNVTScheduleTasksWindowController::datePickerCell);
}

KNVTScheduleTasksWindowController::~KNVTScheduleTasksWindowController()
{
    knvt::NotificationCenter::defaultCenter().removeObservers(this);
}

void KNVTScheduleTasksWindowController::showTitle(const std::vector<KNVTCDTask *> &tasks)
{
    if (tasks.size() == 1) {
        const KNVTCDTask *task = tasks.front();
        m_titleTextField->setText(task->startDate().isValid()
                                      ? tr("Reschedule \"%1\"").arg(knvt::isolatedText(task->title()))
                                      : tr("Schedule \"%1\"").arg(knvt::isolatedText(task->title())));
    } else {
        m_titleTextField->setText(tr("Schedule %1 Tasks").arg(tasks.size()));
    }
    setWindowTitle(knvt::windowTitleText(m_titleTextField->text()));
}

std::vector<KNVTCDTask *> KNVTScheduleTasksWindowController::tasks() const
{
    return knvt::liveObjects<KNVTCDTask>(m_taskURIs);
}

void KNVTScheduleTasksWindowController::datePickerCell(const QDateTime &proposedDateValue)
{
    m_startDateTextField->setText(m_startDateFormatter.stringFromDate(proposedDateValue));
}

void KNVTScheduleTasksWindowController::save(QObject *)
{
    const QDateTime start = knvt::zeroHundredHoursDateForDate(m_datePicker->dateValue());
    for (KNVTCDTask *task : tasks()) {
        if (!task->canEdit())
            continue;
        task->setArchived(false);
        task->setStartDate(start);
        task->setStatus(KNVTTaskStatusActionable);
    }
    knvt::scheduleTaskStoreSave(knvt::Opener::User, SaveDelay);
    dismiss();
}

void KNVTScheduleTasksWindowController::cancel(QObject *)
{
    dismiss();
}
