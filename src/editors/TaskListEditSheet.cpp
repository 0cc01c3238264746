#include "editors/TaskListEditSheet.h"

#include "editors/EditorObjects.h"
#include "editors/SaveScheduler.h"

#include "store/TaskStoreChanges.h"

#include "model/KNVTCDTaskList.h"
#include "model/KNVTTaskListStatus.h"

#include "uikit/AlertAdditions.h"
#include "uikit/GoneElsewhere.h"

#include "foundation/NotificationCenter.h"

#include <QFormLayout>

namespace knvt {

namespace {

constexpr KNVTTaskListStatus Statuses[] = {KNVTTaskListStatusSomeday, KNVTTaskListStatusActionable,
                                           KNVTTaskListStatusCompleted, KNVTTaskListStatusCancelled};

} // namespace

TaskListEditSheet::TaskListEditSheet(KNVTCDTaskList *taskList, QWidget *parent)
    : TitleSheet(parent),
      m_taskListURI(taskList ? taskList->uri() : QUrl()),
      m_object(taskList && taskList->isArea() ? EditedObject::Area : EditedObject::Project)
{
    auto *form = new QFormLayout;
    m_statusPopUpButton = new QComboBox(this);
    m_statusPopUpButton->setObjectName(QStringLiteral("statusPopUpButton"));
    for (KNVTTaskListStatus status : Statuses)
        m_statusPopUpButton->addItem(KNVTCDTaskList::localizedDisplayNameForStatus(status), unsigned(status));
    m_statusPopUpButton->setCurrentIndex(1);
    form->addRow(tr("Status"), m_statusPopUpButton);
    contentLayout()->addLayout(form);

    if (taskList) {
        titleTextField()->setText(taskList->title());
        const int item = m_statusPopUpButton->findData(unsigned(taskList->status().value_or(0)));
        if (item >= 0)
            m_statusPopUpButton->setCurrentIndex(item);
    }
    m_loadedTitle = titleTextField()->text();
    m_loadedStatus = m_statusPopUpButton->currentData().toUInt();
    updateSaveButton();
    NotificationCenter::defaultCenter().addObserver(QString::fromLatin1(KNVTTaskStoreWillChangeNotification),
                                                    &taskStore(), this, [this](const Notification &notification) {
                                                        if (this->taskList())
                                                            return;
                                                        tellObjectWentAway(
                                                            m_object, m_loadedTitle, this,
                                                            whoseChange(TaskStoreChanges::madeElsewhere(notification)),
                                                            true, typedTitle(m_loadedTitle));
                                                        cancel();
                                                    });
}

TaskListEditSheet::~TaskListEditSheet()
{
    NotificationCenter::defaultCenter().removeObservers(this);
}

KNVTCDTaskList *TaskListEditSheet::taskList() const
{
    return liveObject<KNVTCDTaskList>(m_taskListURI);
}

bool TaskListEditSheet::performSave()
{
    KNVTCDTaskList *list = taskList();
    if (!list)
        return true;
    bool closes = true;
    const auto completion = [&closes](bool done) { closes = done; };
    const qint64 status = list->status().value_or(0);
    const unsigned int chosen = m_statusPopUpButton->currentData().toUInt();
    switch (chosen == m_loadedStatus ? 0 : chosen) {
    case KNVTTaskListStatusCancelled:
        if (!list->isCancelled())
            list->performMarkAsCancelledWithAlertHandler(synchronousAlertHandler(Opener::User), completion);
        break;
    case KNVTTaskListStatusCompleted:
        if (!list->isCompleted())
            list->performMarkAsCompletedWithAlertHandler(synchronousAlertHandler(Opener::User), completion);
        break;
    case KNVTTaskListStatusSomeday:
        if (status != KNVTTaskListStatusSomeday) {
            list->markAsUncompleted();
            list->setStatus(KNVTTaskListStatusSomeday);
        }
        break;
    case KNVTTaskListStatusActionable:
        if (status != KNVTTaskListStatusActionable) {
            list->markAsUncompleted();
            list->setStatus(KNVTTaskListStatusActionable);
        }
        break;
    default: break;
    }
    if (!closes)
        return false;
    // The title only now: a refused status change leaves nothing behind that some later save would write.
    const QString typed = titleTextField()->text();
    if (typed != m_loadedTitle && list->title() != typed)
        list->setTitle(typed);
    return saveFormNow();
}

} // namespace knvt
