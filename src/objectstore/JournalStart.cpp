#include "objectstore/JournalStart.h"

#include "objectstore/OpenDatabase.h"

#include <QFile>
#include <QFileInfo>

#include <sqlite3.h>

namespace ostore {

namespace {

// A log shorter than this has no header yet.
constexpr qint64 kLogHeaderBytes = 32;

// A commit that writes the file's version over itself: what the log needs to have its header written, and nothing a
// reader sees. (A row written over with the same values is no write at all to the engine.) It is read under the
// same lock, so that another process's migration never meets an older number.
void writeLogHeader(const QByteArray &file)
{
    sqlite3 *db = nullptr;
    if (openDatabase(file, SQLITE_OPEN_READWRITE | SQLITE_OPEN_NOMUTEX, &db) == SQLITE_OK
        && sqlite3_exec(db, "BEGIN IMMEDIATE", nullptr, nullptr, nullptr) == SQLITE_OK) {
        sqlite3_stmt *read = nullptr;
        QByteArray write;
        if (sqlite3_prepare_v2(db, "PRAGMA user_version", -1, &read, nullptr) == SQLITE_OK
            && sqlite3_step(read) == SQLITE_ROW)
            write = "PRAGMA user_version = " + QByteArray::number(sqlite3_column_int64(read, 0));
        sqlite3_finalize(read);
        const bool written =
            !write.isEmpty() && sqlite3_exec(db, write.constData(), nullptr, nullptr, nullptr) == SQLITE_OK;
        sqlite3_exec(db, written ? "COMMIT" : "ROLLBACK", nullptr, nullptr, nullptr);
    }
    sqlite3_close_v2(db);
}

} // namespace

JournalStart::~JournalStart()
{
    wait();
}

void JournalStart::start(sqlite3 *connection, const QString &file)
{
    wait();
    sqlite3_file *log = nullptr;
    if (sqlite3_file_control(connection, "main", SQLITE_FCNTL_JOURNAL_POINTER, &log) != SQLITE_OK || !log
        || !log->pMethods)
        return;
    const bool headerMissing = QFileInfo(file + QStringLiteral("-wal")).size() < kLogHeaderBytes;
    // Nothing that fails here is the user's: the first commit then does what was left undone, and reports its own
    // failures.
    m_ready = std::async(std::launch::async, [log, headerMissing, path = QFile::encodeName(file)] {
        if (headerMissing)
            writeLogHeader(path);
        log->pMethods->xSync(log, SQLITE_SYNC_NORMAL);
    });
}

void JournalStart::wait()
{
    if (m_ready.valid())
        m_ready.get();
}

} // namespace ostore
