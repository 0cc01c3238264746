#include "uikit/ReturnAction.h"

#include "uikit/Logging.h"

#include <QMetaObject>
#include <QObject>

namespace {}

namespace knvt {

bool sendReturnAction(QObject *target, const QByteArray &action, QObject *sender)
{
    if (!target || action.isEmpty())
        return false;
    if (!QMetaObject::invokeMethod(target, action.constData(), Qt::DirectConnection, Q_ARG(QObject *, sender))) {
        qCWarning(lcUikit) << "return action" << action << "is not an invokable member of"
                           << target->metaObject()->className() << "taking one QObject *";
        return false;
    }
    return true;
}

} // namespace knvt
