#include "foundation/KNVTKeychainItem.h"
#include "foundation/KNVTApplicationUUIDKeychainItem.h"
#include "foundation/KNVTGenericKeychainItem.h"
#include "foundation/KNVTInternetKeychainItem.h"
#include "foundation/SecretServiceKeychain.h"
#include "support/BusWithoutSecretService.h"
#include "support/InMemoryKeychain.h"

#include <QDBusConnection>
#include <QDBusConnectionInterface>
#include <QDeadlineTimer>
#include <QFile>
#include <QRegularExpression>
#include <QThread>

#include <gtest/gtest.h>

using namespace knvt;

namespace {

class KeychainItemTest : public ::testing::Test
{
protected:
    void SetUp() override { KeychainBackend::setShared(keychain); }
    void TearDown() override { KeychainBackend::setShared(nullptr); }

    // Straight to the store, past the item classes.
    QVariantMap storedGeneric(const QString &service, const QString &account)
    {
        QVariant result;
        const OSStatus status = keychain->copyMatching({{kSecClass, "genp"},
                                                        {kSecAttrService, service},
                                                        {kSecAttrAccount, account},
                                                        {kSecReturnAttributes, true},
                                                        {kSecReturnData, true}},
                                                       &result);
        return status == errSecSuccess ? result.toMap() : QVariantMap();
    }

    int countOfService(const QString &service)
    {
        QVariant result;
        keychain->copyMatching({{kSecClass, "genp"},
                                {kSecAttrService, service},
                                {kSecMatchLimit, kSecMatchLimitAll},
                                {kSecReturnAttributes, true}},
                               &result);
        return int(result.toList().size());
    }

    static QVariantMap queryOf(const Error &error) { return error.userInfo().value(KNVTKeychainItemQueryKey).toMap(); }

    std::shared_ptr<InMemoryKeychain> keychain = std::make_shared<InMemoryKeychain>();
};

} // namespace

TEST_F(KeychainItemTest, CreatedItemIsReadBackWithEveryStoredAttribute)
{
    Error error;
    const auto item =
        KNVTGenericKeychainItem::genericKeychainItemWithService("Hollowpine", "ann", {}, "s3cret é", &error);
    ASSERT_TRUE(item) << error.description().toStdString();
    EXPECT_TRUE(error.isNull());
    EXPECT_EQ(item->service(), "Hollowpine");
    EXPECT_EQ(item->account(), "ann");
    EXPECT_EQ(item->password(), "s3cret é");
    EXPECT_EQ(item->attributes().value(kSecClass), "genp");
    EXPECT_EQ((*item)[kSecAttrService], "Hollowpine");
    EXPECT_EQ((*item)[kSecAttrAccount], "ann");
    EXPECT_EQ((*item)[kSecValueData].toByteArray(), QByteArray("s3cret \xc3\xa9"));
    EXPECT_FALSE((*item)["nope"].isValid());

    const auto found = KNVTGenericKeychainItem::genericKeychainItemForService("Hollowpine", "ann", {}, &error);
    ASSERT_TRUE(found);
    EXPECT_EQ(found->password(), "s3cret é");
    EXPECT_EQ(found->attributes(), item->attributes());
}

TEST_F(KeychainItemTest, CreatingADuplicateFailsKeepsTheOldItemAndLeavesThePasswordOutOfTheError)
{
    ASSERT_TRUE(KNVTGenericKeychainItem::genericKeychainItemWithService("Hollowpine", "ann", {}, "old-password"));

    Error error;
    EXPECT_FALSE(
        KNVTGenericKeychainItem::genericKeychainItemWithService("Hollowpine", "ann", {}, "new-password", &error));
    EXPECT_EQ(error.domain(), "NSOSStatusErrorDomain");
    EXPECT_EQ(error.code(), errSecDuplicateItem);
    const QVariantMap query = queryOf(error);
    EXPECT_EQ(query.value(kSecClass), "genp");
    EXPECT_EQ(query.value(kSecAttrService), "Hollowpine");
    EXPECT_EQ(query.value(kSecAttrAccount), "ann");
    EXPECT_FALSE(query.contains(kSecValueData));
    EXPECT_EQ(error.userInfo().size(), 1);
    EXPECT_FALSE(error.description().contains("new-password"));

    EXPECT_EQ(storedGeneric("Hollowpine", "ann").value(kSecValueData).toByteArray(), "old-password");

    // Replacing a password: remove first, then create.
    const auto old = KNVTGenericKeychainItem::genericKeychainItemForService("Hollowpine", "ann", {});
    ASSERT_TRUE(old);
    ASSERT_TRUE(old->removeFromKeychain());
    const auto replaced =
        KNVTGenericKeychainItem::genericKeychainItemWithService("Hollowpine", "ann", {}, "new-password");
    ASSERT_TRUE(replaced);
    EXPECT_EQ(replaced->password(), "new-password");
    EXPECT_EQ(countOfService("Hollowpine"), 1);
}

