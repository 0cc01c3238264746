#include "support/NotificationRecorder.h"

namespace knvt::test {

NotificationRecorder::NotificationRecorder(QStringList names, NotificationCenter &center) : m_center(center)
{
    if (names.isEmpty())
        names.append(QString());
    for (const QString &name : names)
        m_tokens.push_back(m_center.addObserver(name, nullptr, nullptr, [this](const Notification &notification) {
            m_notifications.push_back(notification);
        }));
}

NotificationRecorder::~NotificationRecorder()
{
    for (NotificationCenter::Token token : m_tokens)
        m_center.removeObserver(token);
}

QStringList NotificationRecorder::names() const
{
    QStringList result;
    for (const Notification &notification : m_notifications)
        result.append(notification.name);
    return result;
}

} // namespace knvt::test
