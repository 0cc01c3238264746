#pragma once

#include "editors/KNVTTaskFormViewController.h"

#include "store/TaskEditValues.h"

#include <QDateTime>
#include <QUrl>

class KNVTCDTask;

// The form that edits one task, in a popover at an Edit button or in a sheet. It starts from the task and keeps what
// it loaded; its save hands the fields whose controls the user changed from their loaded values to the task (never
// the priority, which it does not show), so that changes made elsewhere while it was open stay, and saves at once:
// a save the library refuses leaves the form open with what was typed. It closes by itself, writing nothing, when the task is deleted underneath it or may no longer be changed
// (its list archived or made read-only elsewhere), and says so with what the user typed. A list the user chose that
// is deleted meanwhile stays chosen, marked as deleted, and Save says so rather than moving the task elsewhere.
class KNVTTaskEditViewController : public KNVTTaskFormViewController
{
    Q_OBJECT

public:
    // The title and notes where they differ from the task's: what the alert gives back when the form closes by
    // itself.
    QStringList typedText() const;

    explicit KNVTTaskEditViewController(KNVTCDTask *task, QObject *parent = nullptr);

    // nullptr once the task is gone.
    KNVTCDTask *task() const;

    QSize formSize(bool collaboratorsShown) const override;

    // A title that is empty once trimmed beeps; otherwise writes the changes and closes the form.
    Q_INVOKABLE void save(QObject *sender = nullptr) override;

protected:
    void viewDidLoad() override;
    void taskStoreWillChange() override;
    void taskStoreDidChange() override;
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
    // The list the task had when the form opened was deleted: the form shows the task's list now, which the user did
    // not choose otherwise.
    void followTheTaskWhenItsListWent(const KNVTCDTask &edited);
    // Closes the form unwritten and tells the user, with what was typed, that the task may no longer be changed.
    void closeAsReadOnly(QObject *sender);

    QUrl m_taskURI;
    QDateTime m_originalStartDate;
    knvt::TaskEditValues m_loadedValues;
    // The task could be changed when the form opened: only a change since then closes it.
    bool m_loadedEditable = false;
    bool m_closed = false;
};
