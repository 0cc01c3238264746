#pragma once

#include "objectstore/Types.h"
#include "objectstore/Value.h"

#include <QByteArray>
#include <QString>

namespace ostore {

// A stored property: an attribute or a to-one (whose column holds the target's Z_ID).
struct PropertyDescription
{
    QString name;
    QByteArray key; // UTF-8 of name, handed to didChangeValue
    Type type = Type::Int64;
    Value defaultValue;
    int column = -1; // position in the row cache; -1 for BLOBs, which are read on demand

    // To-one only.
    QString targetName;
    EntityId target = kNoEntity;
    QString inverseName;
    int inverse = -1;    // index into the target's inverses
    bool unique = false; // declared with oneToOne
    OnTargetDelete onTargetDelete = OnTargetDelete::Nullify;

    bool isToOne() const { return type == Type::ToOne; }
};

} // namespace ostore
