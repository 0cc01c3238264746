#include "foundation/NotificationCenter.h"

#include <QObject>

#include <algorithm>

namespace knvt {

NotificationCenter::NotificationCenter() = default;
NotificationCenter::~NotificationCenter() = default;

NotificationCenter &NotificationCenter::defaultCenter()
{
    static NotificationCenter center;
    return center;
}

NotificationCenter::Token NotificationCenter::addObserver(const QString &name, const void *object, QObject *context,
                                                          Handler handler)
{
    const Token token = m_nextToken++;
    m_observers.push_back(Observer{token, name, object, context != nullptr, QPointer<QObject>(context),
                                   std::make_shared<Handler>(std::move(handler))});
    return token;
}

void NotificationCenter::removeObserver(Token token)
{
    std::erase_if(m_observers, [token](const Observer &observer) { return observer.token == token; });
}

void NotificationCenter::removeObservers(QObject *context)
{
    std::erase_if(m_observers, [context](const Observer &observer) {
        return observer.hasContext && (observer.context.isNull() || observer.context.data() == context);
    });
}

void NotificationCenter::post(const QString &name, const void *object, const QVariantMap &userInfo)
{
    post(Notification{name, object, userInfo});
}

void NotificationCenter::post(const Notification &notification)
{
    // Observers may add or remove observers (themselves included) while being called: deliver to a snapshot and
    // skip anyone removed in the meantime; observers added during the post see only later posts.
    std::erase_if(m_observers,
                  [](const Observer &observer) { return observer.hasContext && observer.context.isNull(); });
    std::vector<std::pair<Token, std::shared_ptr<Handler>>> targets;
    for (const Observer &observer : m_observers) {
        if (!observer.name.isEmpty() && observer.name != notification.name)
            continue;
        if (observer.object && observer.object != notification.object)
            continue;
        targets.emplace_back(observer.token, observer.handler);
    }
    for (const auto &[token, handler] : targets) {
        const auto it = std::find_if(m_observers.begin(), m_observers.end(),
                                     [token = token](const Observer &observer) { return observer.token == token; });
        if (it == m_observers.end() || (it->hasContext && it->context.isNull()))
            continue;
        (*handler)(notification);
    }
}

} // namespace knvt
