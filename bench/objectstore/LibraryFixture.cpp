#include "LibraryFixture.h"

#include "model/KNVTCDModel.h"

#include "objectstore/Coordinator.h"

#include "support/UserText.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>

#include <sqlite3.h>

#include <cstdio>
#include <cstdlib>
#include <random>

namespace {

void check(int rc, sqlite3 *db)
{
    if (rc != SQLITE_OK && rc != SQLITE_DONE && rc != SQLITE_ROW) {
        std::fprintf(stderr, "fixture: %s\n", sqlite3_errmsg(db));
        std::exit(2);
    }
}

struct Insert
{
    sqlite3_stmt *stmt = nullptr;
    sqlite3 *db;
    Insert(sqlite3 *d, const char *sql) : db(d) { check(sqlite3_prepare_v2(db, sql, -1, &stmt, nullptr), db); }
    ~Insert() { sqlite3_finalize(stmt); }
    void run()
    {
        check(sqlite3_step(stmt), db);
        sqlite3_reset(stmt);
        sqlite3_clear_bindings(stmt);
    }
};

QString build(const QString &file)
{
    QDir().mkpath(QFileInfo(file).absolutePath());
    for (const char *suffix : {"", "-wal", "-shm"})
        QFile::remove(file + QLatin1String(suffix));
    {
        ostore::Coordinator schema(KNVTCDModel());
        if (!schema.open(file)) {
            std::fprintf(stderr, "fixture: cannot create %s\n", qPrintable(file));
            std::exit(2);
        }
    }
    std::mt19937_64 random(42);
    auto chance = [&](int percent) { return int(random() % 100) < percent; };
    auto below = [&](qint64 n) { return qint64(random() % quint64(n)); };
    qint64 nextZid = 1;
    auto zid = [&] { return nextZid++ * 1000003 + below(1000); };
    knvt::test::UserText text(42);

    sqlite3 *db = nullptr;
    check(sqlite3_open(file.toUtf8().constData(), &db), db);
    check(sqlite3_exec(db, "BEGIN", nullptr, nullptr, nullptr), db);
    std::vector<qint64> users, lists, tasks, tags;
    {
        Insert ins(db,
                   "INSERT INTO KNVTCDUser (Z_ID, Z_TXN, numericIdentifier, fullName, friendshipStatus) VALUES (?, 1, "
                   "?, ?, ?)");
        for (int i = 0; i < 100; ++i) {
            users.push_back(zid());
            sqlite3_bind_int64(ins.stmt, 1, users.back());
            sqlite3_bind_int64(ins.stmt, 2, 10 + i);
            const QByteArray name = (text.givenName() + QLatin1Char(' ') + text.familyName()).toUtf8();
            sqlite3_bind_text(ins.stmt, 3, name.constData(), -1, SQLITE_TRANSIENT);
            sqlite3_bind_int64(ins.stmt, 4, i == 0 ? 6 : 2);
            ins.run();
        }
    }
    {
        Insert ins(db,
                   "INSERT INTO KNVTCDTaskList (Z_ID, Z_TXN, numericIdentifier, title, type, "
                   "taskListCollaboratorStatus) VALUES (?, 1, ?, ?, ?, ?)");
        for (int i = 0; i < 200; ++i) {
            lists.push_back(zid());
            sqlite3_bind_int64(ins.stmt, 1, lists.back());
            sqlite3_bind_int64(ins.stmt, 2, 1000 + i);
            const qint64 type = 1 + below(2);
            const QByteArray title = (type == 1 ? text.projectTitle() : text.areaTitle()).toUtf8();
            sqlite3_bind_text(ins.stmt, 3, title.constData(), -1, SQLITE_TRANSIENT);
            sqlite3_bind_int64(ins.stmt, 4, type);
            sqlite3_bind_int64(ins.stmt, 5, chance(80) ? 2 : 1);
            ins.run();
        }
    }
    {
        Insert ins(db,
                   "INSERT INTO KNVTCDTask (Z_ID, Z_TXN, numericIdentifier, title, notes, status, dueDate, startDate, "
                   "archivedDate, taskList, assignee, creator, createdDate, modifiedDate, priority) "
                   "VALUES (?, 1, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?)");
        const qint64 day = 86400000;
        for (int i = 0; i < LibraryFixture::kTasks; ++i) {
            tasks.push_back(zid());
            sqlite3_bind_int64(ins.stmt, 1, tasks.back());
            if (chance(95))
                sqlite3_bind_int64(ins.stmt, 2, 100000 + i);
            const QByteArray t = text.taskTitle().toUtf8();
            sqlite3_bind_text(ins.stmt, 3, t.constData(), -1, SQLITE_TRANSIENT);
            QByteArray notes;
            if (chance(30)) {
                notes = text.taskNotes().toUtf8();
                sqlite3_bind_text(ins.stmt, 4, notes.constData(), -1, SQLITE_TRANSIENT);
            }
            const int s = int(below(100));
            sqlite3_bind_int64(ins.stmt, 5, s < 25 ? 2 : s < 30 ? 1 : s < 90 ? 4 : 5);
            if (chance(40))
                sqlite3_bind_int64(ins.stmt, 6, LibraryFixture::kNowMs + (below(60) - 30) * day);
            if (chance(20))
                sqlite3_bind_int64(ins.stmt, 7, LibraryFixture::kNowMs + (below(60) - 30) * day);
            if (chance(40))
                sqlite3_bind_int64(ins.stmt, 8, LibraryFixture::kNowMs - below(300) * day);
            if (chance(60))
                sqlite3_bind_int64(ins.stmt, 9, lists[below(lists.size())]);
            sqlite3_bind_int64(ins.stmt, 10, chance(90) ? users[0] : users[1 + below(99)]);
            sqlite3_bind_int64(ins.stmt, 11, users[below(users.size())]);
            sqlite3_bind_int64(ins.stmt, 12, LibraryFixture::kNowMs - below(900) * day);
            sqlite3_bind_int64(ins.stmt, 13, LibraryFixture::kNowMs - below(300) * day);
            sqlite3_bind_int64(ins.stmt, 14, below(10));
            ins.run();
        }
    }
    {
        Insert ins(db,
                   "INSERT INTO KNVTCDTaskListCollaborator (Z_ID, Z_TXN, numericIdentifier, status, taskList, user) "
                   "VALUES (?, 1, ?, 2, ?, ?)");
        for (int i = 0; i < 400; ++i) {
            sqlite3_bind_int64(ins.stmt, 1, zid());
            sqlite3_bind_int64(ins.stmt, 2, 2000 + i);
            sqlite3_bind_int64(ins.stmt, 3, lists[below(lists.size())]);
            sqlite3_bind_int64(ins.stmt, 4, users[below(users.size())]);
            ins.run();
        }
    }
    {
        Insert ins(db, "INSERT INTO KNVTCDTag (Z_ID, Z_TXN, numericIdentifier, title) VALUES (?, 1, ?, ?)");
        for (int i = 0; i < 50; ++i) {
            tags.push_back(zid());
            sqlite3_bind_int64(ins.stmt, 1, tags.back());
            sqlite3_bind_int64(ins.stmt, 2, 3000 + i);
            const QByteArray title = text.tagTitle().toUtf8();
            sqlite3_bind_text(ins.stmt, 3, title.constData(), -1, SQLITE_TRANSIENT);
            ins.run();
        }
    }
    {
        Insert ins(db,
                   "INSERT INTO KNVTCDTaggedTask (Z_ID, Z_TXN, numericIdentifier, tag, task) VALUES (?, 1, ?, ?, ?)");
        for (int i = 0; i < 100000; ++i) {
            sqlite3_bind_int64(ins.stmt, 1, zid());
            sqlite3_bind_int64(ins.stmt, 2, 400000 + i);
            sqlite3_bind_int64(ins.stmt, 3, tags[below(tags.size())]);
            sqlite3_bind_int64(ins.stmt, 4, tasks[below(tasks.size())]);
            ins.run();
        }
    }
    {
        Insert ins(db,
                   "INSERT INTO KNVTCDTaskWatcher (Z_ID, Z_TXN, numericIdentifier, task, user) VALUES (?, 1, ?, ?, ?)");
        for (int i = 0; i < 20000; ++i) {
            sqlite3_bind_int64(ins.stmt, 1, zid());
            sqlite3_bind_int64(ins.stmt, 2, 600000 + i);
            sqlite3_bind_int64(ins.stmt, 3, tasks[below(tasks.size())]);
            sqlite3_bind_int64(ins.stmt, 4, users[below(users.size())]);
            ins.run();
        }
    }
    {
        Insert ins(db,
                   "INSERT INTO KNVTCDTaskComment (Z_ID, Z_TXN, numericIdentifier, text, task) VALUES (?, 1, ?, ?, ?)");
        for (int i = 0; i < 50000; ++i) {
            sqlite3_bind_int64(ins.stmt, 1, zid());
            sqlite3_bind_int64(ins.stmt, 2, 700000 + i);
            const QByteArray body = text.comment().toUtf8();
            sqlite3_bind_text(ins.stmt, 3, body.constData(), -1, SQLITE_TRANSIENT);
            sqlite3_bind_int64(ins.stmt, 4, tasks[below(tasks.size())]);
            ins.run();
        }
    }
    check(sqlite3_exec(db,
                       "UPDATE Z_METADATA SET value = 1 WHERE key = 'txn'; COMMIT; PRAGMA wal_checkpoint(TRUNCATE);",
                       nullptr, nullptr, nullptr),
          db);
    sqlite3_close(db);
    return file;
}

} // namespace

const QString &LibraryFixture::path()
{
    // Generated once (and again when the text changes), then copied afresh for every process into a folder of its
    // own: the benchmarks save into it, and each memory figure runs in a process of its own beside the one that runs
    // the others, which must find the library as the first did.
    static QTemporaryDir copies(QStringLiteral(KNVT_BENCH_DATA_DIR "/ostore-run-XXXXXX"));
    static const QString file = [] {
        const QString folder = QStringLiteral(KNVT_BENCH_DATA_DIR "/ostore-text%1").arg(knvt::test::UserText::kVersion);
        const QString generated = folder + QStringLiteral("/generated.sqlite3");
        const QString marker = folder + QStringLiteral("/complete");
        if (!QFile::exists(marker)) {
            build(generated);
            QFile(marker).open(QIODevice::WriteOnly);
        }
        const QString path = copies.filePath(QStringLiteral("TaskStoreData.sqlite3"));
        if (!copies.isValid() || !QFile::copy(generated, path)) {
            std::fprintf(stderr, "fixture: cannot copy %s\n", qPrintable(generated));
            std::exit(2);
        }
        return path;
    }();
    return file;
}
