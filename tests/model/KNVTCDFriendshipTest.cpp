#include "ModelTest.h"

namespace {

class KNVTCDFriendshipTest : public ModelTest
{
protected:
    void SetUp() override
    {
        ModelTest::SetUp();
        m_me = insert<KNVTCDUser>();
        m_me->setFriendshipStatus(KNVTUserFriendshipStatusMe);
        m_me->setNumericIdentifier(42);
    }
    KNVTCDUser *user(std::optional<qint64> identifier)
    {
        auto *u = insert<KNVTCDUser>();
        u->setNumericIdentifier(identifier);
        return u;
    }
    static QJsonObject reply(const QJsonValue &status, qint64 inviter, qint64 invitee)
    {
        return QJsonObject{{"id", 7},          {"created_at", wireDate()}, {"updated_at", wireDate()},
                           {"status", status}, {"inviter_id", inviter},    {"invitee_id", invitee}};
    }

    KNVTCDUser *m_me = nullptr;
};

TEST_F(KNVTCDFriendshipTest, PushCarriesOnlyTheEndsThatHaveIdentifiers)
{
    KNVTCDUser *x = user(std::nullopt);
    auto *record = insert<KNVTCDFriendship>();
    record->setStatus(KNVTFriendshipStatusPending);
    record->setInvitee(x);
    record->setInviter(m_me);
    const QStringList all{"status", "inviter", "invitee", "deletedDate"};
    EXPECT_EQ(record->attributesForKeys(all), (QJsonObject{{"inviter_id", 42}}));
    x->setNumericIdentifier(43);
    record->setDeletedDate(date());
    EXPECT_EQ(record->attributesForKeys(all), (QJsonObject{{"inviter_id", 42}, {"invitee_id", 43}}));
    EXPECT_EQ(record->attributesForKeys({"status", "deletedDate"}), QJsonObject());
}

TEST_F(KNVTCDFriendshipTest, PullReadsTheTwoServiceStatusesAndKeepsAnyOther)
{
    KNVTCDUser *x = user(43);
    auto *record = insert<KNVTCDFriendship>();
    record->updateWithAttributes(wire(reply("pending", 42, 43)));
    EXPECT_EQ(record->numericIdentifier(), 7);
    EXPECT_EQ(record->status(), KNVTFriendshipStatusPending);
    EXPECT_EQ(record->inviter(), m_me);
    EXPECT_EQ(record->invitee(), x);
    EXPECT_EQ(x->friendshipStatus(), KNVTUserFriendshipStatusInvited);
    EXPECT_TRUE(record->changedKeysString().isNull());

    record->updateWithAttributes(wire(reply("declined", 42, 43)));
    EXPECT_EQ(record->status(), KNVTFriendshipStatusPending);
    record->updateWithAttributes(wire(reply("accepted", 42, 43)));
    EXPECT_EQ(record->status(), KNVTFriendshipStatusAccepted);
    EXPECT_EQ(x->friendshipStatus(), KNVTUserFriendshipStatusFriend) << "the other end is derived again";
    EXPECT_EQ(m_me->friendshipStatus(), KNVTUserFriendshipStatusMe);
}

// Only the local user's own records relate anyone to the local user.
TEST_F(KNVTCDFriendshipTest, RecordsNotInvolvingTheLocalUserChangeNobody)
{
    KNVTCDUser *a = user(43);
    KNVTCDUser *b = user(44);
    a->setFriendshipStatus(KNVTUserFriendshipStatusPending);
    b->setFriendshipStatus(KNVTUserFriendshipStatusInvited);
    auto *record = insert<KNVTCDFriendship>();
    record->setInviter(a);
    record->setInvitee(b);
    record->setStatus(KNVTFriendshipStatusAccepted);
    EXPECT_EQ(a->friendshipStatus(), KNVTUserFriendshipStatusPending);
    EXPECT_EQ(b->friendshipStatus(), KNVTUserFriendshipStatusInvited);
}

// ---- Account ----

class KNVTCDAccountTest : public KNVTCDFriendshipTest
{
protected:
    static QJsonObject accountReply(const QJsonValue &ownerIdentifier, const QJsonValue &owner)
    {
        QJsonObject attributes{{"id", 9}, {"created_at", wireDate()}, {"updated_at", wireDate(1)}};
        if (!ownerIdentifier.isUndefined())
            attributes.insert(QStringLiteral("owner_id"), ownerIdentifier);
        if (!owner.isUndefined())
            attributes.insert(QStringLiteral("owner"), owner);
        return attributes;
    }
};

TEST_F(KNVTCDAccountTest, OwnerObjectUpdatesTheKnownLocalUser)
{
    auto *account = insert<KNVTCDAccount>();
    account->updateWithAttributes(wire(
        accountReply(42, QJsonObject{{"id", 42}, {"first_name", "Daz"}, {"last_name", "Dorod"}, {"username", "daz"}})));
    EXPECT_EQ(account->numericIdentifier(), 9);
    EXPECT_EQ(account->owner(), m_me);
    EXPECT_EQ(m_me->extendedDisplayName(), QStringLiteral("Daz Dorod (daz)"));
    EXPECT_TRUE(m_me->isMe());
}

TEST_F(KNVTCDAccountTest, UnknownOwnerIsCreatedOnlyFromItsObject)
{
    auto *account = insert<KNVTCDAccount>();
    account->setOwner(m_me);
    const qsizetype users = context().count<KNVTCDUser>();
    account->updateWithAttributes(wire(accountReply(50, QJsonValue::Undefined)));
    EXPECT_EQ(account->owner(), m_me);
    EXPECT_EQ(context().count<KNVTCDUser>(), users);

    account->updateWithAttributes(wire(accountReply(50, QJsonObject{{"id", 50}, {"first_name", "New"}})));
    ASSERT_NE(account->owner(), nullptr);
    EXPECT_NE(account->owner(), m_me);
    EXPECT_EQ(account->owner()->fullName(), QStringLiteral("New"));
    EXPECT_EQ(context().count<KNVTCDUser>(), users + 1);
}

} // namespace
