// Counts and fetches (whole, and cut into slices) over several hundred rows, so whole 64-row words, a partial last
// word, clean rows and rows read through unsaved values all meet in one scan. Each predicate is checked against the
// same test written over the objects' getters.

#include "StoreTest.h"

#include <sqlite3.h>

#include <functional>

using namespace ostore;
using namespace ostore::where;

namespace {

const QDateTime kNow = QDateTime::fromMSecsSinceEpoch(1'425'470'400'000, Qt::UTC);

struct Case
{
    const char *name;
    Predicate predicate;
    std::function<bool(Task *)> expected;
};

} // namespace

class OstoreCountScanTest : public StoreTest
{
protected:
    void SetUp() override
    {
        StoreTest::SetUp();
        me = main().insert<User>();
        other = main().insert<User>();
        for (int i = 0; i < 6; ++i) {
            lists.push_back(main().insert<TaskList>());
            // Accepted, pending, declined, and one list with no status at all.
            if (i != 5)
                lists.back()->setTaskListCollaboratorStatus(i % 3 + 1);
            lists.back()->setType(i % 2);
        }
        for (int i = 0; i < 333; ++i) {
            Task *t = main().insert<Task>();
            t->setTitle(QStringLiteral("task %1").arg(i));
            t->setAssignee(i % 10 == 0 ? other : (i % 23 == 0 ? nullptr : me));
            t->setStatus(i % 7 == 0 ? std::optional<qint64>() : std::optional<qint64>(i % 5 + 1));
            if (i % 3 == 0)
                t->setDueDate(kNow.addSecs((i % 11 - 5) * 3600));
            if (i % 4 == 0)
                t->setStartDate(kNow.addSecs((i % 13 - 6) * 3600));
            if (i % 5 != 0)
                t->setTaskList(lists[size_t(i % 6)]);
            if (i % 9 == 0)
                t->setArchivedDate(kNow);
            if (i % 17 == 0)
                t->setDeletedDate(kNow);
            tasks.push_back(t);
        }
        ASSERT_TRUE(main().save());
    }

    static bool open(Task *t) { return t->status() != 5 && t->status() != 4; }
    static bool dueOrStarted(Task *t)
    {
        return (t->dueDate().isValid() && t->dueDate() <= kNow) || (t->startDate().isValid() && t->startDate() <= kNow);
    }
    static std::optional<qint64> listStatus(Task *t)
    {
        return t->taskList() ? t->taskList()->taskListCollaboratorStatus() : std::nullopt;
    }

    std::vector<Case> cases()
    {
        const Predicate acceptedList =
            isNull(QStringLiteral("taskList")) || key(QStringLiteral("taskList.taskListCollaboratorStatus")) == 2;
        const Predicate today = key(QStringLiteral("assignee")) == me
            && (key(QStringLiteral("dueDate")) <= kNow || key(QStringLiteral("startDate")) <= kNow)
            && key(QStringLiteral("status")) != 5 && key(QStringLiteral("status")) != 4 && acceptedList
            && isNull(QStringLiteral("archivedDate")) && isNull(QStringLiteral("deletedDate"));
        User *const meUser = me;
        User *const otherUser = other;
        return {
            {"today", today,
             [=](Task *t) {
                 return t->assignee() == meUser && dueOrStarted(t) && open(t) && (!t->taskList() || listStatus(t) == 2)
                     && !t->archivedDate().isValid() && !t->deletedDate().isValid();
             }},
            {"list status != 2", key(QStringLiteral("taskList.taskListCollaboratorStatus")) != 2,
             [](Task *t) { return listStatus(t) != 2; }},
            {"list status == nil", isNull(QStringLiteral("taskList.taskListCollaboratorStatus")),
             [](Task *t) { return !listStatus(t); }},
            {"list status > 1", key(QStringLiteral("taskList.taskListCollaboratorStatus")) > 1,
             [](Task *t) { return listStatus(t) > 1; }},
            {"list type in {1}", key(QStringLiteral("taskList.type")).in({1}),
             [](Task *t) { return t->taskList() && t->taskList()->type() == 1; }},
            {"not in an accepted list", !acceptedList, [](Task *t) { return t->taskList() && listStatus(t) != 2; }},
            // Few enough to be read from the assignees' index rather than by a scan.
            {"assigned to the other", key(QStringLiteral("assignee")) == other,
             [=](Task *t) { return t->assignee() == otherUser; }},
            {"delegated", key(QStringLiteral("assignee")) != me && notNull(QStringLiteral("assignee")),
             [=](Task *t) { return t->assignee() && t->assignee() != meUser; }},
            {"title or status",
             key(QStringLiteral("title")).contains(QStringLiteral("7")) || key(QStringLiteral("status")) == 2,
             [](Task *t) { return t->title().contains(QLatin1Char('7')) || t->status() == 2; }},
            {"status <= 3 and due >= now", key(QStringLiteral("status")) <= 3 && key(QStringLiteral("dueDate")) >= kNow,
             [](Task *t) {
                 return t->status() && *t->status() <= 3 && t->dueDate().isValid() && t->dueDate() >= kNow;
             }},
        };
    }

