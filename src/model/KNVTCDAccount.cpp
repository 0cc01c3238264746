#include "model/KNVTCDAccount.h"

#include "model/ContextAdditions.h"
#include "model/FillInsertion.h"
#include "model/KNVTCDUser.h"

KNVTCD_DEFINE_TO_ONE(KNVTCDAccount, KNVTCDUser, owner, setOwner)

void KNVTCDAccount::updateWithAttributes(const knvt::JSONView &attributes)
{
    updateIdentityWithAttributes(attributes);
    updateDeletedDateWithAttributes(attributes);

    const std::optional<qint64> ownerIdentifier = numericIdentifierFromJSON(attributes.value("owner_id"));
    if (!ownerIdentifier)
        return;
    const knvt::JSONView embedded = attributes.value("owner");
    KNVTCDUser *user = userForNumericIdentifier(ownerIdentifier);
    if (!user) {
        ostore::Context *ctx = context();
        if (!embedded.isObject() || !ctx)
            return;
        user = knvt::insertObjectForFill<KNVTCDUser>(*ctx);
    }
    setOwner(user);
    if (embedded.isObject())
        user->updateWithAttributes(embedded);
}
