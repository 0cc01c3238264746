#include "support/BareScan.h"
#include "support/SqliteStatement.h"

#include <sqlite3.h>

#include <cstdio>

namespace knvt::bench {

BareScan::~BareScan()
{
    sqlite3_finalize(m_statement);
    sqlite3_close_v2(m_db);
}

bool BareScan::open(const QString &path, const QByteArray &sql)
{
    if (sqlite3_open_v2(path.toUtf8().constData(), &m_db, SQLITE_OPEN_READONLY, nullptr) != SQLITE_OK
        || sqlite3_exec(m_db, "PRAGMA cache_size=-8192; PRAGMA temp_store=MEMORY;", nullptr, nullptr, nullptr)
            != SQLITE_OK
        || sqlite3_prepare_v2(m_db, sql.constData(), int(sql.size()), &m_statement, nullptr) != SQLITE_OK) {
        std::fprintf(stderr, "the bare scan cannot start: %s\n", sqlite3_errmsg(m_db));
        return false;
    }
    return true;
}

qint64 BareScan::run()
{
    if (!m_statement)
        return -1;
    qint64 rows = 0;
    int rc = SQLITE_ROW;
    while ((rc = sqlite3_step(m_statement)) == SQLITE_ROW) {
        for (int c = 0; c < sqlite3_column_count(m_statement); ++c)
            sqlite3_column_int64(m_statement, c);
        ++rows;
    }
    sqlite3_reset(m_statement);
    return rc == SQLITE_DONE ? rows : -1;
}

} // namespace knvt::bench
