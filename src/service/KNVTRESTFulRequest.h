#pragma once

#include "service/KNVTRESTFulRequestAction.h"
#include "service/KNVTRequest.h"

#include <QStringList>
#include <QVariant>
#include <QVariantList>

// A request addressed the Rails way: a domain (the base URL), one resource name or several nested ones, their
// identifiers, a format extension and an action that gives the URL suffix and the method.
//
// Identifiers are QVariants: numbers are written in decimal, strings as they are; an invalid or null QVariant is no
// identifier. Every request carries the "Content-Type" of its format, replacing any the caller gave.
class KNVTRESTFulRequest : public KNVTRequest
{
public:
    // {domain}/{resource}{action suffix}[.{extension}]. `resources` = [resource]; `identifiers` = [identifier], or
    // empty without one.
    KNVTRESTFulRequest(const QString &domain, const QString &resource, const QVariant &identifier,
                       KNVTRequestFormat requestFormat, KNVTRESTFulRequestAction requestAction,
                       const knvt::QueryParameters &parameters, const QByteArray &bodyData,
                       const knvt::HeaderFields &HTTPHeaderFields);
    // {domain}, then for each resource "/{resource}" and the action's suffix with the identifier at the same
    // position, then [.{extension}]. A resource without an identifier at its position has none (index pulls pass
    // no identifiers at all). `resource` and `identifier` stay none.
    KNVTRESTFulRequest(const QString &domain, const QStringList &resources, const QVariantList &identifiers,
                       KNVTRequestFormat requestFormat, KNVTRESTFulRequestAction requestAction,
                       const knvt::QueryParameters &parameters, const QByteArray &bodyData,
                       const knvt::HeaderFields &HTTPHeaderFields);
    // Rebuilt from an archive: the base fields only, no resource, identifiers or action (index).
    explicit KNVTRESTFulRequest(const Fields &fields);

    // POST for create, PUT for update, DELETE for destroy; GET for everything else.
    static KNVTRequestMethod requestMethodForRequestAction(KNVTRESTFulRequestAction requestAction);

    // A null QString for a nested request.
    const QString &resource() const { return m_resource; }
    // Invalid for a nested request and for a request without identifier.
    const QVariant &identifier() const { return m_identifier; }
    const QStringList &resources() const { return m_resources; }
    const QVariantList &identifiers() const { return m_identifiers; }
    KNVTRESTFulRequestAction requestAction() const { return m_requestAction; }

    // An identifier as it appears in a URL; "null" for none.
    static QString identifierText(const QVariant &identifier);
    static bool isNoIdentifier(const QVariant &identifier);

protected:
    // "<class> resource:<resource> identifier:<identifier>", or without the identifier part when there is none.
    QString describe(const char *className) const;

    const char *archiveClassName() const override;

private:
    QString m_resource;
    QVariant m_identifier;
    QStringList m_resources;
    QVariantList m_identifiers;
    KNVTRESTFulRequestAction m_requestAction = KNVTRESTFulRequestActionIndex;
};
