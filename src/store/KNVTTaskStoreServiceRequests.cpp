// The store's own requests to the sync service (a friendship by user name, the account refresh, an avatar download)
// and the local friendship records with which the user invites, accepts or declines a person.
#include "store/KNVTTaskStore.h"

#include "model/KNVTCDAccount.h"
#include "model/KNVTCDAvatar.h"
#include "model/KNVTCDFriendship.h"
#include "model/KNVTCDUser.h"

#include "service/KNVTRESTFulPullRequest.h"
#include "service/KNVTRESTFulRequest.h"
#include "service/ServiceRefusal.h"

#include "foundation/Clock.h"

#include "foundation/JSONDocument.h"

#include <QImage>
#include <QJsonDocument>
#include <QJsonObject>
#include <QMetaObject>
#include <QPointer>

namespace {

void callHandler(const KNVTTaskStore::RequestCompletionHandler &handler, bool success,
                 const knvt::Error &requestError = {}, const knvt::Error &error = {})
{
    if (handler)
        handler(success, requestError, error);
}

} // namespace

QString KNVTTaskStore::libraryGeneration() const
{
    return m_coordinator ? m_coordinator->storeUUID() : QString();
}

void KNVTTaskStore::performServiceRequest(const std::shared_ptr<KNVTRequest> &request, ServiceReplyHandler replyHandler)
{
    // Sign-out replaces the library; a reply to a request made for the old one must not land in the new one.
    persistentStoreCoordinator();
    const QString generation = libraryGeneration();
    QPointer<KNVTTaskStore> store(this);
    request->performRequestWithCompletionHandler([store, generation, replyHandler = std::move(replyHandler)](
                                                     const std::optional<knvt::HttpResponse> &, const QByteArray &data,
                                                     const knvt::Error &requestError, const knvt::Error &error) {
        // Queued to the store's thread; dropped when the store is gone by then.
        QMetaObject::invokeMethod(
            store.data(),
            [store, generation, replyHandler, data, requestError, error] {
                if (!store)
                    return;
                const bool current = !generation.isEmpty() && store->libraryGeneration() == generation;
                replyHandler(current, data, requestError, error);
            },
            Qt::QueuedConnection);
    });
}

// ---- A friendship by user name --------------------------------------------------------------------------------------

void KNVTTaskStore::createFriendshipWithUsername(const QString &username, RequestCompletionHandler completionHandler)
{
    const QJsonObject body{{QStringLiteral("friendship"), QJsonObject{{QStringLiteral("invitee_username"), username}}}};
    auto request = std::make_shared<KNVTRESTFulRequest>(
        KNVTSyncServiceAPIURLString(), QStringLiteral("friendships"), QVariant(), KNVTRequestFormatJSON,
        KNVTRESTFulRequestActionCreate, knvt::QueryParameters{{QStringLiteral("include"), QStringLiteral("invitee")}},
        QJsonDocument(body).toJson(QJsonDocument::Compact), HTTPHeaderFields());
    performServiceRequest(
        request,
        [this, completionHandler](bool current, const QByteArray &data, const knvt::Error &requestError,
                                  const knvt::Error &error) {
            if (!current) {
                callHandler(completionHandler, false, {}, syncCancelledError());
                return;
            }
            if (requestError || error) {
                if (knvt::serviceRefusal(requestError) == knvt::ServiceRefusal::Credentials && taskStoreDelegate())
                    taskStoreDelegate()->taskStoreDidFailToAuthenticate(this);
                callHandler(completionHandler, false, requestError, error);
                return;
            }
            const knvt::JSONDocument reply = knvt::JSONDocument::fromJson(data);
            const knvt::JSONView attributes = reply.value("friendship");
            ostore::Context *context = managedObjectContext();
            if (attributes.isObject() && context) {
                const auto identifier = [&attributes](const char *key) -> std::optional<qint64> {
                    const knvt::JSONView value = attributes.value(key);
                    return value.isNumber() ? std::optional<qint64>(value.toInteger()) : std::nullopt;
                };
                KNVTCDFriendship *friendship =
                    friendshipForInviterNumericIdentifier(identifier("inviter_id"), identifier("invitee_id"));
                if (!friendship)
                    friendship = context->insert<KNVTCDFriendship>();
                friendship->mergeAttributes(attributes);
                // The reply's, not the user's: a refusal waits beside whatever the user is doing by now.
                saveLater(knvt::Opener::Application);
            }
            callHandler(completionHandler, true);
        });
}

// ---- Local friendship records -----------------------------------------------------------------------------------------

KNVTCDFriendship *KNVTTaskStore::insertFriendshipFromMe(KNVTCDUser *user, qint64 status)
{
    ostore::Context *context = managedObjectContext();
    if (!user || !context)
        return nullptr;
    auto *friendship = context->insert<KNVTCDFriendship>();
    friendship->setStatus(status);
    friendship->setInvitee(user);
    // The inviter last: setting it makes the record recompute the person's relation to the local user once.
    friendship->setInviter(me());
    return friendship;
}

