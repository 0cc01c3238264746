#include "app/LibraryLock.h"

#include "app/Logging.h"

#include "uikit/AlertPresenter.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>

#include <cstdio>

namespace knvt {

LibraryLock::LibraryLock(const QString &libraryPath) : m_path(libraryPath + QStringLiteral(".lock")), m_lock(m_path)
{
    // A running program keeps its library for days: age alone never makes its lock stale.
    m_lock.setStaleLockTime(0);
}

bool LibraryLock::tryLock()
{
    QDir().mkpath(QFileInfo(m_path).absolutePath());
    if (m_lock.tryLock(0))
        return true;
    qCWarning(lcApp).noquote() << "LibraryLock:tryLock" << m_path << "is held by" << holder();
    return false;
}

QString LibraryLock::holder() const
{
    qint64 pid = 0;
    QString host;
    QString application;
    if (!m_lock.getLockInfo(&pid, &host, &application))
        return {};
    return QStringLiteral("process %1 on %2").arg(QString::number(pid), host);
}

void LibraryLock::tellTheUserItIsHeld() const
{
    const QString title = QCoreApplication::translate("LibraryLock", "Quillvane Is Already Open");
    const QString message = QCoreApplication::translate(
        "LibraryLock",
        "Another Quillvane is working on this library, and this one cannot reach it to bring it to "
        "the front. Quit that one first, or switch to it.");
    std::fprintf(stderr, "%s: %s (%s)\n", qPrintable(title), qPrintable(message), qPrintable(m_path));
    std::fflush(stderr);
    AlertPresenter::Request request;
    request.title = title;
    request.message = message;
    request.buttonTitles = {QCoreApplication::translate("LibraryLock", "Quit")};
    request.critical = true;
    AlertPresenter::shared().runModal(request);
}

} // namespace knvt
