#pragma once

#include "service/URLRequest.h"

#include "foundation/Error.h"
#include "foundation/JSONDocument.h"

#include <QByteArray>
#include <QJsonObject>
#include <QString>

#include <optional>

class KNVTTaskStore;

// The account forms' requests to the sync service and what they do with the answers. The forms send the requests
// themselves (KNVTAccountRequest); nothing here touches a widget.
namespace knvt {

// "X-Application-Identifier" and "X-Application-Version".
HeaderFields applicationHeaderFields();

// The check of a user name and password: GET of the account with its owner, the Basic credentials of the texts as
// typed, no body and no content type, and an idle time-out of a third of the default (20 s unless a test lowered
// it). The sign-in forms add the application headers, the re-authentication sheet sends the credentials alone.
URLRequest accountVerificationURLRequest(const QString &username, const QString &password, bool applicationHeaders);
// POST of a new account: {"account":{"owner": owner}}, application headers, no credentials.
URLRequest signUpURLRequest(const QJsonObject &owner);
// PUT of the signed-in user: {"user": user}, with the store's header fields.
URLRequest accountDetailsURLRequest(KNVTTaskStore &store, const QJsonObject &user);

// The "account" dictionary of a reply body when it can sign in: an account identifier and an owner with its
// identifier and user name. Nothing otherwise, and then nothing may be stored: the store could not be configured.
std::optional<JSONDocument> accountWithOwner(const QByteArray &body);

// Signs in with an account that accountWithOwner() gave: keeps the password under the owner's user name as the
// service wrote it (the name the store records and later signs its requests with), then configures the store's
// account. Answers the keychain's error when the password could only be kept in memory (see
// KNVTTaskStore::setAccountPassword); the sign-in stands all the same.
Error configureAccount(KNVTTaskStore &store, const JSONView &account, const QString &password);

// "The sync service address must use https: <address>" (plain http) or "... is not an https address: <address>"
// (anything else) while the address set for the sync service is refused, when no request can be sent; empty otherwise.
QString refusedServiceAddressMessage();

// "The password could not be stored in the keyring: <reason>." for a keychain error.
QString passwordNotStoredMessage(const Error &keychainError);

// The texts of a form's rejected request. A null text is never chosen.
struct RejectionTexts
{
    QString maintenance;     // a 503 whose body is no JSON dictionary
    QString generic;         // anything else
    QString usernameTaken;   // "%1": the user name
    QString usernameInvalid; // "%1": the user name
    QString emailTaken;      // "%1": the e-mail address
    QString emailInvalid;    // "%1": the e-mail address
};

// The message for a rejected create or update: the validation errors keyed by attribute decide, the user name's
// first, then the e-mail address's, each list walked in order up to the first message that names a known reason
// ("taken", or for e-mail also "associated", as written; then "invalid" in any case).
QString rejectionMessage(int status, const QByteArray &body, const QString &username, const QString &email,
                         const RejectionTexts &texts);

} // namespace knvt
