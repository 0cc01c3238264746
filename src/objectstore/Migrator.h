#pragma once

#include "foundation/Error.h"

#include <QString>

struct sqlite3;

namespace ostore {

class Model;

// Upgrades an older library file: a backup alongside first, then the model's steps in one transaction.
class Migrator
{
public:
    Migrator(const Model &model, QString file) : m_model(model), m_file(std::move(file)) {}

    bool hasSteps(int fromVersion) const;
    // "<file name>.v<old>.backup" beside the file.
    QString backupPath(int oldVersion) const;
    // Copies the file as it is at version `oldVersion`. Sets *stillOld to false (and copies nothing) when another
    // process has migrated it meanwhile. Fails with BackupFailed, leaving no partial backup.
    bool backup(int oldVersion, bool *stillOld, knvt::Error *error) const;
    // Runs the steps on `db` under BEGIN IMMEDIATE, re-reading the version first. *migrated is false when another
    // process finished the work. Fails with MigrationFailed, rolled back.
    bool migrate(sqlite3 *db, int oldVersion, bool *migrated, knvt::Error *error) const;

private:
    const Model &m_model;
    QString m_file;
};

} // namespace ostore
