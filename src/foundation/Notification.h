#pragma once

#include <QString>
#include <QVariantMap>

namespace knvt {

// One posted notification: its name, the object that posted it (compared by identity only) and its details.
struct Notification
{
    QString name;
    const void *object = nullptr;
    QVariantMap userInfo;
};

} // namespace knvt
