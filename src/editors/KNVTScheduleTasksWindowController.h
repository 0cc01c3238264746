#pragma once

#include "editors/Sheet.h"

#include "foundation/DateFormat.h"

#include <QDateTime>
#include <QList>
#include <QUrl>

#include <vector>

class KNVTCDTask;
class KNVTDatePicker;
class QLabel;
class QPushButton;

// The sheet that gives tasks a start day: a calendar from today on, the chosen day in words beside it, and Save,
// which starts every task that still exists and may be edited on that day at 00:00, makes it actionable and takes
// it out of the archive, then saves 0.5 s later. Dropping tasks on a Scheduled section opens it too.
class KNVTScheduleTasksWindowController : public knvt::Sheet
{
    Q_OBJECT

public:
    static constexpr double SaveDelay = 0.5;

    explicit KNVTScheduleTasksWindowController(const std::vector<KNVTCDTask *> &tasks, QWidget *parent = nullptr);
    ~KNVTScheduleTasksWindowController() override;

    // The tasks that still exist.
    std::vector<KNVTCDTask *> tasks() const;
    // The day in words: weekday, day, abbreviated month and year in the locale's order.
    const knvt::DateFormat &startDateFormatter() const { return m_startDateFormatter; }

    QLabel *titleTextField() const { return m_titleTextField; }
    QLabel *startDateTextField() const { return m_startDateTextField; }
    KNVTDatePicker *datePicker() const { return m_datePicker; }
    QPushButton *saveButton() const { return m_saveButton; }
    QPushButton *cancelButton() const { return m_cancelButton; }

    Q_INVOKABLE void save(QObject *sender = nullptr);
    Q_INVOKABLE void cancel(QObject *sender = nullptr);

private:
    // "Schedule 2 Tasks", or the one task's title.
    void showTitle(const std::vector<KNVTCDTask *> &tasks);
    // Shows each date the user moves to.
    void datePickerCell(const QDateTime &proposedDateValue);

    QList<QUrl> m_taskURIs;
    knvt::DateFormat m_startDateFormatter;
    QLabel *m_titleTextField = nullptr;
    QLabel *m_startDateTextField = nullptr;
    KNVTDatePicker *m_datePicker = nullptr;
    QPushButton *m_saveButton = nullptr;
    QPushButton *m_cancelButton = nullptr;
};
