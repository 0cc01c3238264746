#include "objectstore/ErrorCode.h"

#include <QCoreApplication>

#include <sqlite3.h>

namespace ostore {

QString ErrorFactory::description(ErrorCode code)
{
    const char *text = "The library could not be used.";
    switch (code) {
    case ErrorCode::CannotOpen: text = "The library file could not be opened."; break;
    case ErrorCode::NotADatabase: text = "The library file is not a database."; break;
    case ErrorCode::ForeignStore: text = "The library file belongs to another application."; break;
    case ErrorCode::StoreTooNew: text = "This library was created by a newer version of Quillvane."; break;
    case ErrorCode::SchemaMismatch: text = "The library file does not match this version of Quillvane."; break;
    case ErrorCode::BackupFailed: text = "The library could not be backed up before its upgrade."; break;
    case ErrorCode::MigrationFailed: text = "The library could not be upgraded."; break;
    case ErrorCode::Busy: text = "The library is in use by another process."; break;
    case ErrorCode::DiskFull: text = "The disk is full."; break;
    case ErrorCode::IOError: text = "The library file could not be read or written."; break;
    case ErrorCode::ReadOnly: text = "The library file is read-only."; break;
    case ErrorCode::Corrupt: text = "The library file is damaged."; break;
    case ErrorCode::Constraint: text = "The library refused a change."; break;
    case ErrorCode::StoreClosed: text = "The library is closed."; break;
    case ErrorCode::Internal: break;
    }
    return QCoreApplication::translate("ostore::Coordinator", text);
}

knvt::Error ErrorFactory::make(ErrorCode code, const QString &path, int sqliteCode, const QString &sqliteMessage)
{
    QVariantMap info;
    info.insert(QStringLiteral("NSLocalizedDescription"), description(code));
    if (!path.isEmpty())
        info.insert(QStringLiteral("path"), path);
    if (sqliteCode != 0) {
        info.insert(QStringLiteral("sqliteCode"), sqliteCode);
        info.insert(QStringLiteral("sqliteMessage"), sqliteMessage);
    }
    return knvt::Error(QString::fromLatin1(kErrorDomain), qint64(code), info);
}

ErrorCode ErrorFactory::codeForSqlite(int extendedCode, bool whileOpening)
{
    switch (extendedCode & 0xFF) {
    case SQLITE_CANTOPEN:
    case SQLITE_PERM:
    case SQLITE_AUTH: return ErrorCode::CannotOpen;
    case SQLITE_NOTADB: return whileOpening ? ErrorCode::NotADatabase : ErrorCode::Corrupt;
    case SQLITE_BUSY:
    case SQLITE_LOCKED: return ErrorCode::Busy;
    case SQLITE_FULL: return ErrorCode::DiskFull;
    case SQLITE_IOERR: return ErrorCode::IOError;
    case SQLITE_READONLY: return ErrorCode::ReadOnly;
    case SQLITE_CORRUPT: return ErrorCode::Corrupt;
    case SQLITE_CONSTRAINT: return ErrorCode::Constraint;
    default: return ErrorCode::Internal;
    }
}

knvt::Error ErrorFactory::fromSqlite(int extendedCode, sqlite3 *db, const QString &path, bool whileOpening)
{
    const QString message =
        db ? QString::fromUtf8(sqlite3_errmsg(db)) : QString::fromUtf8(sqlite3_errstr(extendedCode));
    return make(codeForSqlite(extendedCode, whileOpening), path, extendedCode, message);
}

} // namespace ostore
