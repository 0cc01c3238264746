// Keychain items against a real gnome-keyring (run under scripts/with-keyring). What the items store is checked with
// secret-tool, the way a user or another program would see it. Each test works on accounts of its own and removes
// them afterwards, since all tests of a run share one keyring.
#include "foundation/KNVTApplicationUUIDKeychainItem.h"
#include "foundation/KNVTGenericKeychainItem.h"
#include "foundation/KNVTInternetKeychainItem.h"
#include "foundation/SecretServiceKeychain.h"

#include <QProcess>

#pragma push_macro("signals")
#undef signals
#include <gio/gio.h>
#pragma pop_macro("signals")

#include <gtest/gtest.h>

#include <cstring>

using namespace knvt;

namespace {

struct ToolResult
{
    int exitCode = -1;
    QByteArray output;
};

ToolResult secretTool(const QStringList &arguments, const QByteArray &input = {})
{
    QProcess process;
    process.start(QStringLiteral("secret-tool"), arguments);
    if (!process.waitForStarted())
        return {};
    process.write(input);
    process.closeWriteChannel();
    if (!process.waitForFinished(60000))
        return {};
    return {process.exitStatus() == QProcess::NormalExit ? process.exitCode() : -1, process.readAllStandardOutput()};
}

GVariant *callSecrets(const char *path, const char *interface, const char *method, GVariant *arguments,
                      const GVariantType *replyType)
{
    GDBusConnection *bus = g_bus_get_sync(G_BUS_TYPE_SESSION, nullptr, nullptr);
    if (!bus)
        return nullptr;
    GVariant *reply = g_dbus_connection_call_sync(bus, "org.freedesktop.secrets", path, interface, method, arguments,
                                                  replyType, G_DBUS_CALL_FLAGS_NONE, 20000, nullptr, nullptr);
    g_object_unref(bus);
    return reply;
}

// Unlocks the default collection with its password through gnome-keyring's own interface for this, which needs no
// prompt. The wrapper unlocked the keyring with the password "test".
bool unlockWithPassword(const char *password)
{
    GVariant *opened = callSecrets("/org/freedesktop/secrets", "org.freedesktop.Secret.Service", "OpenSession",
                                   g_variant_new("(sv)", "plain", g_variant_new_string("")), G_VARIANT_TYPE("(vo)"));
    GVariant *alias = callSecrets("/org/freedesktop/secrets", "org.freedesktop.Secret.Service", "ReadAlias",
                                  g_variant_new("(s)", "default"), G_VARIANT_TYPE("(o)"));
    bool unlocked = false;
    if (opened && alias) {
        const char *session = nullptr;
        const char *collection = nullptr;
        g_variant_get(opened, "(v&o)", nullptr, &session);
        g_variant_get(alias, "(&o)", &collection);
        GVariant *secret = g_variant_new(
            "(o@ay@ays)", session, g_variant_new_fixed_array(G_VARIANT_TYPE_BYTE, "", 0, 1),
            g_variant_new_fixed_array(G_VARIANT_TYPE_BYTE, password, std::strlen(password), 1), "text/plain");
        GVariant *reply =
            callSecrets("/org/freedesktop/secrets", "org.gnome.keyring.InternalUnsupportedGuiltRiddenInterface",
                        "UnlockWithMasterPassword", g_variant_new("(o@(oayays))", collection, secret), nullptr);
        unlocked = reply != nullptr;
        if (reply)
            g_variant_unref(reply);
        if (GVariant *closed = callSecrets(session, "org.freedesktop.Secret.Session", "Close", nullptr, nullptr))
            g_variant_unref(closed);
    }
    if (opened)
        g_variant_unref(opened);
    if (alias)
        g_variant_unref(alias);
    return unlocked;
}

class KeychainKeyringTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        KeychainBackend::setShared(nullptr);
        const QString test = QString::fromUtf8(::testing::UnitTest::GetInstance()->current_test_info()->name());
        account = QStringLiteral("quillvane-test-") + test;
        service = QStringLiteral("com.hollowpine.test.") + test;
        server = test.toLower() + QStringLiteral(".example.com");
    }

    void TearDown() override
    {
        if (locked)
            unlockWithPassword("test");
        auto backend = KeychainBackend::shared();
        backend->remove({{kSecClass, "genp"}, {kSecAttrAccount, account}});
        backend->remove({{kSecClass, "genp"}, {kSecAttrService, service}});
        backend->remove({{kSecClass, "inet"}, {kSecAttrServer, server}});
    }

    // What `secret-tool lookup service <service> account <account>` prints; null when it finds nothing.
    static QByteArray lookUp(const QString &service, const QString &account)
    {
        const ToolResult result = secretTool({"lookup", "service", service, "account", account});
        return result.exitCode == 0 ? result.output : QByteArray();
    }

    int storedCount(const QVariantMap &attributes)
    {
        QVariantMap query = attributes;
        query.insert(kSecMatchLimit, kSecMatchLimitAll);
        query.insert(kSecReturnAttributes, true);
        QVariant result;
        const OSStatus status = KeychainBackend::shared()->copyMatching(query, &result);
        EXPECT_TRUE(status == errSecSuccess || status == errSecItemNotFound) << status;
        return int(result.toList().size());
    }

    static QVariantMap queryOf(const Error &error) { return error.userInfo().value(KNVTKeychainItemQueryKey).toMap(); }

    QString account;
    QString service;
    QString server;
    bool locked = false;
};

} // namespace

