#pragma once

#include "model/KNVTCDAccessors.h"
#include "model/KNVTCDTaskStoreObject.h"

#include <QJsonObject>

class KNVTCDUser;

// The signed-in account, owned by the local user; only ever pulled.
class KNVTCDAccount : public KNVTCDTaskStoreObject
{
    OSTORE_OBJECT(KNVTCDAccount)
    KNVTCD_PULLED_ATTRIBUTES
    KNVTCD_TO_ONE(KNVTCDUser, owner, setOwner)

public:
    // Fills the account from the service's JSON. Unlike other embedded users, the "owner" object also updates a
    // user the store already knows: the account reply is where the local user's own names come from.
    void updateWithAttributes(const knvt::JSONView &attributes) override;
};
