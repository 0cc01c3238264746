#pragma once

#include "service/KNVTRESTFulRequest.h"

// A GET of a collection (index) or of one item (show), without body.
class KNVTRESTFulPullRequest : public KNVTRESTFulRequest
{
public:
    // Show when an identifier is given, else index.
    KNVTRESTFulPullRequest(const QString &domain, const QString &resource, const QVariant &identifier,
                           KNVTRequestFormat requestFormat, const knvt::HeaderFields &HTTPHeaderFields);
    KNVTRESTFulPullRequest(const QString &domain, const QString &resource, const QVariant &identifier,
                           KNVTRequestFormat requestFormat, const knvt::QueryParameters &parameters,
                           const knvt::HeaderFields &HTTPHeaderFields);
    // Nested resources, such as "users"/"avatar" with identifiers 42 and "medium": show when `identifiers` is not
    // empty, else index.
    KNVTRESTFulPullRequest(const QString &domain, const QStringList &resources, const QVariantList &identifiers,
                           KNVTRequestFormat requestFormat, const knvt::HeaderFields &HTTPHeaderFields);
    KNVTRESTFulPullRequest(const QString &domain, const QStringList &resources, const QVariantList &identifiers,
                           KNVTRequestFormat requestFormat, const knvt::QueryParameters &parameters,
                           const knvt::HeaderFields &HTTPHeaderFields);
    explicit KNVTRESTFulPullRequest(const Fields &fields);

    // "KNVTRESTFulPullRequest resource:<resource> identifier:<identifier>" (without the identifier part when none).
    QString description() const;

protected:
    const char *archiveClassName() const override;
};
