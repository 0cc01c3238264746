#include "foundation/WallClockAlarm.h"

#include "foundation/Logging.h"

#include <QSocketNotifier>
#include <QtGlobal>

#include <cerrno>
#include <cstdint>
#include <sys/timerfd.h>
#include <unistd.h>

namespace knvt {

namespace {

class TimerFdAlarm final : public WallClockAlarm
{
public:
    explicit TimerFdAlarm(QObject *parent)
        : WallClockAlarm(parent), m_timer(::timerfd_create(CLOCK_REALTIME, TFD_NONBLOCK | TFD_CLOEXEC))
    {
        if (m_timer < 0) {
            qCWarning(lcFoundation, "WallClockAlarm: no timer available (errno %d); the alarm will never fire", errno);
            return;
        }
        m_notifier = new QSocketNotifier(m_timer, QSocketNotifier::Read, this);
        connect(m_notifier, &QSocketNotifier::activated, this, [this] { readTimer(); });
    }

    ~TimerFdAlarm() override
    {
        delete m_notifier;
        if (m_timer >= 0)
            ::close(m_timer);
    }

    void arm(const QDateTime &date) override
    {
        if (!date.isValid()) {
            disarm();
            return;
        }
        m_fireDate = date;
        if (m_timer < 0)
            return;
        // An all-zero expiry would disarm the timer, so a date at or before the epoch becomes its first nanosecond,
        // which has passed and fires at once like any other past date.
        const qint64 milliseconds = qMax<qint64>(date.toMSecsSinceEpoch(), 0);
        itimerspec spec = {};
        spec.it_value.tv_sec = static_cast<time_t>(milliseconds / 1000);
        spec.it_value.tv_nsec = static_cast<long>(milliseconds % 1000) * 1000000L;
        if (spec.it_value.tv_sec == 0 && spec.it_value.tv_nsec == 0)
            spec.it_value.tv_nsec = 1;
        if (::timerfd_settime(m_timer, TFD_TIMER_ABSTIME | TFD_TIMER_CANCEL_ON_SET, &spec, nullptr) != 0)
            qCWarning(lcFoundation, "WallClockAlarm: cannot arm the timer (errno %d)", errno);
    }

    void disarm() override
    {
        m_fireDate = QDateTime();
        if (m_timer < 0)
            return;
        const itimerspec spec = {};
        ::timerfd_settime(m_timer, 0, &spec, nullptr);
    }

    bool isArmed() const override { return m_fireDate.isValid(); }
    QDateTime fireDate() const override { return m_fireDate; }

private:
    void readTimer()
    {
        std::uint64_t expirations = 0;
        const ssize_t length = ::read(m_timer, &expirations, sizeof expirations);
        if (length == static_cast<ssize_t>(sizeof expirations)) {
            m_fireDate = QDateTime();
            emit fired();
        } else if (length < 0 && errno == ECANCELED) {
            emit clockChanged();
        }
        // EAGAIN: the alarm was disarmed or re-armed after the timer became readable; nothing happened.
    }

    const int m_timer;
    QSocketNotifier *m_notifier = nullptr;
    QDateTime m_fireDate;
};

} // namespace

WallClockAlarm::WallClockAlarm(QObject *parent) : QObject(parent) {}

WallClockAlarm::~WallClockAlarm() = default;

std::unique_ptr<WallClockAlarm> WallClockAlarm::create(QObject *parent)
{
    return std::make_unique<TimerFdAlarm>(parent);
}

} // namespace knvt

#include "moc_WallClockAlarm.cpp"
