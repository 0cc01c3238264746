#include "objectstore/JournalStart.h"

#include "objectstore/OpenDatabase.h"

#include <QFile>
#include <QFileInfo>

#include <sqlite3.h>

#include <atomic>
#include <condition_variable>
#include <mutex>
#include <set>
#include <system_error>
#include <thread>
#include <utility>

namespace ostore {

namespace {

// A log shorter than this has no header yet.
constexpr qint64 kLogHeaderBytes = 32;

// The wait for another connection's lock, as long as every connection's (openDatabase), but cut short once the start
// is no longer wanted.
constexpr int kBusyPauseMs = 10;
constexpr int kBusyTries = 500;

int keepWaitingUnlessAbandoned(void *abandoned, int tries)
{
    if (static_cast<std::atomic<bool> *>(abandoned)->load() || tries >= kBusyTries)
        return 0;
    sqlite3_sleep(kBusyPauseMs);
    return 1;
}

// A commit that writes the file's version over itself: what the log needs to have its header written, and nothing a
// reader sees. (A row written over with the same values is no write at all to the engine.) It is read under the
// same lock, so that another process's migration never meets an older number.
void writeLogHeader(const QByteArray &file, std::atomic<bool> &abandoned)
{
    sqlite3 *db = nullptr;
    if (openDatabase(file, SQLITE_OPEN_READWRITE | SQLITE_OPEN_NOMUTEX, &db) == SQLITE_OK
        && sqlite3_busy_handler(db, keepWaitingUnlessAbandoned, &abandoned) == SQLITE_OK
        && !abandoned && sqlite3_exec(db, "BEGIN IMMEDIATE", nullptr, nullptr, nullptr) == SQLITE_OK) {
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

// The files whose connections a start's thread still has to close, once for each. Never destroyed: such a thread may
// end while the process does.
struct Closing
{
    std::mutex mutex;
    std::condition_variable closed;
    std::multiset<QString> files;
};

Closing &closing()
{
    static auto *made = new Closing;
    return *made;
}

QString fileKey(const QString &file)
{
    return QFileInfo(file).absoluteFilePath();
}

} // namespace

struct JournalStart::Run
{
    QString file;
    std::atomic<bool> abandoned{false};
    std::mutex mutex;
    std::condition_variable ended;
    bool done = false;
    sqlite3 *handedOver = nullptr;
};

JournalStart::~JournalStart() = default;

void JournalStart::start(sqlite3 *connection, const QString &file)
{
    wait();
    m_run.reset();
    sqlite3_file *log = nullptr;
    if (sqlite3_file_control(connection, "main", SQLITE_FCNTL_JOURNAL_POINTER, &log) != SQLITE_OK || !log
        || !log->pMethods)
        return;
    const bool headerMissing = QFileInfo(file + QStringLiteral("-wal")).size() < kLogHeaderBytes;
    auto run = std::make_shared<Run>();
    run->file = fileKey(file);
    // Nothing that fails here is the user's: the first commit then does what was left undone, and reports its own
    // failures. A thread that cannot be had leaves it all to that commit.
    try {
        std::thread([run, log, headerMissing, path = QFile::encodeName(file)] {
            if (headerMissing && !run->abandoned)
                writeLogHeader(path, run->abandoned);
            if (!run->abandoned)
                log->pMethods->xSync(log, SQLITE_SYNC_NORMAL);
            sqlite3 *handedOver = nullptr;
            {
                const std::lock_guard lock(run->mutex);
                run->done = true;
                handedOver = std::exchange(run->handedOver, nullptr);
            }
            run->ended.notify_all();
            if (!handedOver)
                return;
            sqlite3_close_v2(handedOver);
            Closing &c = closing();
            {
                const std::lock_guard lock(c.mutex);
                c.files.erase(c.files.find(run->file));
            }
            c.closed.notify_all();
        }).detach();
    } catch (const std::system_error &) {
        return;
    }
    m_run = std::move(run);
}

void JournalStart::wait()
{
    if (!m_run)
        return;
    std::unique_lock lock(m_run->mutex);
    m_run->ended.wait(lock, [this] { return m_run->done; });
}

void JournalStart::close(sqlite3 *connection)
{
    if (m_run) {
        const std::lock_guard lock(m_run->mutex);
        if (!m_run->done) {
            m_run->abandoned = true;
            // Counted before the thread can see the connection, so that it is never uncounted first.
            {
                Closing &c = closing();
                const std::lock_guard counting(c.mutex);
                c.files.insert(m_run->file);
            }
            m_run->handedOver = std::exchange(connection, nullptr);
        }
    }
    m_run.reset();
    if (connection)
        sqlite3_close_v2(connection);
}

void JournalStart::waitForClosing(const QString &file)
{
    Closing &c = closing();
    const QString key = fileKey(file);
    std::unique_lock lock(c.mutex);
    c.closed.wait(lock, [&] { return c.files.count(key) == 0; });
}

} // namespace ostore
