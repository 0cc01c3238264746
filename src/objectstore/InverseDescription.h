#pragma once

#include "objectstore/Types.h"

#include <QByteArray>
#include <QString>

namespace ostore {

// The derived side of a to-one: a to-many, or a single holder when the to-one was declared with oneToOne.
struct InverseDescription
{
    QString name;
    QByteArray key;
    EntityId source = kNoEntity;
    int sourceProperty = -1;
    bool unique = false;
    OnTargetDelete onTargetDelete = OnTargetDelete::Nullify;
};

} // namespace ostore
