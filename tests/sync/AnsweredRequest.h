#pragma once

#include "service/HttpTransport.h"

#include <QList>
#include <QPair>

// A request of the sync service whose reply the test gives, as if it had come over the network: the session's reply
// processing reads it as it reads any other.
template <class Request>
class AnsweredRequest : public Request
{
public:
    using Request::Request;

    void answer(int status, const QByteArray &body, QList<QPair<QString, QString>> headerFields = {})
    {
        knvt::HttpResult result;
        result.response = knvt::HttpResponse(this->URL(), status, std::move(headerFields));
        result.data = body;
        this->recordResult(result);
    }
};
