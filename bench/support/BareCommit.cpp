#include "support/BareCommit.h"
#include "support/SameRunRatio.h"
#include "support/SqliteStatement.h"

#include <QDir>

#include <sqlite3.h>

#include <cstdio>
#include <vector>

namespace knvt::bench {

BareCommit::~BareCommit()
{
    sqlite3_close_v2(m_db);
}

bool BareCommit::open(const QString &libraryPath, const QString &folder, const QByteArray &table)
{
    m_table = table;
    std::vector<QByteArray> schema;
    {
        sqlite3 *library = nullptr;
        if (sqlite3_open_v2(libraryPath.toUtf8().constData(), &library, SQLITE_OPEN_READONLY, nullptr) == SQLITE_OK) {
            SqliteStatement read(library,
                                 "SELECT sql FROM sqlite_master WHERE tbl_name = ?1 AND sql NOT NULL "
                                 "ORDER BY type = 'index', rowid");
            sqlite3_bind_text(read.get(), 1, table.constData(), int(table.size()), SQLITE_STATIC);
            while (sqlite3_step(read.get()) == SQLITE_ROW)
                schema.emplace_back(reinterpret_cast<const char *>(sqlite3_column_text(read.get(), 0)));
        }
        sqlite3_close_v2(library);
    }
    const QByteArray path = QDir(folder).filePath(QStringLiteral("Bare.sqlite3")).toUtf8();
    bool ok = !schema.empty()
        && sqlite3_open_v2(path.constData(), &m_db, SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE, nullptr) == SQLITE_OK
        && configureLikeALibrary(m_db);
    for (const QByteArray &sql : schema)
        ok = ok && sqlite3_exec(m_db, sql.constData(), nullptr, nullptr, nullptr) == SQLITE_OK;
    if (!ok)
        std::fprintf(stderr, "the bare commit cannot start: %s\n", m_db ? sqlite3_errmsg(m_db) : "no library");
    return ok;
}

double BareCommit::insertOneRow()
{
    if (!m_db)
        return -1;
    const QByteArray sql = "INSERT INTO \"" + m_table + "\" (Z_ID, Z_TXN, title) VALUES (?1, ?1, 'Write the report')";
    SqliteStatement insert(m_db, sql.constData());
    bool ok = insert.get();
    const double seconds = secondsOf([&] {
        ok = ok && sqlite3_exec(m_db, "BEGIN IMMEDIATE", nullptr, nullptr, nullptr) == SQLITE_OK;
        ok = ok && sqlite3_bind_int64(insert.get(), 1, m_nextId++) == SQLITE_OK
            && sqlite3_step(insert.get()) == SQLITE_DONE;
        ok = ok && sqlite3_exec(m_db, "COMMIT", nullptr, nullptr, nullptr) == SQLITE_OK;
    });
    if (!ok)
        std::fprintf(stderr, "the bare commit failed: %s\n", sqlite3_errmsg(m_db));
    return ok ? seconds : -1;
}

} // namespace knvt::bench

namespace knvt::bench {

void BareCommit::timeAgainst(benchmark::State &state, const std::function<bool(bool flip)> &saveOnce)
{
    SameRunRatio ratio;
    bool flip = false;
    for (auto _ : state) {
        ratio.addWork(secondsOf([&] {
            if (!saveOnce(flip))
                state.SkipWithError("save failed");
        }));
        flip = !flip;
        state.PauseTiming();
        const double reference = insertOneRow();
        state.ResumeTiming();
        if (reference < 0) {
            state.SkipWithError("the reference failed");
            break;
        }
        ratio.addReference(reference);
    }
    ratio.report(state);
}

} // namespace knvt::bench
