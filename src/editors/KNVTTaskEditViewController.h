#pragma once

#include "editors/KNVTTaskFormViewController.h"

#include <QDateTime>
#include <QUrl>

class KNVTCDTask;

// The form that edits one task, in a popover at an Edit button or in a sheet. It starts from the task, and its save
// writes only what the user changed (never the priority, which it does not show), and saves 0.5 s later. It closes
// by itself, writing nothing, when the task is deleted underneath it.
class KNVTTaskEditViewController : public KNVTTaskFormViewController
{
    Q_OBJECT

public:
    static constexpr double SaveDelay = 0.5;

    explicit KNVTTaskEditViewController(KNVTCDTask *task, QObject *parent = nullptr);

    // nullptr once the task is gone.
    KNVTCDTask *task() const;

    QSize formSize(bool collaboratorsShown) const override;

    // An empty title (no character at all) beeps; otherwise writes the changes and closes the form.
    Q_INVOKABLE void save(QObject *sender = nullptr) override;

protected:
    void viewDidLoad() override;
    void taskStoreWillChange() override;
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
    QUrl m_taskURI;
    QDateTime m_originalStartDate;
};
