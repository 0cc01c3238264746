#pragma once

#include "store/KNVTTaskStore.h"

#include "model/KNVTCDTag.h"
#include "model/KNVTCDTaggedTask.h"
#include "model/KNVTCDTask.h"
#include "model/KNVTCDTaskList.h"
#include "model/KNVTCDTaskListCollaborator.h"
#include "model/KNVTCDTaskWatcher.h"
#include "model/KNVTCDUser.h"

#include "objectstore/Context.h"

#include "support/TaskStoreBuilder.h"

#include <QDateTime>
#include <QString>

#include <optional>
#include <vector>

namespace knvt::test {

// My collaborator row with no role at all: neither owner nor editor of the list.
inline constexpr qint64 NoRole = 0;

struct TaskOptions
{
    QDateTime due{};
    QDateTime start{};
    KNVTCDTaskList *list = nullptr;
    qint64 status = 2;
    QString notes{};
    bool archived = false;
    // nullptr: me, unless unassigned.
    KNVTCDUser *assignee = nullptr;
    bool unassigned = false;
    KNVTCDUser *creator = nullptr;
    QDateTime statusModified{};
    std::optional<qint64> orderIndex{};
    // Known to the service, so that a deletion only marks it.
    bool synced = false;
};

struct ListOptions
{
    qint64 status = 2;
    bool archived = false;
    // nullptr: I own it.
    KNVTCDUser *owner = nullptr;
    // My role when someone else owns it: 2 editor, NoRole none.
    qint64 myRole = 2;
    // Other members (editors, accepted).
    std::vector<KNVTCDUser *> members{};
    QDateTime start{};
    QDateTime due{};
    std::optional<qint64> orderIndex{};
    bool synced = false;
    QDateTime statusModified{};
};

// The shared generator seen from a task store: objects are made with TaskStoreBuilder in the store's context, mine
// by default (the store's own local user owns the lists and is assigned the tasks) unless the options say otherwise.
// Nothing is saved until save() is called.
class LibraryBuilder
{
public:
    explicit LibraryBuilder(KNVTTaskStore &store) : m_store(store) {}

    KNVTTaskStore &store() { return m_store; }
    ostore::Context &context() { return *m_store.managedObjectContext(); }
    KNVTCDUser *me() { return m_store.me(); }

    KNVTCDUser *user(const QString &name, qint64 friendshipStatus = KNVTUserFriendshipStatusFriend)
    {
        return make().user({.numericIdentifier = ++m_nextIdentifier,
                            .username = name.toLower(),
                            .firstName = name,
                            .friendshipStatus = friendshipStatus});
    }

    KNVTCDTaskList *project(const QString &title, const ListOptions &options = {}) { return list(title, 1, options); }
    KNVTCDTaskList *area(const QString &title, const ListOptions &options = {}) { return list(title, 2, options); }

    KNVTCDTaskList *list(const QString &title, qint64 type, const ListOptions &options)
    {
        std::vector<MemberSpec> members;
        if (options.owner) {
            members.push_back({options.owner, KNVTTaskListCollaboratorRoleOwner});
            members.push_back({me(), options.myRole});
        } else {
            members.push_back({me(), KNVTTaskListCollaboratorRoleOwner});
        }
        for (KNVTCDUser *other : options.members)
            members.push_back({other, KNVTTaskListCollaboratorRoleEditor});
        KNVTCDTaskList *l = make().taskList(
            {.title = title,
             .type = type,
             .status = options.status,
             .numericIdentifier = options.synced ? std::optional<qint64>(++m_nextIdentifier) : std::nullopt,
             .members = members,
             .collaboratorStatus = KNVTTaskListCollaboratorStatusAccepted});
        if (options.myRole == NoRole && options.owner)
            // No role at all, rather than the role number 0.
            if (KNVTCDTaskListCollaborator *mine = l->myTaskListCollaborator())
                mine->setRole(std::nullopt);
        l->setStartDate(options.start);
        l->setDueDate(options.due);
        if (options.orderIndex)
            l->setTaskListCollaboratorTaskListTypeOrderIndex(*options.orderIndex);
        if (options.statusModified.isValid())
            l->setStatusModifiedDate(options.statusModified);
        if (options.archived)
            l->setArchived(true);
        return l;
    }

    KNVTCDTask *task(const QString &title, const TaskOptions &options = {})
    {
        KNVTCDTask *t = make().task(
            {.title = title,
             .status = options.status,
             .assignee = options.unassigned ? nullptr : (options.assignee ? options.assignee : me()),
             .creator = options.creator ? options.creator : me(),
             .due = options.due,
             .start = options.start,
             .list = options.list,
             .notes = options.notes,
             .numericIdentifier = options.synced ? std::optional<qint64>(++m_nextIdentifier) : std::nullopt});
        if (options.statusModified.isValid())
            t->setStatusModifiedDate(options.statusModified);
        if (options.orderIndex)
            t->setTaskListOrderIndex(*options.orderIndex);
        if (options.archived)
            t->setArchived(true);
        return t;
    }

    KNVTCDTag *tag(const QString &title) { return make().tag({.title = title, .creator = me()}); }

    KNVTCDTaskWatcher *watch(KNVTCDTask *t, KNVTCDUser *u = nullptr) { return make().watcher(t, u ? u : me()); }

    bool save() { return m_store.save(); }

private:
    TaskStoreBuilder &make()
    {
        m_make.setContext(&context());
        return m_make;
    }

    KNVTTaskStore &m_store;
    TaskStoreBuilder m_make;
    qint64 m_nextIdentifier = 5000;
};

} // namespace knvt::test