TEST_F(KeychainKeyringTest, CreatedPasswordIsInTheKeyringUnderTheSchemaUntilRemoved)
{
    Error error;
    const auto created =
        KNVTGenericKeychainItem::genericKeychainItemWithService("Hollowpine", account, {}, "pässword", &error);
    ASSERT_TRUE(created) << error.description().toStdString();
    EXPECT_EQ(created->password(), "pässword");
    EXPECT_EQ(created->account(), account);
    EXPECT_EQ((*created)[kSecAttrService], "Hollowpine");

    EXPECT_EQ(lookUp("Hollowpine", account), QByteArray("p\xc3\xa4ssword"));
    const ToolResult bySchema = secretTool(
        {"lookup", "xdg:schema", "com.hollowpine.GenericPassword", "service", "Hollowpine", "account", account});
    EXPECT_EQ(bySchema.exitCode, 0);

    const auto found = KNVTGenericKeychainItem::genericKeychainItemForService("Hollowpine", account, {}, &error);
    ASSERT_TRUE(found) << error.description().toStdString();
    EXPECT_EQ(found->password(), "pässword");
    EXPECT_EQ(found->service(), "Hollowpine");

    EXPECT_TRUE(found->removeFromKeychain(&error)) << error.description().toStdString();
    EXPECT_TRUE(lookUp("Hollowpine", account).isNull());
    EXPECT_FALSE(found->removeFromKeychain(&error));
    EXPECT_EQ(error.code(), errSecItemNotFound);
    EXPECT_EQ(error.domain(), "NSOSStatusErrorDomain");
}

