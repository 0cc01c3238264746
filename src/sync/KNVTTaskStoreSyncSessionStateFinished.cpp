#include "sync/KNVTTaskStoreSyncSessionStateFinished.h"

#include "sync/KNVTTaskStoreSyncSession.h"

#include "objectstore/Context.h"

#include <QLoggingCategory>

Q_DECLARE_LOGGING_CATEGORY(lcSyncPlan)

void KNVTTaskStoreSyncSessionStateFinished::start()
{
    const auto session = syncSession();
    ostore::Context *context = session ? session->managedObjectContext() : nullptr;
    if (context && context->hasChanges()) {
        m_hasChanges = true;
        knvt::Error error;
        if (!context->save(&error)) {
            qCWarning(lcSyncPlan).noquote()
                << QStringLiteral("%1:%2 couldn't save ManagedObjectContext because of error:%3")
                       .arg(QStringLiteral("KNVTTaskStoreSyncSessionStateFinished"), QStringLiteral("start"),
                            error.description());
            failWithError_(error);
            return;
        }
    }
    finish_();
}
