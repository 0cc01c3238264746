#include "editors/KNVTTaskEditViewController.h"

#include "editors/DateField.h"
#include "editors/EditorObjects.h"
#include "editors/KNVTUserSelection.h"
#include "editors/Logging.h"
#include "editors/SaveScheduler.h"

#include "model/KNVTCDTag.h"
#include "model/KNVTCDTask.h"
#include "model/KNVTCDTaskList.h"
#include "model/KNVTCDTaskWatcher.h"
#include "model/KNVTCDUser.h"
#include "model/KNVTRecurrence.h"
#include "model/KNVTRecurrenceRule.h"

#include "uikit/Beeper.h"
#include "uikit/KNVTTextField.h"
#include "uikit/KNVTTextView.h"
#include "uikit/KNVTTokenField.h"

#include "foundation/DateAdditions.h"

#include <algorithm>

namespace {

bool sameDate(const QDateTime &a, const QDateTime &b)
{
    return a.isValid() == b.isValid() && (!a.isValid() || a == b);
}

} // namespace

KNVTTaskEditViewController::KNVTTaskEditViewController(KNVTCDTask *task, QObject *parent)
    : KNVTTaskFormViewController(parent),
      m_taskURI(task ? task->uri() : QUrl()),
      m_originalStartDate(task ? task->startDate() : QDateTime())
{}

KNVTCDTask *KNVTTaskEditViewController::task() const
{
    return knvt::liveObject<KNVTCDTask>(m_taskURI);
}

QSize KNVTTaskEditViewController::formSize(bool collaboratorsShown) const
{
    return collaboratorsShown ? QSize(480, 327) : QSize(480, 279);
}

QDateTime KNVTTaskEditViewController::startDatePopoverMinimum() const
{
    const QDateTime today = knvt::todayAtZeroHundredHours();
    return m_originalStartDate.isValid() ? std::min(m_originalStartDate, today) : today;
}

KNVTCDUser *KNVTTaskEditViewController::startingAssignee() const
{
    const KNVTCDTask *edited = task();
    return edited ? edited->assignee() : nullptr;
}

void KNVTTaskEditViewController::viewDidLoad()
{
    const KNVTCDTask *edited = task();
    if (!edited)
        return;
    if (!edited->title().isEmpty())
        titleTextField()->setText(edited->title());
    if (edited->status().value_or(0) != 0)
        selectStatus(unsigned(*edited->status()));

    const QDateTime today = knvt::todayAtZeroHundredHours();
    startDateCheckBoxButton()->setChecked(edited->startDate().isValid());
    startDateDatePicker()->setDateValue(edited->startDate().isValid() ? edited->startDate() : today);
    startDateToggled();
    dueDateCheckBoxButton()->setChecked(edited->dueDate().isValid());
    dueDateDatePicker()->setDateValue(edited->dueDate().isValid() ? edited->dueDate() : today);
    dueDateToggled();

    fillFrequencyPopUp();
    const std::shared_ptr<KNVTRecurrence> repeat = edited->recurrence();
    const std::shared_ptr<KNVTRecurrenceRule> rule = repeat ? repeat->recurrenceRule() : nullptr;
    recurrenceRuleCheckBoxButton()->setChecked(repeat != nullptr);
    if (rule) {
        const int item = recurrenceRuleFrequencyPopUpButton()->findData(unsigned(rule->frequency()));
        if (item >= 0)
            recurrenceRuleFrequencyPopUpButton()->setCurrentIndex(item);
        recurrenceRuleIntervalTextField()->setText(QString::number(rule->interval()));
    }
    recurrenceToggled();

    if (!edited->notes().isEmpty())
        notesTextView()->setPlainText(edited->notes());
    QVariantList tags;
    for (const KNVTCDTag *tag : edited->tags())
        tags.append(tag->uri());
    tagsTokenField()->setObjectValue(tags);

    setSelectedTaskList(edited->taskList());
    updateTaskList();
    setWatcherTokens(edited->activeTaskWatcherUsers());
    updateAddButton();
    if (edited->creator())
        creatorTextField()->setText(edited->creator()->extendedDisplayName());
    updateAssignee();
    const KNVTCDTaskList *list = selectedTaskList();
    expandCollaboratorsSection(list && list->isCollaborative(), false);
    observeTaskStore();
}

