#include "service/KNVTRESTFulPushRequest.h"

#include "foundation/Assert.h"

#include <QJsonDocument>

namespace {

KNVTRESTFulRequestAction checkedPushAction(KNVTRESTFulRequestAction action)
{
    // Anything else would be a GET carrying a body, which no caller means.
    KNVT_ASSERT(
        action == KNVTRESTFulRequestActionCreate || action == KNVTRESTFulRequestActionUpdate
            || action == KNVTRESTFulRequestActionDestroy,
        "KNVTRESTFulPushRequest",
        "initWithDomain:resource:identifier:entityName:attributes:requestFormat:requestAction:HTTPHeaderFields:");
    return action;
}

} // namespace

QByteArray KNVTRESTFulPushRequest::JSONDataForEntityName(const QString &entityName, const QJsonObject &attributes)
{
    if (!entityName.isEmpty())
        return QJsonDocument(QJsonObject{{entityName, attributes}}).toJson(QJsonDocument::Compact);
    if (attributes.isEmpty())
        return QByteArray();
    return QJsonDocument(attributes).toJson(QJsonDocument::Compact);
}

KNVTRESTFulPushRequest::KNVTRESTFulPushRequest(const QString &domain, const QString &resource,
                                               const QVariant &identifier, const QString &entityName,
                                               const QJsonObject &attributes, KNVTRequestFormat,
                                               KNVTRESTFulRequestAction requestAction,
                                               const knvt::HeaderFields &HTTPHeaderFields)
    : KNVTRESTFulRequest(domain, resource,
                         checkedPushAction(requestAction) == KNVTRESTFulRequestActionCreate ? QVariant() : identifier,
                         KNVTRequestFormatJSON, requestAction, knvt::QueryParameters(),
                         requestAction == KNVTRESTFulRequestActionDestroy || attributes.isEmpty()
                             ? QByteArray()
                             : JSONDataForEntityName(entityName, attributes),
                         HTTPHeaderFields)
{}

KNVTRESTFulPushRequest::KNVTRESTFulPushRequest(const QString &domain, const QString &resource,
                                               const QVariant &identifier, const QString &entityName,
                                               const QJsonObject &attributes, KNVTRequestFormat requestFormat,
                                               const knvt::HeaderFields &HTTPHeaderFields)
    : KNVTRESTFulPushRequest(domain, resource, identifier, entityName, attributes, requestFormat,
                             requestActionForIdentifier(identifier, attributes), HTTPHeaderFields)
{}

KNVTRESTFulPushRequest::KNVTRESTFulPushRequest(const Fields &fields) : KNVTRESTFulRequest(fields) {}

KNVTRESTFulRequestAction KNVTRESTFulPushRequest::requestActionForIdentifier(const QVariant &identifier,
                                                                            const QJsonObject &attributes)
{
    if (isNoIdentifier(identifier) || identifier.toLongLong() == 0)
        return KNVTRESTFulRequestActionCreate;
    return attributes.isEmpty() ? KNVTRESTFulRequestActionDestroy : KNVTRESTFulRequestActionUpdate;
}

QString KNVTRESTFulPushRequest::description() const
{
    return describe("KNVTRESTFulPushRequest");
}

const char *KNVTRESTFulPushRequest::archiveClassName() const
{
    return "KNVTRESTFulPushRequest";
}
