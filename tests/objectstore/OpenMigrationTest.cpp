#include "StoreTest.h"

#include <QDateTime>
#include <QFileInfo>
#include <QThread>

#include <sqlite3.h>

using namespace ostore;
using namespace ostore::where;

namespace {

class OstoreOpenTest : public ::testing::Test
{
protected:
    QString file(const QString &name = QStringLiteral("TaskStoreData.sqlite3")) const { return m_dir.filePath(name); }
    QStringList entries() const
    {
        return QDir(m_dir.path()).entryList(QDir::Files | QDir::Dirs | QDir::NoDotAndDotDot);
    }
    static QByteArray sha(const QString &f) { return fileSha256(f); }
    QTemporaryDir m_dir;
};

qint64 pragma(const QString &file, const char *sql)
{
    sqlite3 *db = nullptr;
    sqlite3_open_v2(file.toUtf8().constData(), &db, SQLITE_OPEN_READONLY, nullptr);
    // As every reader of a library does: a closed library's log may still be on its way to disk on a thread of its own,
    // which holds the file a moment after the close returned.
    sqlite3_busy_timeout(db, 5000);
    sqlite3_stmt *s = nullptr;
    sqlite3_prepare_v2(db, sql, -1, &s, nullptr);
    qint64 v = sqlite3_step(s) == SQLITE_ROW ? sqlite3_column_int64(s, 0) : -1;
    sqlite3_finalize(s);
    sqlite3_close(db);
    return v;
}

// Expects open() to refuse the file with `code`, leaving it and its folder exactly as they were.
void expectRefusedUntouched(const QString &path, ErrorCode code)
{
    const QByteArray before = fileSha256(path);
    const QDateTime mtime = QFileInfo(path).lastModified();
    const QStringList files = QDir(QFileInfo(path).path()).entryList(QDir::Files);
    Coordinator c(testmodel::makeModel());
    knvt::Error error;
    EXPECT_FALSE(c.open(path, nullptr, &error));
    EXPECT_EQ(error.code(), qint64(code)) << qPrintable(error.description());
    EXPECT_EQ(fileSha256(path), before);
    EXPECT_EQ(QFileInfo(path).lastModified(), mtime);
    EXPECT_EQ(QDir(QFileInfo(path).path()).entryList(QDir::Files), files);
}

} // namespace

TEST_F(OstoreOpenTest, ANewFileIsCreatedWithOurMarks)
{
    Coordinator c(testmodel::makeModel());
    OpenResult result;
    ASSERT_TRUE(c.open(file(), &result));
    EXPECT_TRUE(result.created);
    EXPECT_FALSE(result.sourceMetadata.exists);
    c.close();
    EXPECT_EQ(pragma(file(), "PRAGMA application_id"), Coordinator::kApplicationId);
    EXPECT_EQ(pragma(file(), "PRAGMA user_version"), 4);
    const StoreMetadata md = Coordinator::readStoreMetadata(file());
    EXPECT_EQ(md.modelVersionIdentifiers, QStringList{QStringLiteral("4")});
    EXPECT_EQ(md.schemaHash, testmodel::makeModel().schemaHash());
    EXPECT_FALSE(md.storeUUID.isEmpty());
    EXPECT_FALSE(Coordinator::readStoreMetadata(file(QStringLiteral("missing"))).exists);
}

TEST_F(OstoreOpenTest, AVersion3FileMigratesWithAnIdenticalBackupAndKeepsItsData)
{
    ASSERT_TRUE(testmodel::writeVersion3File(file(), 3));
    const QByteArray original = sha(file());
    Coordinator c(testmodel::makeModel());
    OpenResult result;
    knvt::Error error;
    ASSERT_TRUE(c.open(file(), &result, &error)) << qPrintable(error.description());
    EXPECT_TRUE(result.migrated);
    EXPECT_FALSE(result.created);
    EXPECT_EQ(result.sourceMetadata.modelVersionIdentifiers, QStringList{QStringLiteral("3")});
    EXPECT_EQ(result.sourceMetadata.userVersion, 3);
    EXPECT_EQ(sha(file(QStringLiteral("TaskStoreData.sqlite3.v3.backup"))), original);
    {
        Context context(&c);
        EXPECT_EQ(context.count<Task>(), 3);
        User *ada = context.firstObject<User>(key(QStringLiteral("fullName")) == QStringLiteral("Ada"));
        ASSERT_NE(ada, nullptr);
        EXPECT_EQ(ada->assignedTasks().size(), 3u);
        ada->setInitials(QStringLiteral("AL"));
        ASSERT_TRUE(context.save());
    }
    c.close();
    EXPECT_EQ(pragma(file(), "PRAGMA user_version"), 4);
    EXPECT_EQ(Coordinator::readStoreMetadata(file()).modelVersionIdentifiers, QStringList{QStringLiteral("4")});
    testmodel::Library again(file());
    ASSERT_TRUE(again.opened);
    EXPECT_FALSE(again.openResult.migrated);
    EXPECT_EQ(again.main->firstObject<User>()->initials(), QStringLiteral("AL"));
}