TEST_F(KeychainItemTest, MissingItemFailsWithTheQueryInTheError)
{
    Error error;
    EXPECT_FALSE(KNVTGenericKeychainItem::genericKeychainItemForService("Hollowpine", "nobody", {}, &error));
    EXPECT_EQ(error.domain(), "NSOSStatusErrorDomain");
    EXPECT_EQ(error.code(), errSecItemNotFound);
    const QVariantMap expected{{kSecClass, "genp"},          {kSecAttrService, "Hollowpine"},
                               {kSecAttrAccount, "nobody"},  {kSecMatchLimit, kSecMatchLimitOne},
                               {kSecReturnAttributes, true}, {kSecReturnData, true}};
    EXPECT_EQ(queryOf(error), expected);

    // Without an error slot the failure still shows in the result.
    EXPECT_FALSE(KNVTGenericKeychainItem::genericKeychainItemForService("Hollowpine", "nobody", {}));
}

TEST_F(KeychainItemTest, EmptyFieldsOfAFindMatchAnyValue)
{
    ASSERT_TRUE(KNVTGenericKeychainItem::genericKeychainItemWithService("Hollowpine", "ann", {}, "a"));
    ASSERT_TRUE(KNVTGenericKeychainItem::genericKeychainItemWithService("Hollowpine", "bob", {}, "b"));
    ASSERT_TRUE(KNVTGenericKeychainItem::genericKeychainItemWithService("Elsewhere", "cid", {}, "c"));

    const auto first = KNVTGenericKeychainItem::genericKeychainItemForService("Hollowpine", "", {});
    ASSERT_TRUE(first);
    EXPECT_EQ(first->account(), "ann");
    EXPECT_EQ(first->password(), "a");

    // The item keeps the service that was asked for, not the one stored.
    const auto anyService = KNVTGenericKeychainItem::genericKeychainItemForService("", "cid", {});
    ASSERT_TRUE(anyService);
    EXPECT_EQ(anyService->service(), "");
    EXPECT_EQ((*anyService)[kSecAttrService], "Elsewhere");
}

TEST_F(KeychainItemTest, FindAllReturnsEveryItemOfTheServiceWithItsPassword)
{
    ASSERT_TRUE(KNVTGenericKeychainItem::genericKeychainItemWithService("Hollowpine", "ann", {}, "a"));
    ASSERT_TRUE(KNVTGenericKeychainItem::genericKeychainItemWithService("Elsewhere", "ann", {}, "x"));
    ASSERT_TRUE(KNVTGenericKeychainItem::genericKeychainItemWithService("Hollowpine", "bob", {}, "b"));

    Error error;
    const auto items = KNVTGenericKeychainItem::genericKeychainItemsForService("Hollowpine", {}, &error);
    ASSERT_EQ(items.size(), 2);
    EXPECT_TRUE(error.isNull());
    EXPECT_EQ(items[0]->account(), "ann");
    EXPECT_EQ(items[0]->password(), "a");
    EXPECT_EQ(items[0]->service(), "Hollowpine");
    EXPECT_EQ(items[1]->account(), "bob");
    EXPECT_EQ(items[1]->password(), "b");

    EXPECT_TRUE(KNVTGenericKeychainItem::genericKeychainItemsForService("Nowhere", {}, &error).isEmpty());
    EXPECT_EQ(error.code(), errSecItemNotFound);
    EXPECT_EQ(queryOf(error).value(kSecMatchLimit), kSecMatchLimitAll);
    EXPECT_FALSE(queryOf(error).contains(kSecReturnData));
}

