#pragma once

#include "store/KNVTTaskStore.h"

#include "objectstore/Context.h"

#include <QObject>

#include <gtest/gtest.h>

namespace knvt::test {

// What a sync merge does to an object the service removed: it goes in another context, and the main context
// takes the change in.
inline void removeElsewhere(KNVTTaskStore &store, ostore::Object *object)
{
    ostore::Context other(store.persistentStoreCoordinator());
    ostore::Object *copy = other.existingObject(object->objectID());
    ASSERT_NE(copy, nullptr);
    other.remove(copy);
    ostore::Context *mainContext = store.managedObjectContext();
    QObject::connect(&other, &ostore::Context::didSave, mainContext, [mainContext](const ostore::ChangeSet &changes) {
        mainContext->mergeChanges(changes, ostore::ChangeOrigin::Merge);
    });
    ASSERT_TRUE(other.save());
}

} // namespace knvt::test
