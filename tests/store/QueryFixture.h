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
        m_me = make().me({.username = QStringLiteral("me"), .firstName = QStringLiteral("me")});
    }

    static QDateTime noon() { return QDateTime(QDate(2015, 3, 4), QTime(12, 0)); }
    static QDateTime todayAt(int hour, int minute = 0, int second = 0)
    {
        return QDateTime(QDate(2015, 3, 4), QTime(hour, minute, second));
    }

    KNVTCDUser *me() const { return m_me; }

    KNVTCDUser *user(const QString &username, qint64 friendshipStatus)
    {
        return make().user({.username = username, .firstName = username, .friendshipStatus = friendshipStatus});
    }

    // A list with my row in the given collaborator status; I own it unless `owner` says otherwise.
    KNVTCDTaskList *taskList(const QString &title, qint64 type, std::optional<qint64> status, qint64 myStatus,
                             KNVTCDUser *owner = nullptr)
    {
        knvt::test::TaskListSpec spec{.title = title, .type = type, .status = status, .collaboratorStatus = myStatus};
        spec.members.push_back(
            {m_me, owner ? KNVTTaskListCollaboratorRoleEditor : KNVTTaskListCollaboratorRoleOwner, myStatus});
        if (owner)
            spec.members.push_back({owner, KNVTTaskListCollaboratorRoleOwner});
        return make().taskList(spec);
    }

    KNVTCDTaskListCollaborator *member(KNVTCDTaskList *list, KNVTCDUser *u, qint64 role, qint64 status)
    {
        return make().collaborator(list, u, role, status);
    }

    KNVTCDTask *task(const TaskSpec &spec)
    {
        return make().task(
            {.title = spec.title,
             .status = spec.status,
             .assignee = spec.unassigned ? nullptr : (spec.assignee ? spec.assignee : m_me),
             .creator = spec.creator ? spec.creator : m_me,
             .due = spec.due,
             .start = spec.start,
             .list = spec.list,
             .archived = spec.archived ? noon().addDays(-3) : QDateTime(),
             .numericIdentifier = spec.deleted ? std::optional<qint64>(++m_nextIdentifier) : std::nullopt,
             .deleted = spec.deleted ? noon().addDays(-1) : QDateTime()});
    }

    KNVTCDTaskWatcher *watch(KNVTCDUser *u, KNVTCDTask *t, bool deleted = false)
    {
        KNVTCDTaskWatcher *row = make().watcher(t, u);
        if (deleted)
            row->setDeletedDate(noon().addDays(-1));
        return row;
    }

    KNVTCDTag *tag(const QString &title) { return make().tag({.title = title, .creator = m_me}); }

    KNVTCDTaggedTask *link(KNVTCDTag *tg, KNVTCDTask *t, bool deleted = false)
    {
        KNVTCDTaggedTask *row = make().tagTask(tg, t);
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
