#pragma once

#include "foundation/Notification.h"

#include <QPointer>

#include <functional>
#include <memory>
#include <vector>

class QObject;

namespace knvt {

// In-process notifications: delivered synchronously, in the order observers were added, on the posting thread.
// Everything that posts or observes runs on the main thread, so the centre takes no locks.
class NotificationCenter
{
public:
    using Token = quint64;
    using Handler = std::function<void(const Notification &)>;

    NotificationCenter();
    ~NotificationCenter();
    NotificationCenter(const NotificationCenter &) = delete;
    NotificationCenter &operator=(const NotificationCenter &) = delete;

    static NotificationCenter &defaultCenter();

    // Observes `name` (empty: every name) posted by `object` (nullptr: any object). When `context` is given the
    // observation ends by itself once that QObject is destroyed, so a window that closes can never be called back.
    Token addObserver(const QString &name, const void *object, QObject *context, Handler handler);
    void removeObserver(Token token);
    // Removes every observation tied to `context`.
    void removeObservers(QObject *context);

    void post(const QString &name, const void *object = nullptr, const QVariantMap &userInfo = {});
    void post(const Notification &notification);

private:
    struct Observer
    {
        Token token;
        QString name;
        const void *object;
        bool hasContext;
        QPointer<QObject> context;
        std::shared_ptr<Handler> handler;
    };

    std::vector<Observer> m_observers;
    Token m_nextToken = 1;
};

} // namespace knvt
