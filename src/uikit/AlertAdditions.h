#pragma once

#include "foundation/KNVTAlertHandler.h"
#include "uikit/AlertPresenter.h"

namespace knvt {

// The button index for a modal response: the response minus 1000 when it is 1000 or more (first
// button 0), else the response unchanged (a stop gives -1000).
qsizetype buttonIndexForModalResponse(qsizetype response);

// Runs `request` with the shared presenter and returns the button index.
qsizetype runModal(const AlertPresenter::Request &request);
// The same, also reporting the suppression check box's final state.
qsizetype runModal(const AlertPresenter::Request &request, bool *suppressed);

// Returns at once; on a later pass of the main event loop shows the alert, opened as `opener` says, and calls
// `indexHandler` (required) with the button index, on the main thread. May be called from any thread.
void runModalWithTitle(const QString &title, const QString &message, const QStringList &buttonTitles, Opener opener,
                       KNVTAlertIndexHandler indexHandler);

// Shows the alert and calls `indexHandler` (required) before it returns. Main thread only.
void synchronouslyRunModalWithTitle(const QString &title, const QString &message, const QStringList &buttonTitles,
                                    Opener opener, KNVTAlertIndexHandler indexHandler);

// The standard handlers given to model operations: they forward title, message, button titles and index handler
// to runModalWithTitle() or synchronouslyRunModalWithTitle(), with the opener of the command that hands them to the
// model; the cancel and destructive indexes are not used.
KNVTAlertHandler alertHandler(Opener opener);
KNVTAlertHandler synchronousAlertHandler(Opener opener);

} // namespace knvt
