#include "service/KNVTRESTFulRequest.h"

#include <QMetaType>

namespace {

QString actionSuffix(KNVTRESTFulRequestAction action, const QVariant &identifier)
{
    switch (action) {
    case KNVTRESTFulRequestActionShow:
    case KNVTRESTFulRequestActionUpdate:
    case KNVTRESTFulRequestActionDestroy: return u'/' + KNVTRESTFulRequest::identifierText(identifier);
    case KNVTRESTFulRequestActionNew: return QStringLiteral("/new");
    case KNVTRESTFulRequestActionEdit:
        return u'/' + KNVTRESTFulRequest::identifierText(identifier) + QStringLiteral("/edit");
    default: return QString();
    }
}

// The fields shared by both initialisers: the URL text is the domain, then each resource with its action suffix,
// then the format's extension.
KNVTRequest::Fields restFields(const QString &domain, const QStringList &resources, const QVariantList &identifiers,
                               KNVTRequestFormat requestFormat, KNVTRESTFulRequestAction requestAction,
                               const knvt::QueryParameters &parameters, const QByteArray &bodyData,
                               const knvt::HeaderFields &HTTPHeaderFields)
{
    QString URLText = domain;
    for (qsizetype i = 0; i < resources.size(); ++i)
        URLText += u'/' + resources.at(i) + actionSuffix(requestAction, identifiers.value(i));
    const QString extension = KNVTRequest::extensionForRequestFormat(requestFormat);
    if (requestFormat != KNVTRequestFormatNone && !extension.isEmpty())
        URLText += u'.' + extension;

    knvt::HeaderFields headerFields = HTTPHeaderFields;
    // A caller's own content type goes, whatever its spelling: the format decides it.
    for (auto it = headerFields.begin(); it != headerFields.end();) {
        if (it.key().compare(QLatin1String("Content-Type"), Qt::CaseInsensitive) == 0)
            it = headerFields.erase(it);
        else
            ++it;
    }
    const QString contentType = KNVTRequest::contentTypeHeaderFieldForRequestFormat(requestFormat);
    if (!contentType.isEmpty())
        headerFields.insert(QStringLiteral("Content-Type"), contentType);

    KNVTRequest::Fields fields;
    fields.URL = QUrl(URLText);
    fields.requestMethod = KNVTRESTFulRequest::requestMethodForRequestAction(requestAction);
    fields.requestFormat = requestFormat;
    fields.parameters = parameters;
    fields.bodyData = bodyData;
    fields.HTTPHeaderFields = headerFields;
    return fields;
}

} // namespace

KNVTRESTFulRequest::KNVTRESTFulRequest(const QString &domain, const QString &resource, const QVariant &identifier,
                                       KNVTRequestFormat requestFormat, KNVTRESTFulRequestAction requestAction,
                                       const knvt::QueryParameters &parameters, const QByteArray &bodyData,
                                       const knvt::HeaderFields &HTTPHeaderFields)
    : KNVTRequest(restFields(domain, {resource}, {identifier}, requestFormat, requestAction, parameters, bodyData,
                             HTTPHeaderFields)),
      m_resource(resource),
      m_identifier(isNoIdentifier(identifier) ? QVariant() : identifier),
      m_resources{resource},
      m_identifiers(isNoIdentifier(identifier) ? QVariantList() : QVariantList{identifier}),
      m_requestAction(requestAction)
{}

KNVTRESTFulRequest::KNVTRESTFulRequest(const QString &domain, const QStringList &resources,
                                       const QVariantList &identifiers, KNVTRequestFormat requestFormat,
                                       KNVTRESTFulRequestAction requestAction, const knvt::QueryParameters &parameters,
                                       const QByteArray &bodyData, const knvt::HeaderFields &HTTPHeaderFields)
    : KNVTRequest(restFields(domain, resources, identifiers, requestFormat, requestAction, parameters, bodyData,
                             HTTPHeaderFields)),
      m_resources(resources),
      m_identifiers(identifiers),
      m_requestAction(requestAction)
{}

KNVTRESTFulRequest::KNVTRESTFulRequest(const Fields &fields) : KNVTRequest(fields) {}

KNVTRequestMethod KNVTRESTFulRequest::requestMethodForRequestAction(KNVTRESTFulRequestAction requestAction)
{
    switch (requestAction) {
    case KNVTRESTFulRequestActionCreate: return KNVTRequestMethodPOST;
    case KNVTRESTFulRequestActionUpdate: return KNVTRequestMethodPUT;
    case KNVTRESTFulRequestActionDestroy: return KNVTRequestMethodDELETE;
    default: return KNVTRequestMethodGET;
    }
}

bool KNVTRESTFulRequest::isNoIdentifier(const QVariant &identifier)
{
    return !identifier.isValid() || identifier.isNull();
}

QString KNVTRESTFulRequest::identifierText(const QVariant &identifier)
{
    if (isNoIdentifier(identifier))
        return QStringLiteral("null");
    // A number read from JSON arrives as a double; an integral one is written without a fraction.
    const int type = identifier.typeId();
    if (type == QMetaType::Double || type == QMetaType::Float) {
        const double value = identifier.toDouble();
        if (value == double(qint64(value)))
            return QString::number(qint64(value));
        return QString::number(value, 'g', 17);
    }
    return identifier.toString();
}

QString KNVTRESTFulRequest::describe(const char *className) const
{
    const QString resource = m_resource.isNull() ? QStringLiteral("(null)") : m_resource;
    if (isNoIdentifier(m_identifier))
        return QStringLiteral("%1 resource:%2").arg(QLatin1String(className), resource);
    return QStringLiteral("%1 resource:%2 identifier:%3")
        .arg(QLatin1String(className), resource, identifierText(m_identifier));
}

const char *KNVTRESTFulRequest::archiveClassName() const
{
    return "KNVTRESTFulRequest";
}
