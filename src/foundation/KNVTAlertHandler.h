#pragma once

#include <QString>
#include <QStringList>

#include <functional>

// How model actions ask the user to confirm without showing anything themselves: the interface hands one of these to
// an action that may need it. The handler shows the title, the message and the buttons in display order, and calls
// the index handler once with the chosen button's position (0 for the first), or with a negative number when the
// alert ended without a button. The model acts only inside the index handler. The cancel and destructive indexes
// (-1 for none) are hints for the presenter; the interface kit's standard handler ignores them.
using KNVTAlertIndexHandler = std::function<void(qsizetype index)>;
using KNVTAlertHandler =
    std::function<void(const QString &title, const QString &message, const QStringList &buttonTitles,
                       qsizetype cancelIndex, qsizetype destructiveIndex, KNVTAlertIndexHandler indexHandler)>;
