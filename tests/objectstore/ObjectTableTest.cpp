#include "StoreTest.h"

using namespace ostore;

// The context's registry of objects by identity, which grows a few slots an insert: every object registered so far
// is found as itself after every insert, while a growth is under way and after it, whether it was inserted or
// registered by a fetch. A lookup that missed the table being moved out of, or a slot never moved over, finds
// nothing (an unsaved insert has no row to fall back on) or registers a second object for a saved row.
class OstoreObjectTableTest : public StoreTest
{
protected:
    // Every object of `objects` is found by its identity as itself.
    static void expectAllFound(Context &context, const std::vector<Object *> &objects)
    {
        for (size_t i = 0; i < objects.size(); ++i)
            ASSERT_EQ(context.existingObject(objects[i]->objectID()), objects[i])
                << "object " << i << " of " << objects.size();
    }
};

TEST_F(OstoreObjectTableTest, EveryObjectIsFoundAsItselfAfterEveryInsertAcrossGrowths)
{
    // Enough to grow the table from its first size six times over.
    std::vector<Object *> inserted;
    for (int i = 0; i < 2500; ++i) {
        inserted.push_back(i % 5 == 0 ? static_cast<Object *>(main().insert<TaskList>())
                                      : static_cast<Object *>(main().insert<Task>()));
        ASSERT_NO_FATAL_FAILURE(expectAllFound(main(), inserted));
    }
    ASSERT_TRUE(main().save());
    expectAllFound(main(), inserted);
}

TEST_F(OstoreObjectTableTest, RowsRegisteredByFetchesAndNewInsertsAreFoundAsThemselves)
{
    for (int i = 0; i < 1500; ++i)
        main().insert<Task>()->setNumericIdentifier(i);
    ASSERT_TRUE(main().save());
    reopen();

    // Fetched rows register in the order read, then inserts land amid the growths the fetch began.
    std::vector<Object *> registered;
    for (Task *task : main().fetch<Task>())
        registered.push_back(task);
    ASSERT_EQ(registered.size(), 1500u);
    expectAllFound(main(), registered);
    for (int i = 0; i < 1500; ++i) {
        registered.push_back(main().insert<Task>());
        if (i % 50 == 0)
            ASSERT_NO_FATAL_FAILURE(expectAllFound(main(), registered));
    }
    expectAllFound(main(), registered);
    EXPECT_EQ(main().fetch<Task>().size(), 3000u);
}
