#pragma once

#include "foundation/Error.h"
#include "service/HttpResponse.h"
#include "service/URLRequest.h"

#include <QByteArray>
#include <QObject>

#include <atomic>
#include <functional>
#include <memory>
#include <optional>

// The one request an account form has in flight: sent on a worker of the request pool, answered on the main thread.
// Made as a child of its form, so it goes when the form goes and a late answer never reaches a deleted form.
//
// Only the answer of the request started last, and not cancelled since, reaches the handler: cancel() and a new
// start() make every earlier answer change nothing. Cancelling also stops the transfer itself.
class KNVTAccountRequest : public QObject
{
    Q_OBJECT

public:
    // The reply (none without one), its body, and the transport error (null when a reply arrived, whatever its
    // status).
    using Handler = std::function<void(const std::optional<knvt::HttpResponse> &response, const QByteArray &body,
                                       const knvt::Error &error)>;

    KNVTAccountRequest(QObject *form, Handler handler);
    ~KNVTAccountRequest() override;

    // Cancels a running request first.
    void start(knvt::URLRequest request);
    void cancel();
    bool isRunning() const { return m_running; }

private:
    struct Relay;

    void finish(quint64 generation, const std::optional<knvt::HttpResponse> &response, const QByteArray &body,
                const knvt::Error &error);

    Handler m_handler;
    std::shared_ptr<Relay> m_relay;
    std::shared_ptr<std::atomic<bool>> m_cancelFlag;
    quint64 m_generation = 0;
    bool m_running = false;
};
