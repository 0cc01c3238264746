#include "uikit/AlertAdditions.h"

#include "foundation/Assert.h"

#include <QCoreApplication>
#include <QThread>

namespace knvt {

namespace {

AlertPresenter::Request makeRequest(const QString &title, const QString &message, const QStringList &buttonTitles,
                                    Opener opener)
{
    return {.title = title, .message = message, .buttonTitles = buttonTitles, .opener = opener};
}

} // namespace

qsizetype buttonIndexForModalResponse(qsizetype response)
{
    return response >= AlertPresenter::FirstButtonResponse ? response - AlertPresenter::FirstButtonResponse : response;
}

qsizetype runModal(const AlertPresenter::Request &request, bool *suppressed)
{
    const AlertPresenter::Response response = AlertPresenter::shared().runModal(request);
    if (suppressed != nullptr)
        *suppressed = response.suppressed;
    return buttonIndexForModalResponse(response.modalResponse);
}

qsizetype runModal(const AlertPresenter::Request &request)
{
    return runModal(request, nullptr);
}

void runModalWithTitle(const QString &title, const QString &message, const QStringList &buttonTitles, Opener opener,
                       KNVTAlertIndexHandler indexHandler)
{
    KNVT_ASSERT(static_cast<bool>(indexHandler), "AlertAdditions", "runModalWithTitle");
    QCoreApplication *application = QCoreApplication::instance();
    KNVT_ASSERT(application != nullptr, "AlertAdditions", "runModalWithTitle");
    // Always queued, even on the main thread: the caller finishes its own work before the question is asked.
    QMetaObject::invokeMethod(
        application,
        [request = makeRequest(title, message, buttonTitles, opener), handler = std::move(indexHandler)] {
            handler(runModal(request));
        },
        Qt::QueuedConnection);
}

void synchronouslyRunModalWithTitle(const QString &title, const QString &message, const QStringList &buttonTitles,
                                    Opener opener, KNVTAlertIndexHandler indexHandler)
{
    KNVT_ASSERT(static_cast<bool>(indexHandler), "AlertAdditions", "synchronouslyRunModalWithTitle");
    KNVT_ASSERT(QCoreApplication::instance() != nullptr
                    && QThread::currentThread() == QCoreApplication::instance()->thread(),
                "AlertAdditions", "synchronouslyRunModalWithTitle");
    indexHandler(runModal(makeRequest(title, message, buttonTitles, opener)));
}

KNVTAlertHandler alertHandler(Opener opener)
{
    return [opener](const QString &title, const QString &message, const QStringList &buttonTitles, qsizetype, qsizetype,
                    KNVTAlertIndexHandler indexHandler) {
        runModalWithTitle(title, message, buttonTitles, opener, std::move(indexHandler));
    };
}

KNVTAlertHandler synchronousAlertHandler(Opener opener)
{
    return [opener](const QString &title, const QString &message, const QStringList &buttonTitles, qsizetype, qsizetype,
                    KNVTAlertIndexHandler indexHandler) {
        synchronouslyRunModalWithTitle(title, message, buttonTitles, opener, std::move(indexHandler));
    };
}

} // namespace knvt
