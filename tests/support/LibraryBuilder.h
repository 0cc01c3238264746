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

// Fills a task store's library with the users, projects, areas, tasks and tags a test or benchmark names. Nothing
// is saved until save() is called. Lists are mine (I own them) unless an owner is named.
class LibraryBuilder
{
public:
    explicit LibraryBuilder(KNVTTaskStore &store) : m_store(store) {}

    KNVTTaskStore &store() { return m_store; }
    ostore::Context &context() { return *m_store.managedObjectContext(); }
    KNVTCDUser *me() { return m_store.me(); }

    KNVTCDUser *user(const QString &name, qint64 friendshipStatus = 3)
    {
        auto *u = context().insert<KNVTCDUser>();
        u->setUsername(name.toLower());
        u->setFirstName(name);
        u->setFriendshipStatus(friendshipStatus);
        u->setNumericIdentifier(++m_nextIdentifier);
        return u;
    }

    KNVTCDTaskList *project(const QString &title, const ListOptions &options = {}) { return list(title, 1, options); }
    KNVTCDTaskList *area(const QString &title, const ListOptions &options = {}) { return list(title, 2, options); }

    KNVTCDTaskList *list(const QString &title, qint64 type, const ListOptions &options)
    {
        auto *l = context().insert<KNVTCDTaskList>();
        l->setTitle(title);
        l->setType(type);
        l->setStatus(options.status);
        l->setStartDate(options.start);
        l->setDueDate(options.due);
        if (options.synced)
            l->setNumericIdentifier(++m_nextIdentifier);
        if (options.owner) {
            member(l, options.owner, 1);
            if (options.myRole != NoRole)
                member(l, me(), options.myRole);
            else
                member(l, me(), std::nullopt);
        } else {
            member(l, me(), 1);
        }
        for (KNVTCDUser *other : options.members)
            member(l, other, 2);
        l->setTaskListCollaboratorStatus(2);
        if (options.orderIndex)
            l->setTaskListCollaboratorTaskListTypeOrderIndex(*options.orderIndex);
        if (options.statusModified.isValid())
            l->setStatusModifiedDate(options.statusModified);
        if (options.archived)
            l->setArchived(true);
        return l;
    }

    KNVTCDTaskListCollaborator *member(KNVTCDTaskList *l, KNVTCDUser *u, std::optional<qint64> role)
    {
        auto *row = context().insert<KNVTCDTaskListCollaborator>();
        row->setUser(u);
        row->setTaskList(l);
        row->setRole(role);
        row->setStatus(2);
        return row;
    }

    KNVTCDTask *task(const QString &title, const TaskOptions &options = {})
    {
        auto *t = context().insert<KNVTCDTask>();
        t->setTitle(title);
        t->setNotes(options.notes);
        t->setTaskList(options.list);
        t->setStatus(options.status);
        t->setDueDate(options.due);
        t->setStartDate(options.start);
        t->setAssignee(options.unassigned ? nullptr : (options.assignee ? options.assignee : me()));
        t->setCreator(options.creator ? options.creator : me());
        if (options.statusModified.isValid())
            t->setStatusModifiedDate(options.statusModified);
        if (options.orderIndex)
            t->setTaskListOrderIndex(*options.orderIndex);
        if (options.synced)
            t->setNumericIdentifier(++m_nextIdentifier);
        if (options.archived)
            t->setArchived(true);
        return t;
    }

    KNVTCDTag *tag(const QString &title)
    {
        auto *t = context().insert<KNVTCDTag>();
        t->setTitle(title);
        t->setCreator(me());
        return t;
    }

    KNVTCDTaskWatcher *watch(KNVTCDTask *t, KNVTCDUser *u = nullptr)
    {
        auto *row = context().insert<KNVTCDTaskWatcher>();
        row->setUser(u ? u : me());
        row->setTask(t);
        return row;
    }

    bool save() { return m_store.save(); }

private:
    KNVTTaskStore &m_store;
    qint64 m_nextIdentifier = 5000;
};

} // namespace knvt::test