TEST_F(KeychainKeyringTest, DuplicateCreateKeepsTheStoredPasswordAndTheErrorCarriesNoSecret)
{
    ASSERT_TRUE(KNVTGenericKeychainItem::genericKeychainItemWithService("Hollowpine", account, {}, "old-password"));

    Error error;
    EXPECT_FALSE(
        KNVTGenericKeychainItem::genericKeychainItemWithService("Hollowpine", account, {}, "new-password", &error));
    EXPECT_EQ(error.code(), errSecDuplicateItem);
    const QVariantMap query = queryOf(error);
    EXPECT_EQ(query.value(kSecAttrService), "Hollowpine");
    EXPECT_EQ(query.value(kSecAttrAccount), account);
    EXPECT_FALSE(query.contains(kSecValueData));
    EXPECT_FALSE(error.description().contains("new-password"));

    EXPECT_EQ(lookUp("Hollowpine", account), "old-password");
    EXPECT_EQ(storedCount({{kSecClass, "genp"}, {kSecAttrService, "Hollowpine"}, {kSecAttrAccount, account}}), 1);

    // The account forms' replace: find, remove, create.
    const auto old = KNVTGenericKeychainItem::genericKeychainItemForService("Hollowpine", account, {});
    ASSERT_TRUE(old);
    ASSERT_TRUE(old->removeFromKeychain());
    const auto replaced =
        KNVTGenericKeychainItem::genericKeychainItemWithService("Hollowpine", account, {}, "new-password", &error);
    ASSERT_TRUE(replaced) << error.description().toStdString();
    EXPECT_EQ(lookUp("Hollowpine", account), "new-password");
}

TEST_F(KeychainKeyringTest, MissingItemIsNotFoundWithTheQueryInTheError)
{
    Error error;
    EXPECT_FALSE(KNVTGenericKeychainItem::genericKeychainItemForService("Hollowpine", account, {}, &error));
    EXPECT_EQ(error.code(), errSecItemNotFound) << "a running, unlocked Secret Service was expected";
    EXPECT_EQ(queryOf(error).value(kSecAttrAccount), account);
    EXPECT_EQ(queryOf(error).value(kSecReturnData), true);
}

TEST_F(KeychainKeyringTest, RemoveWithAnEmptyAccountDeletesNothing)
{
    ASSERT_TRUE(KNVTGenericKeychainItem::genericKeychainItemWithService("Hollowpine", account, {}, "a"));
    ASSERT_TRUE(KNVTGenericKeychainItem::genericKeychainItemWithService(service, account, {}, "b"));
    const int before = storedCount({{kSecClass, "genp"}, {kSecAttrService, "Hollowpine"}});
    ASSERT_GE(before, 1);

    Error error;
    EXPECT_FALSE(KNVTGenericKeychainItem("Hollowpine", "", {}, "").removeFromKeychain(&error));
    EXPECT_EQ(error.code(), errSecParam);
    EXPECT_FALSE(KNVTGenericKeychainItem("", account, {}, "").removeFromKeychain(&error));
    EXPECT_EQ(error.code(), errSecParam);

    EXPECT_EQ(storedCount({{kSecClass, "genp"}, {kSecAttrService, "Hollowpine"}}), before);
    EXPECT_EQ(lookUp("Hollowpine", account), "a");
    EXPECT_EQ(lookUp(service, account), "b");
}

TEST_F(KeychainKeyringTest, EmptyAccountFindsAnyAccountAndFindAllListsThemAll)
{
    ASSERT_TRUE(KNVTGenericKeychainItem::genericKeychainItemWithService(service, "ann", {}, "a"));
    ASSERT_TRUE(KNVTGenericKeychainItem::genericKeychainItemWithService(service, "bob", {}, "b"));

    const auto any = KNVTGenericKeychainItem::genericKeychainItemForService(service, "", {});
    ASSERT_TRUE(any);
    EXPECT_TRUE(any->account() == "ann" || any->account() == "bob") << any->account().toStdString();
    EXPECT_EQ(any->password(), any->account() == "ann" ? "a" : "b");

    Error error;
    auto items = KNVTGenericKeychainItem::genericKeychainItemsForService(service, {}, &error);
    ASSERT_EQ(items.size(), 2) << error.description().toStdString();
    std::sort(items.begin(), items.end(), [](const auto &a, const auto &b) { return a->account() < b->account(); });
    EXPECT_EQ(items[0]->account(), "ann");
    EXPECT_EQ(items[0]->password(), "a");
    EXPECT_EQ(items[1]->account(), "bob");
    EXPECT_EQ(items[1]->password(), "b");
}

