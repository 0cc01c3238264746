#pragma once

#include <QByteArray>
#include <QMap>
#include <QString>
#include <QUrl>

#include <atomic>
#include <memory>

namespace knvt {

// Header fields by name. Names are kept as written; lookups that must ignore case say so.
using HeaderFields = QMap<QString, QString>;

// One HTTP request ready to send: what KNVTRequest::signedURLRequest() builds and HttpTransport::perform() sends.
struct URLRequest
{
    QUrl url; // with the query
    QString method = QStringLiteral("GET");
    // Sent as the whole header set besides what the transport itself adds (Host, Accept, Content-Length).
    HeaderFields headerFields;
    QByteArray body; // null: no body
    // Idle time-out in milliseconds, already scaled: the longest stall while connecting or transferring.
    int timeoutMs = 60000;
    // Set from any thread to abandon the send: the transfer stops within a fraction of a second and ends as a
    // transport failure (CURLE_ABORTED_BY_CALLBACK). Null: the send cannot be cancelled.
    std::shared_ptr<std::atomic<bool>> cancelFlag;
};

} // namespace knvt
