#pragma once

#include "foundation/JSONDocument.h"

#include <QJsonDocument>
#include <QJsonObject>

namespace knvt::test {

// An object as the service writes it, read back the way the client reads every reply: what the entities and the store
// fill from. The document lives as long as the returned value, so pass it on directly or keep it in a variable.
inline knvt::JSONDocument wire(const QJsonObject &object)
{
    return knvt::JSONDocument::fromJson(QJsonDocument(object).toJson(QJsonDocument::Compact));
}

inline knvt::JSONDocument wire(const knvt::JSONDocument &document)
{
    return document;
}

} // namespace knvt::test