TEST_F(OstoreOpenTest, AWalModeVersion3FileMigratesToo)
{
    ASSERT_TRUE(testmodel::writeVersion3File(file(), 2, true));
    testmodel::Library lib(file());
    ASSERT_TRUE(lib.opened) << qPrintable(lib.openError.description());
    EXPECT_TRUE(lib.openResult.migrated);
    EXPECT_EQ(lib.main->count<Task>(), 2);
    EXPECT_EQ(pragma(file(QStringLiteral("TaskStoreData.sqlite3.v3.backup")), "SELECT count(*) FROM Task"), 2);
}

TEST_F(OstoreOpenTest, AFailingStepLeavesTheFileIdentical)
{
    ASSERT_TRUE(testmodel::writeVersion3File(file(), 2));
    const QByteArray original = sha(file());
    Model broken = testmodel::makeModel();
    broken.migration(3,
                     {QStringLiteral("ALTER TABLE \"User\" ADD COLUMN \"initials\" TEXT"),
                      QStringLiteral("ALTER TABLE \"NoSuchTable\" ADD COLUMN x TEXT")});
    Coordinator c(std::move(broken));
    knvt::Error error;
    EXPECT_FALSE(c.open(file(), nullptr, &error));
    EXPECT_EQ(error.code(), qint64(ErrorCode::MigrationFailed));
    EXPECT_EQ(sha(file()), original);
    EXPECT_EQ(pragma(file(), "PRAGMA user_version"), 3);
}

TEST_F(OstoreOpenTest, ABackupThatCannotBeWrittenStopsTheMigration)
{
    ASSERT_TRUE(testmodel::writeVersion3File(file(), 2));
    const QByteArray original = sha(file());
    ASSERT_TRUE(QDir(m_dir.path()).mkdir(QStringLiteral("TaskStoreData.sqlite3.v3.backup"))); // in the way
    Coordinator c(testmodel::makeModel());
    knvt::Error error;
    EXPECT_FALSE(c.open(file(), nullptr, &error));
    EXPECT_EQ(error.code(), qint64(ErrorCode::BackupFailed));
    EXPECT_EQ(sha(file()), original);
    EXPECT_EQ(entries().size(), 2); // no partial backup left behind
}

TEST_F(OstoreOpenTest, TwoProcessesMigrateOneFileOnce)
{
    ASSERT_TRUE(testmodel::writeVersion3File(file(), 50));
    QProcess a, b;
    a.start(QStringLiteral(OSTORE_TEST_CHILD), {QStringLiteral("open"), file()});
    b.start(QStringLiteral(OSTORE_TEST_CHILD), {QStringLiteral("open"), file()});
    ASSERT_TRUE(a.waitForFinished(20000) && b.waitForFinished(20000));
    EXPECT_EQ(a.exitCode(), 0);
    EXPECT_EQ(b.exitCode(), 0);
    QStringList outcomes{QString::fromUtf8(a.readAllStandardOutput()).trimmed(),
                         QString::fromUtf8(b.readAllStandardOutput()).trimmed()};
    outcomes.sort();
    EXPECT_EQ(outcomes, QStringList({QStringLiteral("migrated"), QStringLiteral("opened")}));
    testmodel::Library lib(file());
    ASSERT_TRUE(lib.opened);
    EXPECT_EQ(lib.main->count<Task>(), 50);
}

