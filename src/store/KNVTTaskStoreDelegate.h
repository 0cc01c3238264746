#pragma once

#include "store/KNVTTaskStoreLostEdit.h"

#include "foundation/Error.h"

#include <vector>

class KNVTTaskStore;

// What the task store reports upward: failures that only the application can answer with a window. Every message
// arrives on the main thread and expects no result; a store without a delegate reports to nobody.
class KNVTTaskStoreDelegate
{
public:
    virtual ~KNVTTaskStoreDelegate() = default;

    // The library file could not be opened (for instance one written by a newer build); the error is the engine's.
    virtual void taskStoreDidFailToOpenPersistentStoreWithError(KNVTTaskStore *taskStore, const knvt::Error &error) = 0;
    // The sync service turned down the stored credentials.
    virtual void taskStoreDidFailToAuthenticate(KNVTTaskStore *taskStore) = 0;
    // The sync service no longer speaks this build's interface version.
    virtual void taskStoreRequiresNewerAPIVersion(KNVTTaskStore *taskStore) = 0;
    // A sync found objects deleted on the service that held edits of the user's it never got; the objects are gone
    // here too, and the user is to be told what was written on them.
    virtual void taskStoreLostEditsOfObjectsDeletedElsewhere(KNVTTaskStore *taskStore,
                                                             const std::vector<KNVTTaskStoreLostEdit> &edits)
    {
        Q_UNUSED(taskStore);
        Q_UNUSED(edits);
    }
};
