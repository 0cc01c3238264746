#include "foundation/NotifyCenter.h"

#include <QByteArray>
#include <QFile>
#include <QPointer>
#include <QSocketNotifier>
#include <QStandardPaths>
#include <QVector>

#include <cerrno>
#include <fcntl.h>
#include <sys/inotify.h>
#include <sys/stat.h>
#include <unistd.h>
#include <utility>

namespace knvt {

namespace {

constexpr int kCoalescingMilliseconds = 50;

Error posixError(int code, const QString &description)
{
    return Error(QString::fromLatin1(NSPOSIXErrorDomain), code, {{QStringLiteral("NSDebugDescription"), description}});
}

bool isAcceptableName(const QString &name)
{
    return !name.isEmpty() && !name.contains(QLatin1Char('/')) && !name.contains(QLatin1String(".."))
        && name != QLatin1String(".") && !name.contains(QChar(0));
}

bool checkName(const QString &name, Error *error)
{
    if (isAcceptableName(name))
        return true;
    Error::report(error, posixError(EINVAL, QStringLiteral("\"%1\" cannot be a notification name").arg(name)));
    return false;
}

} // namespace

NotifyCenter::NotifyCenter(QObject *parent) : QObject(parent)
{
    m_coalescing.setSingleShot(true);
    m_coalescing.setInterval(kCoalescingMilliseconds);
    connect(&m_coalescing, &QTimer::timeout, this, &NotifyCenter::deliver);
}

NotifyCenter::~NotifyCenter()
{
    delete m_notifier;
    if (m_inotify >= 0)
        ::close(m_inotify);
}

QString NotifyCenter::folderPath(Error *error)
{
    QString runtime = QString::fromLocal8Bit(qgetenv("XDG_RUNTIME_DIR"));
    if (runtime.isEmpty())
        runtime = QStandardPaths::writableLocation(QStandardPaths::RuntimeLocation);
    const QString folder = runtime + QStringLiteral("/quillvane-notify");
    const QByteArray path = QFile::encodeName(folder);

    if (::mkdir(path.constData(), 0700) != 0 && errno != EEXIST) {
        Error::report(error, posixError(errno, QStringLiteral("cannot create %1").arg(folder)));
        return {};
    }
    // Another user's folder, or a link planted in its place, would let others see or forge our posts.
    struct stat status = {};
    if (::lstat(path.constData(), &status) != 0 || !S_ISDIR(status.st_mode) || status.st_uid != ::geteuid()) {
        Error::report(error, posixError(EPERM, QStringLiteral("%1 is not a private folder").arg(folder)));
        return {};
    }
    if ((status.st_mode & 07777) != 0700 && ::chmod(path.constData(), 0700) != 0) {
        Error::report(error, posixError(errno, QStringLiteral("cannot make %1 private").arg(folder)));
        return {};
    }
    return folder;
}

bool NotifyCenter::post(const QString &name, Error *error)
{
    if (!checkName(name, error))
        return false;
    const QString folder = folderPath(error);
    if (folder.isEmpty())
        return false;
    const QByteArray path = QFile::encodeName(folder + QLatin1Char('/') + name);
    const int descriptor = ::open(path.constData(), O_WRONLY | O_CREAT | O_CLOEXEC | O_NOFOLLOW, 0600);
    if (descriptor < 0) {
        Error::report(error, posixError(errno, QStringLiteral("cannot post %1").arg(name)));
        return false;
    }
    // The content is only a clue for someone looking at the folder; closing the file is the signal. It is written
    // over in place: emptied and written anew, the file would take a new block at every post, which a journalling
    // file system writes out before its next commit, so that where the runtime folder is on the disk the library's
    // commit after a save would wait for it too.
    const QByteArray pid = QByteArray::number(::getpid()) + '\n';
    [[maybe_unused]] const ssize_t written = ::pwrite(descriptor, pid.constData(), size_t(pid.size()), 0);
    struct stat status = {};
    if (::fstat(descriptor, &status) == 0 && status.st_size != pid.size()) {
        [[maybe_unused]] const int truncated = ::ftruncate(descriptor, pid.size());
    }
    ::close(descriptor);
    return true;
}

bool NotifyCenter::startWatching(Error *error)
{
    if (m_notifier)
        return true;
    const QString folder = folderPath(error);
    if (folder.isEmpty())
        return false;
    const int descriptor = ::inotify_init1(IN_NONBLOCK | IN_CLOEXEC);
    if (descriptor < 0) {
        Error::report(error, posixError(errno, QStringLiteral("cannot start watching %1").arg(folder)));
        return false;
    }
    if (::inotify_add_watch(descriptor, QFile::encodeName(folder).constData(), IN_CLOSE_WRITE | IN_MOVED_TO) < 0) {
        Error::report(error, posixError(errno, QStringLiteral("cannot watch %1").arg(folder)));
        ::close(descriptor);
        return false;
    }
    m_inotify = descriptor;
    m_notifier = new QSocketNotifier(descriptor, QSocketNotifier::Read);
    connect(m_notifier, &QSocketNotifier::activated, this, &NotifyCenter::readEvents);
    return true;
}

int NotifyCenter::addObserver(const QString &name, Callback callback, Error *error)
{
    if (!checkName(name, error) || !startWatching(error))
        return 0;
    const int token = m_nextToken++;
    m_observers.emplace(token, Observer{name, std::move(callback)});
    return token;
}

void NotifyCenter::removeObserver(int token)
{
    m_observers.erase(token);
}

void NotifyCenter::readEvents()
{
    alignas(struct inotify_event) char buffer[8192];
    for (;;) {
        const ssize_t length = ::read(m_inotify, buffer, sizeof buffer);
        if (length <= 0)
            break;
        for (ssize_t offset = 0; offset < length;) {
            const auto *event = reinterpret_cast<const struct inotify_event *>(buffer + offset);
            if (event->mask & IN_Q_OVERFLOW) {
                // Some posts were lost: tell every observer rather than none.
                for (const auto &entry : m_observers)
                    m_pending.insert(entry.second.name);
            } else if (event->len > 0) {
                m_pending.insert(QFile::decodeName(event->name));
            }
            offset += static_cast<ssize_t>(sizeof(struct inotify_event) + event->len);
        }
    }
    if (!m_pending.isEmpty() && !m_coalescing.isActive())
        m_coalescing.start();
}

void NotifyCenter::deliver()
{
    const QSet<QString> names = std::exchange(m_pending, {});
    QVector<int> tokens;
    for (const auto &[token, observer] : m_observers) {
        if (names.contains(observer.name))
            tokens.append(token);
    }
    // Look each one up again: an earlier callback may have removed it, or destroyed the centre.
    const QPointer<NotifyCenter> alive(this);
    for (const int token : tokens) {
        if (!alive)
            return;
        const auto found = m_observers.find(token);
        if (found == m_observers.end())
            continue;
        const Callback callback = found->second.callback;
        callback();
    }
}

} // namespace knvt

#include "moc_NotifyCenter.cpp"
