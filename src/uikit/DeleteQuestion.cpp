#include "uikit/DeleteQuestion.h"

#include "uikit/AlertAdditions.h"
#include "uikit/KNVTPreferenceKeys.h"

#include "foundation/Defaults.h"

#include <QCoreApplication>

namespace knvt {

namespace {

QString tr(const char *text)
{
    return QCoreApplication::translate("DeleteQuestion", text);
}

} // namespace

AlertPresenter::Request deleteRequest(const QString &title, bool suppressible, Opener opener)
{
    return {.title = title,
            .message = tr("This action cannot be undone."),
            .buttonTitles = {tr("Delete"), tr("Cancel")},
            .showsSuppressionButton = suppressible,
            .opener = opener};
}

bool confirmDeletingTasks(qsizetype count, Opener opener)
{
    Defaults &defaults = Defaults::standard();
    const QString suppressionKey = QString::fromLatin1(KNVTApplicationWillDeleteTasksAlertSuppressionKey);
    if (defaults.value(suppressionKey).toBool())
        return true;
    bool suppressed = false;
    const qsizetype answer =
        runModal(deleteRequest(count == 1 ? tr("Delete Task?") : tr("Delete Tasks?"), true, opener), &suppressed);
    if (suppressed) {
        defaults.setValue(suppressionKey, true);
        defaults.synchronize();
    }
    return answer == 0;
}

} // namespace knvt
