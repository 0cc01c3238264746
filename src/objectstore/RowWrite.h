#pragma once

#include "objectstore/Types.h"

#include <QtGlobal>

#include <vector>

namespace ostore {

class Object;

// One row a save writes: an unsaved insert in full, the dirty properties of an update, or a removal.
struct RowWrite
{
    enum class Kind { Insert, Update, Delete };
    Kind kind = Kind::Update;
    Object *object = nullptr;
    EntityId entity = kNoEntity; // the object's, known without reaching into the object
    std::vector<int> properties; // Update: the dirty ones (an insert writes every property)
    qint64 rowid = 0;            // Insert: assigned by SQLite
    bool applied = false;        // false when the row was removed elsewhere meanwhile
};

} // namespace ostore
