#include "StoreTest.h"

#include <QSignalSpy>

#include <set>
#include <unordered_set>

#include <sqlite3.h>
#include <unistd.h>

using namespace ostore;
using namespace ostore::where;

using OstoreSaveTest = StoreTest;

namespace {

int traceStatement(unsigned, void *context, void *statement, void *)
{
    const char *sql = sqlite3_sql(static_cast<sqlite3_stmt *>(statement));
    static_cast<QStringList *>(context)->append(QString::fromUtf8(sql ? sql : ""));
    return 0;
}

} // namespace

TEST_F(OstoreSaveTest, OneTransactionWhoseUpdateNamesOnlyTheDirtyColumns)
{
    auto tasks = saveTasks({QStringLiteral("a"), QStringLiteral("b")});
    tasks[0]->setTitle(QStringLiteral("a2"));
    tasks[1]->setStatus(4);
    QStringList trace;
    sqlite3_trace_v2(coordinator().handle(), SQLITE_TRACE_STMT, traceStatement, &trace);
    ASSERT_TRUE(main().save());
    sqlite3_trace_v2(coordinator().handle(), 0, nullptr, nullptr);
    EXPECT_EQ(trace.filter(QStringLiteral("BEGIN")).size(), 1);
    EXPECT_EQ(trace.filter(QStringLiteral("COMMIT")).size(), 1);
    EXPECT_TRUE(trace.first().startsWith(QStringLiteral("BEGIN IMMEDIATE")));
    EXPECT_TRUE(trace.last().startsWith(QStringLiteral("COMMIT")));
    const QStringList updates = trace.filter(QStringLiteral("UPDATE \"Task\""));
    ASSERT_EQ(updates.size(), 2);
    EXPECT_EQ(updates[0], QStringLiteral("UPDATE \"Task\" SET \"title\" = ?, Z_TXN = ? WHERE Z_ID = ?"));
    EXPECT_EQ(updates[1], QStringLiteral("UPDATE \"Task\" SET \"status\" = ?, Z_TXN = ? WHERE Z_ID = ?"));
}

TEST_F(OstoreSaveTest, AnEmptySaveEmitsNothingAndDidSaveListsWhatWasWritten)
{
    QSignalSpy will(&main(), &Context::willSave), did(&main(), &Context::didSave);
    EXPECT_TRUE(main().save());
    EXPECT_EQ(will.count() + did.count(), 0);
    auto tasks = saveTasks({QStringLiteral("a"), QStringLiteral("b")});
    ASSERT_EQ(did.count(), 1);
    const auto first = did.takeFirst().front().value<ChangeSet>();
    EXPECT_EQ(first.inserted.size(), 2u);
    tasks[0]->setNotes(QStringLiteral("n"));
    main().remove(tasks[1]);
    ASSERT_TRUE(main().save());
    const auto second = did.takeFirst().front().value<ChangeSet>();
    EXPECT_EQ(second.updated, std::vector<ObjectID>{tasks[0]->objectID()});
    EXPECT_EQ(second.updatedKeys.value(tasks[0]->objectID()), QStringList{QStringLiteral("notes")});
    EXPECT_EQ(second.deleted, std::vector<ObjectID>{tasks[1]->objectID()});
    EXPECT_EQ(second.txn, first.txn + 1);
}

TEST_F(OstoreSaveTest, ChangesMadeInWillSaveAreSavedToo)
{
    Task *t = saveTasks({QStringLiteral("a")}).front();
    QObject::connect(&main(), &Context::willSave, [t] { t->setNotes(QStringLiteral("stamped")); });
    t->setTitle(QStringLiteral("b"));
    ASSERT_TRUE(main().save());
    EXPECT_FALSE(main().hasChanges());
    reopen();
    EXPECT_EQ(main().firstObject<Task>()->notes(), QStringLiteral("stamped"));
}