TEST_F(KeychainKeyringTest, BaseItemRemovesTheAccountUnderEveryService)
{
    ASSERT_TRUE(KNVTGenericKeychainItem::genericKeychainItemWithService("Hollowpine", account, {}, "a"));
    ASSERT_TRUE(KNVTGenericKeychainItem::genericKeychainItemWithService(service, account, {}, "b"));
    ASSERT_TRUE(KNVTGenericKeychainItem::genericKeychainItemWithService(service, "other", {}, "c"));

    EXPECT_TRUE(KNVTKeychainItem(account, {}, "").removeFromKeychain());
    EXPECT_TRUE(lookUp("Hollowpine", account).isNull());
    EXPECT_TRUE(lookUp(service, account).isNull());
    EXPECT_EQ(lookUp(service, "other"), "c");
}

TEST_F(KeychainKeyringTest, ItemStoredByAnotherToolIsReadAndUndecodableBytesGiveNoPassword)
{
    const ToolResult stored =
        secretTool({"store", "--label=stored elsewhere", "xdg:schema", "com.hollowpine.GenericPassword", "service",
                    "Hollowpine", "account", account},
                   QByteArray("caf\xe9"));
    ASSERT_EQ(stored.exitCode, 0);

    Error error;
    const auto item = KNVTGenericKeychainItem::genericKeychainItemForService("Hollowpine", account, {}, &error);
    ASSERT_TRUE(item) << error.description().toStdString();
    EXPECT_TRUE(item->password().isNull());
    EXPECT_EQ((*item)[kSecValueData].toByteArray(), QByteArray("caf\xe9"));
    EXPECT_EQ((*item)[kSecAttrLabel], "stored elsewhere");
}

TEST_F(KeychainKeyringTest, ExtraAttributesAndTheLabelAreStoredAndSearched)
{
    const QVariantMap extra{{kSecAttrLabel, "Quillvane sync"}, {"gena", "note"}};
    Error error;
    const auto item = KNVTGenericKeychainItem::genericKeychainItemWithService(service, account, extra, "a", &error);
    ASSERT_TRUE(item) << error.description().toStdString();
    EXPECT_EQ((*item)["gena"], "note");
    EXPECT_EQ((*item)[kSecAttrLabel], "Quillvane sync");
    ASSERT_TRUE(KNVTGenericKeychainItem::genericKeychainItemWithService(service, "other", {}, "b"));

    const ToolResult search = secretTool({"search", "service", service, "gena", "note"});
    EXPECT_TRUE(search.output.contains("label = Quillvane sync")) << search.output.toStdString();

    const auto noted = KNVTGenericKeychainItem::genericKeychainItemsForService(service, {{"gena", "note"}}, &error);
    ASSERT_EQ(noted.size(), 1) << error.description().toStdString();
    EXPECT_EQ(noted[0]->account(), account);
    EXPECT_EQ(noted[0]->password(), "a");
    EXPECT_FALSE(
        KNVTGenericKeychainItem::genericKeychainItemForService(service, account, {{kSecAttrLabel, "Other"}}, &error));
    EXPECT_EQ(error.code(), errSecItemNotFound);

    // The extra attributes do not make a second item for the same service and account.
    EXPECT_FALSE(KNVTGenericKeychainItem::genericKeychainItemWithService(service, account, {}, "c", &error));
    EXPECT_EQ(error.code(), errSecDuplicateItem);
}

