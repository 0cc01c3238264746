#pragma once

#include "model/KNVTCDAccessors.h"
#include "model/KNVTCDTaskStoreObject.h"
#include "model/KNVTFriendshipStatus.h"

#include <QJsonObject>
#include <QStringList>

class KNVTCDUser;

// A friendship record from an inviter to an invitee: 1 pending, 2 accepted, 3 declined. What a person is to the
// local user is not stored here but derived on the person from the records between the two; every change of a
// record's ends, status or tombstone derives it again for the end that is not the local user.
class KNVTCDFriendship : public KNVTCDTaskStoreObject
{
    OSTORE_OBJECT(KNVTCDFriendship)
    KNVTCD_SYNCED_ATTRIBUTES
    OSTORE_INT(status, setStatus)
    KNVTCD_TO_ONE(KNVTCDUser, inviter, setInviter)
    KNVTCD_TO_ONE(KNVTCDUser, invitee, setInvitee)

public:
    // "inviter_id" and "invitee_id", each only once that user has the service's identifier. The status and the
    // deleted date are never sent: an invitation and an acceptance are the same request, and a decline is not
    // pushed at all.
    QJsonObject attributesForKeys(const QStringList &keys) const;
    // Fills the record from the service's JSON: "pending" and "accepted" set the status, any other value keeps it.
    // A user the store does not know is created from the embedded "inviter" or "invitee" object.
    void updateWithAttributes(const knvt::JSONView &attributes) override;
    // The status, when the reply carries the one this record holds: the invitation or acceptance was delivered by the
    // request that carried the two ends.
    QStringList keysSettledByReply(const knvt::JSONView &attributes) const override;

    void didChangeValue(std::string_view key) override;

protected:
    bool wasFilledFromService() const override { return numericIdentifier().has_value(); }
};