TEST_F(OstoreSaveTest, AColumnWrittenMeanwhileByAnotherProcessSurvives)
{
    Task *t = saveTasks({QStringLiteral("a")}).front();
    t->setNumericIdentifier(11);
    ASSERT_TRUE(main().save());
    t->setTitle(QStringLiteral("mine"));
    ASSERT_EQ(runChild({QStringLiteral("set"), path(), QStringLiteral("11"), QStringLiteral("notes"),
                        QStringLiteral("theirs")})
                  .exitCode,
              0);
    QSignalSpy external(&coordinator(), &Coordinator::externalChangesLoaded);
    ASSERT_TRUE(main().save());
    EXPECT_EQ(external.count(), 1); // the catch-up under the lock found the other commit
    EXPECT_EQ(t->notes(), QStringLiteral("theirs"));
    reopen();
    Task *back = main().firstObject<Task>();
    EXPECT_EQ(back->title(), QStringLiteral("mine"));
    EXPECT_EQ(back->notes(), QStringLiteral("theirs"));
}

TEST_F(OstoreSaveTest, ASaveBlockedByAnotherLockGivesBusyKeepsItsChangesAndSucceedsLater)
{
    Task *t = saveTasks({QStringLiteral("a")}).front();
    t->setTitle(QStringLiteral("blocked"));
    QProcess holder;
    holder.start(QStringLiteral(OSTORE_TEST_CHILD), {QStringLiteral("hold"), path(), QStringLiteral("6500")});
    ASSERT_TRUE(holder.waitForReadyRead(10000));
    knvt::Error error;
    EXPECT_FALSE(main().save(&error));
    EXPECT_EQ(error.domain(), QString::fromLatin1(kErrorDomain));
    EXPECT_EQ(error.code(), qint64(ErrorCode::Busy));
    EXPECT_TRUE(error.userInfo().contains(QStringLiteral("sqliteCode")));
    EXPECT_TRUE(t->isUpdated());
    holder.waitForFinished(15000);
    ASSERT_TRUE(main().save(&error));
    reopen();
    EXPECT_EQ(main().firstObject<Task>()->title(), QStringLiteral("blocked"));
}

TEST_F(OstoreSaveTest, AReadOnlyFileGivesReadOnlyAndKeepsTheChanges)
{
    Task *t = saveTasks({QStringLiteral("a")}).front();
    t->setTitle(QStringLiteral("b"));
    // Root ignores file modes, so the connection is made read-only instead.
    sqlite3_exec(coordinator().handle(), "PRAGMA query_only = ON", nullptr, nullptr, nullptr);
    knvt::Error error;
    EXPECT_FALSE(main().save(&error));
    EXPECT_EQ(error.code(), qint64(ErrorCode::ReadOnly));
    EXPECT_TRUE(t->isUpdated());
    EXPECT_EQ(t->title(), QStringLiteral("b"));
    Context session(&coordinator());
    EXPECT_EQ(session.firstObject<Task>()->title(), QStringLiteral("a")); // the cache is untouched
}

TEST_F(OstoreSaveTest, ARollbackAfterARefusedSaveShowsWhatTheLibraryHolds)
{
    auto *list = main().insert<TaskList>();
    list->setTitle(QStringLiteral("Garden"));
    auto tasks = saveTasks({QStringLiteral("dig"), QStringLiteral("weed")});
    for (Task *t : tasks)
        t->setTaskList(list);
    ASSERT_TRUE(main().save());
    Task *dig = tasks[0];
    Task *weed = tasks[1];

    dig->setTitle(QStringLiteral("dig deeper"));
    dig->setStatus(4);
    main().remove(weed);
    Task *added = main().insert<Task>();
    added->setTitle(QStringLiteral("plant"));
    added->setTaskList(list);
    auto *comment = main().insert<Comment>();
    comment->setTask(dig);
    sqlite3_exec(coordinator().handle(), "PRAGMA query_only = ON", nullptr, nullptr, nullptr);
    ASSERT_FALSE(main().save());

    const ChangeSet changes = main().rollback();
    EXPECT_FALSE(main().hasChanges());
    EXPECT_EQ(dig->title(), QStringLiteral("dig"));
    EXPECT_EQ(dig->status(), 2);
    EXPECT_FALSE(dig->isUpdated());
    EXPECT_TRUE(dig->comments().empty());
    EXPECT_FALSE(weed->isDeleted());
    EXPECT_EQ(weed->taskList(), list);
    EXPECT_TRUE(added->isDeleted());
    EXPECT_TRUE(comment->isDeleted());
    EXPECT_EQ(titles(list->tasks()), QStringList({QStringLiteral("dig"), QStringLiteral("weed")}));
    EXPECT_EQ(main().count<Task>(), 2);
    EXPECT_EQ(main().count<Comment>(), 0);
    const std::unordered_set<ObjectID> updated(changes.updated.begin(), changes.updated.end());
    EXPECT_EQ(updated, (std::unordered_set<ObjectID>{dig->objectID(), weed->objectID()}));
    const std::unordered_set<ObjectID> deleted(changes.deleted.begin(), changes.deleted.end());
    EXPECT_EQ(deleted, (std::unordered_set<ObjectID>{added->objectID(), comment->objectID()}));

    // Once the library takes writes again, the next save finds nothing of the refused one.
    sqlite3_exec(coordinator().handle(), "PRAGMA query_only = OFF", nullptr, nullptr, nullptr);
    QSignalSpy saved(&main(), &Context::didSave);
    EXPECT_TRUE(main().save());
    EXPECT_EQ(saved.count(), 0);
    reopen();
    EXPECT_EQ(main().count<Task>(key(QStringLiteral("title")) == QStringLiteral("dig")), 1);
    EXPECT_EQ(main().count<Task>(), 2);
}

