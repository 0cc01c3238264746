#pragma once

#include "model/ModelTest.h"

#include "store/KNVTTaskStoreCapabilities.h"

#include "support/FakeClock.h"

#include <QStringList>

#include <algorithm>
#include <map>
#include <optional>
#include <vector>

// The store's queries over whatever context a test hands it.
class TestTaskStore : public KNVTTaskStoreCapabilities
{
public:
    explicit TestTaskStore(ostore::Context *context) : m_context(context) {}
    ostore::Context *managedObjectContext() override { return m_context; }
    void setContext(ostore::Context *context) { m_context = context; }

private:
    ostore::Context *m_context;
};

// A temporary library with a fixed clock (Wednesday 4 March 2015, 12:00 in New York) and builders for the objects
// the queries look at. Objects are addressed by title in the assertions.
class QueryFixture : public ModelTest
{
protected:
    struct TaskSpec
    {
        QString title;
        std::optional<qint64> status = 2;
        KNVTCDTaskList *list = nullptr;
        QDateTime due = QDateTime();
        QDateTime start = QDateTime();
        bool archived = false;
        bool deleted = false;
        KNVTCDUser *assignee = nullptr; // nullptr: me, unless unassigned is set
        KNVTCDUser *creator = nullptr;  // nullptr: me
        bool unassigned = false;
    };

    void SetUp() override
    {
        ModelTest::SetUp();
        m_me = user(QStringLiteral("me"), 6);
    }

    static QDateTime noon() { return QDateTime(QDate(2015, 3, 4), QTime(12, 0)); }
    static QDateTime todayAt(int hour, int minute = 0, int second = 0)
    {
        return QDateTime(QDate(2015, 3, 4), QTime(hour, minute, second));
    }

    KNVTCDUser *me() const { return m_me; }

    KNVTCDUser *user(const QString &username, qint64 friendshipStatus)
    {
        auto *u = insert<KNVTCDUser>();
        u->setUsername(username);
        u->setFirstName(username);
        u->setFriendshipStatus(friendshipStatus);
        return u;
    }

    // A list with my row in the given collaborator status; I own it unless `owner` says otherwise.
    KNVTCDTaskList *taskList(const QString &title, qint64 type, std::optional<qint64> status, qint64 myStatus,
                             KNVTCDUser *owner = nullptr)
    {
        auto *list = insert<KNVTCDTaskList>();
        list->setTitle(title);
        list->setType(type);
        list->setStatus(status);
        member(list, m_me, owner ? 2 : 1, myStatus);
        if (owner)
            member(list, owner, 1, 2);
        list->setTaskListCollaboratorStatus(myStatus);
        return list;
    }

    KNVTCDTaskListCollaborator *member(KNVTCDTaskList *list, KNVTCDUser *u, qint64 role, qint64 status)
    {
        auto *row = insert<KNVTCDTaskListCollaborator>();
        row->setUser(u);
        row->setTaskList(list);
        row->setRole(role);
        row->setStatus(status);
        return row;
    }

    KNVTCDTask *task(const TaskSpec &spec)
    {
        auto *t = insert<KNVTCDTask>();
        t->setTitle(spec.title);
        t->setStatus(spec.status);
        t->setAssignee(spec.unassigned ? nullptr : (spec.assignee ? spec.assignee : m_me));
        t->setCreator(spec.creator ? spec.creator : m_me);
        t->setDueDate(spec.due);
        t->setStartDate(spec.start);
        t->setTaskList(spec.list);
        if (spec.archived)
            t->setArchivedDate(noon().addDays(-3));
        if (spec.deleted) {
            t->setNumericIdentifier(++m_nextIdentifier);
            t->setDeletedDate(noon().addDays(-1));
        }
        return t;
    }

    KNVTCDTaskWatcher *watch(KNVTCDUser *u, KNVTCDTask *t, bool deleted = false)
    {
        auto *row = insert<KNVTCDTaskWatcher>();
        row->setUser(u);
        row->setTask(t);
        if (deleted)
            row->setDeletedDate(noon().addDays(-1));
        return row;
    }

    KNVTCDTag *tag(const QString &title)
    {
        auto *t = insert<KNVTCDTag>();
        t->setTitle(title);
        t->setCreator(m_me);
        return t;
    }

    KNVTCDTaggedTask *link(KNVTCDTag *tg, KNVTCDTask *t, bool deleted = false)
    {
        auto *row = insert<KNVTCDTaggedTask>();
        row->setTag(tg);
        row->setTask(t);
        if (deleted) {
            row->setNumericIdentifier(++m_nextIdentifier);
            row->setDeletedDate(noon().addDays(-1));
        }
        return row;
    }

    // Titles, sorted, so that assertions do not depend on the store's order.
    template <class T>
    static QStringList titles(const std::vector<T *> &objects)
    {
        QStringList out;
        for (const T *o : objects)
            out << o->title();
        out.sort();
        return out;
    }
    static QStringList sorted(QStringList list)
    {
        list.sort();
        return list;
    }
    template <class T>
    static QStringList usernames(const std::vector<T *> &users)
    {
        QStringList out;
        for (const T *u : users)
            out << u->username();
        out.sort();
        return out;
    }

    knvt::test::FakeClock m_clock{noon()};
    TestTaskStore m_store{nullptr};
    TestTaskStore &store()
    {
        m_store.setContext(&context());
        return m_store;
    }

private:
    KNVTCDUser *m_me = nullptr;
    qint64 m_nextIdentifier = 1000;
};
