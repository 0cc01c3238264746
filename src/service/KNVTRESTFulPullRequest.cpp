#include "service/KNVTRESTFulPullRequest.h"

KNVTRESTFulPullRequest::KNVTRESTFulPullRequest(const QString &domain, const QString &resource,
                                               const QVariant &identifier, KNVTRequestFormat requestFormat,
                                               const knvt::HeaderFields &HTTPHeaderFields)
    : KNVTRESTFulPullRequest(domain, resource, identifier, requestFormat, knvt::QueryParameters(), HTTPHeaderFields)
{}

KNVTRESTFulPullRequest::KNVTRESTFulPullRequest(const QString &domain, const QString &resource,
                                               const QVariant &identifier, KNVTRequestFormat requestFormat,
                                               const knvt::QueryParameters &parameters,
                                               const knvt::HeaderFields &HTTPHeaderFields)
    : KNVTRESTFulRequest(domain, resource, identifier, requestFormat,
                         isNoIdentifier(identifier) ? KNVTRESTFulRequestActionIndex : KNVTRESTFulRequestActionShow,
                         parameters, QByteArray(), HTTPHeaderFields)
{}

KNVTRESTFulPullRequest::KNVTRESTFulPullRequest(const QString &domain, const QStringList &resources,
                                               const QVariantList &identifiers, KNVTRequestFormat requestFormat,
                                               const knvt::HeaderFields &HTTPHeaderFields)
    : KNVTRESTFulPullRequest(domain, resources, identifiers, requestFormat, knvt::QueryParameters(), HTTPHeaderFields)
{}

KNVTRESTFulPullRequest::KNVTRESTFulPullRequest(const QString &domain, const QStringList &resources,
                                               const QVariantList &identifiers, KNVTRequestFormat requestFormat,
                                               const knvt::QueryParameters &parameters,
                                               const knvt::HeaderFields &HTTPHeaderFields)
    : KNVTRESTFulRequest(domain, resources, identifiers, requestFormat,
                         identifiers.isEmpty() ? KNVTRESTFulRequestActionIndex : KNVTRESTFulRequestActionShow,
                         parameters, QByteArray(), HTTPHeaderFields)
{}

KNVTRESTFulPullRequest::KNVTRESTFulPullRequest(const Fields &fields) : KNVTRESTFulRequest(fields) {}

QString KNVTRESTFulPullRequest::description() const
{
    return describe("KNVTRESTFulPullRequest");
}

const char *KNVTRESTFulPullRequest::archiveClassName() const
{
    return "KNVTRESTFulPullRequest";
}
