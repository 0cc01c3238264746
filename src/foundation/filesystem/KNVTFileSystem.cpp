#include "foundation/filesystem/KNVTFileSystem.h"

// GLib's D-Bus headers use "signals" as a member name, which Qt defines as a keyword.
#pragma push_macro("signals")
#undef signals
#include <gio/gio.h>
#pragma pop_macro("signals")

#include "foundation/Assert.h"
#include "foundation/NotificationCenter.h"
#include "foundation/ThreadAdditions.h"
#include "foundation/filesystem/FileOperations.h"
#include "foundation/filesystem/KNVTFile.h"
#include "foundation/filesystem/KNVTFileAttributeReader.h"
#include "foundation/filesystem/KNVTFileClass.h"
#include "foundation/filesystem/KNVTVolume.h"

#include <QCoreApplication>

#include <vector>

// GIO's volume monitor reports mounts of removable media and of user file systems; its signals arrive on the GLib
// main context, which the Qt event loop of the main thread runs.
struct KNVTFileSystem::VolumeMonitor
{
    GVolumeMonitor *monitor = nullptr;
    std::vector<gulong> handlers;

    ~VolumeMonitor()
    {
        for (gulong handler : handlers)
            g_signal_handler_disconnect(monitor, handler);
        if (monitor)
            g_object_unref(monitor);
    }

    static QUrl rootURL(GMount *mount)
    {
        GFile *root = g_mount_get_root(mount);
        char *path = root ? g_file_get_path(root) : nullptr;
        const QUrl url = path ? QUrl::fromLocalFile(QString::fromUtf8(path)) : QUrl();
        g_free(path);
        if (root)
            g_object_unref(root);
        return url;
    }

    template <void (KNVTFileSystem::*Handler)(const QUrl &)>
    static void forward(GVolumeMonitor *, GMount *mount, gpointer fileSystem)
    {
        const QUrl url = rootURL(mount);
        if (url.isValid())
            (static_cast<KNVTFileSystem *>(fileSystem)->*Handler)(url);
    }

    void connect(KNVTFileSystem *fileSystem)
    {
        monitor = g_volume_monitor_get();
        const auto add = [&](const char *signal, GCallback callback) {
            handlers.push_back(g_signal_connect(monitor, signal, callback, fileSystem));
        };
        add("mount-added", G_CALLBACK(&forward<&KNVTFileSystem::workspaceDidMountNotification>));
        add("mount-pre-unmount", G_CALLBACK(&forward<&KNVTFileSystem::workspaceWillUnmountNotification>));
        add("mount-removed", G_CALLBACK(&forward<&KNVTFileSystem::workspaceDidUnmountNotification>));
        // A mount changes when its name does; that is the rename the desktop knows of.
        add("mount-changed", G_CALLBACK(&forward<&KNVTFileSystem::workspaceDidRenameVolumeNotification>));
    }
};

KNVTFileSystem::KNVTFileSystem() : m_attributeReader(KNVTFileAttributeReader::standardReader()) {}

KNVTFileSystem::~KNVTFileSystem() = default;

std::shared_ptr<KNVTFileSystem> KNVTFileSystem::defaultFileSystem()
{
    static const std::shared_ptr<KNVTFileSystem> shared =
        fileSystemWithConfiguration(KNVTFileSystemConfiguration::defaultFileSystemConfiguration());
    return shared;
}

std::shared_ptr<KNVTFileSystem>
KNVTFileSystem::fileSystemWithConfiguration(const KNVTFileSystemConfiguration &configuration)
{
    KNVT_ASSERT(configuration.isValid() && "configuration is not valid", "KNVTFileSystem",
                "fileSystemWithConfiguration:");
    std::shared_ptr<KNVTFileSystem> fileSystem(new KNVTFileSystem);
    fileSystem->setConfiguration(configuration);
    fileSystem->startObservingVolumes();
    return fileSystem;
}

void KNVTFileSystem::startObservingVolumes()
{
    // The monitor delivers on the context of the thread that first asks for it, which must be the main thread; a
    // process without an application has no event loop to deliver on.
    if (!QCoreApplication::instance())
        return;
    const std::weak_ptr<KNVTFileSystem> weakSelf = weak_from_this();
    knvt::performBlockOnMainThread([weakSelf] {
        if (const auto self = weakSelf.lock()) {
            auto monitor = std::make_unique<VolumeMonitor>();
            monitor->connect(self.get());
            self->m_volumeMonitor = std::move(monitor);
        }
    });
}

KNVTFileSystemConfiguration KNVTFileSystem::configuration() const
{
    std::lock_guard lock(m_mutex);
    return m_configuration;
}

void KNVTFileSystem::setConfiguration(const KNVTFileSystemConfiguration &configuration)
{
    std::lock_guard lock(m_mutex);
    m_configuration = configuration.copy();
}

std::shared_ptr<KNVTFileAttributeReader> KNVTFileSystem::attributeReader() const
{
    std::lock_guard lock(m_mutex);
    return m_attributeReader;
}

void KNVTFileSystem::setAttributeReader(std::shared_ptr<KNVTFileAttributeReader> reader)
{
    std::lock_guard lock(m_mutex);
    m_attributeReader = reader ? std::move(reader) : KNVTFileAttributeReader::standardReader();
}

QList<std::shared_ptr<KNVTVolume>> KNVTFileSystem::volumes()
{
    QList<std::shared_ptr<KNVTVolume>> result;
    for (const QString &mountPoint : knvt::fileops::mountPoints(false))
        result.append(KNVTVolume::fileWithURL(QUrl::fromLocalFile(mountPoint), shared_from_this()));
    return result;
}

QStringList KNVTFileSystem::fileLabels() const
{
    return {};
}

QList<QColor> KNVTFileSystem::fileLabelColors() const
{
    return {};
}

std::shared_ptr<KNVTFile> KNVTFileSystem::fileWithURL(const QUrl &url)
{
    return KNVTFile::fileWithURL(url, shared_from_this());
}

void KNVTFileSystem::postVolumeNotification(const char *name, const QUrl &volumeURL)
{
    const std::shared_ptr<KNVTFile> volume =
        KNVTFile::makeFile(*configuration().volumeClass(), volumeURL, shared_from_this());
    QVariantMap userInfo;
    userInfo.insert(QLatin1String(KNVTFileSystemVolumeNotificationKey), QVariant::fromValue(volume));
    knvt::NotificationCenter::defaultCenter().post(QLatin1String(name), this, userInfo);
}

void KNVTFileSystem::workspaceDidMountNotification(const QUrl &volumeURL)
{
    postVolumeNotification(KNVTFileSystemDidMountVolumeNotification, volumeURL);
}

void KNVTFileSystem::workspaceWillUnmountNotification(const QUrl &volumeURL)
{
    postVolumeNotification(KNVTFileSystemWillUnmountVolumeNotification, volumeURL);
}

void KNVTFileSystem::workspaceDidUnmountNotification(const QUrl &volumeURL)
{
    postVolumeNotification(KNVTFileSystemDidUmountVolumeNotification, volumeURL);
}

void KNVTFileSystem::workspaceDidRenameVolumeNotification(const QUrl &volumeURL)
{
    postVolumeNotification(KNVTFileSystemDidRenameVolumeNotification, volumeURL);
}

void KNVTFileSystem::workspaceDidChangeFileLabelsNotification()
{
    knvt::NotificationCenter::defaultCenter().post(QLatin1String(KNVTFileSystemDidChangeFileLabelsNotification), this);
}
