#include "foundation/filesystem/KNVTVolume.h"

// GLib's D-Bus headers use "signals" as a member name, which Qt defines as a keyword.
#pragma push_macro("signals")
#undef signals
#include <gio/gio.h>
#pragma pop_macro("signals")

#include "foundation/filesystem/FileOperations.h"
#include "foundation/filesystem/FileSystemErrors.h"

#include <QEventLoop>
#include <QFile>
#include <QFileInfo>

#include <cerrno>

using knvt::Error;

KNVTVolume::KNVTVolume() = default;

const KNVTFileClass &KNVTVolume::staticClass()
{
    static const KNVTFileClass cls(
        "KNVTVolume", &KNVTDirectory::staticClass(),
        +[]() -> std::shared_ptr<KNVTFile> { return std::shared_ptr<KNVTVolume>(new KNVTVolume); });
    return cls;
}

const KNVTFileClass &KNVTVolume::objectClass() const
{
    return staticClass();
}

KNVTVolume::Ptr KNVTVolume::fileWithPath(const QString &path, std::shared_ptr<KNVTFileSystem> fileSystem)
{
    return makeFileOfClass<KNVTVolume>(QUrl::fromLocalFile(path), std::move(fileSystem));
}

KNVTVolume::Ptr KNVTVolume::fileWithURL(const QUrl &url, std::shared_ptr<KNVTFileSystem> fileSystem)
{
    return makeFileOfClass<KNVTVolume>(url, std::move(fileSystem));
}

bool KNVTVolume::isMounted() const
{
    return knvt::fileops::mountPoints(true).contains(path());
}

namespace {

struct EjectState
{
    QEventLoop loop;
    GError *error = nullptr;
    bool ejecting = false;
};

void finishEject(GObject *source, GAsyncResult *result, gpointer data)
{
    auto *state = static_cast<EjectState *>(data);
    if (state->ejecting)
        g_mount_eject_with_operation_finish(G_MOUNT(source), result, &state->error);
    else
        g_mount_unmount_with_operation_finish(G_MOUNT(source), result, &state->error);
    state->loop.quit();
}

} // namespace

bool KNVTVolume::unmountAndEjectWithError(Error *error)
{
    GVolumeMonitor *monitor = g_volume_monitor_get();
    GList *mounts = g_volume_monitor_get_mounts(monitor);
    GMount *match = nullptr;
    for (GList *item = mounts; item && !match; item = item->next) {
        GFile *root = g_mount_get_root(G_MOUNT(item->data));
        char *rootPath = g_file_get_path(root);
        if (rootPath && QFile::decodeName(rootPath) == path())
            match = G_MOUNT(g_object_ref(item->data));
        g_free(rootPath);
        g_object_unref(root);
    }
    g_list_free_full(mounts, g_object_unref);
    g_object_unref(monitor);
    if (!match) {
        Error::report(error, knvt::posixError(ENODEV, path()));
        return false;
    }
    // The volume monitor answers on the main context, which the local event loop runs.
    EjectState state;
    state.ejecting = g_mount_can_eject(match);
    if (state.ejecting)
        g_mount_eject_with_operation(match, G_MOUNT_UNMOUNT_NONE, nullptr, nullptr, finishEject, &state);
    else
        g_mount_unmount_with_operation(match, G_MOUNT_UNMOUNT_NONE, nullptr, nullptr, finishEject, &state);
    state.loop.exec();
    g_object_unref(match);
    if (!state.error)
        return true;
    Error::report(error,
                  Error(QLatin1String(KNVTDesktopServiceErrorDomain), state.error->code,
                        {{QLatin1String(knvt::NSFilePathErrorKey), path()},
                         {QLatin1String(knvt::NSLocalizedDescriptionKey), QString::fromUtf8(state.error->message)}}));
    g_error_free(state.error);
    return false;
}

std::shared_ptr<KNVTVolume> KNVTFile::enclosingVolume() const
{
    QString current = path();
    if (current.isEmpty())
        return nullptr;
    while (current != QLatin1String("/") && !knvt::fileops::isMountPoint(current))
        current = QFileInfo(current).path();
    return KNVTVolume::fileWithPath(current, fileSystem());
}
