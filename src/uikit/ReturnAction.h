#pragma once

#include <QByteArray>

class QObject;

namespace knvt {

// Sends a control's return action: calls the invokable member named `action` of `target` with `sender` as its one
// QObject * argument, the way a menu item or button sends its action to its target. Nothing happens, and false is
// returned, when there is no target or no action.
bool sendReturnAction(QObject *target, const QByteArray &action, QObject *sender);

} // namespace knvt
