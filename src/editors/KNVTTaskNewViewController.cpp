#include "editors/KNVTTaskNewViewController.h"

#include "editors/DateField.h"
#include "editors/EditorObjects.h"
#include "editors/SaveScheduler.h"

#include "model/KNVTCDTag.h"
#include "model/KNVTCDTask.h"
#include "model/KNVTCDTaskList.h"
#include "model/KNVTCDUser.h"
#include "model/KNVTRecurrence.h"
#include "model/KNVTTaskPriorityLevel.h"

#include "uikit/Beeper.h"
#include "uikit/KNVTLevelIndicator.h"
#include "uikit/KNVTTextField.h"
#include "uikit/KNVTTextView.h"
#include "uikit/KNVTTokenField.h"

#include "foundation/DateAdditions.h"

#include <QApplication>

#include <algorithm>

KNVTTaskNewViewController::KNVTTaskNewViewController(QObject *parent) : KNVTTaskFormViewController(parent) {}

KNVTTaskNewViewController::KNVTTaskNewViewController(const Values &values, QObject *parent)
    : KNVTTaskFormViewController(parent), m_initialValues(values)
{}

unsigned int KNVTTaskNewViewController::priorityForLevel(int level)
{
    switch (level) {
    case 1: return KNVTTaskPriorityLevelLow;
    case 2: return KNVTTaskPriorityLevelMedium;
    case 3: return KNVTTaskPriorityLevelHigh;
    default: return KNVTTaskPriorityLevelNone;
    }
}

int KNVTTaskNewViewController::levelForPriority(unsigned int priority)
{
    switch (priority) {
    case KNVTTaskPriorityLevelHigh: return 3;
    case KNVTTaskPriorityLevelMedium: return 2;
    case KNVTTaskPriorityLevelLow: return 1;
    default: return 0;
    }
}

QString KNVTTaskNewViewController::formTitle() const
{
    return tr("New Task");
}

QSize KNVTTaskNewViewController::formSize(bool collaboratorsShown) const
{
    return collaboratorsShown ? QSize(480, 315) : QSize(480, 283);
}

unsigned int KNVTTaskNewViewController::priority() const
{
    return priorityLevelIndicator() ? priorityForLevel(priorityLevelIndicator()->value()) : 0;
}

std::vector<KNVTCDUser *> KNVTTaskNewViewController::usersForSelectedTaskList() const
{
    std::vector<KNVTCDUser *> users = KNVTTaskFormViewController::usersForSelectedTaskList();
    std::stable_sort(users.begin(), users.end(), KNVTCDUser::userComparator());
    return users;
}

QDateTime KNVTTaskNewViewController::startDatePopoverMinimum() const
{
    return knvt::todayAtZeroHundredHours();
}

KNVTCDUser *KNVTTaskNewViewController::startingAssignee() const
{
    return m_initialValues.assignee && !knvt::isGone(m_initialValues.assignee) ? m_initialValues.assignee : nullptr;
}

KNVTTaskNewViewController::Values KNVTTaskNewViewController::currentValues() const
{
    Values values;
    values.title = taskTitle();
    values.status = status();
    values.priority = priority();
    values.notes = notes();
    values.startDate = startDate();
    values.dueDate = dueDate();
    values.taskList = taskList();
    values.assignee = assignee();
    values.tags = tagTokens();
    values.watchers = watchers();
    return values;
}

KNVTCDTask *KNVTTaskNewViewController::insertedTask() const
{
    return knvt::liveObject<KNVTCDTask>(m_insertedTaskURI);
}

void KNVTTaskNewViewController::viewDidLoad()
{
    const Values &values = m_initialValues;
    if (!values.title.isEmpty())
        titleTextField()->setText(values.title);
    if (values.status != 0)
        selectStatus(values.status);

    const QDateTime today = knvt::todayAtZeroHundredHours();
    startDateCheckBoxButton()->setChecked(values.startDate.isValid());
    startDateDatePicker()->setDateValue(values.startDate.isValid() ? values.startDate : today);
    startDateDatePicker()->setMinimumDateValue(today, tr("Start cannot be before today"));
    startDateToggled();
    dueDateCheckBoxButton()->setChecked(values.dueDate.isValid());
    dueDateDatePicker()->setDateValue(values.dueDate.isValid() ? values.dueDate : today);
    dueDateToggled();
    recurrenceToggled();
    fillFrequencyPopUp();

    const int level = levelForPriority(values.priority);
    if (level > 0)
        priorityLevelIndicator()->setValue(level);
    if (!values.notes.isEmpty())
        notesTextView()->setPlainText(values.notes);
    QFont notesFont = notesTextView()->font();
    notesFont.setPixelSize(12);
    notesTextView()->setFont(notesFont);

    // A list the user may not add tasks to (an archived project) cannot take the new task: the form starts
    // without a list instead.
    KNVTCDTaskList *list =
        values.taskList && !knvt::isGone(values.taskList) && values.taskList->canAddTasks() ? values.taskList : nullptr;
    setSelectedTaskList(list);
    updateTaskList();

    if (!values.tags.isEmpty())
        tagsTokenField()->setObjectValue(values.tags);
    if (!values.watchers.empty())
        setWatcherTokens(values.watchers);
    updateAddButton();
    updateAssignee();
    expandCollaboratorsSection(list && list->isCollaborative(), false);
    observeTaskStore();
}

void KNVTTaskNewViewController::save(QObject *sender)
{
    view();
    if (!canSave()) {
        knvt::Beeper::shared().beep();
        return;
    }
    if (tellChosenTaskListIsGone())
        return;
    KNVTTaskStore &store = knvt::taskStore();
    // Only the people of the task's list see it: anyone else chosen before that list went is no assignee or watcher.
    const std::vector<KNVTCDUser *> members = usersForSelectedTaskList();
    const auto seesTheTask = [&](const KNVTCDUser *user) {
        return user == store.me() || std::find(members.begin(), members.end(), user) != members.end();
    };
    KNVTCDUser *chosenAssignee = assignee();
    if (chosenAssignee && !seesTheTask(chosenAssignee))
        chosenAssignee = store.me();
    KNVTCDTask *task = store.taskWithTitle(taskTitle());
    if (!task)
        return;
    task->setNotes(notes());
    switch (status()) {
    case KNVTTaskStatusCancelled: task->markAsCancelled(); break;
    case KNVTTaskStatusCompleted: task->markAsCompleted(); break;
    case KNVTTaskStatusSomeday: task->setStatus(KNVTTaskStatusSomeday); break;
    case KNVTTaskStatusActionable: task->setStatus(KNVTTaskStatusActionable); break;
    default: break;
    }
    if (startDate().isValid())
        task->setStartDate(startDate());
    if (dueDate().isValid())
        task->setDueDate(dueDate());
    if (std::shared_ptr<KNVTRecurrence> rule = recurrence())
        task->setRecurrence(rule);
    task->setTaskList(taskList());
    task->setPriority(priority());
    task->setAssignee(chosenAssignee);
    for (KNVTCDTag *tag : tagsForTokens())
        task->addTag(tag);
    for (KNVTCDUser *watcher : watchers()) {
        if (std::find(members.begin(), members.end(), watcher) != members.end())
            task->addWatcher(watcher);
    }
    // Told before the save, so that the list selects the task as the save places it; a refused save takes it out again.
    m_insertedTaskURI = task->uri();
    emit taskInserted(m_insertedTaskURI);
    if (!knvt::saveFormNow()) {
        m_insertedTaskURI.clear();
        return;
    }
    closeHost(sender);
}
