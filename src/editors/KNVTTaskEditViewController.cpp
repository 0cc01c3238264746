#include "editors/KNVTTaskEditViewController.h"

#include "editors/DateField.h"
#include "editors/EditorObjects.h"
#include "editors/KNVTUserSelection.h"
#include "editors/Logging.h"
#include "editors/SaveScheduler.h"

#include "store/TaskChanges.h"

#include "model/KNVTCDTag.h"
#include "model/KNVTCDTask.h"
#include "model/KNVTCDTaskList.h"
#include "model/KNVTCDTaskWatcher.h"
#include "model/KNVTCDUser.h"
#include "model/KNVTRecurrence.h"
#include "model/KNVTRecurrenceRule.h"

#include "uikit/Beeper.h"
#include "uikit/GoneElsewhere.h"
#include "uikit/KNVTTextField.h"
#include "uikit/KNVTTextView.h"
#include "uikit/KNVTTokenField.h"

#include "foundation/DateAdditions.h"

#include <algorithm>

KNVTTaskEditViewController::KNVTTaskEditViewController(KNVTCDTask *task, QObject *parent)
    : KNVTTaskFormViewController(parent),
      m_taskURI(task ? task->uri() : QUrl()),
      m_originalStartDate(task ? task->startDate() : QDateTime())
{}

KNVTCDTask *KNVTTaskEditViewController::task() const
{
    return knvt::liveObject<KNVTCDTask>(m_taskURI);
}

QString KNVTTaskEditViewController::formTitle() const
{
    return tr("Edit Task");
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
    showRecurrence(edited->recurrenceString());

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
    m_loadedValues = shownValues();
    m_loadedEditable = edited->canEdit();
    observeTaskStore();
}

knvt::TaskEditValues KNVTTaskEditViewController::shownValues() const
{
    knvt::TaskEditValues values;
    values.title = taskTitle();
    values.notes = notes();
    values.status = status();
    values.startDate = startDate();
    values.dueDate = dueDate();
    values.recurrence = recurrence();
    values.taskList = selectedTaskListURI();
    values.assignee = assignee() ? assignee()->uri() : QUrl();
    for (const QVariant &token : tagTokens()) {
        if (token.typeId() == QMetaType::QUrl)
            values.tags.append(token.toUrl());
        else
            values.tagTitles.append(token.toString());
    }
    values.watchers = knvt::urisOfObjects(watchers());
    return values;
}

QStringList KNVTTaskEditViewController::typedText() const
{
    QStringList typed;
    if (!viewIfLoaded())
        return typed;
    if (taskTitle() != m_loadedValues.title)
        typed << taskTitle();
    if (notes() != m_loadedValues.notes)
        typed << notes();
    return typed;
}

void KNVTTaskEditViewController::taskStoreWillChange()
{
    KNVTCDTask *edited = task();
    if (!edited) {
        if (m_closed)
            return;
        m_closed = true;
        qCInfo(lcEditors) << "KNVTTaskEditViewController: the task is gone; the form closes without writing";
        knvt::tellObjectWentAway(knvt::EditedObject::Task, m_loadedValues.title, viewIfLoaded(),
                                 knvt::whoseChange(changeMadeElsewhere()), true, typedText());
        cancel();
        return;
    }
    followTheTaskWhenItsListWent(*edited);
}

void KNVTTaskEditViewController::taskStoreDidChange()
{
    const KNVTCDTask *edited = task();
    if (edited && m_loadedEditable && !edited->canEdit() && !m_closed) {
        closeAsReadOnly(nullptr);
        return;
    }
    if (edited)
        followTheTaskWhenItsListWent(*edited);
    KNVTTaskFormViewController::taskStoreDidChange();
}

void KNVTTaskEditViewController::followTheTaskWhenItsListWent(const KNVTCDTask &edited)
{
    // A list the user chose stays chosen, marked as deleted, so that the form never shows one list while the task
    // goes to another.
    if (selectedTaskListIsGone() && selectedTaskListURI() == m_loadedValues.taskList)
        setSelectedTaskList(edited.taskList() && !knvt::isGone(edited.taskList()) ? edited.taskList() : nullptr);
}

void KNVTTaskEditViewController::closeAsReadOnly(QObject *sender)
{
    m_closed = true;
    qCInfo(lcEditors) << "KNVTTaskEditViewController: the task may no longer be changed; the form closes unwritten";
    knvt::tellTaskBecameReadOnly(m_loadedValues.title, viewIfLoaded(),
                                 knvt::whoseChange(sender == nullptr && changeMadeElsewhere()), typedText());
    closeHost(sender);
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
    if (!canSave()) {
        knvt::Beeper::shared().beep();
        return;
    }
    KNVTCDTask *edited = task();
    if (!edited) {
        m_closed = true;
        knvt::tellObjectWentAway(knvt::EditedObject::Task, m_loadedValues.title, viewIfLoaded(),
                                 knvt::Opener::Application, true, typedText());
        closeHost(sender);
        return;
    }
    if (tellChosenTaskListIsGone())
        return;
    const knvt::TaskChanges changes = knvt::TaskChanges::between(m_loadedValues, shownValues());
    if (!changes.applyTo(*edited, knvt::taskStore())) {
        closeAsReadOnly(sender);
        return;
    }
    if (knvt::saveFormNow())
        closeHost(sender);
}
