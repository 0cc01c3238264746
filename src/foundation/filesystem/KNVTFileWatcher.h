#pragma once

#include <QString>

#include <memory>

class KNVTFile;
class KNVTFileWatcherDelegate;
class QSocketNotifier;
class QThread;

// Watches the item behind a file object, a file or a folder, for writes (for a folder: items created, deleted or
// renamed inside it), attribute and link-count changes and deletion, and tells its delegate on the thread that made
// the watcher, while that thread's event loop runs. The watch is on the item, not the path: once the item is
// deleted, nothing at that path is watched any more. Set-up failures are logged, never reported; such a watcher
// stays silent. A watcher lives and dies on the thread that made it.
class KNVTFileWatcher
{
public:
    explicit KNVTFileWatcher(std::shared_ptr<KNVTFile> file);
    ~KNVTFileWatcher();
    KNVTFileWatcher(const KNVTFileWatcher &) = delete;
    KNVTFileWatcher &operator=(const KNVTFileWatcher &) = delete;

    std::shared_ptr<KNVTFile> file() const { return m_file; }
    // Not owned; a delegate that goes away clears itself first. Without one, events are read and dropped.
    KNVTFileWatcherDelegate *delegate() const { return m_delegate; }
    void setDelegate(KNVTFileWatcherDelegate *delegate) { m_delegate = delegate; }

private:
    void watchDirectory(const QString &path);
    void addFileDescriptorMonitor(int descriptor);
    void pickUpEvents();

    std::shared_ptr<KNVTFile> m_file;
    KNVTFileWatcherDelegate *m_delegate = nullptr;
    // The inotify instance of this watcher; -1 when it could not be made.
    int m_inotify = -1;
    std::unique_ptr<QSocketNotifier> m_notifier;
    QThread *m_thread;
};