TEST_F(OstoreOpenTest, NewerForeignAndGarbageFilesAreRefusedUntouched)
{
    {
        testmodel::Library lib(file(QStringLiteral("newer.sqlite3")));
        ASSERT_TRUE(lib.opened);
        lib.main->insert<Task>();
        ASSERT_TRUE(lib.main->save());
        sqlite3_exec(lib.coordinator->handle(), "PRAGMA user_version = 99", nullptr, nullptr, nullptr);
    }
    expectRefusedUntouched(file(QStringLiteral("newer.sqlite3")), ErrorCode::StoreTooNew);
    Coordinator c(testmodel::makeModel());
    knvt::Error error;
    c.open(file(QStringLiteral("newer.sqlite3")), nullptr, &error);
    EXPECT_EQ(error.userInfo().value(QStringLiteral("storeVersion")).toInt(), 99);
    EXPECT_EQ(error.userInfo().value(QStringLiteral("modelVersion")).toInt(), 4);
    EXPECT_EQ(error.userInfo().value(QStringLiteral("NSLocalizedDescription")).toString(),
              QStringLiteral("This library was created by a newer version of Quillvane."));

    sqlite3 *db = nullptr;
    sqlite3_open(file(QStringLiteral("foreign.sqlite3")).toUtf8().constData(), &db);
    sqlite3_exec(db, "CREATE TABLE notes (body TEXT); INSERT INTO notes VALUES ('hello')", nullptr, nullptr, nullptr);
    sqlite3_close(db);
    expectRefusedUntouched(file(QStringLiteral("foreign.sqlite3")), ErrorCode::ForeignStore);

    sqlite3_open(file(QStringLiteral("other-app.sqlite3")).toUtf8().constData(), &db);
    sqlite3_exec(db, "PRAGMA application_id = 1234", nullptr, nullptr, nullptr);
    sqlite3_close(db);
    expectRefusedUntouched(file(QStringLiteral("other-app.sqlite3")), ErrorCode::ForeignStore);

    QFile garbage(file(QStringLiteral("garbage.sqlite3")));
    ASSERT_TRUE(garbage.open(QIODevice::WriteOnly));
    QByteArray bytes(8192, '\0');
    for (int i = 0; i < bytes.size(); ++i)
        bytes[i] = char((i * 7919 + 13) % 251);
    garbage.write(bytes);
    garbage.close();
    expectRefusedUntouched(file(QStringLiteral("garbage.sqlite3")), ErrorCode::NotADatabase);
}

TEST_F(OstoreOpenTest, TheSameVersionWithAnotherSchemaIsRefused)
{
    {
        testmodel::Library lib(file());
        ASSERT_TRUE(lib.opened);
        // Written as a save writes, once the log is ready: closed before, the library would be closed later by the
        // thread that readies it.
        lib.coordinator->waitForJournal();
        sqlite3_exec(lib.coordinator->handle(), "UPDATE Z_METADATA SET value = 'x' WHERE key = 'schemaHash'", nullptr,
                     nullptr, nullptr);
    }
    expectRefusedUntouched(file(), ErrorCode::SchemaMismatch);
}

TEST_F(OstoreOpenTest, ANewerVersionStillInAnotherConnectionsLogIsRefusedUntouched)
{
    testmodel::Library newer(file());
    ASSERT_TRUE(newer.opened);
    newer.main->insert<Task>();
    ASSERT_TRUE(newer.main->save());
    // The main file's header still names the current version; only the log holds the newer one.
    ASSERT_EQ(sqlite3_exec(newer.coordinator->handle(), "PRAGMA user_version = 99", nullptr, nullptr, nullptr),
              SQLITE_OK);
    ASSERT_TRUE(QFileInfo::exists(file() + QStringLiteral("-wal")));
    expectRefusedUntouched(file(), ErrorCode::StoreTooNew);
    Coordinator c(testmodel::makeModel());
    OpenResult refused;
    EXPECT_FALSE(c.open(file(), &refused));
    EXPECT_TRUE(refused.sourceMetadata.exists);
    EXPECT_EQ(refused.sourceMetadata.userVersion, 99);
    EXPECT_EQ(newer.main->count<Task>(), 1);
}

