#include "model/KNVTCDAccount.h"

#include "model/ContextAdditions.h"
#include "model/KNVTCDUser.h"

KNVTCD_DEFINE_TO_ONE(KNVTCDAccount, KNVTCDUser, owner, setOwner)

void KNVTCDAccount::updateWithAttributes(const QJsonObject &attributes)
{
    updateIdentityWithAttributes(attributes);
    updateDeletedDateWithAttributes(attributes);

    const std::optional<qint64> ownerIdentifier =
        numericIdentifierFromJSON(attributes.value(QLatin1String("owner_id")));
    if (!ownerIdentifier)
        return;
    const QJsonValue embedded = attributes.value(QLatin1String("owner"));
    KNVTCDUser *user = userForNumericIdentifier(ownerIdentifier);
    if (!user) {
        ostore::Context *ctx = context();
        if (!embedded.isObject() || !ctx)
            return;
        user = static_cast<KNVTCDUser *>(knvt::insertNewObjectForEntityForName(*ctx, QStringLiteral("KNVTCDUser")));
    }
    setOwner(user);
    if (embedded.isObject())
        user->updateWithAttributes(embedded.toObject());
}
