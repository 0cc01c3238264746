#pragma once

#include "foundation/filesystem/KNVTFileSystemConfiguration.h"

#include <QColor>
#include <QList>
#include <QStringList>
#include <QUrl>

#include <memory>
#include <mutex>

class KNVTFile;
class KNVTFileAttributeReader;
class KNVTVolume;

inline constexpr char KNVTFileSystemDidMountVolumeNotification[] = "KNVTFileSystemDidMountVolumeNotification";
inline constexpr char KNVTFileSystemWillUnmountVolumeNotification[] = "KNVTFileSystemWillUnmountVolumeNotification";
inline constexpr char KNVTFileSystemDidUmountVolumeNotification[] = "KNVTFileSystemDidUmountVolumeNotification";
inline constexpr char KNVTFileSystemDidRenameVolumeNotification[] = "KNVTFileSystemDidRenameVolumeNotification";
inline constexpr char KNVTFileSystemDidChangeFileLabelsNotification[] = "KNVTFileSystemDidChangeFileLabelsNotification";
// User-information key of the four volume notifications: the volume object, a std::shared_ptr<KNVTFile>.
inline constexpr char KNVTFileSystemVolumeNotificationKey[] = "KNVTFileSystemVolumeNotificationKey";

// The file system every file object belongs to: it holds the configuration naming the model's classes, lists the
// mounted volumes, and turns the desktop's volume events into notifications on the default centre whose object is
// the file system and whose user information carries a volume object of the configured class.
class KNVTFileSystem : public std::enable_shared_from_this<KNVTFileSystem>
{
public:
    ~KNVTFileSystem();
    KNVTFileSystem(const KNVTFileSystem &) = delete;
    KNVTFileSystem &operator=(const KNVTFileSystem &) = delete;

    // The process-wide file system with the default configuration, made once on the first call from any thread.
    static std::shared_ptr<KNVTFileSystem> defaultFileSystem();
    // A new file system holding a copy of the configuration, which must be valid.
    static std::shared_ptr<KNVTFileSystem>
    fileSystemWithConfiguration(const KNVTFileSystemConfiguration &configuration);

    KNVTFileSystemConfiguration configuration() const;
    void setConfiguration(const KNVTFileSystemConfiguration &configuration);

    // What answers the attribute questions of the files of this file system; the disk itself unless replaced.
    std::shared_ptr<KNVTFileAttributeReader> attributeReader() const;
    void setAttributeReader(std::shared_ptr<KNVTFileAttributeReader> reader);

    // The mounted volumes a file browser shows, asked afresh at each call.
    QList<std::shared_ptr<KNVTVolume>> volumes();
    // The desktop has no file labels here: both lists are empty.
    QStringList fileLabels() const;
    QList<QColor> fileLabelColors() const;

    // A file, directory or volume object of this file system, by what the URL points at.
    std::shared_ptr<KNVTFile> fileWithURL(const QUrl &url);

    // The desktop's volume and label events, re-posted under the names above. The volume monitor calls them on the
    // main thread; they post on the calling thread.
    void workspaceDidMountNotification(const QUrl &volumeURL);
    void workspaceWillUnmountNotification(const QUrl &volumeURL);
    void workspaceDidUnmountNotification(const QUrl &volumeURL);
    void workspaceDidRenameVolumeNotification(const QUrl &volumeURL);
    void workspaceDidChangeFileLabelsNotification();

private:
    struct VolumeMonitor;

    KNVTFileSystem();
    void startObservingVolumes();
    void postVolumeNotification(const char *name, const QUrl &volumeURL);

    mutable std::mutex m_mutex;
    KNVTFileSystemConfiguration m_configuration;
    std::shared_ptr<KNVTFileAttributeReader> m_attributeReader;
    std::unique_ptr<VolumeMonitor> m_volumeMonitor;
};
