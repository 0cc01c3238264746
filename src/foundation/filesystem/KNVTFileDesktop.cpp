// The operations of KNVTFile that reach the desktop: the trash, applications, the file browser and the wallpaper.
#include "foundation/filesystem/KNVTFile.h"

// GLib's D-Bus headers use "signals" as a member name, which Qt defines as a keyword.
#pragma push_macro("signals")
#undef signals
#include <gio/gio.h>
#pragma pop_macro("signals")

#include "foundation/Clock.h"
#include "foundation/DateFormat.h"
#include "foundation/filesystem/FileOperations.h"
#include "foundation/filesystem/FileSystemErrors.h"

#include <QDBusConnection>
#include <QDBusMessage>
#include <QDesktopServices>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QMimeDatabase>
#include <QSaveFile>
#include <QSet>
#include <QStandardPaths>
#include <QThreadPool>

#include <cerrno>

using knvt::Error;

namespace {

QString trashFolder()
{
    return QStandardPaths::writableLocation(QStandardPaths::GenericDataLocation) + QLatin1String("/Trash");
}

// The restore record the desktop's trash keeps beside each trashed item.
bool writeTrashInfo(const QString &infoPath, const QString &originalPath, Error *error)
{
    QSaveFile file(infoPath);
    if (!file.open(QIODevice::WriteOnly)) {
        Error::report(error, knvt::posixError(EACCES, infoPath));
        return false;
    }
    const QByteArray text = "[Trash Info]\nPath=" + QUrl::toPercentEncoding(originalPath, "/") + "\nDeletionDate="
        + knvt::Clock::shared().now().toLocalTime().toString(QStringLiteral("yyyy-MM-ddTHH:mm:ss")).toUtf8() + "\n";
    if (file.write(text) != text.size() || !file.commit()) {
        Error::report(error, knvt::posixError(EIO, infoPath));
        return false;
    }
    return true;
}

QString desktopEntryPath(GAppInfo *application)
{
    const char *identifier = g_app_info_get_id(application);
    return identifier ? QStandardPaths::locate(QStandardPaths::ApplicationsLocation, QString::fromUtf8(identifier))
                      : QString();
}

} // namespace

QString KNVTFile::recycleDirectoryPath()
{
    return trashFolder() + QLatin1String("/files");
}

QString KNVTFile::recyclePath() const
{
    const QString candidate = QStringLiteral("%1/%2").arg(recycleDirectoryPath(), displayName());
    if (!knvt::fileops::itemExists(candidate))
        return candidate;
    QString time = knvt::DateFormat(knvt::DateFormat::Style::None, knvt::DateFormat::Style::Medium)
                       .stringFromDate(knvt::Clock::shared().now());
    time.replace(QLatin1Char(':'), QLatin1Char('-'));
    const QString stamped = QStringLiteral("%1/%2").arg(
        recycleDirectoryPath(), QStringLiteral("%1 %2.%3").arg(nameWithoutExtension(), time, extension()));
    return avalaiblePathForSuggestedPath(stamped);
}

bool KNVTFile::recycleWithError(Error *error)
{
    const QString infoFolder = trashFolder() + QLatin1String("/info");
    if (!knvt::fileops::createDirectory(recycleDirectoryPath(), true, error)
        || !knvt::fileops::createDirectory(infoFolder, true, error))
        return false;
    const QString original = path();
    const QString destination = recyclePath();
    const QString infoPath =
        infoFolder + QLatin1Char('/') + QFileInfo(destination).fileName() + QLatin1String(".trashinfo");
    // The record goes first, so that an item in the trash always has one.
    if (!writeTrashInfo(infoPath, original, error))
        return false;
    if (!moveToPath(destination, error)) {
        QFile::remove(infoPath);
        return false;
    }
    return true;
}

void KNVTFile::finishFileViewerOperation(const QUrl &newURL, const Error &error,
                                         const CompletionHandler &completionHandler)
{
    if (error.isNull() && newURL.isValid()) {
        setURL(newURL);
        if (completionHandler)
            completionHandler(true, Error());
    } else if (completionHandler) {
        completionHandler(false, error);
    }
}

void KNVTFile::recycleInFileViewerWithCompletionHandler(CompletionHandler completionHandler)
{
    QThreadPool::globalInstance()->start([self = shared_from_this(), completionHandler = std::move(completionHandler)] {
        const QString original = self->path();
        QString pathInTrash;
        Error error;
        if (!QFile::moveToTrash(original, &pathInTrash))
            error = knvt::posixError(knvt::fileops::itemExists(original) ? EIO : ENOENT, original);
        self->finishFileViewerOperation(pathInTrash.isEmpty() ? QUrl() : QUrl::fromLocalFile(pathInTrash), error,
                                        completionHandler);
    });
}

