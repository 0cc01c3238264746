#include "sync/KNVTTaskStoreSyncSessionStateFinished.h"

#include "sync/KNVTTaskStoreSyncSession.h"
#include "sync/Logging.h"

#include "objectstore/Context.h"

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
            finishWithError(error);
            return;
        }
    }
    finish();
}
