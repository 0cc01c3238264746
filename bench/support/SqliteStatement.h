#pragma once

// What the bare SQLite references of the benchmarks share: a statement that finalizes itself, and the settings
// every library connection runs with.

#include <sqlite3.h>

namespace knvt::bench {

class SqliteStatement
{
public:
    SqliteStatement(sqlite3 *db, const char *sql) { sqlite3_prepare_v2(db, sql, -1, &m_statement, nullptr); }
    ~SqliteStatement() { sqlite3_finalize(m_statement); }
    SqliteStatement(const SqliteStatement &) = delete;
    SqliteStatement &operator=(const SqliteStatement &) = delete;
    sqlite3_stmt *get() const { return m_statement; }

private:
    sqlite3_stmt *m_statement = nullptr;
};

// The library's journal and durability; synchronous=FULL is SQLite's default, named here so that a reference can
// never drift from the library's durability.
inline bool configureLikeALibrary(sqlite3 *db)
{
    return sqlite3_exec(db,
                        "PRAGMA journal_mode=WAL; PRAGMA synchronous=FULL; PRAGMA cache_size=-8192; "
                        "PRAGMA temp_store=MEMORY; PRAGMA foreign_keys=OFF;",
                        nullptr, nullptr, nullptr)
        == SQLITE_OK;
}

} // namespace knvt::bench
