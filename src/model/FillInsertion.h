#pragma once

#include "model/KNVTCDTaskStoreObject.h"

#include "objectstore/Context.h"

#include <QString>

namespace knvt {

// A new object of T for a fill from the service, which writes it whole right after (its mergeAttributes() or
// updateWithAttributes()); see KNVTCDTaskStoreObject::FillInsertion. Anything else done to the object afterwards
// is recorded as usual.
template <class T>
T *insertObjectForFill(ostore::Context &context)
{
    T *object = nullptr;
    {
        const KNVTCDTaskStoreObject::FillInsertion insertion;
        object = context.insert<T>();
    }
    object->endFillInsertion();
    return object;
}

// The same by entity name.
inline KNVTCDTaskStoreObject *insertNewObjectForFillForEntityForName(ostore::Context &context,
                                                                     const QString &entityName)
{
    ostore::Object *object = nullptr;
    {
        const KNVTCDTaskStoreObject::FillInsertion insertion;
        object = context.insert(entityName);
    }
    auto *storeObject = static_cast<KNVTCDTaskStoreObject *>(object);
    storeObject->endFillInsertion();
    return storeObject;
}

} // namespace knvt