TEST_F(OstoreOpenTest, AMissingFolderCannotBeOpened)
{
    Coordinator c(testmodel::makeModel());
    knvt::Error error;
    EXPECT_FALSE(c.open(file(QStringLiteral("no/such/folder/x.sqlite3")), nullptr, &error));
    EXPECT_EQ(error.code(), qint64(ErrorCode::CannotOpen));
    EXPECT_EQ(error.userInfo().value(QStringLiteral("path")).toString(),
              file(QStringLiteral("no/such/folder/x.sqlite3")));
}

// Root writes whatever the file modes say, so each library is made read-only by a mount of its own, in a mount
// namespace of the child that opens it.
TEST_F(OstoreOpenTest, ALibraryThatCannotBeWrittenIsRefusedAtOpenWhateverItsFolderHolds)
{
    QProcess probe;
    probe.start(QStringLiteral("unshare"), {QStringLiteral("--mount"), QStringLiteral("true")});
    if (!probe.waitForFinished(10000) || probe.exitStatus() != QProcess::NormalExit || probe.exitCode() != 0)
        GTEST_SKIP() << "a private mount namespace is refused here (unshare --mount needs CAP_SYS_ADMIN)";

    // Run by sh with $1 the library file and $d its folder, before the child opens it.
    const QString readOnlyFolder = QStringLiteral("mount --bind \"$d\" \"$d\" && mount -o remount,bind,ro \"$d\"");
    struct Case
    {
        const char *library;
        bool withLog; // the -wal and -shm files of a process that has the library open
        QString prepare;
        int status;
    };
    const Case cases[] = {
        {"in a folder and a file that can be written", true, QStringLiteral("true"), 0},
        {"in a read-only folder holding only the file", false, readOnlyFolder, int(ErrorCode::ReadOnly)},
        {"in a read-only folder holding the -wal and -shm files", true, readOnlyFolder, int(ErrorCode::ReadOnly)},
        {"a read-only file with its -wal and -shm files", true,
         QStringLiteral("mount --bind \"$1\" \"$1\" && mount -o remount,bind,ro \"$1\""), int(ErrorCode::ReadOnly)},
        // Writable files in a folder that is not: nothing can make or remove the -wal and -shm files there.
        {"with writable files in a read-only folder", true,
         QStringLiteral("mkdir \"$d.rw\" && for f in \"$1\" \"$1-wal\" \"$1-shm\"; do ln \"$f\" \"$d.rw/\"; done && %1 "
                        "&& for f in \"$1\" \"$1-wal\" \"$1-shm\"; do mount --bind \"$d.rw/${f##*/}\" \"$f\"; done")
             .arg(readOnlyFolder),
         int(ErrorCode::ReadOnly)},
    };
    int made = 0;
    for (const Case &c : cases) {
        SCOPED_TRACE(c.library);
        const QString path = file(QStringLiteral("library%1/TaskStoreData.sqlite3").arg(++made));
        ASSERT_TRUE(QDir().mkpath(QFileInfo(path).path()));
        auto library = std::make_unique<testmodel::Library>(path);
        ASSERT_TRUE(library->opened);
        library->main->insert<Task>()->setTitle(QStringLiteral("kept"));
        ASSERT_TRUE(library->main->save());
        if (!c.withLog)
            library.reset();
        ASSERT_EQ(QFileInfo::exists(path + QStringLiteral("-wal")), c.withLog);

        QProcess child;
        child.start(QStringLiteral("unshare"),
                    {QStringLiteral("--mount"), QStringLiteral("sh"), QStringLiteral("-c"),
                     QStringLiteral("d=\"${1%/*}\" && %1 && exec \"$0\" open \"$1\"").arg(c.prepare),
                     QStringLiteral(OSTORE_TEST_CHILD), path});
        ASSERT_TRUE(child.waitForFinished(30000));
        const QString said = QString::fromUtf8(child.readAllStandardOutput() + child.readAllStandardError());
        EXPECT_EQ(child.exitCode(), c.status) << qPrintable(said);
        if (c.status == int(ErrorCode::ReadOnly)) {
            EXPECT_TRUE(said.contains(QStringLiteral("read-only"))) << qPrintable(said);
        }
    }
}
