#include "hotkeys/PortalHotKeyBackend.h"

#include "GlobalShortcutsPortalProxy.h"
#include "foundation/Timing.h"
#include "hotkeys/GlobalShortcutsPortal.h"
#include "hotkeys/KNVTHotKeyCenter.h"
#include "hotkeys/Logging.h"
#include "hotkeys/ShortcutStrings.h"

#include <QDBusArgument>
#include <QDBusMessage>
#include <QDBusObjectPath>
#include <QDBusPendingCallWatcher>
#include <QDBusPendingReply>
#include <QDBusServiceWatcher>
#include <QDBusVariant>
#include <QKeySequence>
#include <QTimer>

namespace knvt {

namespace {

// Two texts of a trigger name the same keys when they read alike without spaces and case, or parse to the same keys.
bool sameTrigger(const QString &assigned, const QString &nativeText, const QString &trigger)
{
    auto plain = [](QString text) { return text.remove(QLatin1Char(' ')).toLower(); };
    if (plain(assigned) == plain(nativeText) || plain(assigned) == plain(trigger))
        return true;
    const QKeySequence wanted = QKeySequence::fromString(nativeText, QKeySequence::NativeText);
    for (const QKeySequence::SequenceFormat format : {QKeySequence::NativeText, QKeySequence::PortableText}) {
        const QKeySequence read = QKeySequence::fromString(assigned, format);
        if (!read.isEmpty() && read == wanted)
            return true;
    }
    return false;
}

// a{sv} as QtDBus hands it over inside a message: not yet demarshalled.
QVariantMap mapOf(const QVariant &value)
{
    if (value.canConvert<QDBusArgument>())
        return qdbus_cast<QVariantMap>(value.value<QDBusArgument>());
    return value.toMap();
}

QString pathOf(const QVariant &value)
{
    if (value.canConvert<QDBusObjectPath>() && value.typeId() == qMetaTypeId<QDBusObjectPath>())
        return value.value<QDBusObjectPath>().path();
    return value.toString();
}

} // namespace

PortalHotKeyBackend::PortalHotKeyBackend(const QDBusConnection &bus, QObject *parent)
    : PortalHotKeyBackend(bus, Timeouts{}, parent)
{}

PortalHotKeyBackend::PortalHotKeyBackend(const QDBusConnection &bus, Timeouts timeouts, QObject *parent)
    : HotKeyBackend(parent), m_bus(bus), m_timeouts(timeouts)
{
    portal::registerTypes();
}

PortalHotKeyBackend::~PortalHotKeyBackend()
{
    // The centre must not reach a backend that is gone.
    KNVTHotKeyCenter &center = KNVTHotKeyCenter::sharedCenter();
    if (center.backend() == this)
        center.setBackend(nullptr);
    forgetAllRequests();
    closeSession();
}

void PortalHotKeyBackend::start()
{
    if (m_started)
        return;
    m_started = true;
    if (!m_bus.isConnected()) {
        qCInfo(lcHotkeys) << "PortalHotKeyBackend:start no session bus";
        setState(State::Unavailable);
        emit probed(false);
        return;
    }
    const QString service = QString::fromLatin1(portal::Service);
    m_portal =
        new OrgFreedesktopPortalGlobalShortcutsInterface(service, QString::fromLatin1(portal::Path), m_bus, this);
    m_portal->setTimeout(Timing::ms(m_timeouts.call));
    listenToPortal("Activated", SLOT(activated(QDBusMessage)));
    listenToPortal("Deactivated", SLOT(deactivated(QDBusMessage)));
    listenToPortal("ShortcutsChanged", SLOT(shortcutsChanged(QDBusMessage)));
    // A portal that ends (an upgrade restarts it) loses its sessions; the shortcut is bound again once the name has an
    // owner again, whether it came back after a gap or was taken over directly.
    auto *watcher = new QDBusServiceWatcher(service, m_bus, QDBusServiceWatcher::WatchForOwnerChange, this);
    connect(watcher, &QDBusServiceWatcher::serviceOwnerChanged, this,
            [this](const QString &, const QString &oldOwner, const QString &newOwner) {
                if (!oldOwner.isEmpty())
                    vanished();
                if (!newOwner.isEmpty() && (m_state == State::Vanished || m_state == State::Unavailable))
                    returned();
            });
    probe();
}

void PortalHotKeyBackend::probe()
{
    const QString service = QString::fromLatin1(portal::Service);
    const quint64 generation = ++m_probeGeneration;
    // The property is read with a call of its own: the proxy's getter would wait for the answer.
    QDBusMessage get =
        QDBusMessage::createMethodCall(service, QString::fromLatin1(portal::Path),
                                       QStringLiteral("org.freedesktop.DBus.Properties"), QStringLiteral("Get"));
    get << QString::fromLatin1(portal::GlobalShortcutsInterface) << QStringLiteral("version");
    auto *call = new QDBusPendingCallWatcher(m_bus.asyncCall(get, Timing::ms(m_timeouts.call)), this);
    connect(call, &QDBusPendingCallWatcher::finished, this, [this, generation](QDBusPendingCallWatcher *finished) {
        finished->deleteLater();
        const QDBusPendingReply<QDBusVariant> reply = *finished;
        // An answer of a portal that has ended since, or to an earlier question, says nothing about this one.
        if (m_state != State::Probing || generation != m_probeGeneration)
            return;
        const uint version = reply.isError() ? 0 : reply.value().variant().toUInt();
        if (version < portal::RequiredVersion) {
            qCInfo(lcHotkeys) << "PortalHotKeyBackend:probe no GlobalShortcuts portal:"
                              << (reply.isError() ? reply.error().message() : QStringLiteral("version 0"));
            setState(State::Unavailable);
            emit probed(false);
            return;
        }
        m_version = version;
        if (m_wanted)
            beginBinding();
        else
            setState(State::Idle);
        emit probed(true);
    });
}

// The portal's signals, like the requests' answers, are taken from the bus by the portal's well-known name and read
// from the message itself: under Qt 6.4 a slot taking Activated's arguments one by one was never called, while one
// taking the message is.
void PortalHotKeyBackend::listenToPortal(const char *signal, const char *slot)
{
    m_bus.connect(QString::fromLatin1(portal::Service), QString::fromLatin1(portal::Path),
                  QString::fromLatin1(portal::GlobalShortcutsInterface), QString::fromLatin1(signal), this, slot);
}

QString PortalHotKeyBackend::preferredTrigger() const
{
    return m_wanted ? m_wanted->trigger : QString();
}

bool PortalHotKeyBackend::desktopAssignedAnotherTrigger() const
{
    return m_state == State::Bound && m_wanted && !m_assigned.isEmpty()
        && !sameTrigger(m_assigned, m_wanted->nativeText, m_wanted->trigger);
}

bool PortalHotKeyBackend::isAvailable() const
{
    return m_state != State::Unavailable && m_state != State::Vanished;
}

std::optional<GrabRecord> PortalHotKeyBackend::registerGrab(int keyCode, quint32 carbonModifiers)
{
    // A portal that has stopped is expected back: the shortcut waits for it, as it waits for the first answer.
    if (m_state == State::Unavailable)
        return std::nullopt;
    if (m_wanted) {
        // The program has one global shortcut; the centre lets it go before it registers it again.
        qCWarning(lcHotkeys) << "PortalHotKeyBackend:registerGrab a shortcut is already bound";
        return std::nullopt;
    }
    const std::optional<QString> trigger = portal::triggerFor(keyCode, carbonModifiers);
    if (!trigger) {
        m_failure = tr("the key has no name the desktop knows");
        setState(State::Failed);
        return std::nullopt;
    }
    const GrabRecord record{m_nextSerial++, keyCode, carbonModifiers};
    m_wanted = Wanted{record, *trigger, KNVTCarbonShortcutNativeText(carbonModifiers, keyCode)};
    if (m_state == State::Probing || m_state == State::Vanished)
        emit statusChanged(); // bound once the portal has answered
    else
        beginBinding();
    return record;
}

void PortalHotKeyBackend::unregisterGrab(const GrabRecord &record)
{
    if (!m_wanted || m_wanted->record != record)
        return;
    m_wanted.reset();
    abandonRequests();
    closeSession();
    m_assigned.clear();
    if (isAvailable() && m_state != State::Probing)
        setState(State::Idle);
    else
        emit statusChanged();
}

bool PortalHotKeyBackend::isChordHeldElsewhere(int, quint32)
{
    return false;
}

void PortalHotKeyBackend::setSuspended(bool suspended)
{
    m_suspended = suspended;
}

void PortalHotKeyBackend::setState(State state)
{
    m_state = state;
    emit statusChanged();
}

QString PortalHotKeyBackend::nextToken()
{
    return QStringLiteral("quillvane%1").arg(m_nextToken++);
}

// A binding always starts from a session of its own: the portal binds a session's shortcuts once.
void PortalHotKeyBackend::beginBinding()
{
    abandonRequests();
    closeSession();
    m_assigned.clear();
    m_failure.clear();
    setState(State::Binding);
    createSession();
}

void PortalHotKeyBackend::createSession()
{
    const QString token = nextToken();
    const QString path = portal::requestPath(m_bus.baseService(), token);
    listen(path, RequestKind::Session, m_timeouts.session);
    const QVariantMap options{{QStringLiteral("handle_token"), token},
                              {QStringLiteral("session_handle_token"), nextToken()}};
    watchCall(m_portal->CreateSession(options), path);
}

void PortalHotKeyBackend::bindShortcut()
{
    const QString token = nextToken();
    const QString path = portal::requestPath(m_bus.baseService(), token);
    listen(path, RequestKind::Bind, m_timeouts.bind);
    const portal::Shortcuts shortcuts{{QString::fromLatin1(ShortcutId),
                                       {{QStringLiteral("description"), tr("Open Quick Entry to add a task")},
                                        {QStringLiteral("preferred_trigger"), m_wanted->trigger}}}};
    watchCall(m_portal->BindShortcuts(QDBusObjectPath(m_session), shortcuts, QString(),
                                      {{QStringLiteral("handle_token"), token}}),
              path);
}

void PortalHotKeyBackend::listen(const QString &path, RequestKind kind, double seconds)
{
    // Subscribed before the call, so that an answer sent at once is not missed.
    m_bus.connect(QString::fromLatin1(portal::Service), path, QString::fromLatin1(portal::RequestInterface),
                  QStringLiteral("Response"), this, SLOT(requestAnswered(QDBusMessage)));
    auto *timer = new QTimer(this);
    timer->setSingleShot(true);
    connect(timer, &QTimer::timeout, this, [this, path] {
        const auto found = m_requests.constFind(path);
        if (found == m_requests.cend())
            return;
        if (found->abandoned) {
            forget(path);
            return;
        }
        qCWarning(lcHotkeys) << "PortalHotKeyBackend:listen no answer from the desktop at" << path;
        fail(tr("the desktop did not answer"));
    });
    timer->start(Timing::ms(seconds));
    m_requests.insert(path, Request{kind, timer});
}

void PortalHotKeyBackend::forget(const QString &path)
{
    const Request request = m_requests.take(path);
    if (request.timer == nullptr)
        return;
    request.timer->stop();
    request.timer->deleteLater();
    m_bus.disconnect(QString::fromLatin1(portal::Service), path, QString::fromLatin1(portal::RequestInterface),
                     QStringLiteral("Response"), this, SLOT(requestAnswered(QDBusMessage)));
}

void PortalHotKeyBackend::forgetAllRequests()
{
    const QList<QString> paths = m_requests.keys();
    for (const QString &path : paths)
        forget(path);
}

// A session being opened is still waited for, so that it does not stay open at the desktop; answers to anything else
// are no longer heard.
void PortalHotKeyBackend::abandonRequests()
{
    const QList<QString> paths = m_requests.keys();
    for (const QString &path : paths) {
        if (m_requests[path].kind == RequestKind::Session)
            m_requests[path].abandoned = true;
        else
            forget(path);
    }
}

void PortalHotKeyBackend::watchCall(const QDBusPendingCall &call, const QString &requestPath)
{
    auto *watcher = new QDBusPendingCallWatcher(call, this);
    connect(watcher, &QDBusPendingCallWatcher::finished, this, [this, requestPath](QDBusPendingCallWatcher *done) {
        done->deleteLater();
        if (!m_requests.contains(requestPath))
            return;
        const QDBusPendingReply<QDBusObjectPath> reply = *done;
        const Request request = m_requests.value(requestPath);
        if (reply.isError()) {
            qCWarning(lcHotkeys) << "PortalHotKeyBackend:watchCall" << reply.error().name() << reply.error().message();
            if (request.abandoned)
                forget(requestPath);
            else
                fail(reply.error().message());
            return;
        }
        const QString handle = reply.value().path();
        if (handle != requestPath) {
            // A portal that names its requests otherwise answers at the path it returned.
            const int remaining = request.timer->remainingTime();
            forget(requestPath);
            listen(handle, request.kind, std::max(remaining, 1) / 1000.0 / Timing::scale());
            m_requests[handle].abandoned = request.abandoned;
        }
    });
}

void PortalHotKeyBackend::requestAnswered(const QDBusMessage &message)
{
    const QString path = message.path();
    const auto found = m_requests.constFind(path);
    const QVariantList arguments = message.arguments();
    if (found == m_requests.cend() || arguments.size() < 2)
        return;
    const uint response = arguments.at(0).toUInt();
    const QVariantMap results = mapOf(arguments.at(1));
    const RequestKind kind = found->kind;
    const bool abandoned = found->abandoned;
    forget(path);
    if (abandoned) {
        if (kind == RequestKind::Session && response == portal::ResponseSuccess)
            closeSessionAt(pathOf(results.value(QStringLiteral("session_handle"))));
        return;
    }
    if (kind == RequestKind::Session) {
        if (response != portal::ResponseSuccess) {
            fail(tr("the desktop did not open a session"));
            return;
        }
        m_session = pathOf(results.value(QStringLiteral("session_handle")));
        if (m_session.isEmpty()) {
            fail(tr("the desktop did not open a session"));
            return;
        }
        if (m_wanted)
            bindShortcut();
        else
            closeSession();
        return;
    }
    if (response == portal::ResponseCancelled) {
        m_assigned.clear();
        setState(State::Refused);
        return;
    }
    if (response != portal::ResponseSuccess) {
        fail(tr("the desktop reported an error"));
        return;
    }
    applyShortcuts(results.value(QStringLiteral("shortcuts")));
}

void PortalHotKeyBackend::applyShortcuts(const QVariant &shortcuts)
{
    for (const auto &[id, properties] : portal::shortcutsFrom(shortcuts)) {
        if (id == QLatin1String(ShortcutId)) {
            m_assigned = properties.value(QStringLiteral("trigger_description")).toString();
            setState(State::Bound);
            return;
        }
    }
    // The desktop leaves out a shortcut the user did not give a trigger.
    m_assigned.clear();
    setState(State::Refused);
}

void PortalHotKeyBackend::closeSession()
{
    closeSessionAt(m_session);
    m_session.clear();
}

void PortalHotKeyBackend::closeSessionAt(const QString &session)
{
    if (session.isEmpty() || !m_bus.isConnected())
        return;
    m_bus.send(QDBusMessage::createMethodCall(QString::fromLatin1(portal::Service), session,
                                              QString::fromLatin1(portal::SessionInterface), QStringLiteral("Close")));
}

void PortalHotKeyBackend::fail(const QString &reason)
{
    abandonRequests();
    closeSession();
    m_assigned.clear();
    m_failure = reason;
    setState(State::Failed);
}

namespace {

// The session and shortcut id a portal signal is about, and its arguments as Qt values.
struct PortalSignal
{
    QString session;
    QString shortcutId;
    QVariantList arguments;
};

PortalSignal readSignal(const QDBusMessage &message)
{
    PortalSignal read;
    read.arguments = message.arguments();
    if (!read.arguments.isEmpty())
        read.session = pathOf(read.arguments.at(0));
    if (read.arguments.size() > 1 && read.arguments.at(1).typeId() == QMetaType::QString)
        read.shortcutId = read.arguments.at(1).toString();
    return read;
}

} // namespace

bool PortalHotKeyBackend::concernsTheShortcut(const QString &session, const QString &shortcutId) const
{
    return m_wanted && !m_session.isEmpty() && session == m_session && shortcutId == QLatin1String(ShortcutId);
}

void PortalHotKeyBackend::activated(const QDBusMessage &message)
{
    const PortalSignal read = readSignal(message);
    if (m_suspended || !concernsTheShortcut(read.session, read.shortcutId))
        return;
    const QVariantMap options = read.arguments.size() > 3 ? mapOf(read.arguments.at(3)) : QVariantMap();
    // The portal's time stamp is not the window system's time; the token stands in for it.
    reportEvent(m_wanted->record, true, 0, options.value(QStringLiteral("activation_token")).toString());
}

void PortalHotKeyBackend::deactivated(const QDBusMessage &message)
{
    const PortalSignal read = readSignal(message);
    if (concernsTheShortcut(read.session, read.shortcutId))
        reportEvent(m_wanted->record, false, 0);
}

void PortalHotKeyBackend::shortcutsChanged(const QDBusMessage &message)
{
    const PortalSignal read = readSignal(message);
    if (!m_wanted || m_session.isEmpty() || read.session != m_session || read.arguments.size() < 2)
        return;
    applyShortcuts(read.arguments.at(1));
}

void PortalHotKeyBackend::vanished()
{
    if (m_state == State::Unavailable || m_state == State::Vanished)
        return;
    qCWarning(lcHotkeys) << "PortalHotKeyBackend:vanished the desktop's portal left the bus";
    forgetAllRequests();
    m_session.clear();
    m_assigned.clear();
    setState(State::Vanished);
    if (!m_version)
        emit probed(false);
}

// The sessions of the portal that ended went with it: the wanted shortcut is bound afresh once the new one answers.
// Nothing of the old portal is left to forget: vanished() forgot it, and a portal found unavailable was only asked
// for its version.
void PortalHotKeyBackend::returned()
{
    qCInfo(lcHotkeys) << "PortalHotKeyBackend:returned the desktop's portal is on the bus again";
    m_failure.clear();
    setState(State::Probing);
    probe();
}

QString PortalHotKeyBackend::statusText() const
{
    switch (m_state) {
    case State::Probing:
    case State::Binding: return m_wanted ? tr("Waiting for the desktop to bind the shortcut\u2026") : QString();
    case State::Unavailable:
        return tr("Global shortcuts are unavailable: this desktop offers no global shortcuts portal.");
    case State::Idle: return {};
    case State::Bound:
        if (m_assigned.isEmpty())
            return tr("The desktop bound the shortcut.");
        if (desktopAssignedAnotherTrigger())
            return tr("The desktop assigned %1 instead of the recorded shortcut.").arg(m_assigned);
        return tr("The desktop bound the shortcut to %1.").arg(m_assigned);
    case State::Refused:
        return tr("The desktop did not bind the shortcut: it was refused or left without a key. There is no global "
                  "key.");
    case State::Failed:
        return tr("The desktop could not bind the shortcut: %1. There is no global key.").arg(m_failure);
    case State::Vanished:
        return tr("The desktop's global shortcuts portal has stopped. There is no global key until it starts again.");
    }
    return {};
}

} // namespace knvt
