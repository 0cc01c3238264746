#include "objectstore/OpenDatabase.h"

#include <sqlite3.h>

namespace ostore {

int openDatabase(const QByteArray &filename, int flags, sqlite3 **db)
{
    const int rc = sqlite3_open_v2(filename.constData(), db, flags, nullptr);
    if (rc != SQLITE_OK)
        return rc;
    // Set before the first statement: the setting below reads the schema, which waits for a migrating process.
    sqlite3_busy_timeout(*db, 5000);
    return sqlite3_exec(*db, "PRAGMA synchronous=FULL", nullptr, nullptr, nullptr);
}

} // namespace ostore
