#include "sync/KNVTTaskStoreSyncSessionStateFinished.h"

#include "sync/KNVTTaskStoreSyncSession.h"
#include "sync/Logging.h"
#include "sync/SyncFailure.h"

#include "objectstore/Context.h"

#include "foundation/ThreadAdditions.h"

void KNVTTaskStoreSyncSessionStateFinished::start()
{
    const auto session = syncSession();
    ostore::Context *context = session ? session->managedObjectContext() : nullptr;
    if (context && context->hasChanges()) {
        m_hasChanges = true;
        knvt::Error error;
        if (!session->saveManagedObjectContext(&error)) {
            qCWarning(lcSync).noquote() << QStringLiteral(
                                               "%1:%2 couldn't save ManagedObjectContext because of error:%3")
                                               .arg(QStringLiteral("KNVTTaskStoreSyncSessionStateFinished"),
                                                    QStringLiteral("start"), error.description());
            finishWithError(knvt::syncLocalSaveError(error));
            return;
        }
        // The windows hear of the save in a pass of their own (the coordinator posts its merge), and the session ends
        // in the pass after that: whoever hears of the end finds the lists showing what the sync brought, and the
        // write, the lists' update and the end do not hold the window in one block.
        const std::weak_ptr<KNVTSyncSessionState> weakState = weak_from_this();
        knvt::performBlockAfterWaitingEvents(context, [weakState] {
            if (const auto state = std::static_pointer_cast<KNVTTaskStoreSyncSessionStateFinished>(weakState.lock());
                state && state->isExecuting())
                state->finish();
        });
        return;
    }
    finish();
}
