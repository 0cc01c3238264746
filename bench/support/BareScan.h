#pragma once

// The machine's own speed at scanning a column: one SQLite statement over a library's file, run to its end through
// a connection of its own with the library's settings. Searches time it next to their own work in the same process
// and the same run, so that a busy machine slows both and their ratio stays put.

#include <QByteArray>
#include <QString>

struct sqlite3;
struct sqlite3_stmt;

namespace knvt::bench {

class BareScan
{
public:
    BareScan() = default;
    ~BareScan();
    BareScan(const BareScan &) = delete;
    BareScan &operator=(const BareScan &) = delete;

    // Opens the library at `path` read-only and prepares `sql`; false when either fails. The first run() reads the
    // pages into SQLite's cache.
    bool open(const QString &path, const QByteArray &sql);
    // Steps the statement to its end; answers the rows it gave, or -1 when it failed.
    qint64 run();

private:
    sqlite3 *m_db = nullptr;
    sqlite3_stmt *m_statement = nullptr;
};

} // namespace knvt::bench