TEST_F(KeychainItemTest, ExtraAttributesAreStoredAndNarrowTheSearch)
{
    const QVariantMap extra{{kSecAttrLabel, "Quillvane sync"}, {"gena", "note"}};
    const auto item = KNVTGenericKeychainItem::genericKeychainItemWithService("Hollowpine", "ann", extra, "a");
    ASSERT_TRUE(item);
    EXPECT_EQ((*item)[kSecAttrLabel], "Quillvane sync");
    EXPECT_EQ((*item)["gena"], "note");
    ASSERT_TRUE(KNVTGenericKeychainItem::genericKeychainItemWithService("Hollowpine", "bob", {}, "b"));

    const auto labelled = KNVTGenericKeychainItem::genericKeychainItemsForService("Hollowpine", {{"gena", "note"}});
    ASSERT_EQ(labelled.size(), 1);
    EXPECT_EQ(labelled[0]->account(), "ann");

    Error error;
    EXPECT_FALSE(KNVTGenericKeychainItem::genericKeychainItemForService("Hollowpine", "ann", {{kSecAttrLabel, "Other"}},
                                                                        &error));
    EXPECT_EQ(error.code(), errSecItemNotFound);

    // Extra attributes may override the identifying ones.
    const auto overridden = KNVTGenericKeychainItem::genericKeychainItemForService(
        "Elsewhere", "", {{kSecAttrService, "Hollowpine"}, {kSecAttrAccount, "bob"}});
    ASSERT_TRUE(overridden);
    EXPECT_EQ(overridden->password(), "b");
    EXPECT_EQ(overridden->service(), "Elsewhere");
}

TEST_F(KeychainItemTest, PasswordIsNullOnlyForBytesThatAreNotUtf8)
{
    ASSERT_EQ(keychain->add({{kSecClass, "genp"},
                             {kSecAttrService, "Hollowpine"},
                             {kSecAttrAccount, "latin1"},
                             {kSecValueData, QByteArray("caf\xe9")}}),
              errSecSuccess);
    const auto latin1 = KNVTGenericKeychainItem::genericKeychainItemForService("Hollowpine", "latin1", {});
    ASSERT_TRUE(latin1);
    EXPECT_TRUE(latin1->password().isNull());
    EXPECT_EQ((*latin1)[kSecValueData].toByteArray(), QByteArray("caf\xe9"));

    const auto empty = KNVTGenericKeychainItem::genericKeychainItemWithService("Hollowpine", "empty", {}, "");
    ASSERT_TRUE(empty);
    EXPECT_FALSE(empty->password().isNull());
    EXPECT_TRUE(empty->password().isEmpty());

    // A leading byte-order mark belongs to the password.
    const QString withMark = QStringLiteral("\ufeffpw");
    const auto marked = KNVTGenericKeychainItem::genericKeychainItemWithService("Hollowpine", "mark", {}, withMark);
    ASSERT_TRUE(marked);
    EXPECT_EQ(marked->password(), withMark);
}

TEST_F(KeychainItemTest, RemovingTwiceFailsTheSecondTime)
{
    ASSERT_TRUE(KNVTGenericKeychainItem::genericKeychainItemWithService("Hollowpine", "ann", {}, "a"));
    const auto item = KNVTGenericKeychainItem::genericKeychainItemForService("Hollowpine", "ann", {});
    ASSERT_TRUE(item);
    Error error;
    EXPECT_TRUE(item->removeFromKeychain(&error));
    EXPECT_TRUE(error.isNull());
    EXPECT_FALSE(item->removeFromKeychain(&error));
    EXPECT_EQ(error.code(), errSecItemNotFound);
    const QVariantMap expected{{kSecClass, "genp"}, {kSecAttrService, "Hollowpine"}, {kSecAttrAccount, "ann"}};
    EXPECT_EQ(queryOf(error), expected);
}

