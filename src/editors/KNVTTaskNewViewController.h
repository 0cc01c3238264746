#pragma once

#include "editors/KNVTTaskFormViewController.h"

#include <QDateTime>
#include <QString>
#include <QVariantList>

#include <vector>

class KNVTCDTask;
class KNVTCDTaskList;
class KNVTCDUser;

// The form that creates one task, in the main window's new-task popover or in a new-task window (the menu, the
// quick-entry hot key, a detached popover). It starts from prefilled values, and its save inserts the task with
// every value of the form, its tags and watchers included, and saves it at once: a save the library refuses leaves the
// form open with all that was typed in it.
class KNVTTaskNewViewController : public KNVTTaskFormViewController
{
    Q_OBJECT

public:
    // Every value is optional: an empty string, 0, an invalid date, none or an empty list leaves the form as it
    // starts (status Actionable, no dates, no repeat, priority none). `tags` holds tag references (QUrl) and titles
    // (QString).
    struct Values
    {
        QString title = {};
        unsigned int status = 0;
        unsigned int priority = 0;
        QString notes = {};
        QDateTime startDate = {};
        QDateTime dueDate = {};
        KNVTCDTaskList *taskList = nullptr;
        KNVTCDUser *assignee = nullptr;
        QVariantList tags = {};
        std::vector<KNVTCDUser *> watchers = {};
    };

    explicit KNVTTaskNewViewController(QObject *parent = nullptr);
    explicit KNVTTaskNewViewController(const Values &values, QObject *parent = nullptr);

    // Between the level indicator (0 to 3) and the task's priority: 0 none, 1 low (9), 2 medium (5), 3 high (1).
    static unsigned int priorityForLevel(int level);
    static int levelForPriority(unsigned int priority);

    // The indicator's priority.
    unsigned int priority() const;
    // The form's values as they stand, for a window that takes over from a detached popover.
    Values currentValues() const;

    QSize formSize(bool collaboratorsShown) const override;
    std::vector<KNVTCDUser *> usersForSelectedTaskList() const override;

    // An empty title (no character at all) beeps; otherwise inserts the task and closes the form.
    Q_INVOKABLE void save(QObject *sender = nullptr) override;

    // The task the last save inserted, until the form goes; nullptr before.
    KNVTCDTask *insertedTask() const;

signals:
    // A save inserted the task with `uri`, which the library takes at once, or takes out again when it refuses it.
    void taskInserted(const QUrl &uri);

protected:
    void viewDidLoad() override;
    QString formTitle() const override;
    bool hasPriority() const override { return true; }
    bool hasCreator() const override { return false; }
    bool sortsTaskLists() const override { return true; }
    QDateTime startDatePopoverMinimum() const override;
    bool focusesStartDatePopover() const override { return true; }
    std::vector<KNVTCDUser *> usersForWatchersPopover() const override { return usersForSelectedTaskList(); }
    KNVTCDUser *startingAssignee() const override;

private:
    Values m_initialValues;
    QUrl m_insertedTaskURI;
};
