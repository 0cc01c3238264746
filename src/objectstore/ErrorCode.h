#pragma once

#include "foundation/Error.h"

#include <QString>

struct sqlite3;

namespace ostore {

// Domain of every error the engine reports. The lead placed engine errors beside the store's own codes
// (the store's 9999 does not collide with these).
inline constexpr const char *kErrorDomain = KNVTTaskStoreErrorDomain;

enum class ErrorCode : int {
    CannotOpen = 1,
    NotADatabase = 2,
    ForeignStore = 3,
    StoreTooNew = 4,
    SchemaMismatch = 5,
    BackupFailed = 6,
    MigrationFailed = 7,
    Busy = 10,
    DiskFull = 11,
    IOError = 12,
    ReadOnly = 13,
    Corrupt = 14,
    Constraint = 15,
    StoreClosed = 16,
    Internal = 99,
};

// Builds the engine's error values: a translated description, the path, and the SQLite details when there are any.
class ErrorFactory
{
public:
    static knvt::Error make(ErrorCode code, const QString &path, int sqliteCode = 0, const QString &sqliteMessage = {});
    // Maps the extended result code of a failed call (and the connection's message) to the engine's code.
    static knvt::Error fromSqlite(int extendedCode, sqlite3 *db, const QString &path, bool whileOpening = false);
    static ErrorCode codeForSqlite(int extendedCode, bool whileOpening);
    static QString description(ErrorCode code);
};

} // namespace ostore
