// The account's identity, its password, the header fields of every request to the sync service, configuration from
// the account JSON that sign-in and sign-up receive, and sign-out. Only programs that sign in or out reach this file,
// so a program that only reads the library loads no keyring code.
#include "store/KNVTTaskStore.h"
#include "store/KNVTTaskStoreSyncCoordinating.h"
#include "store/Logging.h"

#include "model/ContextAdditions.h"
#include "model/KNVTCDAccount.h"
#include "model/KNVTCDTaskStoreInformation.h"
#include "model/KNVTCDUser.h"

#include "service/KNVTRequest.h"

#include "objectstore/Where.h"

#include "foundation/Clock.h"
#include "foundation/KNVTGenericKeychainItem.h"

#include <QDir>

namespace {

const QString kKeychainService = QStringLiteral("Hollowpine");

// The service's JSON at the boundary: null and absent become an empty text, numbers and other values their text.
QString stringValue(const knvt::JSONView &value)
{
    if (value.isString())
        return value.toString();
    if (value.isNumber())
        return QString::number(value.toInteger());
    if (value.isBool())
        return value.toBool() ? QStringLiteral("true") : QStringLiteral("false");
    return QString();
}

// Identifiers arrive as numbers or numeric strings; anything else counts as missing.
std::optional<qint64> identifierValue(const knvt::JSONView &value)
{
    if (value.isNumber())
        return value.wholeNumber();
    if (value.isString()) {
        bool ok = false;
        const qint64 number = value.toString().trimmed().toLongLong(&ok);
        if (ok)
            return number;
    }
    return std::nullopt;
}

// The web site of the service: the interface's base without its "/api/v1". Empty while the service's address is
// refused, and so are the pages' addresses.
QString webSiteBaseString()
{
    QString base = KNVTSyncServiceAPIURLString();
    const QString apiPath = QStringLiteral("/api/v1");
    if (base.endsWith(apiPath))
        base.chop(apiPath.size());
    return base;
}

} // namespace

QString KNVTTaskStore::username()
{
    KNVTCDTaskStoreInformation *information = taskStoreInformation();
    return information ? information->username() : QString();
}

std::optional<qint64> KNVTTaskStore::userNumericIdentifier()
{
    KNVTCDTaskStoreInformation *information = taskStoreInformation();
    return information ? information->userNumericIdentifier() : std::nullopt;
}

std::optional<qint64> KNVTTaskStore::accountNumericIdentifier()
{
    KNVTCDTaskStoreInformation *information = taskStoreInformation();
    return information ? information->accountNumericIdentifier() : std::nullopt;
}

KNVTCDAccount *KNVTTaskStore::account()
{
    const std::optional<qint64> identifier = accountNumericIdentifier();
    ostore::Context *context = managedObjectContext();
    if (!identifier || !context)
        return nullptr;
    return context->firstObject<KNVTCDAccount>(ostore::where::key(QStringLiteral("numericIdentifier")) == *identifier);
}

QUrl KNVTTaskStore::accountURL()
{
    const std::optional<qint64> identifier = accountNumericIdentifier();
    if (webSiteBaseString().isEmpty())
        return QUrl();
    return QUrl(QStringLiteral("%1/accounts/%2")
                    .arg(webSiteBaseString(), identifier ? QString::number(*identifier) : QStringLiteral("null")));
}

QUrl KNVTTaskStore::forgottenPasswordURL()
{
    if (webSiteBaseString().isEmpty())
        return QUrl();
    return QUrl(QStringLiteral("%1/forgotten_password").arg(webSiteBaseString()));
}

QUrl KNVTTaskStore::termsAndConditionsURL()
{
    if (webSiteBaseString().isEmpty())
        return QUrl();
    return QUrl(QStringLiteral("%1/terms_and_conditions").arg(webSiteBaseString()));
}

bool KNVTTaskStore::isConfigured()
{
    const std::optional<qint64> user = userNumericIdentifier();
    const std::optional<qint64> account = accountNumericIdentifier();
    return !username().isEmpty() && user && *user >= 1 && account && *account != 0;
}

