#include "accounts/AccountService.h"

#include "store/KNVTTaskStore.h"

#include "service/KNVTRESTFulRequest.h"
#include "service/KNVTRequest.h"

#include "foundation/KeychainBackend.h"

#include <QCoreApplication>
#include <QJsonArray>
#include <QJsonDocument>
#include <QUrl>

namespace knvt {

namespace {

// The verification gives up sooner than other requests: the user is waiting in front of the form.
constexpr double kVerificationTimeoutShare = 20.0 / 60.0;

// The first message of a validation list that names a reason of `reasons`, as the text for that reason.
QString messageForErrors(const JSONView &errors, const QStringList &takenWords, const QString &takenText,
                         const QString &invalidText, const QString &value)
{
    if (!errors.isArray())
        return QString();
    for (const JSONView &entry : errors) {
        const QString message = entry.toString();
        for (const QString &word : takenWords) {
            if (!takenText.isNull() && message.contains(word, Qt::CaseSensitive))
                return takenText.arg(value);
        }
        if (!invalidText.isNull() && message.toLower().contains(QLatin1String("invalid")))
            return invalidText.arg(value);
    }
    return QString();
}

} // namespace

HeaderFields applicationHeaderFields()
{
    return {{QStringLiteral("X-Application-Identifier"), QStringLiteral(KNVT_APP_ID)},
            {QStringLiteral("X-Application-Version"), QStringLiteral(KNVT_APP_BUILD)}};
}

URLRequest accountVerificationURLRequest(const QString &username, const QString &password, bool applicationHeaders)
{
    HeaderFields headers = applicationHeaders ? applicationHeaderFields() : HeaderFields();
    headers.insert(QStringLiteral("Authorization"),
                   KNVTRequest::basicAuthenticationAuthorizationHeaderFieldForUsername(username, password));
    KNVTRequest request(QUrl(KNVTSyncServiceAPIURLString() + QStringLiteral("/account.json")), KNVTRequestMethodGET,
                        {{QStringLiteral("include"), QStringLiteral("owner")}}, QByteArray(), headers);
    request.setTimeoutInterval(KNVTRequest::defaultTimeoutInterval() * kVerificationTimeoutShare);
    return request.signedURLRequest();
}

URLRequest signUpURLRequest(const QJsonObject &owner)
{
    const QJsonObject body{{QStringLiteral("account"), QJsonObject{{QStringLiteral("owner"), owner}}}};
    KNVTRESTFulRequest request(KNVTSyncServiceAPIURLString(), QStringLiteral("accounts"), QVariant(),
                               KNVTRequestFormatJSON, KNVTRESTFulRequestActionCreate,
                               {{QStringLiteral("include"), QStringLiteral("owner")}},
                               QJsonDocument(body).toJson(QJsonDocument::Compact), applicationHeaderFields());
    return request.signedURLRequest();
}

URLRequest accountDetailsURLRequest(KNVTTaskStore &store, const QJsonObject &user)
{
    const std::optional<qint64> identifier = store.userNumericIdentifier();
    const QJsonObject body{{QStringLiteral("user"), user}};
    KNVTRESTFulRequest request(KNVTSyncServiceAPIURLString(), QStringLiteral("users"),
                               identifier ? QVariant(*identifier) : QVariant(), KNVTRequestFormatJSON,
                               KNVTRESTFulRequestActionUpdate, {}, QJsonDocument(body).toJson(QJsonDocument::Compact),
                               store.HTTPHeaderFields());
    return request.signedURLRequest();
}

std::optional<JSONDocument> accountWithOwner(const QByteArray &body)
{
    const JSONDocument document = JSONDocument::fromJson(body);
    const JSONView account = document.value("account");
    if (!account.isObject() || !KNVTTaskStore::canConfigureWithAccountAttributes(account))
        return std::nullopt;
    return document.withRoot(account);
}

Error configureAccount(KNVTTaskStore &store, const JSONView &account, const QString &password)
{
    // Kept before the store is configured: configuring asks for the owner's picture with the store's credentials.
    const Error error = store.setAccountPassword(account.value("owner").value("username").toString(), password);
    store.configureWithAccountAttributes(account);
    return error;
}

QString refusedServiceAddressMessage()
{
    const QString refused = KNVTSyncServiceAPIURLRefusedString();
    if (refused.isEmpty())
        return QString();
    // Plain http to another machine is one letter away from right; anything else (ftp://, no scheme at all) is not a
    // web address of the service, and "must use https" would send the user looking for the wrong mistake.
    if (QUrl(refused).scheme().compare(QLatin1String("http"), Qt::CaseInsensitive) == 0)
        return QCoreApplication::translate("AccountService", "The sync service address must use https: %1")
            .arg(refused);
    return QCoreApplication::translate("AccountService", "The sync service address is not an https address: %1")
        .arg(refused);
}

QString passwordNotStoredMessage(const Error &keychainError)
{
    return QCoreApplication::translate("AccountService", "The password could not be stored in the keyring: %1.")
        .arg(KeychainBackend::statusDescription(knvt::OSStatus(keychainError.code())));
}

QString rejectionMessage(int status, const QByteArray &body, const QString &username, const QString &email,
                         const RejectionTexts &texts)
{
    const JSONDocument document = JSONDocument::fromJson(body);
    if (!document.root().isObject())
        return status == 503 ? texts.maintenance : texts.generic;
    const JSONView errors = document.root();
    QString message = messageForErrors(errors.value("username"), {QStringLiteral("taken")}, texts.usernameTaken,
                                       texts.usernameInvalid, username);
    if (message.isNull())
        message = messageForErrors(errors.value("email"), {QStringLiteral("taken"), QStringLiteral("associated")},
                                   texts.emailTaken, texts.emailInvalid, email);
    return message.isNull() ? texts.generic : message;
}

} // namespace knvt