using OstoreMergeTest = StoreTest;

TEST_F(OstoreMergeTest, DifferentColumnsBothSurviveAndTheSameColumnGoesToTheLastSaver)
{
    Task *t = saveTasks({QStringLiteral("a")}).front();
    Context session(&coordinator());
    auto *s = static_cast<Task *>(session.existingObject(t->objectID()));
    t->setTitle(QStringLiteral("main title"));
    s->setNotes(QStringLiteral("session notes"));
    s->setStatus(4);
    ASSERT_TRUE(session.save());
    EXPECT_EQ(t->notes(), QStringLiteral("session notes")); // a clean column shows the other writer's value
    EXPECT_EQ(t->title(), QStringLiteral("main title"));    // a dirty value outlives the merge
    t->setStatus(1);
    ASSERT_TRUE(main().save());
    EXPECT_EQ(s->title(), QStringLiteral("main title"));
    EXPECT_EQ(s->status(), 1); // the last saver wins
    EXPECT_EQ(s->notes(), QStringLiteral("session notes"));
}

TEST_F(OstoreMergeTest, MergeChangesTellsObserversEvenWithNothingToSave)
{
    Context session(&coordinator());
    QSignalSpy changed(&main(), &Context::objectsDidChange);
    QObject::connect(&session, &Context::didSave, &main(),
                     [&](const ChangeSet &cs) { main().mergeChanges(cs, ChangeOrigin::Merge); });
    session.insert<Task>()->setTitle(QStringLiteral("pulled"));
    ASSERT_TRUE(session.save());
    ASSERT_EQ(changed.count(), 1);
    EXPECT_EQ(changed.front().front().value<ChangeSet>().inserted.size(), 1u);
    EXPECT_EQ(titles(main().fetch<Task>()), QStringList{QStringLiteral("pulled")});
}

TEST_F(OstoreMergeTest, ARowTheSessionDeletedIsGoneInMainAndNeverResurrected)
{
    Task *t = saveTasks({QStringLiteral("a")}).front();
    t->setTitle(QStringLiteral("edited in main"));
    {
        Context session(&coordinator());
        session.remove(session.existingObject(t->objectID()));
        ASSERT_TRUE(session.save());
    }
    EXPECT_TRUE(t->isDeleted());
    EXPECT_EQ(t->context(), nullptr);
    EXPECT_FALSE(t->isUpdated());
    EXPECT_EQ(t->title(), QStringLiteral("a")); // its last committed values stay readable
    EXPECT_EQ(main().count<Task>(), 0);
    EXPECT_TRUE(main().save());
    reopen();
    EXPECT_EQ(main().count<Task>(), 0);
}

TEST_F(OstoreMergeTest, AnUpdateOfARowDeletedByAnotherProcessIsDropped)
{
    Task *t = saveTasks({QStringLiteral("a")}).front();
    t->setNumericIdentifier(21);
    ASSERT_TRUE(main().save());
    t->setTitle(QStringLiteral("too late"));
    ASSERT_EQ(runChild({QStringLiteral("remove"), path(), QStringLiteral("21")}).exitCode, 0);
    QSignalSpy did(&main(), &Context::didSave);
    ASSERT_TRUE(main().save());
    EXPECT_TRUE(t->isDeleted());
    ASSERT_EQ(did.count(), 1);
    EXPECT_TRUE(did.front().front().value<ChangeSet>().updated.empty());
    reopen();
    EXPECT_EQ(main().count<Task>(), 0);
}

