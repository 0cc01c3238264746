#include "objectstore/Migrator.h"

#include "objectstore/ErrorCode.h"
#include "objectstore/Model.h"
#include "objectstore/OpenDatabase.h"
#include "objectstore/Statement.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QJsonArray>
#include <QJsonDocument>

#include <sqlite3.h>

#include <cstdio>
#include <unistd.h>

namespace ostore {

bool Migrator::hasSteps(int fromVersion) const
{
    for (int v = fromVersion; v < m_model.version(); ++v)
        if (!m_model.migrations().count(v))
            return false;
    return true;
}

QString Migrator::backupPath(int oldVersion) const
{
    const QFileInfo info(m_file);
    return info.dir().filePath(info.fileName() + QStringLiteral(".v%1.backup").arg(oldVersion));
}

namespace {

// Byte copy of a file whose writers are held off by our read lock.
bool copyBytes(const QString &from, const QString &to)
{
    QFile in(from), out(to);
    if (!in.open(QIODevice::ReadOnly) || !out.open(QIODevice::WriteOnly | QIODevice::Truncate))
        return false;
    char buffer[1 << 16];
    for (;;) {
        const qint64 n = in.read(buffer, sizeof buffer);
        if (n < 0)
            return false;
        if (n == 0)
            break;
        if (out.write(buffer, n) != n)
            return false;
    }
    if (!out.flush())
        return false;
    ::fsync(out.handle());
    return true;
}

} // namespace

bool Migrator::backup(int oldVersion, bool *stillOld, knvt::Error *error) const
{
    *stillOld = true;
    const QString target = backupPath(oldVersion);
    const QString temporary = target + QStringLiteral(".tmp%1").arg(::getpid());
    auto fail = [&](int rc, sqlite3 *db) {
        knvt::Error e = ErrorFactory::make(ErrorCode::BackupFailed, m_file, rc,
                                           db ? QString::fromUtf8(sqlite3_errmsg(db)) : QString());
        QFile::remove(temporary);
        knvt::Error::report(error, e);
        return false;
    };
    sqlite3 *source = nullptr;
    int rc = openDatabase(QFile::encodeName(m_file), SQLITE_OPEN_READONLY, &source);
    if (rc != SQLITE_OK) {
        sqlite3_close(source);
        return fail(rc, nullptr);
    }
    // One read transaction: the version check and the copy see the same state.
    rc = sqlite3_exec(source, "BEGIN", nullptr, nullptr, nullptr);
    Statement version(source, QStringLiteral("PRAGMA user_version"));
    Statement mode(source, QStringLiteral("PRAGMA journal_mode"));
    if (rc != SQLITE_OK || (rc = version.step()) != SQLITE_ROW || (mode.step() != SQLITE_ROW)) {
        version = Statement();
        mode = Statement();
        sqlite3_close(source);
        return fail(rc, nullptr);
    }
    const int current = int(version.intAt(0));
    const bool wal = mode.textAt(0).compare(QLatin1String("wal"), Qt::CaseInsensitive) == 0;
    version = Statement();
    mode = Statement();
    if (current != oldVersion) {
        *stillOld = false;
        sqlite3_exec(source, "COMMIT", nullptr, nullptr, nullptr);
        sqlite3_close(source);
        return true;
    }
    bool ok = false;
    if (!wal) {
        // Our shared lock keeps writers out, so the file's bytes are this very state: the backup is identical.
        ok = copyBytes(m_file, temporary);
    } else {
        // In WAL mode the state spans the WAL file too; the backup API copies it page by page.
        sqlite3 *dest = nullptr;
        rc = openDatabase(QFile::encodeName(temporary), SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE, &dest);
        if (rc == SQLITE_OK) {
            sqlite3_backup *b = sqlite3_backup_init(dest, "main", source, "main");
            if (b) {
                rc = sqlite3_backup_step(b, -1);
                sqlite3_backup_finish(b);
                ok = rc == SQLITE_DONE;
            }
            if (ok)
                ok = sqlite3_exec(dest, "PRAGMA journal_mode=DELETE", nullptr, nullptr, nullptr) == SQLITE_OK;
        }
        sqlite3_close(dest);
    }
    sqlite3_exec(source, "COMMIT", nullptr, nullptr, nullptr);
    sqlite3_close(source);
    if (!ok)
        return fail(rc == SQLITE_OK || rc == SQLITE_DONE ? SQLITE_IOERR : rc, nullptr);
    if (std::rename(QFile::encodeName(temporary).constData(), QFile::encodeName(target).constData()) != 0)
        return fail(SQLITE_CANTOPEN, nullptr);
    return true;
}

bool Migrator::migrate(sqlite3 *db, int oldVersion, bool *migrated, knvt::Error *error) const
{
    *migrated = false;
    auto fail = [&](int rc) {
        const knvt::Error e =
            ErrorFactory::make(ErrorCode::MigrationFailed, m_file, rc, QString::fromUtf8(sqlite3_errmsg(db)));
        sqlite3_exec(db, "ROLLBACK", nullptr, nullptr, nullptr);
        knvt::Error::report(error, e);
        return false;
    };
    int rc = sqlite3_exec(db, "BEGIN IMMEDIATE", nullptr, nullptr, nullptr);
    if (rc != SQLITE_OK)
        return fail(rc);
    int current = 0;
    {
        Statement version(db, QStringLiteral("PRAGMA user_version"));
        if ((rc = version.step()) != SQLITE_ROW)
            return fail(rc);
        current = int(version.intAt(0));
    }
    if (current == m_model.version()) { // another process migrated while we waited for the lock
        sqlite3_exec(db, "COMMIT", nullptr, nullptr, nullptr);
        return true;
    }
    if (current != oldVersion)
        return fail(SQLITE_ERROR);
    for (int v = oldVersion; v < m_model.version(); ++v) {
        for (const QString &step : m_model.migrations().at(v)) {
            rc = sqlite3_exec(db, step.toUtf8().constData(), nullptr, nullptr, nullptr);
            if (rc != SQLITE_OK)
                return fail(rc);
        }
    }
    const QString identifiers =
        QString::fromUtf8(QJsonDocument(QJsonArray{QString::number(m_model.version())}).toJson(QJsonDocument::Compact));
    Statement put(db, QStringLiteral("INSERT OR REPLACE INTO Z_METADATA (key, value) VALUES (?, ?)"));
    for (const auto &[key, value] : {std::pair{QStringLiteral("modelVersionIdentifiers"), identifiers},
                                     std::pair{QStringLiteral("schemaHash"), m_model.schemaHash()}}) {
        put.reset();
        put.bindText(1, key);
        put.bindText(2, value);
        if ((rc = put.step()) != SQLITE_DONE)
            return fail(rc);
    }
    put = Statement();
    rc = sqlite3_exec(db, QStringLiteral("PRAGMA user_version = %1").arg(m_model.version()).toUtf8().constData(),
                      nullptr, nullptr, nullptr);
    if (rc != SQLITE_OK)
        return fail(rc);
    rc = sqlite3_exec(db, "COMMIT", nullptr, nullptr, nullptr);
    if (rc != SQLITE_OK)
        return fail(rc);
    *migrated = true;
    return true;
}

} // namespace ostore
