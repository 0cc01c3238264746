#include "StoreTest.h"

#include <sqlite3.h>

#include <vector>

using namespace ostore;

namespace {

// The connections the engine opens are watched from outside: SQLite runs an automatic extension on every connection
// opened in the process, which asks to hear of the connection's close. At that moment the connection still answers
// queries, so whatever the engine did with it, the setting it ends with is read.
struct ClosedConnection
{
    QString file;
    int synchronous = -1;
};

std::vector<ClosedConnection> &closedConnections()
{
    static std::vector<ClosedConnection> connections;
    return connections;
}

int recordClose(unsigned type, void *, void *connection, void *)
{
    if (type != SQLITE_TRACE_CLOSE)
        return 0;
    auto *db = static_cast<sqlite3 *>(connection);
    ClosedConnection closed;
    const char *name = sqlite3_db_filename(db, "main");
    closed.file = QString::fromUtf8(name ? name : "");
    sqlite3_stmt *statement = nullptr;
    if (sqlite3_prepare_v2(db, "PRAGMA synchronous", -1, &statement, nullptr) == SQLITE_OK
        && sqlite3_step(statement) == SQLITE_ROW)
        closed.synchronous = sqlite3_column_int(statement, 0);
    sqlite3_finalize(statement);
    closedConnections().push_back(closed);
    return 0;
}

int watchConnection(sqlite3 *db, char **, const sqlite3_api_routines *)
{
    sqlite3_trace_v2(db, SQLITE_TRACE_CLOSE, recordClose, nullptr);
    return SQLITE_OK;
}

class DurabilityTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        closedConnections().clear();
        ASSERT_EQ(sqlite3_auto_extension(reinterpret_cast<void (*)()>(watchConnection)), SQLITE_OK);
    }
    void TearDown() override { sqlite3_cancel_auto_extension(reinterpret_cast<void (*)()>(watchConnection)); }

    // The connections closed so far that were opened on a file of this test's folder.
    std::vector<ClosedConnection> connectionsInFolder() const
    {
        std::vector<ClosedConnection> mine;
        for (const ClosedConnection &closed : closedConnections()) {
            if (closed.file.startsWith(QDir(m_dir.path()).canonicalPath()) || closed.file.startsWith(m_dir.path()))
                mine.push_back(closed);
        }
        return mine;
    }

    QString file(const QString &name = QStringLiteral("TaskStoreData.sqlite3")) const { return m_dir.filePath(name); }

    QTemporaryDir m_dir;
};

} // namespace

// A save the store reported as done must survive a power cut, not only a killed process: every connection the
// engine opens (to create, read, migrate, back up or use a library) commits with synchronous=FULL (2).
TEST_F(DurabilityTest, EveryConnectionTheEngineOpensCommitsWithFullSynchronous)
{
    // Older libraries, with a rollback journal and in WAL mode, written by the test's own connections, which do not
    // count.
    ASSERT_TRUE(testmodel::writeVersion3File(file(QStringLiteral("Journal.sqlite3")), 2));
    ASSERT_TRUE(testmodel::writeVersion3File(file(QStringLiteral("Wal.sqlite3")), 2, true));
    closedConnections().clear();

    // A new library, then the same one opened again and saved into.
    {
        testmodel::Library created(file());
        ASSERT_TRUE(created.opened) << qPrintable(created.openError.description());
        created.main->insert<Task>()->setTitle(QStringLiteral("Pay rent"));
        ASSERT_TRUE(created.main->save());
    }
    {
        testmodel::Library reopened(file());
        ASSERT_TRUE(reopened.opened);
        reopened.main->insert<Task>()->setTitle(QStringLiteral("Call the bank"));
        ASSERT_TRUE(reopened.main->save());
    }
    // The migrations write a backup, then the library.
    for (const QString &name : {QStringLiteral("Journal.sqlite3"), QStringLiteral("Wal.sqlite3")}) {
        testmodel::Library migrated(file(name));
        ASSERT_TRUE(migrated.opened) << qPrintable(migrated.openError.description());
        ASSERT_TRUE(migrated.openResult.migrated);
        ASSERT_TRUE(QFileInfo::exists(file(name + QStringLiteral(".v3.backup"))));
        // Closed before its log is ready, the library would be closed later by the thread that readies it.
        migrated.coordinator->waitForJournal();
    }
    EXPECT_TRUE(Coordinator::readStoreMetadata(file()).exists);

    const std::vector<ClosedConnection> connections = connectionsInFolder();
    // The new library (1), its second opening (metadata and library: 2), the migrations (metadata, backup source
    // and library: 3, and the WAL one's backup copy besides) and the last metadata read (1).
    ASSERT_GE(connections.size(), 11u);
    bool sawBackupCopy = false;
    for (const ClosedConnection &closed : connections) {
        EXPECT_EQ(closed.synchronous, 2) << qPrintable(closed.file);
        sawBackupCopy = sawBackupCopy || closed.file.contains(QLatin1String(".backup.tmp"));
    }
    EXPECT_TRUE(sawBackupCopy) << "the WAL library's backup is written through a connection of its own";
}
