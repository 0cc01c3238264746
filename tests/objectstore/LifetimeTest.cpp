#include "StoreTest.h"

#include <thread>

using namespace ostore;
using namespace ostore::where;

using OstoreLifetimeTest = StoreTest;

namespace {

QStringList &warnings()
{
    static QStringList list;
    return list;
}

void capture(QtMsgType type, const QMessageLogContext &context, const QString &message)
{
    if (type == QtWarningMsg && QByteArray(context.category) == "knvt.objectstore")
        warnings().append(message);
}

} // namespace

TEST_F(OstoreLifetimeTest, DeletedAndGoneObjectsStayReadable)
{
    auto tasks = saveTasks({QStringLiteral("pending"), QStringLiteral("gone")});
    tasks[0]->setNotes(QStringLiteral("n"));
    main().remove(tasks[0]);
    EXPECT_EQ(tasks[0]->notes(), QStringLiteral("n"));
    main().refresh(tasks[0], false);
    Context session(&coordinator());
    session.remove(session.existingObject(tasks[1]->objectID()));
    ASSERT_TRUE(session.save());
    EXPECT_EQ(tasks[1]->title(), QStringLiteral("gone"));
    EXPECT_EQ(tasks[1]->status(), 2);
    // Compaction renumbers the cache; the gone object keeps its own copy.
    for (int i = 0; i < 200; ++i)
        session.insert<Task>();
    ASSERT_TRUE(session.save());
    for (Object *o : session.fetch<Task>())
        session.remove(o);
    ASSERT_TRUE(session.save());
    EXPECT_EQ(tasks[1]->title(), QStringLiteral("gone"));
    EXPECT_EQ(tasks[0]->title(), QStringLiteral("pending"));
}

// The main context lives as long as the library is open: what it deletes over a day must not all stay.
TEST_F(OstoreLifetimeTest, OnlyTheNewestGoneObjectsKeepTheirValuesAndACommitsOwnAllDo)
{
    QStringList names;
    for (size_t i = 0; i < Context::kGoneKeepingValues + 3; ++i)
        names.append(QStringLiteral("t%1").arg(i));
    const std::vector<Task *> tasks = saveTasks(names);
    const auto deleteAndSave = [this](const std::vector<Task *> &gone) {
        for (Task *t : gone)
            main().remove(t);
        ASSERT_TRUE(main().save());
    };
    deleteAndSave({tasks[0]});
    // One commit of more than the bound: every one of them keeps its values, the earlier commit's do not.
    deleteAndSave({tasks.begin() + 1, tasks.end() - 1});
    EXPECT_EQ(tasks[0]->title(), QString());
    EXPECT_EQ(tasks[1]->title(), QStringLiteral("t1"));
    EXPECT_EQ(tasks[tasks.size() - 2]->title(), names[names.size() - 2]);
    deleteAndSave({tasks.back()});
    EXPECT_EQ(tasks[1]->title(), QString());
    EXPECT_EQ(tasks[2]->title(), QString());
    EXPECT_EQ(tasks[3]->title(), QStringLiteral("t3"));
    EXPECT_EQ(tasks.back()->title(), names.back());
    EXPECT_TRUE(tasks[1]->isDeleted());
    EXPECT_TRUE(
        std::holds_alternative<std::monostate>(main().committedValues(tasks[1]).value(QStringLiteral("title"))));
}

TEST_F(OstoreLifetimeTest, WritesToAGoneObjectAreIgnoredWithOneWarning)
{
    Task *t = saveTasks({QStringLiteral("a")}).front();
    main().remove(t);
    ASSERT_TRUE(main().save());
    warnings().clear();
    const QtMessageHandler previous = qInstallMessageHandler(capture);
    t->setTitle(QStringLiteral("b"));
    t->setTitle(QStringLiteral("c"));
    qInstallMessageHandler(previous);
    EXPECT_EQ(warnings().size(), 1);
    EXPECT_EQ(t->title(), QStringLiteral("a"));
    EXPECT_FALSE(main().hasChanges());
}

TEST_F(OstoreLifetimeTest, AfterCloseContextsAreInertAndObjectsReadable)
{
    Task *t = saveTasks({QStringLiteral("kept")}).front();
    Task *unsaved = main().insert<Task>();
    unsaved->setTitle(QStringLiteral("draft"));
    coordinator().close();
    EXPECT_TRUE(main().fetch<Task>().empty());
    EXPECT_EQ(main().count<Task>(), 0);
    EXPECT_EQ(main().firstObject<Task>(), nullptr);
    knvt::Error error;
    EXPECT_FALSE(main().save(&error));
    EXPECT_EQ(error.code(), qint64(ErrorCode::StoreClosed));
    EXPECT_EQ(t->context(), nullptr);
    EXPECT_EQ(t->title(), QStringLiteral("kept"));
    EXPECT_EQ(unsaved->title(), QStringLiteral("draft"));
    t->setTitle(QStringLiteral("late reply")); // ignored
    EXPECT_EQ(t->title(), QStringLiteral("kept"));
    EXPECT_TRUE(coordinator().reloadExternalChanges(&error).isEmpty());
    EXPECT_EQ(error.code(), qint64(ErrorCode::StoreClosed));
}

using OstoreLifetimeDeathTest = OstoreLifetimeTest;

TEST_F(OstoreLifetimeDeathTest, ACallFromAnotherThreadAborts)
{
    saveTasks({QStringLiteral("a")});
    EXPECT_DEATH(
        {
            std::thread worker([&] { main().count<Task>(); });
            worker.join();
        },
        "assertion failed");
}

TEST_F(OstoreLifetimeDeathTest, AToOneAcrossContextsAborts)
{
    Task *t = saveTasks({QStringLiteral("a")}).front();
    Context session(&coordinator());
    auto *list = session.insert<TaskList>();
    EXPECT_DEATH(t->setTaskList(list), "another context");
}

TEST_F(OstoreLifetimeDeathTest, AReentrantSaveAborts)
{
    main().insert<Task>();
    QObject::connect(&main(), &Context::willSave, &main(), [&] { main().save(); });
    EXPECT_DEATH(main().save(), "re-entrant");
}
