#pragma once

#include "objectstore/ObjectID.h"

#include <QHash>
#include <QMetaType>
#include <QStringList>

#include <vector>

namespace ostore {

// What one commit (or one catch-up with other processes' commits) changed. Cascaded removals are listed; a target
// whose to-many changed is not, because its row did not change.
struct ChangeSet
{
    std::vector<ObjectID> inserted;
    std::vector<ObjectID> updated;
    std::vector<ObjectID> deleted;
    QHash<ObjectID, QStringList> updatedKeys; // the property names written, per updated object
    qint64 txn = 0;

    bool isEmpty() const { return inserted.empty() && updated.empty() && deleted.empty(); }
};

} // namespace ostore

Q_DECLARE_METATYPE(ostore::ChangeSet)
