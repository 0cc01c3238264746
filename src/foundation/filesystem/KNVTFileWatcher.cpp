#include "foundation/filesystem/KNVTFileWatcher.h"

#include "foundation/Assert.h"
#include "foundation/Logging.h"
#include "foundation/filesystem/KNVTFile.h"
#include "foundation/filesystem/KNVTFileWatcherDelegate.h"

#include <QFile>
#include <QSocketNotifier>
#include <QThread>

#include <cerrno>
#include <cstring>
#include <sys/inotify.h>
#include <unistd.h>

namespace {

// Writes, attribute and link-count changes and deletion of the item; for a folder, changes of its entries, which are
// writes to the folder.
constexpr uint32_t watchedEvents =
    IN_MODIFY | IN_ATTRIB | IN_DELETE_SELF | IN_CREATE | IN_DELETE | IN_MOVED_FROM | IN_MOVED_TO;

} // namespace

KNVTFileWatcher::KNVTFileWatcher(std::shared_ptr<KNVTFile> file)
    : m_file(std::move(file)), m_thread(QThread::currentThread())
{
    m_inotify = ::inotify_init1(IN_NONBLOCK | IN_CLOEXEC);
    if (m_inotify < 0) {
        const int error = errno;
        qCWarning(lcFoundation, "could not create inotify instance.  Error is %d/%s", error, std::strerror(error));
    }
    watchDirectory(m_file ? m_file->path() : QString());
    if (m_inotify >= 0)
        addFileDescriptorMonitor(m_inotify);
}

KNVTFileWatcher::~KNVTFileWatcher()
{
    KNVT_ASSERT(QThread::currentThread() == m_thread, "KNVTFileWatcher", "dealloc");
    m_notifier.reset();
    if (m_inotify >= 0)
        ::close(m_inotify);
}

void KNVTFileWatcher::watchDirectory(const QString &path)
{
    if (m_inotify < 0)
        return;
    if (::inotify_add_watch(m_inotify, QFile::encodeName(path).constData(), watchedEvents) >= 0)
        return;
    // The watch needs no descriptor of its own on the path, so the one failure stands for opening and registering.
    const int error = errno;
    qCWarning(lcFoundation, "could not open %s.  Error is %d/%s", qUtf8Printable(path), error, std::strerror(error));
    qCWarning(lcFoundation, "could not add inotify watch on %s.  Error is %d/%s", qUtf8Printable(path), error,
              std::strerror(error));
}

void KNVTFileWatcher::addFileDescriptorMonitor(int descriptor)
{
    m_notifier = std::make_unique<QSocketNotifier>(descriptor, QSocketNotifier::Read);
    QObject::connect(m_notifier.get(), &QSocketNotifier::activated, m_notifier.get(), [this] { pickUpEvents(); });
}

void KNVTFileWatcher::pickUpEvents()
{
    alignas(struct inotify_event) char buffer[4096];
    const ssize_t length = ::read(m_inotify, buffer, sizeof buffer);
    if (length < 0) {
        const int error = errno;
        if (error != EAGAIN)
            qCWarning(lcFoundation, "could not pick up event.  Error is %d/%s", error, std::strerror(error));
        return;
    }
    for (ssize_t offset = 0; offset < length;) {
        const auto *event = reinterpret_cast<const struct inotify_event *>(buffer + offset);
        offset += ssize_t(sizeof(struct inotify_event) + event->len);
        // The end of a watch on a deleted item is bookkeeping, not activity.
        if (event->mask & IN_IGNORED)
            continue;
        if (m_delegate)
            m_delegate->fileWatcherDidDetectActivity(this);
    }
}
