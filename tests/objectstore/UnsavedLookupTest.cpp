#include "StoreTest.h"

using namespace ostore;
using namespace ostore::where;

// Lookups by identifier and by to-one target answer from index buckets, including the context's own unsaved
// inserts and unsaved values. Each case compares the indexed lookup with the same condition written so that no
// index applies (an OR with a term that matches nothing), so a stale or missing bucket entry shows as a difference.
class OstoreUnsavedLookupTest : public StoreTest
{
protected:
    static Predicate byIdentifier(qint64 n) { return key(QStringLiteral("numericIdentifier")) == n; }
    static Predicate byIdentifierScanned(qint64 n)
    {
        return key(QStringLiteral("numericIdentifier")) == n || key(QStringLiteral("numericIdentifier")) == qint64(-1);
    }
    static Predicate byTask(Task *t) { return key(QStringLiteral("task")) == t; }
    static Predicate byTaskScanned(Task *t)
    {
        return key(QStringLiteral("task")) == t || key(QStringLiteral("task")) == t;
    }

    // Saved tasks with identifiers 1..n, enough rows for a bucket to be worth using.
    std::vector<Task *> saveIdentified(int n)
    {
        std::vector<Task *> out;
        for (int i = 1; i <= n; ++i) {
            out.push_back(main().insert<Task>());
            out.back()->setNumericIdentifier(i);
            out.back()->setTitle(QStringLiteral("saved %1").arg(i));
        }
        EXPECT_TRUE(main().save());
        return out;
    }

    // The indexed lookups agree with the scan, and return `expected` in result order.
    void expectTasks(Context &context, qint64 n, const std::vector<Task *> &expected)
    {
        SCOPED_TRACE(n);
        const std::vector<Task *> scanned = context.fetch<Task>(byIdentifierScanned(n));
        EXPECT_EQ(scanned, expected);
        EXPECT_EQ(context.fetch<Task>(byIdentifier(n)), expected);
        EXPECT_EQ(context.count<Task>(byIdentifier(n)), qsizetype(expected.size()));
        EXPECT_EQ(context.firstObject<Task>(byIdentifier(n)), expected.empty() ? nullptr : expected.back());
        // The direct lookup a pull uses answers exactly as firstObject does.
        EXPECT_EQ(context.objectWithNumericIdentifier<Task>(n), expected.empty() ? nullptr : expected.back());
        EXPECT_EQ(context.objectWithNumericIdentifier(QStringLiteral("Task"), n),
                  expected.empty() ? nullptr : expected.back());
    }
    void expectComments(Task *task, const std::vector<Comment *> &expected)
    {
        EXPECT_EQ(main().fetch<Comment>(byTaskScanned(task)), expected);
        EXPECT_EQ(main().fetch<Comment>(byTask(task)), expected);
        EXPECT_EQ(main().count<Comment>(byTask(task)), qsizetype(expected.size()));
        EXPECT_EQ(main().firstObject<Comment>(byTask(task)), expected.empty() ? nullptr : expected.back());
    }
};