using OstoreExternalChangeTest = StoreTest;

TEST_F(OstoreExternalChangeTest, ReloadReturnsExactlyTheOtherProcessesRowsAndReadsOnlyThem)
{
    QStringList many;
    for (int i = 0; i < 100; ++i)
        many.append(QStringLiteral("t%1").arg(i));
    auto tasks = saveTasks(many);
    tasks[40]->setNumericIdentifier(40);
    tasks[41]->setNumericIdentifier(41);
    ASSERT_TRUE(main().save());
    ASSERT_EQ(runChild({QStringLiteral("set"), path(), QStringLiteral("40"), QStringLiteral("title"),
                        QStringLiteral("changed")})
                  .exitCode,
              0);
    ASSERT_EQ(runChild({QStringLiteral("insert"), path(), QStringLiteral("2"), QStringLiteral("new")}).exitCode, 0);
    ASSERT_EQ(runChild({QStringLiteral("remove"), path(), QStringLiteral("41")}).exitCode, 0);
    const quint64 before = coordinator().statistics().rowsRead;
    const ChangeSet cs = coordinator().reloadExternalChanges();
    EXPECT_EQ(coordinator().statistics().rowsRead - before, 3u);
    EXPECT_EQ(cs.updated, std::vector<ObjectID>{tasks[40]->objectID()});
    EXPECT_EQ(cs.updatedKeys.value(tasks[40]->objectID()), QStringList{QStringLiteral("title")});
    EXPECT_EQ(cs.inserted.size(), 2u);
    EXPECT_EQ(cs.deleted, std::vector<ObjectID>{tasks[41]->objectID()});
    EXPECT_EQ(tasks[40]->title(), QStringLiteral("changed"));
    EXPECT_TRUE(tasks[41]->isDeleted());
    const QStringList all = titles(main().fetch<Task>());
    EXPECT_EQ(all.mid(all.size() - 2), QStringList({QStringLiteral("new0"), QStringLiteral("new1")}));
}

TEST_F(OstoreExternalChangeTest, AnUnchangedDataVersionCostsNoSelect)
{
    saveTasks({QStringLiteral("a")});
    const quint64 selects = coordinator().statistics().selects;
    EXPECT_TRUE(coordinator().reloadExternalChanges().isEmpty());
    main().firstObject<Task>()->setTitle(QStringLiteral("own"));
    ASSERT_TRUE(main().save()); // own commits do not count as external
    EXPECT_TRUE(coordinator().reloadExternalChanges().isEmpty());
    EXPECT_EQ(coordinator().statistics().selects, selects);
}

TEST_F(OstoreExternalChangeTest, UnsavedEditsSurviveAReload)
{
    Task *t = saveTasks({QStringLiteral("a")}).front();
    t->setNumericIdentifier(5);
    ASSERT_TRUE(main().save());
    t->setStatus(1);
    ASSERT_EQ(runChild({QStringLiteral("set"), path(), QStringLiteral("5"), QStringLiteral("title"),
                        QStringLiteral("theirs")})
                  .exitCode,
              0);
    const ChangeSet cs = coordinator().reloadExternalChanges();
    EXPECT_EQ(cs.updated.size(), 1u);
    EXPECT_EQ(t->title(), QStringLiteral("theirs"));
    EXPECT_EQ(t->status(), 1);
    EXPECT_TRUE(t->isUpdated());
}

