#include "objectstore/OpenDatabase.h"

#include <sqlite3.h>

namespace ostore {

namespace {

// Reads the header through the connection's own file, without a lock or a transaction.
bool readHeader(sqlite3 *db, FileHeader &header)
{
    sqlite3_file *file = nullptr;
    if (sqlite3_file_control(db, "main", SQLITE_FCNTL_FILE_POINTER, &file) != SQLITE_OK || !file || !file->pMethods)
        return false;
    return file->pMethods->xRead(file, header, sizeof header, 0) == SQLITE_OK;
}

} // namespace

int openDatabase(const QByteArray &filename, int flags, sqlite3 **db,
                 const std::function<bool(const FileHeader &header)> &admit)
{
    const int rc = sqlite3_open_v2(filename.constData(), db, flags, nullptr);
    if (rc != SQLITE_OK)
        return rc;
    if (admit) {
        FileHeader header;
        if (!readHeader(*db, header) || !admit(header))
            return SQLITE_ABORT;
    }
    // Set before the first statement: the setting below reads the schema, which waits for a migrating process.
    sqlite3_busy_timeout(*db, 5000);
    return sqlite3_exec(*db, "PRAGMA synchronous=FULL", nullptr, nullptr, nullptr);
}

} // namespace ostore
