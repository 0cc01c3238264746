#pragma once

#include <QString>
#include <QStringList>

namespace ostore {

// What a library file says about itself, read without writing to it.
struct StoreMetadata
{
    bool exists = false;
    bool hasTables = false;
    qint64 applicationId = 0;
    int userVersion = 0;
    QString storeUUID;
    QStringList modelVersionIdentifiers;
    QString schemaHash;
};

} // namespace ostore