void KNVTTaskStore::createFriendshipInviteFromUser(KNVTCDUser *user)
{
    insertFriendshipFromMe(user, 1);
}

void KNVTTaskStore::acceptFriendshipInviteFromUser(KNVTCDUser *user)
{
    insertFriendshipFromMe(user, 2);
}

void KNVTTaskStore::declineFriendshipInviteFromUser(KNVTCDUser *user)
{
    if (insertFriendshipFromMe(user, 3))
        saveLater(knvt::Opener::User);
}

// ---- The account refresh ----------------------------------------------------------------------------------------------

void KNVTTaskStore::syncAccountWithCompletionHandler(RequestCompletionHandler completionHandler)
{
    auto request = std::make_shared<KNVTRESTFulPullRequest>(
        KNVTSyncServiceAPIURLString(), QStringLiteral("account"), QVariant(), KNVTRequestFormatJSON,
        knvt::QueryParameters{{QStringLiteral("include"), QStringLiteral("owner")}}, HTTPHeaderFields());
    performServiceRequest(request,
                          [this, completionHandler](bool current, const QByteArray &data,
                                                    const knvt::Error &requestError, const knvt::Error &error) {
                              if (!current) {
                                  callHandler(completionHandler, false, {}, syncCancelledError());
                                  return;
                              }
                              if (requestError || error) {
                                  // Without credentials any failure is the account's; with them, a lost connection is not.
                                  if (knvt::serviceRefusal(requestError) == knvt::ServiceRefusal::Credentials
                                      || accountAuthorizationHeaderField().isEmpty()) {
                                      if (taskStoreDelegate())
                                          taskStoreDelegate()->taskStoreDidFailToAuthenticate(this);
                                      setAuthenticationFailureDate(knvt::Clock::shared().now());
                                  }
                                  callHandler(completionHandler, false, requestError, error);
                                  return;
                              }
                              const knvt::JSONDocument reply = knvt::JSONDocument::fromJson(data);
                              const knvt::JSONView accountValue = reply.value("account");
                              if (accountValue.isObject()) {
                                  if (KNVTCDAccount *record = account()) {
                                      record->updateWithAttributes(accountValue);
                                      saveLater(knvt::Opener::Application);
                                  }
                              }
                              KNVTCDUser *user = me();
                              if (user && user->avatar() && user->avatar()->needsUpdating().value_or(false))
                                  syncAvatarForUser(user);
                              callHandler(completionHandler, true);
                          });
}

void KNVTTaskStore::refreshAccountAfterOpening(KNVTTaskStore &store)
{
    if (!store.isAutoSyncEnabled() && store.isAuthenticated() && !store.accountAuthorizationHeaderField().isEmpty())
        store.syncAccountWithCompletionHandler();
}

// ---- An avatar download -----------------------------------------------------------------------------------------------

void KNVTTaskStore::syncAvatarForUser(KNVTCDUser *user, RequestCompletionHandler completionHandler)
{
    const std::optional<qint64> identifier = user ? user->numericIdentifier() : std::nullopt;
    if (!identifier) {
        callHandler(completionHandler, false);
        return;
    }
    auto request = std::make_shared<KNVTRESTFulPullRequest>(
        KNVTSyncServiceAPIURLString(), QStringList{QStringLiteral("users"), QStringLiteral("avatar")},
        QVariantList{*identifier, QStringLiteral("medium")}, KNVTRequestFormatPNG, HTTPHeaderFields());
    performServiceRequest(
        request,
        [this, identifier, completionHandler](bool current, const QByteArray &data, const knvt::Error &requestError,
                                              const knvt::Error &error) {
            if (!current) {
                callHandler(completionHandler, false, {}, syncCancelledError());
                return;
            }
            if (requestError || error) {
                callHandler(completionHandler, false, requestError, error);
                return;
            }
            // A 200 may carry something else than a picture (a captive portal's page): storing it would replace the
            // picture and clear the mark, so it would not be fetched again until the service's avatar date changes.
            QImage image;
            if (!image.loadFromData(data)) {
                callHandler(
                    completionHandler, false, {},
                    knvt::Error(QString::fromLatin1(KNVTTaskStoreErrorDomain), KNVTTaskStoreUnreadableImageErrorCode,
                                {{QStringLiteral("NSLocalizedDescription"), tr("The picture could not be read.")}}));
                return;
            }
            if (KNVTCDUser *found = userForNumericIdentifier(identifier)) {
                if (KNVTCDAvatar *avatar = found->avatar()) {
                    avatar->setData(QByteArray());
                    avatar->setData(data);
                    avatar->setNeedsUpdating(false);
                }
            }
            if (ostore::Context *context = managedObjectContext())
                context->save();
            callHandler(completionHandler, true);
        });
}