TEST_F(KeychainItemTest, RemoveRefusesAnItemWithAnEmptyIdentifyingField)
{
    ASSERT_TRUE(KNVTGenericKeychainItem::genericKeychainItemWithService("Hollowpine", "ann", {}, "a"));
    ASSERT_TRUE(KNVTGenericKeychainItem::genericKeychainItemWithService("Hollowpine", "bob", {}, "b"));
    ASSERT_TRUE(KNVTGenericKeychainItem::genericKeychainItemWithService("Elsewhere", "ann", {}, "c"));

    const auto refused = [](const KNVTKeychainItem &item) {
        Error error;
        const bool removed = item.removeFromKeychain(&error);
        EXPECT_EQ(error.code(), errSecParam) << item.description().toStdString();
        EXPECT_EQ(queryOf(error).value(kSecClass).toString().size(), 4);
        return removed;
    };
    EXPECT_FALSE(refused(KNVTGenericKeychainItem("Hollowpine", "", {}, "")));
    EXPECT_FALSE(refused(KNVTGenericKeychainItem("", "ann", {}, "")));
    EXPECT_FALSE(refused(KNVTKeychainItem("", {}, "")));
    EXPECT_FALSE(refused(KNVTInternetKeychainItem("", "", "ann", "", 0, kSecAttrProtocolHTTPS,
                                                  kSecAttrAuthenticationTypeDefault, {}, "")));
    EXPECT_FALSE(refused(KNVTInternetKeychainItem("example.com", "", "", "", 0, kSecAttrProtocolHTTPS,
                                                  kSecAttrAuthenticationTypeDefault, {}, "")));

    EXPECT_EQ(countOfService("Hollowpine"), 2);
    EXPECT_EQ(countOfService("Elsewhere"), 1);
}

TEST_F(KeychainItemTest, BaseItemRemovesTheAccountUnderEveryService)
{
    ASSERT_TRUE(KNVTGenericKeychainItem::genericKeychainItemWithService("Hollowpine", "ann", {}, "a"));
    ASSERT_TRUE(KNVTGenericKeychainItem::genericKeychainItemWithService("Elsewhere", "ann", {}, "b"));
    ASSERT_TRUE(KNVTGenericKeychainItem::genericKeychainItemWithService("Hollowpine", "bob", {}, "c"));

    EXPECT_TRUE(KNVTKeychainItem("ann", {}, "").removeFromKeychain());
    EXPECT_EQ(countOfService("Hollowpine"), 1);
    EXPECT_EQ(countOfService("Elsewhere"), 0);
}

TEST_F(KeychainItemTest, InternetItemsRoundTripThroughEveryField)
{
    Error error;
    const auto item = KNVTInternetKeychainItem::internetKeychainItemWithServer(
        "sync.example.com", "Realm", "ann", "/api", 8443, kSecAttrProtocolHTTPS, kSecAttrAuthenticationTypeHTMLForm, {},
        "pw", &error);
    ASSERT_TRUE(item) << error.description().toStdString();
    EXPECT_EQ(item->server(), "sync.example.com");
    EXPECT_EQ(item->securityDomain(), "Realm");
    EXPECT_EQ(item->account(), "ann");
    EXPECT_EQ(item->path(), "/api");
    EXPECT_EQ(item->port(), 8443u);
    EXPECT_EQ(item->protocol(), "htps");
    EXPECT_EQ(item->authenticationType(), "form");
    EXPECT_EQ(item->password(), "pw");
    EXPECT_EQ((*item)[kSecClass], "inet");
    EXPECT_EQ(item->description(),
              "KNVTInternetKeychainItem server:sync.example.com securityDomain:Realm account:ann path:/api port:8443");

    // A second account on the same server and one without a port, domain or path.
    ASSERT_TRUE(KNVTInternetKeychainItem::internetKeychainItemWithServer(
        "sync.example.com", "", "bob", "", 0, kSecAttrProtocolHTTPS, kSecAttrAuthenticationTypeDefault, {}, "b"));
    const auto bare =
        KNVTInternetKeychainItem::internetKeychainItemForServer("sync.example.com", "", "bob", "", 0, "", "", {});
    ASSERT_TRUE(bare);
    EXPECT_EQ(bare->port(), 0u);
    EXPECT_EQ(bare->path(), "");
    EXPECT_EQ(bare->authenticationType(), "dflt");

    const auto all = KNVTInternetKeychainItem::internetKeychainItemsForServer("sync.example.com", "", "", 0,
                                                                              kSecAttrProtocolHTTPS, "", {}, &error);
    ASSERT_EQ(all.size(), 2);
    EXPECT_EQ(all[0]->account(), "ann");
    EXPECT_EQ(all[0]->password(), "pw");
    EXPECT_EQ(all[1]->account(), "bob");

    EXPECT_FALSE(KNVTInternetKeychainItem::internetKeychainItemWithServer(
        "sync.example.com", "Realm", "ann", "/api", 8443, kSecAttrProtocolHTTPS, kSecAttrAuthenticationTypeHTMLForm, {},
        "again", &error));
    EXPECT_EQ(error.code(), errSecDuplicateItem);
    EXPECT_FALSE(queryOf(error).contains(kSecValueData));
    EXPECT_EQ(queryOf(error).value(kSecAttrPort).toUInt(), 8443u);

    // The port is part of the remove query even when it is 0, so bob's item goes but ann's on 8443 stays.
    EXPECT_TRUE(
        KNVTInternetKeychainItem("sync.example.com", "", "bob", "", 0, "", "", {}, "").removeFromKeychain(&error));
    EXPECT_FALSE(KNVTInternetKeychainItem("sync.example.com", "", "ann", "", 0, "", "", {}, "").removeFromKeychain());
    EXPECT_TRUE(item->removeFromKeychain(&error));
    EXPECT_FALSE(
        KNVTInternetKeychainItem::internetKeychainItemForServer("sync.example.com", "", "", "", 0, "", "", {}, &error));
    EXPECT_EQ(error.code(), errSecItemNotFound);
    EXPECT_FALSE(queryOf(error).contains(kSecMatchLimit));
}

