#pragma once

#include <QString>
#include <QStringList>

#include <functional>

// How model actions ask the user to confirm: the interface hands one of these to an action that may need it, the
// handler shows a title, a message and buttons, and calls the index handler once with the chosen button's index. The
// model acts only inside the index handler. The cancel and destructive indexes (-1 for none) are hints for the
// presenter; the standard handler of the interface kit ignores them.
using KNVTAlertIndexHandler = std::function<void(int buttonIndex)>;
using KNVTAlertHandler = std::function<void(const QString &title, const QString &message,
                                            const QStringList &buttonTitles, int cancelButtonIndex,
                                            int destructiveButtonIndex, KNVTAlertIndexHandler indexHandler)>;