TEST_F(OstoreExternalChangeTest, APrunedDeletionLogFallsBackToAFullReload)
{
    auto tasks = saveTasks({QStringLiteral("a"), QStringLiteral("b"), QStringLiteral("c")});
    tasks[1]->setNumericIdentifier(2);
    ASSERT_TRUE(main().save());
    ASSERT_EQ(runChild({QStringLiteral("remove"), path(), QStringLiteral("2")}).exitCode, 0);
    // As if the log had been pruned past what this process last saw.
    sqlite3 *db = nullptr;
    sqlite3_open(path().toUtf8().constData(), &db);
    ASSERT_EQ(sqlite3_exec(db,
                           "DELETE FROM Z_DELETED; UPDATE Z_METADATA SET value = (SELECT value FROM Z_METADATA WHERE "
                           "key = 'txn') WHERE key = 'prunedTxn'",
                           nullptr, nullptr, nullptr),
              SQLITE_OK);
    sqlite3_close(db);
    const ChangeSet cs = coordinator().reloadExternalChanges();
    EXPECT_EQ(cs.deleted, std::vector<ObjectID>{tasks[1]->objectID()});
    EXPECT_TRUE(cs.updated.empty());
    EXPECT_TRUE(tasks[1]->isDeleted());
    EXPECT_EQ(titles(main().fetch<Task>()), QStringList({QStringLiteral("a"), QStringLiteral("c")}));
}

TEST_F(OstoreExternalChangeTest, LoadingAnEntityCatchesUpTheLoadedOnesAndReportsItOnTheNextPass)
{
    Task *t = saveTasks({QStringLiteral("a")}).front();
    t->setNumericIdentifier(3);
    ASSERT_TRUE(main().save());
    ASSERT_EQ(
        runChild({QStringLiteral("set"), path(), QStringLiteral("3"), QStringLiteral("title"), QStringLiteral("b")})
            .exitCode,
        0);
    QSignalSpy external(&coordinator(), &Coordinator::externalChangesLoaded);
    EXPECT_EQ(main().count<Tag>(), 0); // loads Tag and catches Task up in the same snapshot
    EXPECT_EQ(t->title(), QStringLiteral("b"));
    EXPECT_EQ(external.count(), 0);
    ASSERT_TRUE(external.wait(2000));
    EXPECT_EQ(external.front().front().value<ChangeSet>().updated, std::vector<ObjectID>{t->objectID()});
}

TEST_F(OstoreExternalChangeTest, AnOverfullDeletionLogIsPrunedAndReadersFallBackToAFullReload)
{
    testmodel::Library reader(path());
    ASSERT_TRUE(reader.opened);
    auto insertMany = [&](int n) {
        for (int i = 0; i < n; ++i)
            main().insert<Task>()->setTitle(QStringLiteral("bulk"));
        EXPECT_TRUE(main().save());
    };
    insertMany(21000);
    main().insert<Task>()->setTitle(QStringLiteral("survivor"));
    ASSERT_TRUE(main().save());
    EXPECT_EQ(reader.main->count<Task>(), 21001); // the reader's cache, loaded before the removals
    auto removeBulk = [&](int n) {
        int removed = 0;
        for (Task *t : main().fetch<Task>(key(QStringLiteral("title")) == QStringLiteral("bulk"))) {
            if (removed++ == n)
                break;
            main().remove(t);
        }
        EXPECT_TRUE(main().save());
    };
    removeBulk(11000);
    removeBulk(10000); // 21,000 log entries: the older commit's are pruned
    sqlite3 *db = nullptr;
    sqlite3_open(path().toUtf8().constData(), &db);
    sqlite3_stmt *s = nullptr;
    sqlite3_prepare_v2(
        db, "SELECT (SELECT count(*) FROM Z_DELETED), (SELECT value FROM Z_METADATA WHERE key = 'prunedTxn')", -1, &s,
        nullptr);
    ASSERT_EQ(sqlite3_step(s), SQLITE_ROW);
    EXPECT_EQ(sqlite3_column_int(s, 0), 10000);
    EXPECT_GT(sqlite3_column_int(s, 1), 0);
    sqlite3_finalize(s);
    sqlite3_close(db);

    const ChangeSet cs = reader.coordinator->reloadExternalChanges();
    EXPECT_EQ(cs.deleted.size(), 21000u);
    EXPECT_TRUE(cs.inserted.empty());
    EXPECT_EQ(titles(reader.main->fetch<Task>()), QStringList{QStringLiteral("survivor")});
    // The writer's own cache was compacted along the way and still answers correctly.
    main().insert<Task>()->setTitle(QStringLiteral("after"));
    ASSERT_TRUE(main().save());
    EXPECT_EQ(titles(main().fetch<Task>()), QStringList({QStringLiteral("survivor"), QStringLiteral("after")}));
}