TEST_F(KeychainItemTest, ApplicationUUIDIsMadeOnceAndThenKept)
{
    const QString uuid = KNVTApplicationUUIDKeychainItem::applicationUUID();
    EXPECT_TRUE(
        QRegularExpression("^[0-9A-F]{8}-[0-9A-F]{4}-[0-9A-F]{4}-[0-9A-F]{4}-[0-9A-F]{12}$").match(uuid).hasMatch())
        << uuid.toStdString();
    EXPECT_EQ(KNVTApplicationUUIDKeychainItem::applicationUUID(), uuid);

    const auto item = KNVTApplicationUUIDKeychainItem::applicationUUIDKeychainItem();
    ASSERT_TRUE(item);
    EXPECT_EQ(item->UUID(), uuid);
    EXPECT_EQ(item->description(),
              "KNVTApplicationUUIDKeychainItem service:com.hollowpine.opensource.keychain.uuid.application "
              "account:" KNVT_APP_ID " uuid:"
                  + uuid);
    EXPECT_EQ(storedGeneric("com.hollowpine.opensource.keychain.uuid.application", KNVT_APP_ID)
                  .value(kSecValueData)
                  .toByteArray(),
              uuid.toUtf8());

    // A second generation finds the slot taken; the stored identifier does not change.
    EXPECT_FALSE(KNVTApplicationUUIDKeychainItem::generateApplicationUUIDKeychainItem());
    EXPECT_EQ(KNVTApplicationUUIDKeychainItem::applicationUUID(), uuid);
}

TEST_F(KeychainItemTest, ApplicationUUIDIsNullWhenTheKeychainRefusesEverything)
{
    KNVTKeychainItem::lockKeychain();
    EXPECT_TRUE(KNVTApplicationUUIDKeychainItem::applicationUUID().isNull());
    KNVTKeychainItem::unlockKeychain();
    EXPECT_FALSE(KNVTApplicationUUIDKeychainItem::applicationUUID().isNull());
}

TEST_F(KeychainItemTest, LockedKeychainHandsOutNoSecrets)
{
    ASSERT_TRUE(KNVTGenericKeychainItem::genericKeychainItemWithService("Hollowpine", "ann", {}, "a"));
    KNVTKeychainItem::lockKeychain();
    Error error;
    EXPECT_FALSE(KNVTGenericKeychainItem::genericKeychainItemForService("Hollowpine", "ann", {}, &error));
    EXPECT_EQ(error.code(), errSecInteractionNotAllowed);
    EXPECT_FALSE(KNVTGenericKeychainItem::genericKeychainItemWithService("Hollowpine", "bob", {}, "b", &error));
    EXPECT_EQ(error.code(), errSecInteractionNotAllowed);
    KNVTKeychainItem::unlockKeychain();
    const auto item = KNVTGenericKeychainItem::genericKeychainItemForService("Hollowpine", "ann", {}, &error);
    ASSERT_TRUE(item);
    EXPECT_EQ(item->password(), "a");
}

