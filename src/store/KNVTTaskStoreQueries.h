#pragma once

#include "objectstore/Context.h"

class KNVTCDUser;

// The task store's read-only questions over its main context: the local-user and identifier lookups, every
// focus-list query and count, and the task-list and people queries. They keep no state, so the store inherits them
// and tests can ask them of any context.
class KNVTTaskStoreQueries
{
public:
    virtual ~KNVTTaskStoreQueries() = default;

    // The context every query runs on; nullptr while no library is open (every query then answers empty or 0).
    virtual ostore::Context *managedObjectContext() = 0;

    // The local user ("Me"), or nullptr when the store has none.
    KNVTCDUser *me();
};
