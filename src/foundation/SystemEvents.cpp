#include "foundation/SystemEvents.h"

#include "foundation/Logging.h"

#include <QFile>
#include <QFileInfo>
#include <QSocketNotifier>
#include <QTimer>

#include <cerrno>
#include <cstdint>
#include <ctime>
#include <limits>
#include <sys/inotify.h>
#include <sys/timerfd.h>
#include <unistd.h>

namespace knvt {

namespace {

// A zone change usually arrives twice (the file replaced, then timedated's signal), the file change itself as
// several inotify events; they are one change to the receivers.
constexpr int kZoneSettlingMilliseconds = 100;

class SystemWatchers final : public SystemEvents
{
    Q_OBJECT

public:
    SystemWatchers(const QString &zoneFile, QObject *parent)
        : SystemEvents(parent), m_zoneFileName(QFileInfo(zoneFile).fileName())
    {
        m_zoneSettling.setSingleShot(true);
        m_zoneSettling.setInterval(kZoneSettlingMilliseconds);
        connect(&m_zoneSettling, &QTimer::timeout, this, [this] {
            tzset();
            emit timeZoneChanged();
        });
        watchClock();
        watchZoneFile(QFileInfo(zoneFile).absolutePath());
    }

    ~SystemWatchers() override
    {
        delete m_clockNotifier;
        delete m_zoneNotifier;
        if (m_clock >= 0)
            ::close(m_clock);
        if (m_zoneWatch >= 0)
            ::close(m_zoneWatch);
    }

    void zoneMayHaveChanged() override { m_zoneSettling.start(); }

private:
    // A timer set for the end of time never fires; it only becomes readable, with ECANCELED, when the clock is set.
    bool armClockTimer()
    {
        itimerspec spec = {};
        spec.it_value.tv_sec = std::numeric_limits<time_t>::max();
        return ::timerfd_settime(m_clock, TFD_TIMER_ABSTIME | TFD_TIMER_CANCEL_ON_SET, &spec, nullptr) == 0;
    }

    void watchClock()
    {
        m_clock = ::timerfd_create(CLOCK_REALTIME, TFD_NONBLOCK | TFD_CLOEXEC);
        if (m_clock < 0 || !armClockTimer()) {
            qCWarning(lcFoundation, "SystemEvents: clock changes cannot be observed (errno %d)", errno);
            return;
        }
        m_clockNotifier = new QSocketNotifier(m_clock, QSocketNotifier::Read);
        connect(m_clockNotifier, &QSocketNotifier::activated, this, [this] {
            std::uint64_t expirations = 0;
            if (::read(m_clock, &expirations, sizeof expirations) < 0 && errno == ECANCELED) {
                armClockTimer();
                emit clockChanged();
            }
        });
    }

    // The folder is watched rather than the file: the file is normally a link that a zone change replaces, and a
    // watch on the file would stay on the old target.
    void watchZoneFile(const QString &folder)
    {
        m_zoneWatch = ::inotify_init1(IN_NONBLOCK | IN_CLOEXEC);
        if (m_zoneWatch < 0)
            return;
        const std::uint32_t events = IN_CREATE | IN_CLOSE_WRITE | IN_MOVED_TO | IN_MOVED_FROM | IN_DELETE;
        if (::inotify_add_watch(m_zoneWatch, QFile::encodeName(folder).constData(), events) < 0) {
            ::close(m_zoneWatch);
            m_zoneWatch = -1;
            return;
        }
        m_zoneNotifier = new QSocketNotifier(m_zoneWatch, QSocketNotifier::Read);
        connect(m_zoneNotifier, &QSocketNotifier::activated, this, [this] { readZoneEvents(); });
    }

    void readZoneEvents()
    {
        alignas(struct inotify_event) char buffer[4096];
        for (;;) {
            const ssize_t length = ::read(m_zoneWatch, buffer, sizeof buffer);
            if (length <= 0)
                return;
            for (ssize_t offset = 0; offset < length;) {
                const auto *event = reinterpret_cast<const struct inotify_event *>(buffer + offset);
                if ((event->mask & IN_Q_OVERFLOW)
                    || (event->len > 0 && QFile::decodeName(event->name) == m_zoneFileName))
                    m_zoneSettling.start();
                offset += static_cast<ssize_t>(sizeof(struct inotify_event) + event->len);
            }
        }
    }

    const QString m_zoneFileName;
    QTimer m_zoneSettling;
    int m_clock = -1;
    int m_zoneWatch = -1;
    QSocketNotifier *m_clockNotifier = nullptr;
    QSocketNotifier *m_zoneNotifier = nullptr;
};

} // namespace

SystemEvents::SystemEvents(QObject *parent) : QObject(parent) {}

SystemEvents::~SystemEvents() = default;

namespace {

SystemEvents::BusListener &installedBusListener()
{
    static SystemEvents::BusListener listener = nullptr;
    return listener;
}

} // namespace

void SystemEvents::setBusListener(BusListener listener)
{
    installedBusListener() = listener;
}

std::unique_ptr<SystemEvents> SystemEvents::create(const QString &zoneFile, QObject *parent)
{
    auto events = std::make_unique<SystemWatchers>(zoneFile, parent);
    if (installedBusListener())
        installedBusListener()(*events);
    return events;
}

} // namespace knvt

#include "SystemEvents.moc"

#include "moc_SystemEvents.cpp"