// Beside isConfigured: a process that only reads the library (a count, a search) links the store's metadata without
// the account's requests, keychain and transport.
knvt::SyncAccountState KNVTTaskStore::syncAccountState()
{
    using knvt::SyncAccountState;
    if (!isConfigured())
        return SyncAccountState::NotSignedIn;
    if (isSyncPausedForPassword())
        return SyncAccountState::Paused;
    if (!isAutoSyncEnabled())
        return m_newerVersionNeeded ? SyncAccountState::NewerVersionNeeded : SyncAccountState::SwitchedOff;
    return isAuthenticated() ? SyncAccountState::On : SyncAccountState::PasswordRefused;
}

QString KNVTTaskStore::accountAuthorizationHeaderField()
{
    const std::optional<QString> password = accountPassword(nullptr);
    if (!password)
        return QString();
    return KNVTRequest::basicAuthenticationAuthorizationHeaderFieldForUsername(username(), *password);
}

std::optional<QString> KNVTTaskStore::accountPassword(knvt::Error *error)
{
    const QString name = username();
    if (name.isEmpty())
        return std::nullopt;
    if (!m_memoryPasswordUsername.isEmpty() && m_memoryPasswordUsername == name)
        return m_memoryPassword;
    knvt::Error lookupError;
    const auto item = KNVTGenericKeychainItem::genericKeychainItemForService(kKeychainService, name, {}, &lookupError);
    if (!item || lookupError) {
        knvt::Error::report(error, lookupError);
        return std::nullopt;
    }
    return item->password();
}

knvt::Error KNVTTaskStore::accountPasswordLookupError()
{
    knvt::Error error;
    if (!accountPassword(&error) && !error && !username().isEmpty())
        error = knvt::Error(QString::fromLatin1(knvt::NSOSStatusErrorDomain), knvt::errSecItemNotFound);
    return error;
}

knvt::Error KNVTTaskStore::setAccountPassword(const QString &username, const QString &password)
{
    knvt::Error error;
    if (username.isEmpty()) {
        // An empty account would match every item of the service.
        error = knvt::Error(QString::fromLatin1(knvt::NSOSStatusErrorDomain), knvt::errSecParam);
    } else {
        // The old item goes first: the keychain refuses to add a second one for the same account. A keychain that
        // cannot even be read (locked, say) says so here; the add would only find the old item in the way.
        knvt::Error lookupError;
        if (const auto item =
                KNVTGenericKeychainItem::genericKeychainItemForService(kKeychainService, username, {}, &lookupError))
            item->removeFromKeychain(&error);
        else if (lookupError.code() != knvt::errSecItemNotFound)
            error = lookupError;
        if (!error)
            KNVTGenericKeychainItem::genericKeychainItemWithService(kKeychainService, username, {}, password, &error);
    }
    if (error) {
        qCWarning(lcStore).noquote() << QStringLiteral(
                                            "KNVTTaskStore:setAccountPassword the keychain refused the password (%1); "
                                            "it is kept in memory until the program quits")
                                            .arg(error.code());
        m_memoryPasswordUsername = username;
        m_memoryPassword = password;
    } else {
        m_memoryPasswordUsername.clear();
        m_memoryPassword.clear();
    }
    m_accountPasswordKeychainError = error;
    return error;
}

knvt::HeaderFields KNVTTaskStore::HTTPHeaderFields()
{
    knvt::HeaderFields fields;
    const QString authorization = accountAuthorizationHeaderField();
    if (!authorization.isEmpty())
        fields.insert(QStringLiteral("Authorization"), authorization);
    fields.insert(QStringLiteral("X-Application-Identifier"), QStringLiteral(KNVT_APP_ID));
    fields.insert(QStringLiteral("X-Application-Version"), QStringLiteral(KNVT_APP_BUILD));
    return fields;
}

knvt::HeaderFields KNVTTaskStore::HTTPHeaderFieldsIncludingETagForResource(const QString &resource)
{
    knvt::HeaderFields fields = HTTPHeaderFields();
    const QString tag = ETagForResource(resource);
    if (!tag.isEmpty()) {
        fields.insert(QStringLiteral("ETag"), tag);
        fields.insert(QStringLiteral("If-None-Match"), tag);
    }
    return fields;
}

