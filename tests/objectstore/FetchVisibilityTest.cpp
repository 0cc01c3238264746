#include "StoreTest.h"

#include <QSignalSpy>

namespace {

// A date the rules compare against; which one does not matter, so it is no reading of the machine's clock.
QDateTime someInstant()
{
    return QDateTime(QDate(2015, 3, 4), QTime(10, 20, 30), Qt::UTC);
}

} // namespace

using namespace ostore;
using namespace ostore::where;

using OstoreVisibilityTest = StoreTest;

TEST_F(OstoreVisibilityTest, FetchCountAndFirstObjectSeeUnsavedInsertsUpdatesAndDeletes)
{
    auto saved = saveTasks({QStringLiteral("keep"), QStringLiteral("edit"), QStringLiteral("drop")});
    saved[1]->setStatus(4);
    main().remove(saved[2]);
    Task *fresh = main().insert<Task>();
    fresh->setTitle(QStringLiteral("new"));

    const Predicate open = key(QStringLiteral("status")) == 2;
    EXPECT_EQ(titles(main().fetch<Task>(open)), QStringList({QStringLiteral("keep"), QStringLiteral("new")}));
    EXPECT_EQ(main().count<Task>(open), 2);
    EXPECT_EQ(main().count<Task>(), 3);
    EXPECT_EQ(main().firstObject<Task>(open), fresh);
    EXPECT_EQ(main().firstObject<Task>(key(QStringLiteral("status")) == 4), saved[1]);
    EXPECT_EQ(main().firstObject<Task>(key(QStringLiteral("title")) == QStringLiteral("drop")), nullptr);

    // Another context sees only what was committed.
    Context session(&coordinator());
    EXPECT_EQ(session.count<Task>(open), 3);
}

TEST_F(OstoreVisibilityTest, UnsavedChangesAreSeenThroughKeyPathHops)
{
    auto *list = main().insert<TaskList>();
    auto tasks = saveTasks({QStringLiteral("a"), QStringLiteral("b")});
    tasks[0]->setTaskList(list);
    ASSERT_TRUE(main().save());
    const Predicate inArchivedList = notNull(QStringLiteral("taskList.archivedDate"));
    EXPECT_EQ(main().count<Task>(inArchivedList), 0);
    list->setArchivedDate(someInstant());
    EXPECT_EQ(titles(main().fetch<Task>(inArchivedList)), QStringList{QStringLiteral("a")});
    tasks[1]->setTaskList(list); // an unsaved to-one into the changed list
    EXPECT_EQ(main().count<Task>(inArchivedList), 2);
}

TEST_F(OstoreVisibilityTest, AnyOverAnUnsavedLinkAndItsUnsavedTombstone)
{
    Task *task = saveTasks({QStringLiteral("tagged")}).front();
    auto *tag = main().insert<Tag>();
    ASSERT_TRUE(main().save());
    const Predicate taggedLive =
        any(QStringLiteral("taggedTasks"), key(QStringLiteral("tag")) == tag && isNull(QStringLiteral("deletedDate")));
    EXPECT_EQ(main().count<Task>(taggedLive), 0);
    auto *link = main().insert<TaggedTask>();
    link->setTag(tag);
    link->setTask(task);
    EXPECT_EQ(main().fetch<Task>(taggedLive), std::vector<Task *>{task});
    link->setDeletedDate(someInstant());
    EXPECT_EQ(main().count<Task>(taggedLive), 0);
    EXPECT_EQ(main().count<Task>(any(QStringLiteral("taggedTasks"), key(QStringLiteral("tag")) == tag)), 1);
}

TEST_F(OstoreVisibilityTest, CountOfAToManySeesUnsavedMembers)
{
    auto *list = main().insert<TaskList>();
    ASSERT_TRUE(main().save());
    const Predicate shared = count(QStringLiteral("taskListCollaborators")) > 0;
    EXPECT_EQ(main().count<TaskList>(shared), 0);
    auto *c = main().insert<Collaborator>();
    c->setTaskList(list);
    EXPECT_EQ(main().count<TaskList>(shared), 1);
    EXPECT_EQ(main().count<TaskList>(count(QStringLiteral("taskListCollaborators")) == 1), 1);
    ASSERT_TRUE(main().save());
    main().remove(c);
    EXPECT_EQ(main().count<TaskList>(shared), 0);
}

TEST_F(OstoreVisibilityTest, AddingATagTwiceBeforeASaveMakesOneLink)
{
    Task *task = saveTasks({QStringLiteral("t")}).front();
    auto *tag = main().insert<Tag>();
    auto addTag = [&] { // "tag == %@ AND task == %@ && deletedDate == nil"
        if (!main().firstObject<TaggedTask>(key(QStringLiteral("tag")) == tag && key(QStringLiteral("task")) == task
                                            && isNull(QStringLiteral("deletedDate")))) {
            auto *link = main().insert<TaggedTask>();
            link->setTag(tag);
            link->setTask(task);
        }
    };
    addTag();
    addTag();
    EXPECT_EQ(main().count<TaggedTask>(), 1);
    ASSERT_TRUE(main().save());
    Context session(&coordinator());
    EXPECT_EQ(session.count<TaggedTask>(), 1);
}

