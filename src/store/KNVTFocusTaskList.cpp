#include "store/KNVTFocusTaskList.h"

#include "store/KNVTTaskStore.h"
#include "store/KNVTTaskStoreQueries.h"

#include "model/KNVTCDTask.h"
#include "model/KNVTCDTaskList.h"
#include "model/KNVTTaskListStatus.h"
#include "model/KNVTTaskStatus.h"

#include <QCoreApplication>
#include <QFile>
#include <QHash>

#include <algorithm>

namespace {

// Template images of the source list, by focus type.
const char *const IconNames[] = {
    "SL_InboxTemplate",   "SL_StarTemplate",     "SL_NextTemplate", "SL_ScheduledTemplate",
    "SL_SomedayTemplate", "SL_WatchingTemplate", "TB_UserTemplate", "SL_ArchiveTemplate",
};

bool isKnownType(unsigned int focusType)
{
    return focusType <= KNVTFocusTypeArchived;
}

QString groupHeader(const char *englishText)
{
    return QStringLiteral("<div class=\"group_header\">%1</div>")
        .arg(QCoreApplication::translate("KNVTFocusTaskList", englishText).toHtmlEscaped());
}

template <class T>
void sortAndAppend(QString &html, std::vector<T *> objects, const KNVTCDTaskStoreObject::Comparator &comparator,
                   QString (KNVTCDTaskStoreObject::*form)() const)
{
    std::stable_sort(objects.begin(), objects.end(), comparator);
    for (const T *object : objects)
        html += (object->*form)();
}

} // namespace

KNVTFocusTaskList::KNVTFocusTaskList(KNVTFocusType focusType, KNVTTaskStoreQueries *store)
    : m_focusType(focusType),
      m_localizedDisplayName(KNVTCDTask::localizedDisplayNameForFocusType(focusType)),
      m_store(store)
{
    reloadData();
}

KNVTTaskStoreQueries &KNVTFocusTaskList::store() const
{
    return m_store ? *m_store : *KNVTTaskStore::defaultTaskStore();
}

QString KNVTFocusTaskList::sourceIconName() const
{
    return isKnownType(m_focusType) ? QString::fromLatin1(IconNames[m_focusType]) : QString();
}

QIcon KNVTFocusTaskList::sourceIcon() const
{
    const QString name = sourceIconName();
    if (name.isEmpty())
        return {};
    for (const char *extension : {".svg", ".png"}) {
        const QString path = QStringLiteral(":/images/") + name + QLatin1String(extension);
        if (QFile::exists(path)) {
            QIcon icon(path);
            icon.setIsMask(true);
            return icon;
        }
    }
    return {};
}

QIcon KNVTFocusTaskList::highlightedSourceIcon() const
{
    return sourceIcon();
}

void KNVTFocusTaskList::reloadData()
{
    KNVTTaskStoreQueries &s = store();
    switch (m_focusType) {
    case KNVTFocusTypeInbox: m_tasks = s.inboxTasks(); break;
    case KNVTFocusTypeToday: m_tasks = s.todayTasks(); break;
    case KNVTFocusTypeNext: m_tasks = s.nextTasks(); break;
    case KNVTFocusTypeScheduled: m_tasks = s.scheduledTasks(); break;
    case KNVTFocusTypeSomeday: m_tasks = s.somedayTasks(); break;
    case KNVTFocusTypeWatched: m_tasks = s.watchedTasks(); break;
    case KNVTFocusTypeDelegated: m_tasks = s.delegatedTasks(); break;
    case KNVTFocusTypeArchived: m_tasks = s.archivedTasksNotInArchivedTaskList(); break;
    default: m_tasks.clear(); break;
    }

    m_taskLists.clear();
    if (m_focusType == KNVTFocusTypeSomeday) {
        m_taskLists = s.suspendedProjects();
        const std::vector<KNVTCDTaskList *> areas = s.suspendedAreas();
        m_taskLists.insert(m_taskLists.end(), areas.begin(), areas.end());
    } else if (m_focusType == KNVTFocusTypeArchived) {
        m_taskLists = s.archivedProjects();
        const std::vector<KNVTCDTaskList *> areas = s.archivedAreas();
        m_taskLists.insert(m_taskLists.end(), areas.begin(), areas.end());
    }
}

std::vector<KNVTCDTask *> KNVTFocusTaskList::tasks()
{
    reloadData();
    return m_tasks;
}

std::vector<KNVTCDTaskList *> KNVTFocusTaskList::taskLists()
{
    reloadData();
    return m_taskLists;
}

std::vector<KNVTCDTaskStoreObject *> KNVTFocusTaskList::taskStoreObjects()
{
    reloadData();
    std::vector<KNVTCDTaskStoreObject *> objects(m_tasks.begin(), m_tasks.end());
    objects.insert(objects.end(), m_taskLists.begin(), m_taskLists.end());
    return objects;
}

std::size_t KNVTFocusTaskList::numberOfTasks()
{
    return tasks().size();
}

std::size_t KNVTFocusTaskList::numberOfTaskLists()
{
    return taskLists().size();
}

std::size_t KNVTFocusTaskList::numberOfTaskStoreObjects()
{
    return taskStoreObjects().size();
}

