#pragma once

#include "service/URLRequest.h"

#include <QString>

#include <functional>

// Where request plans take their header fields at the moment they build a request: the task store's
// HTTPHeaderFields (authorisation and application identification) and the same plus the stored entity tag of one
// resource ("ETag" and "If-None-Match"). An empty function gives no fields.
struct KNVTTaskStoreSyncRequestHeaders
{
    std::function<knvt::HeaderFields()> HTTPHeaderFields;
    std::function<knvt::HeaderFields(const QString &resource)> HTTPHeaderFieldsIncludingETagForResource;

    knvt::HeaderFields plain() const { return HTTPHeaderFields ? HTTPHeaderFields() : knvt::HeaderFields(); }
    knvt::HeaderFields includingETagForResource(const QString &resource) const
    {
        return HTTPHeaderFieldsIncludingETagForResource ? HTTPHeaderFieldsIncludingETagForResource(resource) : plain();
    }
};
