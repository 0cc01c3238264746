#include "model/KNVTCDFriendship.h"

#include "model/KNVTCDUser.h"

KNVTCD_DEFINE_TO_ONE(KNVTCDFriendship, KNVTCDUser, inviter, setInviter)
KNVTCD_DEFINE_TO_ONE(KNVTCDFriendship, KNVTCDUser, invitee, setInvitee)

QJsonObject KNVTCDFriendship::attributesForKeys(const QStringList &keys) const
{
    QJsonObject attributes;
    for (const QString &name : keys) {
        if (name == QLatin1String("inviter")) {
            const KNVTCDUser *user = inviter();
            if (const std::optional<qint64> identifier = user ? user->numericIdentifier() : std::nullopt)
                attributes.insert(QStringLiteral("inviter_id"), *identifier);
        } else if (name == QLatin1String("invitee")) {
            const KNVTCDUser *user = invitee();
            if (const std::optional<qint64> identifier = user ? user->numericIdentifier() : std::nullopt)
                attributes.insert(QStringLiteral("invitee_id"), *identifier);
        }
    }
    return attributes;
}

namespace {

// The status a reply's "status" names; none for any other value, which keeps the local one.
std::optional<qint64> statusFromWire(const knvt::JSONView &attributes)
{
    const QString wireStatus = attributes.value("status").toString();
    if (wireStatus == QLatin1String("pending"))
        return KNVTFriendshipStatusPending;
    if (wireStatus == QLatin1String("accepted"))
        return KNVTFriendshipStatusAccepted;
    return std::nullopt;
}

} // namespace

QStringList KNVTCDFriendship::keysSettledByReply(const knvt::JSONView &attributes) const
{
    const std::optional<qint64> answered = statusFromWire(attributes);
    return answered && *answered == status() ? QStringList{QStringLiteral("status")} : QStringList();
}

void KNVTCDFriendship::updateWithAttributes(const knvt::JSONView &attributes)
{
    UpdatingScope updating(*this);
    updateIdentityWithAttributes(attributes);
    updateDeletedDateWithAttributes(attributes);
    if (const std::optional<qint64> answered = statusFromWire(attributes))
        setStatus(*answered);
    if (KNVTCDUser *user = relatedUserWithAttributes(attributes, "inviter"))
        setInviter(user);
    if (KNVTCDUser *user = relatedUserWithAttributes(attributes, "invitee"))
        setInvitee(user);
    clearChangedKeys();
}

void KNVTCDFriendship::didChangeValue(std::string_view key)
{
    KNVTCDTaskStoreObject::didChangeValue(key);
    if (key != "inviter" && key != "invitee" && key != "status" && key != "deletedDate")
        return;
    const KNVTCDUser *me = myUser();
    if (!me)
        return;
    KNVTCDUser *from = inviter();
    KNVTCDUser *to = invitee();
    if (from == me && to)
        to->updateFriendshipStatus();
    else if (to == me && from)
        from->updateFriendshipStatus();
}
