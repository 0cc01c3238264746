#pragma once

#include "editors/KNVTTaskFormViewController.h"

#include "store/TaskEditValues.h"

#include <QDateTime>
#include <QUrl>

class KNVTCDTask;

// The form that edits one task, in a popover at an Edit button or in a sheet. It starts from the task and keeps what
// it loaded; its save hands the fields whose controls the user changed from their loaded values to the task (never
// the priority, which it does not show), so that changes made elsewhere while it was open stay, and saves 0.5 s
// later. It closes by itself, writing nothing, when the task is deleted underneath it; a task that became read-only
// meanwhile makes its save beep and close without writing.
class KNVTTaskEditViewController : public KNVTTaskFormViewController
{
    Q_OBJECT

public:
    // The title and notes where they differ from the task's.
    QStringList unsavedTyping() const override;
    static constexpr double SaveDelay = 0.5;

    explicit KNVTTaskEditViewController(KNVTCDTask *task, QObject *parent = nullptr);

    // nullptr once the task is gone.
    KNVTCDTask *task() const;

    QSize formSize(bool collaboratorsShown) const override;

    // A title that is empty once trimmed beeps; otherwise writes the changes and closes the form.
    Q_INVOKABLE void save(QObject *sender = nullptr) override;

protected:
    void viewDidLoad() override;
    void taskStoreWillChange() override;
    QString formTitle() const override;
    bool hasPriority() const override { return false; }
    bool hasCreator() const override { return true; }
    bool sortsTaskLists() const override { return false; }
    // A task that started before today may keep a day that far back.
    QDateTime startDatePopoverMinimum() const override;
    bool focusesStartDatePopover() const override { return false; }
    std::vector<KNVTCDUser *> usersForWatchersPopover() const override { return usersForSelectedTaskList(); }
    KNVTCDUser *startingAssignee() const override;
    void watcherTokensDidChange() override;

private:
    // The form's values as they stand; what it loaded is kept in m_loadedValues.
    knvt::TaskEditValues shownValues() const;

    QUrl m_taskURI;
    QDateTime m_originalStartDate;
    knvt::TaskEditValues m_loadedValues;
};