std::size_t KNVTFocusTaskList::badgeCount() const
{
    switch (m_focusType) {
    case KNVTFocusTypeInbox: return std::size_t(store().numberOfUncompletedInboxTasks());
    case KNVTFocusTypeToday: return std::size_t(store().numberOfUncompletedDueAndTodayTasks());
    default: return 0;
    }
}

bool KNVTFocusTaskList::shouldBadge() const
{
    return m_focusType < KNVTFocusTypeNext;
}

bool KNVTFocusTaskList::allowsTaskReordering() const
{
    return m_focusType == KNVTFocusTypeInbox;
}

bool KNVTFocusTaskList::supportsTaskLists() const
{
    switch (m_focusType) {
    case KNVTFocusTypeToday:
    case KNVTFocusTypeNext:
    case KNVTFocusTypeSomeday:
    case KNVTFocusTypeArchived: return true;
    default: return false;
    }
}

bool KNVTFocusTaskList::canHandleTaskLists(const std::vector<KNVTCDTaskList *> &) const
{
    return supportsTaskLists();
}

bool KNVTFocusTaskList::canHandleTasks(const std::vector<KNVTCDTask *> &tasks) const
{
    bool inSomedayList = false;
    bool anyOpen = false;
    for (const KNVTCDTask *task : tasks) {
        const KNVTCDTaskList *list = task->taskList();
        if (list && list->status() == qint64(KNVTTaskListStatusSomeday))
            inSomedayList = true;
        if (!task->isCompletedOrCancelled())
            anyOpen = true;
    }

    switch (m_focusType) {
    case KNVTFocusTypeInbox:
    case KNVTFocusTypeWatched: return true;
    case KNVTFocusTypeToday:
    case KNVTFocusTypeNext:
    case KNVTFocusTypeScheduled:
    case KNVTFocusTypeSomeday: return !inSomedayList;
    case KNVTFocusTypeDelegated: {
        if (tasks.empty() || !tasks.front()->taskList())
            return false;
        const KNVTCDTaskList *first = tasks.front()->taskList();
        return std::all_of(tasks.begin(), tasks.end(),
                           [first](const KNVTCDTask *task) { return task->taskList() == first; });
    }
    case KNVTFocusTypeArchived: return !inSomedayList && !anyOpen;
    default: return false;
    }
}

QString KNVTFocusTaskList::HTMLStringForPrinting()
{
    reloadData();
    QString html = QStringLiteral("<div class=\"page_title\">%1</div>").arg(m_localizedDisplayName.toHtmlEscaped());

    KNVTCDTask::PrintGroups printed = KNVTCDTask::printGroups(m_tasks, true);
    auto &[incomplete, scheduled, somedayTasks, completedTasks] = printed;
    std::vector<KNVTCDTaskList *> somedayProjects, somedayAreas;
    // Completed lists are printed among the completed tasks.
    std::vector<KNVTCDTaskStoreObject *> completed(completedTasks.begin(), completedTasks.end());
    for (KNVTCDTaskList *list : m_taskLists) {
        if (list->deletedDate().isValid())
            continue;
        if (list->status() == qint64(KNVTTaskListStatusSomeday))
            (list->isProject() ? somedayProjects : somedayAreas).push_back(list);
        else if (list->isCompletedOrCancelled())
            completed.push_back(list);
    }

    if (!incomplete.empty()) {
        html += groupHeader("Incomplete");
        sortAndAppend(html, incomplete, KNVTCDTask::uncompletedTaskComparator(),
                      &KNVTCDTaskStoreObject::HTMLStringForPrinting);
    }
    if (!scheduled.empty()) {
        html += groupHeader("Scheduled");
        sortAndAppend(html, scheduled, KNVTCDTask::scheduledTaskComparator(),
                      &KNVTCDTaskStoreObject::HTMLStringForPrinting);
    }
    if (!somedayTasks.empty() || !somedayProjects.empty() || !somedayAreas.empty()) {
        html += groupHeader("Someday");
        sortAndAppend(html, somedayTasks, KNVTCDTask::somedayTaskComparator(),
                      &KNVTCDTaskStoreObject::HTMLStringForPrinting);
        sortAndAppend(html, somedayProjects, KNVTCDTaskList::taskListComparator(),
                      &KNVTCDTaskStoreObject::HTMLOverviewStringForPrinting);
        sortAndAppend(html, somedayAreas, KNVTCDTaskList::taskListComparator(),
                      &KNVTCDTaskStoreObject::HTMLOverviewStringForPrinting);
    }
    if (!completed.empty()) {
        html += groupHeader("Completed");
        sortAndAppend(html, completed, KNVTCDTaskStoreObject::completedObjectComparator(),
                      &KNVTCDTaskStoreObject::HTMLOverviewStringForPrinting);
    }
    return html;
}

bool KNVTFocusTaskList::hasHTMLStringForPrinting()
{
    return !HTMLStringForPrinting().isEmpty();
}

bool KNVTFocusTaskList::isEqual(const KNVTFocusTaskList *other) const
{
    return other && (other == this || other->m_focusType == m_focusType);
}

std::size_t KNVTFocusTaskList::hash() const
{
    return qHash(m_localizedDisplayName);
}