TEST_F(KeychainItemTest, DescriptionsNameTheClassAndTheIdentifyingFields)
{
    EXPECT_EQ(KNVTKeychainItem("ann", {}, "pw").description(), "KNVTKeychainItem account:ann");
    EXPECT_EQ(KNVTGenericKeychainItem("Hollowpine", "ann", {}, "pw").description(),
              "KNVTGenericKeychainItem service:Hollowpine account:ann");
    const KNVTKeychainItem &asBase = KNVTGenericKeychainItem("%1", "%2", {}, "pw");
    EXPECT_EQ(asBase.description(), "KNVTGenericKeychainItem service:%1 account:%2");
}

TEST(InMemoryKeychain, AnswersLikeTheSecretServiceToMalformedQueries)
{
    InMemoryKeychain keychain;
    QVariant result;
    EXPECT_EQ(keychain.add({{kSecAttrService, "Hollowpine"}, {kSecValueData, QByteArray("x")}}), errSecParam);
    EXPECT_EQ(keychain.add({{kSecClass, "keys"}, {kSecAttrService, "Hollowpine"}}), errSecParam);
    EXPECT_EQ(keychain.copyMatching({{kSecClass, "genp"}, {kSecMatchLimit, "m_LimitSome"}}, &result), errSecParam);
    EXPECT_EQ(keychain.copyMatching({{kSecClass, "genp"}, {"r_Ref", true}}, &result), errSecParam);
    EXPECT_EQ(keychain.remove({{kSecClass, "genp"}, {kSecAttrService, QVariantList{1}}}), errSecParam);
    EXPECT_EQ(keychain.remove({{kSecClass, "genp"}}), errSecItemNotFound);

    // Numbers match their text, as the Secret Service keeps both as text.
    ASSERT_EQ(keychain.add({{kSecClass, "inet"}, {kSecAttrServer, "h"}, {kSecAttrPort, 80}}), errSecSuccess);
    EXPECT_EQ(keychain.copyMatching({{kSecClass, "inet"}, {kSecAttrPort, "80"}, {kSecReturnAttributes, true}}, &result),
              errSecSuccess);
    EXPECT_EQ(result.toMap().value(kSecAttrPort).toInt(), 80);
    EXPECT_EQ(keychain.copyMatching({{kSecClass, "genp"}, {kSecReturnAttributes, true}}, &result), errSecItemNotFound);
}

TEST(SecretServiceKeychain, WithoutARunningServiceEveryCallIsNotAvailableAndNothingIsStarted)
{
    knvt::test::BusWithoutSecretService bus;
    ASSERT_FALSE(bus.address().isEmpty());

    SecretServiceKeychain keychain;
    QVariant result;
    EXPECT_EQ(keychain.add({{kSecClass, "genp"},
                            {kSecAttrService, "Hollowpine"},
                            {kSecAttrAccount, "ann"},
                            {kSecValueData, QByteArray("pw")}}),
              errSecNotAvailable);
    EXPECT_EQ(
        keychain.copyMatching({{kSecClass, "genp"}, {kSecAttrService, "Hollowpine"}, {kSecReturnData, true}}, &result),
        errSecNotAvailable);
    EXPECT_EQ(keychain.remove({{kSecClass, "genp"}, {kSecAttrService, "Hollowpine"}}), errSecNotAvailable);
    EXPECT_EQ(keychain.lock(), errSecNotAvailable);
    EXPECT_EQ(keychain.unlock(), errSecNotAvailable);
    EXPECT_FALSE(QFile::exists(bus.markerPath()));

    // The bus would indeed have started the service on request. The reply only comes when the bus gives up waiting
    // for the name, so only the start is awaited.
    {
        QDBusConnection probe = QDBusConnection::connectToBus(bus.address(), "keychain-probe");
        probe.interface()->asyncCall("StartServiceByName", "org.freedesktop.secrets", 0u);
        QDeadlineTimer deadline(20000);
        while (!QFile::exists(bus.markerPath()) && !deadline.hasExpired())
            QThread::msleep(20);
    }
    QDBusConnection::disconnectFromBus("keychain-probe");
    EXPECT_TRUE(QFile::exists(bus.markerPath()));
}
