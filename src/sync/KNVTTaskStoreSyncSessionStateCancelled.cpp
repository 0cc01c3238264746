#include "sync/KNVTTaskStoreSyncSessionStateCancelled.h"

#include "sync/KNVTTaskStoreSyncSession.h"

#include "objectstore/Context.h"

void KNVTTaskStoreSyncSessionStateCancelled::start()
{
    const auto session = syncSession();
    ostore::Context *context = session ? session->managedObjectContext() : nullptr;
    if (context && context->hasChanges()) {
        m_hasChanges = true;
        session->saveManagedObjectContext();
    }
    finish();
}
