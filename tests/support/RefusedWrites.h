#pragma once

#include "store/KNVTTaskStore.h"

#include "objectstore/Coordinator.h"

#include <sqlite3.h>

namespace knvt::test {

// From now on (until `refuse` is false) the store's library takes no write, as a file the user may not write: every
// save fails with the engine's read-only error, and reading goes on. Root ignores file modes, so the store's own
// connection is made read-only instead of the file. Header only: tests that use it link the store.
inline bool refuseWrites(KNVTTaskStore &store, bool refuse = true)
{
    ostore::Coordinator *coordinator = store.persistentStoreCoordinator();
    if (!coordinator || !coordinator->handle())
        return false;
    return sqlite3_exec(coordinator->handle(), refuse ? "PRAGMA query_only = ON" : "PRAGMA query_only = OFF", nullptr,
                        nullptr, nullptr)
        == SQLITE_OK;
}

} // namespace knvt::test