TEST_F(OstoreSaveTest, CommittedValuesAreTheCachedRowAndTheChangeListsFollowTheContext)
{
    auto *list = main().insert<TaskList>();
    Task *t = main().insert<Task>();
    t->setTitle(QStringLiteral("saved"));
    t->setTaskList(list);
    EXPECT_TRUE(main().committedValues(t).isEmpty()); // an unsaved insert has no committed row
    EXPECT_EQ(main().insertedObjects().size(), 2u);
    ASSERT_TRUE(main().save());
    t->setTitle(QStringLiteral("edited"));
    t->setTaskList(nullptr);
    const ValueMap committed = main().committedValues(t);
    EXPECT_EQ(committed.value(QStringLiteral("title")), Value(QStringLiteral("saved")));
    EXPECT_EQ(committed.value(QStringLiteral("taskList")), Value(list->objectID()));
    EXPECT_EQ(committed.value(QStringLiteral("status")), Value(qint64(2)));
    EXPECT_TRUE(isNone(committed.value(QStringLiteral("dueDate"))));
    EXPECT_TRUE(committed.contains(QStringLiteral("dueDate"))); // every key, none included
    EXPECT_EQ(main().committedValues(t, {QStringLiteral("title")}).size(), 1);
    EXPECT_EQ(t->changedValues().size(), 2);
    EXPECT_EQ(main().updatedObjects(), std::vector<Object *>{t});
    main().remove(list);
    EXPECT_EQ(main().deletedObjects(), std::vector<Object *>{list});
    EXPECT_TRUE(main().insertedObjects().empty());
}

TEST_F(OstoreSaveTest, BlobsAreReadOnDemandAndOnlyWhenAsked)
{
    auto *user = main().insert<User>();
    auto *avatar = main().insert<Avatar>();
    avatar->setUser(user);
    static const char raw[] = "\x89PNG\r\n\x1a\n\0\0 bytes";
    const QByteArray png(raw, sizeof raw - 1); // with its NUL bytes
    avatar->setData(png);
    avatar->setThumbnailData(QByteArray("", 0)); // empty, not none
    ASSERT_TRUE(main().save());
    reopen();
    auto *back = main().firstObject<Avatar>();
    ASSERT_NE(back, nullptr);
    EXPECT_FALSE(main().committedValues(back).contains(QStringLiteral("data")));
    EXPECT_EQ(
        std::get<QByteArray>(main().committedValues(back, {QStringLiteral("data")}).value(QStringLiteral("data"))),
        png);
    EXPECT_EQ(back->data(), png);
    EXPECT_FALSE(back->thumbnailData().isNull());
    EXPECT_TRUE(back->thumbnailData().isEmpty());
    Context session(&coordinator());
    static_cast<Avatar *>(session.existingObject(back->objectID()))->setData(QByteArray("new"));
    ASSERT_TRUE(session.save());
    EXPECT_EQ(back->data(), QByteArray("new")); // a save elsewhere drops the BLOBs cached here
}

TEST_F(OstoreSaveTest, AZidCollisionGivesConstraintAndKeepsTheInsert)
{
    saveTasks({QStringLiteral("first")});
    Task *t = main().insert<Task>();
    t->setTitle(QStringLiteral("second"));
    sqlite3 *db = nullptr;
    sqlite3_open(path().toUtf8().constData(), &db);
    const QByteArray sql = QStringLiteral("INSERT INTO Task (Z_ID, Z_TXN, title) VALUES (%1, 0, 'squatter')")
                               .arg(t->objectID().zid)
                               .toUtf8();
    ASSERT_EQ(sqlite3_exec(db, sql.constData(), nullptr, nullptr, nullptr), SQLITE_OK);
    sqlite3_close(db);
    knvt::Error error;
    EXPECT_FALSE(main().save(&error));
    EXPECT_EQ(error.code(), qint64(ErrorCode::Constraint));
    EXPECT_TRUE(t->isInserted());
    EXPECT_TRUE(main().hasChanges());
    EXPECT_EQ(main().count<Task>(), 2);
}

