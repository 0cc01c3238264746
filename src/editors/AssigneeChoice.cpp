#include "editors/AssigneeChoice.h"

#include "editors/EditorObjects.h"
#include "editors/SaveScheduler.h"

#include "store/KNVTTaskStoreCapabilities.h"

#include "model/KNVTCDTask.h"
#include "model/KNVTCDTaskList.h"
#include "model/KNVTCDUser.h"

#include <QComboBox>

#include <algorithm>

namespace knvt::AssigneeChoice {

KNVTCDUser *selectedAssignee(const QComboBox &popUp, const std::vector<KNVTCDTask *> &tasks)
{
    const QVariant data = popUp.currentData();
    if (data.typeId() == QMetaType::QUrl)
        return dynamic_cast<KNVTCDUser *>(taskStore().objectForURI(data.toUrl()));
    if (tasks.size() == 1)
        return tasks.front()->assignee();
    return taskStore().me();
}

void updateSelectedAssignee(QComboBox &popUp, const std::vector<KNVTCDTask *> &tasks)
{
    const KNVTCDUser *current = selectedAssignee(popUp, tasks);
    KNVTCDUser *me = taskStore().me();
    KNVTCDTaskList *taskList = nullptr;
    std::vector<KNVTCDUser *> users;
    if (KNVTTaskStoreCapabilities::canAssignTasks(tasks, &taskList)) {
        users = taskList->activeTaskListCollaboratorUsers();
        std::stable_sort(users.begin(), users.end(), KNVTCDUser::userComparator());
    } else if (me) {
        users.push_back(me);
    }

    popUp.clear();
    for (const KNVTCDUser *user : users)
        popUp.addItem(user->extendedDisplayName(), user->uri());
    int selected = -1;
    for (int i = 0; i < int(users.size()) && selected < 0; ++i) {
        if (users[size_t(i)] == current)
            selected = i;
    }
    for (int i = 0; i < int(users.size()) && selected < 0; ++i) {
        if (users[size_t(i)] == me)
            selected = i;
    }
    if (selected >= 0)
        popUp.setCurrentIndex(selected);
}

void assignTasks(const QList<QUrl> &taskURIs, const QComboBox &popUp, double saveDelay)
{
    const std::vector<KNVTCDTask *> tasks = liveObjects<KNVTCDTask>(taskURIs);
    for (KNVTCDTask *task : tasks) {
        // A task the user may no longer edit (its list archived or left meanwhile) keeps its assignee.
        if (task->canEdit())
            task->setAssignee(selectedAssignee(popUp, tasks));
    }
    scheduleTaskStoreSave(Opener::User, saveDelay);
}

} // namespace knvt::AssigneeChoice
