#pragma once

#include "foundation/NotificationCenter.h"

#include <QStringList>

#include <vector>

namespace knvt::test {

// Records every notification of the given names (all names when empty) posted on a centre, in order.
class NotificationRecorder
{
public:
    explicit NotificationRecorder(QStringList names = {},
                                  NotificationCenter &center = NotificationCenter::defaultCenter());
    ~NotificationRecorder();

    const std::vector<Notification> &notifications() const { return m_notifications; }
    QStringList names() const;
    void clear() { m_notifications.clear(); }

private:
    NotificationCenter &m_center;
    std::vector<NotificationCenter::Token> m_tokens;
    std::vector<Notification> m_notifications;
};

} // namespace knvt::test
