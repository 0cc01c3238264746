#include "app/LibraryLock.h"

#include "app/Logging.h"

#include "uikit/AlertPresenter.h"

#include <QCoreApplication>
#include <QDir>

#include <cstdio>

namespace knvt {

LibraryLock::LibraryLock(const QString &libraryPath) : m_lock(libraryPath + QStringLiteral(".lock")) {}

bool LibraryLock::tryLock()
{
    m_outcome = m_lock.tryLock();
    if (m_outcome == ProcessLock::Outcome::Locked)
        return true;
    if (m_outcome == ProcessLock::Outcome::Held)
        qCWarning(lcApp).noquote() << "LibraryLock:tryLock" << m_lock.path() << "is held by" << m_lock.holder();
    return false;
}

void LibraryLock::tellTheUserWhyNot() const
{
    const QString folder = QDir::toNativeSeparators(m_lock.folder());
    QString title = QCoreApplication::translate("LibraryLock", "Quillvane Cannot Open Its Library");
    QString message;
    switch (m_outcome) {
    case ProcessLock::Outcome::Locked:
    case ProcessLock::Outcome::Held:
        title = QCoreApplication::translate("LibraryLock", "Quillvane Is Already Open");
        message = QCoreApplication::translate(
            "LibraryLock",
            "Another Quillvane is working on this library, and this one cannot reach it to bring it to "
            "the front. Quit that one first, or switch to it.");
        break;
    case ProcessLock::Outcome::DiskFull:
        message = QCoreApplication::translate("LibraryLock",
                                              "The disk is full: nothing can be written in %1. Make room on the disk, "
                                              "then open Quillvane again.")
                      .arg(folder);
        break;
    case ProcessLock::Outcome::ReadOnly:
        message = QCoreApplication::translate("LibraryLock",
                                              "The folder %1 is on a disk that is read-only. Quillvane needs to write "
                                              "its library there.")
                      .arg(folder);
        break;
    case ProcessLock::Outcome::NoPermission:
        message = QCoreApplication::translate("LibraryLock",
                                              "You do not have permission to write in the folder %1, where Quillvane "
                                              "keeps its library.")
                      .arg(folder);
        break;
    case ProcessLock::Outcome::CannotCreate:
        message = QCoreApplication::translate("LibraryLock",
                                              "Quillvane could not write in the folder %1, where it keeps its library.")
                      .arg(folder);
        break;
    }
    std::fprintf(stderr, "%s: %s (%s)\n", qPrintable(title), qPrintable(message), qPrintable(m_lock.path()));
    std::fflush(stderr);
    // The user started the program.
    AlertPresenter::Request request{.opener = Opener::User};
    request.title = title;
    request.message = message;
    request.buttonTitles = {QCoreApplication::translate("LibraryLock", "Quit")};
    request.critical = true;
    AlertPresenter::shared().runModal(request);
}

} // namespace knvt