TEST_F(OstoreUnsavedLookupTest, IdentifierLookupsFollowInsertsChangesAndRemovalsAcrossASave)
{
    auto saved = saveIdentified(20);

    Task *a = main().insert<Task>();
    a->setNumericIdentifier(7);
    Task *b = main().insert<Task>();
    b->setNumericIdentifier(7);
    expectTasks(main(), 7, {saved[6], a, b}); // committed first, then inserts, the newest last

    b->setNumericIdentifier(8);
    expectTasks(main(), 7, {saved[6], a});
    expectTasks(main(), 8, {saved[7], b});

    // A committed row given another row's identifier, then given its own back (no longer dirty).
    saved[2]->setNumericIdentifier(7);
    expectTasks(main(), 7, {saved[2], saved[6], a});
    expectTasks(main(), 3, {});
    saved[2]->setNumericIdentifier(3);
    expectTasks(main(), 7, {saved[6], a});
    expectTasks(main(), 3, {saved[2]});

    // An identifier cleared, set again, and an insert removed before the save.
    a->setNumericIdentifier(std::nullopt);
    expectTasks(main(), 7, {saved[6]});
    a->setNumericIdentifier(21);
    expectTasks(main(), 21, {a});
    Task *c = main().insert<Task>();
    c->setNumericIdentifier(21);
    main().remove(a);
    expectTasks(main(), 21, {c});
    saved[9]->setNumericIdentifier(21);
    main().remove(saved[9]);
    expectTasks(main(), 21, {c});
    expectTasks(main(), 10, {});

    // Another context sees none of it.
    Context session(&coordinator());
    expectTasks(session, 21, {});
    auto inSession = [&](Task *t) { return static_cast<Task *>(session.existingObject(t->objectID())); };
    expectTasks(session, 8, {inSession(saved[7])});

    ASSERT_TRUE(main().save());
    expectTasks(main(), 7, {saved[6]});
    expectTasks(main(), 8, {saved[7], b});
    expectTasks(main(), 21, {c});
    expectTasks(main(), 10, {});
    expectTasks(session, 8, {inSession(saved[7]), inSession(b)});

    // The saved inserts left the unsaved index: changing one now is seen through the committed bucket.
    b->setNumericIdentifier(9);
    expectTasks(main(), 8, {saved[7]});
    expectTasks(main(), 9, {saved[8], b});
}

TEST_F(OstoreUnsavedLookupTest, IdentifierLookupsOnAnEmptyLibraryUseTheUnsavedIndexAlone)
{
    std::vector<Task *> inserts;
    for (int i = 0; i < 6; ++i) {
        inserts.push_back(main().insert<Task>());
        inserts.back()->setNumericIdentifier(i % 2);
    }
    expectTasks(main(), 0, {inserts[0], inserts[2], inserts[4]});
    expectTasks(main(), 1, {inserts[1], inserts[3], inserts[5]});
    expectTasks(main(), 2, {});
    // Both terms of the AND are indexed; the smaller bucket must not lose the other's condition.
    auto *list = main().insert<TaskList>();
    inserts[3]->setTaskList(list);
    const Predicate both = byIdentifier(1) && key(QStringLiteral("taskList")) == list;
    EXPECT_EQ(main().fetch<Task>(both), std::vector<Task *>{inserts[3]});
    EXPECT_EQ(main().fetch<Task>(byIdentifier(0) && key(QStringLiteral("taskList")) == list), std::vector<Task *>{});
    ASSERT_TRUE(main().save());
    expectTasks(main(), 1, {inserts[1], inserts[3], inserts[5]});
    EXPECT_EQ(main().fetch<Task>(both), std::vector<Task *>{inserts[3]});
}

TEST_F(OstoreUnsavedLookupTest, ToOneLookupsFollowUnsavedMembers)
{
    auto tasks = saveIdentified(12);
    std::vector<Comment *> saved;
    for (Task *t : tasks) {
        saved.push_back(main().insert<Comment>());
        saved.back()->setTask(t);
    }
    ASSERT_TRUE(main().save());

    Task *fresh = main().insert<Task>();
    Comment *x = main().insert<Comment>();
    x->setTask(tasks[0]);
    Comment *y = main().insert<Comment>();
    y->setTask(fresh);
    Comment *z = main().insert<Comment>();
    z->setTask(tasks[0]);
    expectComments(tasks[0], {saved[0], x, z});
    expectComments(fresh, {y});

    z->setTask(fresh);
    saved[1]->setTask(tasks[0]);
    expectComments(tasks[0], {saved[0], saved[1], x});
    expectComments(tasks[1], {});
    expectComments(fresh, {y, z});

    x->setTask(nullptr);
    main().remove(y);
    expectComments(tasks[0], {saved[0], saved[1]});
    expectComments(fresh, {z});

    ASSERT_TRUE(main().save());
    expectComments(tasks[0], {saved[0], saved[1]});
    expectComments(fresh, {z});
    EXPECT_EQ(main().fetch<Comment>(isNull(QStringLiteral("task"))), std::vector<Comment *>{x});
}