void KNVTFile::duplicateInFileViewerWithCompletionHandler(CompletionHandler completionHandler)
{
    QThreadPool::globalInstance()->start([self = shared_from_this(), completionHandler = std::move(completionHandler)] {
        const QString duplicate = avaliableDuplicatePathForPath(self->path());
        Error error;
        const bool copied = knvt::fileops::copyItem(self->path(), duplicate, &error);
        self->finishFileViewerOperation(copied ? QUrl::fromLocalFile(duplicate) : QUrl(), error, completionHandler);
    });
}

bool KNVTFile::openWithDefaultApplication() const
{
    return QDesktopServices::openUrl(URL());
}

bool KNVTFile::openWithApplicationNamed(const QString &applicationName) const
{
    const QByteArray wanted = applicationName.toUtf8();
    GList *applications = g_app_info_get_all();
    GAppInfo *match = nullptr;
    for (GList *item = applications; item && !match; item = item->next) {
        GAppInfo *application = G_APP_INFO(item->data);
        const char *name = g_app_info_get_name(application);
        const char *identifier = g_app_info_get_id(application);
        if ((name && wanted == name) || (identifier && (wanted == identifier || wanted + ".desktop" == identifier)))
            match = application;
    }
    bool launched = false;
    if (match) {
        GFile *file = g_file_new_for_path(QFile::encodeName(path()).constData());
        GList files{file, nullptr, nullptr};
        launched = g_app_info_launch(match, &files, nullptr, nullptr);
        g_object_unref(file);
    }
    g_list_free_full(applications, g_object_unref);
    return launched;
}

bool KNVTFile::selectInFileViewer() const
{
    QDBusMessage call = QDBusMessage::createMethodCall(
        QStringLiteral("org.freedesktop.FileManager1"), QStringLiteral("/org/freedesktop/FileManager1"),
        QStringLiteral("org.freedesktop.FileManager1"), QStringLiteral("ShowItems"));
    call << QStringList{URL().toString()} << QString();
    return QDBusConnection::sessionBus().call(call).type() == QDBusMessage::ReplyMessage;
}

bool KNVTFile::setAsDesktopBackgroundWithError(Error *error) const
{
    QDBusMessage call = QDBusMessage::createMethodCall(
        QStringLiteral("org.freedesktop.portal.Desktop"), QStringLiteral("/org/freedesktop/portal/desktop"),
        QStringLiteral("org.freedesktop.portal.Wallpaper"), QStringLiteral("SetWallpaperURI"));
    call << QString() << URL().toString()
         << QVariantMap{{QStringLiteral("show-preview"), false},
                        {QStringLiteral("set-on"), QStringLiteral("background")}};
    const QDBusMessage reply = QDBusConnection::sessionBus().call(call);
    if (reply.type() == QDBusMessage::ReplyMessage)
        return true;
    Error::report(error,
                  Error(QLatin1String(KNVTDesktopServiceErrorDomain), 1,
                        {{QLatin1String(knvt::NSLocalizedDescriptionKey), reply.errorMessage()}}));
    return false;
}

QString KNVTFile::temporaryDirectoryPathForCurrentApplication()
{
    const QString caches = QStandardPaths::writableLocation(QStandardPaths::GenericCacheLocation);
    if (caches.isEmpty())
        return QString();
    return QDir::cleanPath(caches) + QLatin1Char('/') + QLatin1String(KNVT_APP_ID);
}

QList<QUrl> KNVTFile::applicationURLs() const
{
    const QByteArray type = QMimeDatabase().mimeTypeForFile(path()).name().toUtf8();
    QList<QUrl> result;
    GList *applications = g_app_info_get_all_for_type(type.constData());
    for (GList *item = applications; item; item = item->next) {
        const QString entry = desktopEntryPath(G_APP_INFO(item->data));
        if (!entry.isEmpty() && !result.contains(QUrl::fromLocalFile(entry)))
            result.append(QUrl::fromLocalFile(entry));
    }
    g_list_free_full(applications, g_object_unref);
    return result;
}

QList<QUrl> KNVTFile::applicationURLsForURLs(const QList<QUrl> &urls)
{
    if (urls.isEmpty())
        return {};
    QSet<QUrl> common;
    for (qsizetype i = 0; i < urls.size(); ++i) {
        const QList<QUrl> applications = fileWithURL(urls[i])->applicationURLs();
        const QSet<QUrl> these(applications.cbegin(), applications.cend());
        common = i == 0 ? these : common.intersect(these);
    }
    return QList<QUrl>(common.cbegin(), common.cend());
}
