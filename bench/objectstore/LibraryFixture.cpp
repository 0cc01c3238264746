#include "LibraryFixture.h"

#include "model/KNVTCDModel.h"

#include "objectstore/Coordinator.h"

#include <QDir>
#include <QFile>

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

QString build()
{
    const QString dir = QStringLiteral(KNVT_BENCH_DATA_DIR);
    QDir().mkpath(dir);
    const QString file = dir + QStringLiteral("/TaskStoreData.sqlite3");
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

    QStringList words;
    const char *syllables[] = {"ka", "lo", "mi",  "re",  "po",  "sa",  "tu", "ne",
                               "vi", "da", "gor", "lin", "mar", "pel", "ton"};
    while (words.size() < 299) {
        QString w;
        const int n = 2 + int(below(2));
        for (int i = 0; i < n; ++i)
            w += QLatin1String(syllables[below(15)]);
        if (!words.contains(w))
            words.append(w);
    }
    words.append(QStringLiteral("report"));
    auto text = [&](int minimum, int maximum) {
        const int length = minimum + int(below(maximum - minimum + 1));
        QString s;
        while (s.size() < length)
            s += (s.isEmpty() ? QString() : QStringLiteral(" ")) + words[below(words.size())];
        s.truncate(length);
        return s;
    };

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
            const QByteArray name = text(8, 20).toUtf8();
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
            const QByteArray title = text(8, 30).toUtf8();
            sqlite3_bind_text(ins.stmt, 3, title.constData(), -1, SQLITE_TRANSIENT);
            sqlite3_bind_int64(ins.stmt, 4, below(2));
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
            QString title = text(12, 60);
            if (chance(5))
                title.replace(QLatin1Char('e'), QChar(0xE9));
            const QByteArray t = title.toUtf8();
            sqlite3_bind_text(ins.stmt, 3, t.constData(), -1, SQLITE_TRANSIENT);
            QByteArray notes;
            if (chance(30)) {
                notes = text(100, 400).toUtf8();
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
            const QByteArray title = text(4, 12).toUtf8();
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
            const QByteArray body = text(20, 200).toUtf8();
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
    static const QString file = build();
    return file;
}