TEST_F(OstoreVisibilityTest, CountRegistersNothingAndRunsNoHook)
{
    saveTasks({QStringLiteral("a"), QStringLiteral("b"), QStringLiteral("c")});
    reopen();
    HookLog::awakeFromFetchCount() = 0;
    EXPECT_EQ(main().count<Task>(), 3);
    EXPECT_EQ(HookLog::awakeFromFetchCount(), 0);
    // Every object the fetch returns is registered by it, so the count left none behind.
    EXPECT_EQ(main().fetch<Task>().size(), 3u);
    EXPECT_EQ(HookLog::awakeFromFetchCount(), 3);
    EXPECT_EQ(main().fetch<Task>().size(), 3u);
    EXPECT_EQ(HookLog::awakeFromFetchCount(), 3);
}

TEST_F(OstoreVisibilityTest, FirstObjectReturnsTheNewestOfSeveralMatches)
{
    QStringList many;
    for (int i = 0; i < 40; ++i)
        many.append(QStringLiteral("filler"));
    auto tasks = saveTasks(many);
    for (int i = 0; i < 40; ++i)
        tasks[i]->setNumericIdentifier(i < 3 ? 7 : 100 + i); // three duplicates, as during a pull
    ASSERT_TRUE(main().save());
    const Predicate seven = key(QStringLiteral("numericIdentifier")) == 7;
    EXPECT_EQ(main().firstObject<Task>(seven), tasks[2]);
    EXPECT_EQ(main().fetch<Task>(seven), (std::vector<Task *>{tasks[0], tasks[1], tasks[2]}));
    Task *unsaved = main().insert<Task>();
    unsaved->setNumericIdentifier(7);
    EXPECT_EQ(main().firstObject<Task>(seven), unsaved);
    tasks[39]->setNumericIdentifier(7); // a dirty row joins the indexed bucket
    EXPECT_EQ(main().count<Task>(seven), 5);
    // A none argument tests for objects never pushed.
    EXPECT_EQ(main().firstObject<Task>(key(QStringLiteral("numericIdentifier")) == std::optional<qint64>()), nullptr);
}

TEST_F(OstoreVisibilityTest, SortIsStableWithNullsFirstAndTheLimitAppliesAfterIt)
{
    const QDateTime d1 = QDateTime::fromMSecsSinceEpoch(1000, Qt::UTC),
                    d2 = QDateTime::fromMSecsSinceEpoch(2000, Qt::UTC);
    auto tasks = saveTasks(
        {QStringLiteral("a"), QStringLiteral("b"), QStringLiteral("c"), QStringLiteral("d"), QStringLiteral("e")});
    tasks[0]->setDueDate(d2);
    tasks[1]->setDueDate(d1);
    tasks[3]->setDueDate(d2);
    Task *f = main().insert<Task>();
    f->setTitle(QStringLiteral("f"));
    f->setDueDate(d1);
    auto fetchSorted = [&](bool ascending, qsizetype limit) {
        return titles(main().fetch<Task>({}, {SortDescriptor{QStringLiteral("dueDate"), ascending}}, limit));
    };
    EXPECT_EQ(fetchSorted(true, 0), QStringList({"c", "e", "b", "f", "a", "d"}));
    EXPECT_EQ(fetchSorted(false, 0), QStringList({"a", "d", "b", "f", "c", "e"}));
    EXPECT_EQ(fetchSorted(true, 3), QStringList({"c", "e", "b"}));
}

TEST_F(OstoreVisibilityTest, LocalizedSortIgnoresCaseAndAccentsWhileBinaryDoesNot)
{
    saveTasks({QStringLiteral("Émile"), QStringLiteral("Bert"), QStringLiteral("anna")});
    EXPECT_EQ(titles(main().fetch<Task>({}, {SortDescriptor{QStringLiteral("title"), true, Collation::Localized}})),
              QStringList({QStringLiteral("anna"), QStringLiteral("Bert"), QStringLiteral("Émile")}));
    EXPECT_EQ(titles(main().fetch<Task>({}, {SortDescriptor{QStringLiteral("title"), true, Collation::Binary}})),
              QStringList({QStringLiteral("Bert"), QStringLiteral("anna"), QStringLiteral("Émile")}));
}

TEST_F(OstoreVisibilityTest, AnAwakeFromFetchThatInsertsDoesNotDisturbTheFetch)
{
    for (int i = 0; i < 5; ++i)
        main().insert<User>()->setFullName(QStringLiteral("u%1").arg(i));
    ASSERT_TRUE(main().save());
    reopen();
    User::insertsAvatarOnFetch() = true;
    const std::vector<User *> users = main().fetch<User>({}, {SortDescriptor{QStringLiteral("fullName")}});
    ASSERT_EQ(users.size(), 5u);
    for (User *u : users)
        EXPECT_NE(u->avatar(), nullptr);
    EXPECT_EQ(main().count<Avatar>(), 5);
    EXPECT_TRUE(main().save());
}

TEST_F(OstoreVisibilityTest, AnEmptyStringStaysEmptyAndNoneStaysNone)
{
    Task *t = main().insert<Task>();
    t->setTitle(QStringLiteral(""));
    ASSERT_TRUE(main().save());
    reopen();
    Task *back = main().firstObject<Task>();
    ASSERT_NE(back, nullptr);
    EXPECT_FALSE(back->title().isNull());
    EXPECT_TRUE(back->title().isEmpty());
    EXPECT_TRUE(back->notes().isNull());
    EXPECT_EQ(main().count<Task>(key(QStringLiteral("title")) == QStringLiteral("")), 1);
    EXPECT_EQ(main().count<Task>(isNull(QStringLiteral("title"))), 0);
}