void KNVTTaskEditViewController::taskStoreWillChange()
{
    KNVTCDTask *edited = task();
    if (!edited) {
        qCInfo(lcEditors) << "KNVTTaskEditViewController: the task is gone; the form closes without writing";
        cancel();
        return;
    }
    if (!m_taskURI.isEmpty() && !selectedTaskList())
        setSelectedTaskList(edited->taskList() && !knvt::isGone(edited->taskList()) ? edited->taskList() : nullptr);
}

void KNVTTaskEditViewController::watcherTokensDidChange()
{
    if (KNVTUserSelection *selection = userSelection()) {
        const KNVTCDTaskList *list = selectedTaskList();
        selection->setUsers(list ? list->activeTaskListCollaboratorUsers() : std::vector<KNVTCDUser *>());
        selection->setSelectedUsers(watchers());
    }
}

void KNVTTaskEditViewController::save(QObject *sender)
{
    view();
    if (taskTitle().isEmpty()) {
        knvt::Beeper::shared().beep();
        return;
    }
    KNVTCDTask *edited = task();
    if (!edited) {
        closeHost(sender);
        return;
    }
    if (taskTitle() != edited->title())
        edited->setTitle(taskTitle());

    const QString typedNotes = notes();
    if (typedNotes != edited->notes()) {
        if (typedNotes.isEmpty())
            edited->setNotes(QString());
        else
            edited->setNotes(typedNotes);
    }

    const qint64 current = edited->status().value_or(0);
    switch (status()) {
    case KNVTTaskStatusCancelled:
        if (!edited->isCancelled())
            edited->markAsCancelled();
        break;
    case KNVTTaskStatusCompleted:
        if (!edited->isCompleted())
            edited->markAsCompleted();
        break;
    case KNVTTaskStatusSomeday:
    case KNVTTaskStatusActionable:
        if (current != qint64(status())) {
            edited->markAsUncompleted();
            edited->setStatus(status());
        }
        break;
    default: break;
    }

    if (!sameDate(startDate(), edited->startDate()))
        edited->setStartDate(startDate());
    if (!sameDate(dueDate(), edited->dueDate()))
        edited->setDueDate(dueDate());

    const std::shared_ptr<KNVTRecurrence> repeat = recurrence();
    const std::shared_ptr<KNVTRecurrence> existing = edited->recurrence();
    if (repeat && (!existing || !repeat->isEqual(*existing)))
        edited->setRecurrence(repeat);
    else if (!repeat && existing)
        edited->setRecurrence(nullptr);

    if (taskList() != edited->taskList())
        edited->setTaskList(taskList());

    // Only a choice the user made moves the task to someone else: a list the pop-up could not offer, or an assignee
    // it could not show, must not take the task from the person it was given to.
    if ((assigneeWasChosen() || taskListWasChosen()) && assignee() != edited->assignee())
        edited->setAssignee(assignee());

    const std::vector<KNVTCDTag *> wantedTags = tagsForTokens();
    const std::vector<KNVTCDTag *> presentTags = edited->tags();
    for (KNVTCDTag *tag : presentTags) {
        if (std::find(wantedTags.begin(), wantedTags.end(), tag) == wantedTags.end())
            edited->removeTag(tag);
    }
    for (KNVTCDTag *tag : wantedTags) {
        if (std::find(presentTags.begin(), presentTags.end(), tag) == presentTags.end())
            edited->addTag(tag);
    }
    const std::vector<KNVTCDUser *> wantedWatchers = watchers();
    const std::vector<KNVTCDUser *> presentWatchers = edited->activeTaskWatcherUsers();
    for (KNVTCDUser *user : presentWatchers) {
        if (std::find(wantedWatchers.begin(), wantedWatchers.end(), user) == wantedWatchers.end())
            edited->removeWatcher(user);
    }
    for (KNVTCDUser *user : wantedWatchers) {
        if (std::find(presentWatchers.begin(), presentWatchers.end(), user) == presentWatchers.end())
            edited->addWatcher(user);
    }

    knvt::scheduleTaskStoreSave(SaveDelay);
    closeHost(sender);
}
