#pragma once

#include "model/KNVTFocusType.h"

#include <QIcon>
#include <QString>

#include <cstddef>
#include <vector>

class KNVTCDTask;
class KNVTCDTaskList;
class KNVTCDTaskStoreObject;
class KNVTTaskStoreQueries;

// One focus list (Inbox, Today, Next, Scheduled, Someday, Watched, Delegated, Archived) as the home list and the
// item lists see it: its name and icon, its tasks and task lists as the task store's queries give them, its badge,
// the rules for dropping tasks and task lists on it, and its printable page.
//
// Nothing is cached: every read of the tasks or task lists asks the store again, so the object never holds results
// older than the call that read them. Two focus lists of the same type are equal. Main thread only.
class KNVTFocusTaskList
{
public:
    // `store` answers the queries; nullptr means the shared task store.
    explicit KNVTFocusTaskList(KNVTFocusType focusType, KNVTTaskStoreQueries *store = nullptr);

    KNVTFocusType focusType() const { return m_focusType; }
    // The focus type's name; empty above Archived.
    const QString &localizedDisplayName() const { return m_localizedDisplayName; }
    // The name of the template image of the source list, e.g. "SL_InboxTemplate"; empty above Archived.
    QString sourceIconName() const;
    QIcon sourceIcon() const;
    QIcon highlightedSourceIcon() const;

    void reloadData();
    // Each of these reloads first.
    std::vector<KNVTCDTask *> tasks();
    // Someday: the suspended projects, then the suspended areas; Archived: the archived projects, then the archived
    // areas; empty for every other type.
    std::vector<KNVTCDTaskList *> taskLists();
    // The tasks followed by the task lists.
    std::vector<KNVTCDTaskStoreObject *> taskStoreObjects();
    std::size_t numberOfTasks();
    std::size_t numberOfTaskLists();
    std::size_t numberOfTaskStoreObjects();

    // Inbox: my actionable tasks in no list; Today: my open tasks due or started by now in no list or in an accepted
    // list; 0 for every other type.
    std::size_t badgeCount() const;
    bool shouldBadge() const;
    bool allowsTaskReordering() const;

    // Today, Next, Someday and Archived take projects and areas.
    bool supportsTaskLists() const;
    bool canHandleTaskLists(const std::vector<KNVTCDTaskList *> &taskLists) const;
    bool canHandleTasks(const std::vector<KNVTCDTask *> &tasks) const;

    // The page title, then the tasks and lists in the groups Incomplete, Scheduled, Someday and Completed, each
    // under its header and left out when empty. Every text of the user's is escaped by the entities' own forms.
    QString HTMLStringForPrinting();
    bool hasHTMLStringForPrinting();

    // YES for the same object or a focus list of the same type; NO for nullptr.
    bool isEqual(const KNVTFocusTaskList *other) const;
    bool isEqualTo(const KNVTFocusTaskList *other) const { return isEqual(other); }
    bool operator==(const KNVTFocusTaskList &other) const { return isEqual(&other); }
    // Equal focus lists hash alike.
    std::size_t hash() const;

private:
    KNVTTaskStoreQueries &store() const;

    KNVTFocusType m_focusType;
    QString m_localizedDisplayName;
    std::vector<KNVTCDTask *> m_tasks;
    std::vector<KNVTCDTaskList *> m_taskLists;
    KNVTTaskStoreQueries *m_store;
};
