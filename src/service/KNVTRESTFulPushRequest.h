#pragma once

#include "service/KNVTRESTFulRequest.h"

#include <QJsonObject>

// A create (POST), update (PUT) or destroy (DELETE) of one entity, its attributes sent as the JSON body wrapped in
// the entity name: {"task":{...}}. Always json, never with parameters.
class KNVTRESTFulPushRequest : public KNVTRESTFulRequest
{
public:
    // Compact UTF-8 JSON of {entityName: attributes}; with an empty entity name the attributes alone when they have a
    // key, else a null QByteArray.
    static QByteArray JSONDataForEntityName(const QString &entityName, const QJsonObject &attributes);

    // By `requestAction`, which must be create, update or destroy:
    //   create: POST {domain}/{resource}.json with the body (a given identifier is dropped);
    //   update: PUT {domain}/{resource}/{identifier}.json with the body;
    //   destroy: DELETE {domain}/{resource}/{identifier}.json without body.
    // The body is JSONDataForEntityName() when the attributes have a key, else none. `requestFormat` has no effect.
    KNVTRESTFulPushRequest(const QString &domain, const QString &resource, const QVariant &identifier,
                           const QString &entityName, const QJsonObject &attributes, KNVTRequestFormat requestFormat,
                           KNVTRESTFulRequestAction requestAction, const knvt::HeaderFields &HTTPHeaderFields);
    // Chooses the action: an identifier whose integer value is not 0 gives update when the attributes have a key and
    // destroy otherwise; no identifier, or 0, gives create.
    KNVTRESTFulPushRequest(const QString &domain, const QString &resource, const QVariant &identifier,
                           const QString &entityName, const QJsonObject &attributes, KNVTRequestFormat requestFormat,
                           const knvt::HeaderFields &HTTPHeaderFields);
    explicit KNVTRESTFulPushRequest(const Fields &fields);

    // "KNVTRESTFulPushRequest resource:<resource> identifier:<identifier>" (without the identifier part when none).
    QString description() const;

protected:
    const char *archiveClassName() const override;

private:
    static KNVTRESTFulRequestAction requestActionForIdentifier(const QVariant &identifier,
                                                               const QJsonObject &attributes);
};