    // Every case's count, fetch and first object agree with the getters.
    void expectAgreement(const char *when)
    {
        for (const Case &c : cases()) {
            std::vector<Task *> want;
            for (Task *t : tasks)
                if (!t->isDeleted() && c.expected(t))
                    want.push_back(t);
            EXPECT_EQ(main().count<Task>(c.predicate), qsizetype(want.size())) << when << ": " << c.name;
            const std::vector<Task *> got = main().fetch<Task>(c.predicate);
            EXPECT_EQ(titles(got), titles(want)) << when << ": " << c.name;
            Task *last = main().firstObject<Task>(c.predicate);
            EXPECT_EQ(last, want.empty() ? nullptr : want.back()) << when << ": " << c.name;
            // The same fetch cut into slices of any size, within a word of 64 rows or across several.
            for (const qint64 rows : {1, 64, 100, 1000}) {
                std::vector<Task *> sliced;
                qint64 from = 0;
                for (int slices = 0; from >= 0 && slices < 1000; ++slices) {
                    const Context::FetchSlice slice =
                        main().fetchSlice({QStringLiteral("Task"), c.predicate, {}, 0}, from, rows);
                    for (Object *object : slice.objects)
                        sliced.push_back(static_cast<Task *>(object));
                    from = slice.next;
                }
                EXPECT_EQ(titles(sliced), titles(want)) << when << ": " << c.name << " in slices of " << rows;
            }
        }
    }

    User *me = nullptr;
    User *other = nullptr;
    std::vector<TaskList *> lists;
    std::vector<Task *> tasks;
};

TEST_F(OstoreCountScanTest, CleanRowsAgreeWithTheGetters)
{
    expectAgreement("clean");
    EXPECT_GT(main().count<Task>(cases().front().predicate), 0);
}

TEST_F(OstoreCountScanTest, UnsavedChangesOfTasksAndOfTheirListsAreSeen)
{
    // A clean task reads its list's unsaved status through the hop.
    lists[0]->setTaskListCollaboratorStatus(3);
    lists[1]->setTaskListCollaboratorStatus(2);
    lists[5]->setTaskListCollaboratorStatus(2);
    lists[2]->setTaskListCollaboratorStatus(std::nullopt);
    for (int i = 1; i < 333; i += 29) {
        tasks[size_t(i)]->setStatus(2);
        tasks[size_t(i)]->setTaskList(i % 2 ? lists[1] : nullptr);
        tasks[size_t(i)]->setDueDate(kNow.addSecs(-60));
    }
    main().remove(tasks[330]);
    Task *added = main().insert<Task>();
    added->setTitle(QStringLiteral("added"));
    added->setAssignee(me);
    added->setDueDate(kNow);
    added->setTaskList(lists[1]);
    tasks.push_back(added);
    expectAgreement("unsaved");
    ASSERT_TRUE(main().save());
    expectAgreement("saved");
}

TEST_F(OstoreCountScanTest, RemovingAListNullsItsTasksForEveryTest)
{
    main().remove(lists[3]);
    expectAgreement("list pending deletion");
    ASSERT_TRUE(main().save());
    expectAgreement("list removed");
}

TEST_F(OstoreCountScanTest, ATaskNamingAVanishedListReadsAsInNoList)
{
    // Another program removed a list row behind the engine's back, leaving its tasks pointing nowhere.
    const qint64 zid = lists[0]->objectID().zid;
    const qsizetype listed = main().count<Task>(key(QStringLiteral("taskList")) == lists[0]);
    ASSERT_GT(listed, 0);
    const qsizetype noStatus = main().count<Task>(isNull(QStringLiteral("taskList.taskListCollaboratorStatus")));
    const qsizetype notAccepted = main().count<Task>(key(QStringLiteral("taskList.taskListCollaboratorStatus")) != 2);
    const qsizetype accepted = main().count<Task>(key(QStringLiteral("taskList.taskListCollaboratorStatus")) == 2);
    const qsizetype pending = main().count<Task>(key(QStringLiteral("taskList.taskListCollaboratorStatus")) == 1);
    lists.clear();
    tasks.clear();
    sqlite3 *db = nullptr;
    ASSERT_EQ(sqlite3_open(path().toUtf8().constData(), &db), SQLITE_OK);
    const QByteArray sql = "DELETE FROM TaskList WHERE Z_ID = " + QByteArray::number(zid);
    ASSERT_EQ(sqlite3_exec(db, sql.constData(), nullptr, nullptr, nullptr), SQLITE_OK);
    sqlite3_close(db);
    reopen();
    // The list was pending, so its tasks still fail "== 2" and pass "!= 2", now as if they were in no list.
    EXPECT_EQ(main().count<Task>(isNull(QStringLiteral("taskList.taskListCollaboratorStatus"))), noStatus + listed);
    EXPECT_EQ(main().count<Task>(key(QStringLiteral("taskList.taskListCollaboratorStatus")) != 2), notAccepted);
    EXPECT_EQ(main().count<Task>(key(QStringLiteral("taskList.taskListCollaboratorStatus")) == 2), accepted);
    EXPECT_EQ(main().count<Task>(key(QStringLiteral("taskList.taskListCollaboratorStatus")) == 1), pending - listed);
}
