#include "StoreTest.h"

using namespace ostore;
using namespace ostore::where;

namespace {

class Note : public Object
{
    OSTORE_OBJECT(Note)
    OSTORE_STRING(text, setText)
    OSTORE_INT(rank, setRank)
};

class BrokenNote : public Object
{
    OSTORE_OBJECT(BrokenNote)
    OSTORE_STRING(text, setText)
    OSTORE_STRING(nickname, setNickname)
};

class MistypedNote : public Object
{
    OSTORE_OBJECT(MistypedNote)
    OSTORE_DATE(text, setText)
};

} // namespace

TEST(OstoreModelTest, DdlAndHashAreStable)
{
    Model m(1);
    m.entity<Note>(QStringLiteral("Note"))
        .attr(QStringLiteral("text"), Type::String)
        .attr(QStringLiteral("rank"), Type::Int64);
    m.finalize();
    EXPECT_EQ(
        m.ddl(),
        QStringLiteral("CREATE TABLE \"Note\" (Z_ROWID INTEGER PRIMARY KEY AUTOINCREMENT, Z_ID INTEGER NOT NULL "
                       "UNIQUE, Z_TXN INTEGER NOT NULL, \"text\" TEXT, \"rank\" INTEGER);\n"
                       "CREATE INDEX \"Note_Z_TXN\" ON \"Note\" (Z_TXN);\n"
                       "CREATE TABLE Z_METADATA (key TEXT PRIMARY KEY, value);\n"
                       "CREATE TABLE Z_DELETED (txn INTEGER NOT NULL, entity TEXT NOT NULL, zid INTEGER NOT NULL);\n"
                       "CREATE INDEX Z_DELETED_txn ON Z_DELETED (txn);\n"));
    EXPECT_EQ(m.schemaHash(),
              QString::fromLatin1(QCryptographicHash::hash(m.ddl().toUtf8(), QCryptographicHash::Sha256).toHex()));
    EXPECT_EQ(testmodel::makeModel().schemaHash(), testmodel::makeModel().schemaHash());
    EXPECT_NE(testmodel::makeModel().schemaHash(), m.schemaHash());
}

TEST(OstoreModelDeathTest, AccessorNamingAMissingPropertyAborts)
{
    EXPECT_DEATH(
        {
            Model m(1);
            m.entity<BrokenNote>(QStringLiteral("BrokenNote")).attr(QStringLiteral("text"), Type::String);
            Coordinator c(std::move(m));
        },
        "nickname");
}

TEST(OstoreModelDeathTest, AccessorOfTheWrongTypeAborts)
{
    EXPECT_DEATH(
        {
            Model m(1);
            m.entity<MistypedNote>(QStringLiteral("MistypedNote")).attr(QStringLiteral("text"), Type::String);
            m.finalize();
        },
        "text");
}

using OstoreIdentityTest = StoreTest;

TEST_F(OstoreIdentityTest, UrisRoundTripAndRejectOthers)
{
    Task *t = saveTasks({QStringLiteral("a")}).front();
    const QUrl uri = t->uri();
    EXPECT_EQ(uri.scheme(), QStringLiteral("x-ostore"));
    EXPECT_EQ(uri.path(), QStringLiteral("/Task/p%1").arg(t->objectID().zid));
    ASSERT_TRUE(coordinator().objectIDForURI(uri).has_value());
    EXPECT_EQ(*coordinator().objectIDForURI(uri), t->objectID());

    auto with = [&](const QString &text) { return coordinator().objectIDForURI(QUrl(text)); };
    const QString base = QStringLiteral("x-ostore://") + coordinator().storeUUID();
    EXPECT_FALSE(
        with(QStringLiteral("x-ostore://00000000-0000-0000-0000-000000000000/Task/p%1").arg(t->objectID().zid)));
    EXPECT_FALSE(with(base + QStringLiteral("/Nope/p1")));
    EXPECT_FALSE(with(base + QStringLiteral("/Task/pabc")));
    EXPECT_FALSE(with(base + QStringLiteral("/Task/p-5")));
    EXPECT_FALSE(with(base + QStringLiteral("/Task/p")));
    EXPECT_FALSE(with(base + QStringLiteral("/Task/12")));
    EXPECT_FALSE(with(base + QStringLiteral("/Task/p1/extra")));
    EXPECT_FALSE(with(QStringLiteral("x-other://") + coordinator().storeUUID() + QStringLiteral("/Task/p1")));
    EXPECT_TRUE(with(base + QStringLiteral("/Task/p1")).has_value()); // well-formed, whether or not the row exists
}

TEST_F(OstoreIdentityTest, ALibraryRecreatedElsewhereNeverResolvesOldUris)
{
    Task *t = saveTasks({QStringLiteral("a")}).front();
    const QUrl uri = t->uri();
    testmodel::Library other(folder() + QStringLiteral("/Other.sqlite3"));
    ASSERT_TRUE(other.opened);
    EXPECT_NE(other.coordinator->storeUUID(), coordinator().storeUUID());
    EXPECT_FALSE(other.coordinator->objectIDForURI(uri).has_value());
}

TEST_F(OstoreIdentityTest, AUriTakenBeforeTheFirstSaveResolvesAfterIt)
{
    Task *t = main().insert<Task>();
    t->setTitle(QStringLiteral("draft"));
    const QUrl uri = t->uri();
    ASSERT_TRUE(main().save());
    const auto id = coordinator().objectIDForURI(uri);
    ASSERT_TRUE(id.has_value());
    EXPECT_EQ(main().existingObject(*id), t);

    Context session(&coordinator());
    Object *there = session.existingObject(*id);
    ASSERT_NE(there, nullptr);
    EXPECT_NE(there, t);
    EXPECT_EQ(static_cast<Task *>(there)->title(), QStringLiteral("draft"));
}

TEST_F(OstoreIdentityTest, AnUnsavedInsertResolvesOnlyInItsOwnContext)
{
    Task *t = main().insert<Task>();
    Context session(&coordinator());
    EXPECT_EQ(main().existingObject(t->objectID()), t);
    EXPECT_EQ(session.existingObject(t->objectID()), nullptr);
}

TEST_F(OstoreIdentityTest, ExistingObjectReturnsPendingDeletionsButNotGoneRows)
{
    Task *t = saveTasks({QStringLiteral("a")}).front();
    const ObjectID id = t->objectID();
    main().remove(t);
    EXPECT_EQ(main().existingObject(id), t);
    EXPECT_TRUE(t->isDeleted());
    ASSERT_TRUE(main().save());
    EXPECT_EQ(main().existingObject(id), nullptr);
    EXPECT_TRUE(t->isDeleted());
    EXPECT_EQ(t->context(), nullptr);
    Context session(&coordinator());
    EXPECT_EQ(session.existingObject(id), nullptr);
}