void KNVTTaskStore::configureWithAccountAttributes(const knvt::JSONView &attributes)
{
    dropSyncCoordinator();
    // A sign-in is a fresh attempt: a library that failed to build earlier may build now, and may say so again.
    m_stackFailurePresented = false;
    ostore::Context *context = managedObjectContext();
    if (!context)
        return;

    const knvt::JSONView owner = attributes.value("owner");
    const std::optional<qint64> ownerIdentifier = identifierValue(owner.value("id"));
    const QDateTime now = knvt::Clock::shared().now();

    KNVTCDTaskStoreInformation *information = taskStoreInformation();
    if (!information)
        information = context->insert<KNVTCDTaskStoreInformation>();
    information->setUsername(stringValue(owner.value("username")));
    information->setUserNumericIdentifier(ownerIdentifier);
    information->setAccountNumericIdentifier(identifierValue(attributes.value("id")));
    information->setEnvironmentType(environmentType());
    information->setCreatedDate(now);
    information->setModifiedDate(now);

    KNVTCDUser *user = userForNumericIdentifier(ownerIdentifier);
    if (!user)
        user = me();
    if (!user)
        user = context->insert<KNVTCDUser>();
    user->setNumericIdentifier(ownerIdentifier);
    user->setUsername(stringValue(owner.value("username")));
    user->setEmailAddress(stringValue(owner.value("email")));
    user->setFirstName(stringValue(owner.value("first_name")));
    user->setLastName(stringValue(owner.value("last_name")));
    user->setIsoCountryCode(stringValue(owner.value("country_code")));
    user->setFriendshipStatus(6);

    auto *account = context->insert<KNVTCDAccount>();
    account->updateWithAttributes(attributes);
    account->setOwner(user);

    save();
    syncAvatarForUser(user);
    createSyncCoordinator();
    postNotification(KNVTTaskStoreDidConfigureAccountNotification);
}

bool KNVTTaskStore::canConfigureWithAccountAttributes(const knvt::JSONView &attributes)
{
    const knvt::JSONView owner = attributes.value("owner");
    if (!owner.isObject())
        return false;
    const std::optional<qint64> account = identifierValue(attributes.value("id"));
    const std::optional<qint64> user = identifierValue(owner.value("id"));
    const knvt::JSONView username = owner.value("username");
    return account && *account != 0 && user && *user >= 1 && username.isString() && !username.toString().isEmpty();
}

void KNVTTaskStore::updateWithUserAttributes(const knvt::JSONView &attributes)
{
    KNVTCDUser *user = me();
    if (!user)
        return;
    if (attributes.contains("first_name"))
        user->setFirstName(stringValue(attributes.value("first_name")));
    if (attributes.contains("last_name"))
        user->setLastName(stringValue(attributes.value("last_name")));
    if (attributes.contains("email"))
        user->setEmailAddress(stringValue(attributes.value("email")));
    if (attributes.contains("country_code"))
        user->setIsoCountryCode(stringValue(attributes.value("country_code")));
}

// ---- Sign-out ----

void KNVTTaskStore::unconfigureAccount()
{
    // The alert the user confirmed says everything goes: the password too, or it would sign the next person in.
    if (const QString name = username(); !name.isEmpty()) {
        knvt::Error error;
        if (!KNVTGenericKeychainItem(kKeychainService, name, {}, QString()).removeFromKeychain(&error)
            && error.code() != knvt::errSecItemNotFound) {
            qCWarning(lcStore) << "KNVTTaskStore:unconfigureAccount couldn't remove the password from the keychain:"
                               << error.code();
        }
    }
    m_memoryPasswordUsername.clear();
    m_memoryPassword.clear();
    m_accountPasswordKeychainError = knvt::Error();
    m_newerVersionNeeded = false;

    if (isAutoSyncEnabled())
        setAutoSyncEnabled(false);
    if (m_syncCoordinator)
        m_syncCoordinator->cancelSyncSessions();
    dropSyncCoordinator();
    dropStack();
    m_taskStoreMetaData.clear();
    m_hasTaskStoreMetaData = false;
    invalidateSystemInformationTimer();

    // The folder the stack opens, every time: removing only libraryURL would leave the library in place after a
    // second sign-out in the same process, since libraryURL is empty by then.
    QDir library(m_libraryPath);
    if (!m_libraryPath.isEmpty() && library.exists() && !library.removeRecursively())
        qCWarning(lcStore).noquote() << QStringLiteral("The library at %1 could not be removed").arg(m_libraryPath);
    m_libraryURL.clear();
    m_stackFailurePresented = false;

    postNotification(KNVTTaskStoreDidUnconfigureAccountNotification);
    // The next library needs its midnight refresh as much as this one did.
    instantiateSystemInformationTimer();
}