TEST_F(OstoreSaveTest, AFirstPullSizedSaveKeepsEveryRowItsOrderAndItsLinks)
{
    // Enough rows of each kind to fill several multi-row statements and leave a remainder, made interleaved as a
    // pull makes them.
    constexpr int kTasks = 150;
    std::vector<Task *> tasks;
    QStringList made;
    for (int i = 0; i < kTasks; ++i) {
        Task *task = main().insert<Task>();
        task->setTitle(QStringLiteral("task %1").arg(i));
        task->setNumericIdentifier(1000 + i);
        for (int c = 0; c < 2; ++c) {
            Comment *comment = main().insert<Comment>();
            comment->setText(QStringLiteral("comment %1.%2").arg(i).arg(c));
            comment->setTask(task);
        }
        tasks.push_back(task);
        made.append(task->title());
    }
    std::set<qint64> identities;
    for (Task *t : tasks)
        identities.insert(t->objectID().zid);
    EXPECT_EQ(identities.size(), size_t(kTasks));
    ASSERT_TRUE(main().save());
    EXPECT_EQ(titles(main().fetch<Task>()), made);

    // Another context adds rows after them, and this one sees them after its own.
    {
        Context session(&coordinator());
        session.insert<Task>()->setTitle(QStringLiteral("late"));
        ASSERT_TRUE(session.save());
    }
    made.append(QStringLiteral("late"));
    EXPECT_EQ(titles(main().fetch<Task>()), made);

    reopen();
    EXPECT_EQ(titles(main().fetch<Task>()), made);
    EXPECT_EQ(main().count<Comment>(), 2 * kTasks);
    for (Task *t : main().fetch<Task>(key(QStringLiteral("numericIdentifier")) >= 1000)) {
        const int i = int(t->numericIdentifier().value_or(0) - 1000);
        QStringList texts;
        for (Comment *c : t->comments())
            texts.append(c->text());
        texts.sort();
        EXPECT_EQ(texts, QStringList({QStringLiteral("comment %1.0").arg(i), QStringLiteral("comment %1.1").arg(i)}));
    }
}

// The cache keeps a text of Latin-1 characters a byte each and shares one text among the rows that hold it; what is
// read, compared, sorted and matched is the text as written, saved and loaded again alike.
TEST_F(OstoreSaveTest, TextsReadBackAsWrittenWhateverTheirCharactersAndHowManyRowsShareThem)
{
    const QStringList written{QStringLiteral("plain"),  QStringLiteral("Größe ½ café"),     QStringLiteral("Łódź"),
                              QStringLiteral("Привет"), QStringLiteral("naïve \U0001F382"), QStringLiteral("")};
    saveTasks(written);
    for (int i = 0; i < 3000; ++i)
        main().insert<Task>()->setNotes(i % 3 ? QStringLiteral("title,status,assignee") : QStringLiteral("Grüße"));
    ASSERT_TRUE(main().save());
    QStringList sorted = written;
    std::sort(sorted.begin(), sorted.end());
    const QString title = QStringLiteral("title");
    const QString notes = QStringLiteral("notes");
    int greetings = 1000;
    for (int round = 0; round < 2; ++round) {
        SCOPED_TRACE(round ? "loaded again" : "as saved");
        EXPECT_EQ(titles(main().fetch<Task>(notNull(title), {{title}})), sorted);
        for (const QString &text : written) {
            EXPECT_EQ(titles(main().fetch<Task>(key(title) == text)), QStringList{text});
            if (!text.isEmpty()) {
                EXPECT_EQ(titles(main().fetch<Task>(key(title).contains(text.mid(1)))), QStringList{text});
            }
        }
        EXPECT_EQ(main().count<Task>(key(notes) == QStringLiteral("Grüße")), greetings);
        EXPECT_EQ(main().count<Task>(key(notes).contains(QStringLiteral("GRUSSE"), Fold::CaseDiacritic)), greetings);
        // One of the rows that share a text changed, the others not.
        Task *one = main().firstObject<Task>(key(notes) == QStringLiteral("Grüße"));
        ASSERT_NE(one, nullptr);
        one->setNotes(QStringLiteral("Straße"));
        ASSERT_TRUE(main().save());
        EXPECT_EQ(main().count<Task>(key(notes) == QStringLiteral("Grüße")), --greetings);
        EXPECT_EQ(main().count<Task>(key(notes) == QStringLiteral("title,status,assignee")), 2000);
        reopen();
    }
}
