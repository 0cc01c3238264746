#include "accounts/KNVTAccountRequest.h"

#include "service/HttpTransport.h"
#include "service/RequestPool.h"

#include <mutex>

// What the workers post the answer to. The request clears it when it goes, under the same lock the workers post
// under, so no answer is ever posted to a request that is being destroyed.
struct KNVTAccountRequest::Relay
{
    std::mutex mutex;
    KNVTAccountRequest *request = nullptr;
};

KNVTAccountRequest::KNVTAccountRequest(QObject *form, Handler handler)
    : QObject(form), m_handler(std::move(handler)), m_relay(std::make_shared<Relay>())
{
    m_relay->request = this;
}

KNVTAccountRequest::~KNVTAccountRequest()
{
    cancel();
    std::lock_guard lock(m_relay->mutex);
    m_relay->request = nullptr;
}

void KNVTAccountRequest::start(knvt::URLRequest request)
{
    cancel();
    m_running = true;
    const quint64 generation = ++m_generation;
    m_cancelFlag = std::make_shared<std::atomic<bool>>(false);
    request.cancelFlag = m_cancelFlag;
    knvt::RequestPool::start([relay = m_relay, request = std::move(request), generation] {
        const knvt::HttpResult result = knvt::HttpTransport::perform(request);
        std::lock_guard lock(relay->mutex);
        if (relay->request == nullptr)
            return;
        QMetaObject::invokeMethod(
            relay->request,
            [relay, generation, result] {
                if (relay->request)
                    relay->request->finish(generation, result.response, result.data, result.error);
            },
            Qt::QueuedConnection);
    });
}

void KNVTAccountRequest::cancel()
{
    if (m_cancelFlag)
        m_cancelFlag->store(true);
    m_cancelFlag.reset();
    m_running = false;
}

void KNVTAccountRequest::finish(quint64 generation, const std::optional<knvt::HttpResponse> &response,
                                const QByteArray &body, const knvt::Error &error)
{
    if (!m_running || generation != m_generation)
        return;
    m_running = false;
    m_cancelFlag.reset();
    if (m_handler)
        m_handler(response, body, error);
}