TEST_F(KeychainKeyringTest, InternetItemsAreStoredFoundAndRemoved)
{
    Error error;
    const auto item = KNVTInternetKeychainItem::internetKeychainItemWithServer(
        server, "Realm", account, "/api", 8443, kSecAttrProtocolHTTPS, kSecAttrAuthenticationTypeHTMLForm, {}, "pw",
        &error);
    ASSERT_TRUE(item) << error.description().toStdString();
    EXPECT_EQ(item->port(), 8443u);
    EXPECT_EQ(item->protocol(), "htps");
    EXPECT_EQ(item->authenticationType(), "form");
    EXPECT_EQ(item->securityDomain(), "Realm");
    EXPECT_EQ(item->path(), "/api");

    const ToolResult looked = secretTool({"lookup", "xdg:schema", "com.hollowpine.InternetPassword", "server", server,
                                          "account", account, "port", "8443"});
    EXPECT_EQ(looked.exitCode, 0);
    EXPECT_EQ(looked.output, "pw");

    ASSERT_TRUE(KNVTInternetKeychainItem::internetKeychainItemWithServer(
        server, "", "bob", "", 0, kSecAttrProtocolHTTPS, kSecAttrAuthenticationTypeDefault, {}, "b"));
    const auto all = KNVTInternetKeychainItem::internetKeychainItemsForServer(server, "", "", 0, "", "", {}, &error);
    EXPECT_EQ(all.size(), 2) << error.description().toStdString();

    EXPECT_FALSE(KNVTInternetKeychainItem::internetKeychainItemWithServer(
        server, "Realm", account, "/api", 8443, kSecAttrProtocolHTTPS, kSecAttrAuthenticationTypeHTMLForm, {}, "x",
        &error));
    EXPECT_EQ(error.code(), errSecDuplicateItem);

    EXPECT_TRUE(item->removeFromKeychain(&error)) << error.description().toStdString();
    const auto left =
        KNVTInternetKeychainItem::internetKeychainItemForServer(server, "", "", "", 0, "", "", {}, &error);
    ASSERT_TRUE(left);
    EXPECT_EQ(left->account(), "bob");
    EXPECT_EQ(left->port(), 0u);
}

TEST_F(KeychainKeyringTest, ApplicationUUIDIsStoredOnceUnderTheApplicationIdentifier)
{
    const QString uuidService = QStringLiteral("com.hollowpine.opensource.keychain.uuid.application");
    KeychainBackend::shared()->remove(
        {{kSecClass, "genp"}, {kSecAttrService, uuidService}, {kSecAttrAccount, KNVT_APP_ID}});

    const QString uuid = KNVTApplicationUUIDKeychainItem::applicationUUID();
    EXPECT_EQ(uuid.size(), 36);
    EXPECT_EQ(KNVTApplicationUUIDKeychainItem::applicationUUID(), uuid);
    EXPECT_EQ(lookUp(uuidService, KNVT_APP_ID), uuid.toUtf8());

    KeychainBackend::shared()->remove(
        {{kSecClass, "genp"}, {kSecAttrService, uuidService}, {kSecAttrAccount, KNVT_APP_ID}});
}

TEST_F(KeychainKeyringTest, LockedKeyringRefusesSecretsWithoutPrompting)
{
    const auto item = KNVTGenericKeychainItem::genericKeychainItemWithService("Hollowpine", account, {}, "a");
    ASSERT_TRUE(item);

    locked = true;
    KNVTKeychainItem::lockKeychain();
    Error error;
    EXPECT_FALSE(KNVTGenericKeychainItem::genericKeychainItemForService("Hollowpine", account, {}, &error));
    EXPECT_EQ(error.code(), errSecInteractionNotAllowed);
    EXPECT_FALSE(
        KNVTGenericKeychainItem::genericKeychainItemWithService("Hollowpine", account + "-2", {}, "b", &error));
    EXPECT_EQ(error.code(), errSecInteractionNotAllowed);
    EXPECT_FALSE(item->removeFromKeychain(&error));
    EXPECT_EQ(error.code(), errSecInteractionNotAllowed);

    ASSERT_TRUE(unlockWithPassword("test"));
    locked = false;
    // Unlocking an unlocked keyring asks nothing of the user.
    EXPECT_EQ(KeychainBackend::shared()->unlock(), errSecSuccess);
    KNVTKeychainItem::unlockKeychain();
    const auto found = KNVTGenericKeychainItem::genericKeychainItemForService("Hollowpine", account, {}, &error);
    ASSERT_TRUE(found) << error.description().toStdString();
    EXPECT_EQ(found->password(), "a");
}
