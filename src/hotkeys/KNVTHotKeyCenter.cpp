#include "hotkeys/KNVTHotKeyCenter.h"

#include "foundation/Assert.h"
#include "hotkeys/HotKeyBackend.h"
#include "hotkeys/Logging.h"

namespace {

// Numbers are never reused within a process, also across backends.
quint32 g_hotKeyNumber = 0;

} // namespace

KNVTHotKeyCenter &KNVTHotKeyCenter::sharedCenter()
{
    static KNVTHotKeyCenter *center = new KNVTHotKeyCenter;
    return *center;
}

void KNVTHotKeyCenter::setBackend(knvt::HotKeyBackend *backend)
{
    if (m_backend == backend)
        return;
    if (m_backend != nullptr) {
        for (const knvt::GrabRecord &record : std::as_const(m_records))
            m_backend->unregisterGrab(record);
        m_backend->setEventHandler({});
    }
    m_hotKeys.clear();
    m_records.clear();
    m_eventHandlerInstalled = false;
    m_backend = backend;
}

void KNVTHotKeyCenter::moveHotKeysTo(knvt::HotKeyBackend *backend)
{
    const QList<std::shared_ptr<KNVTHotKey>> hotKeys = allHotKeys();
    setBackend(backend);
    for (const std::shared_ptr<KNVTHotKey> &hotKey : hotKeys)
        registerHotKey(hotKey);
}

std::optional<quint64> KNVTHotKeyCenter::serialOf(const KNVTHotKey *hotKey) const
{
    std::optional<quint64> found;
    for (auto it = m_hotKeys.cbegin(); it != m_hotKeys.cend(); ++it) {
        if (it->hotKey.get() == hotKey) {
            KNVT_ASSERT(!found && "Failed to find Carbon Hotkey for KNVTHotKey", "KNVTHotKeyCenter",
                        "_carbonHotKeyForHotKey:");
            found = it.key();
        }
    }
    return found;
}

bool KNVTHotKeyCenter::registerHotKey(const std::shared_ptr<KNVTHotKey> &hotKey)
{
    if (!hotKey)
        return false;
    if (serialOf(hotKey.get()))
        unregisterHotKey(hotKey);
    const KNVTKeyCombo combo = hotKey->keyCombo();
    if (!combo.isValidHotKeyCombo())
        return true;

    const KNVTHotKeyID hotKeyID{KNVTHotKeySignature, ++g_hotKeyNumber};
    hotKey->setHotKeyID(hotKeyID);
    const std::optional<knvt::GrabRecord> record =
        m_backend == nullptr ? std::nullopt : m_backend->registerGrab(int(combo.keyCode()), quint32(combo.modifiers()));
    if (!record) {
        qCInfo(lcHotkeys) << "KNVTHotKeyCenter:registerHotKey couldn't register" << hotKey->description();
        return false;
    }
    m_hotKeys.insert(record->serial, Registration{record->serial, hotKeyID, hotKey});
    m_records.insert(record->serial, *record);
    updateEventHandler();
    return true;
}

void KNVTHotKeyCenter::unregisterHotKey(const std::shared_ptr<KNVTHotKey> &hotKey)
{
    if (!hotKey)
        return;
    const std::optional<quint64> serial = serialOf(hotKey.get());
    if (!serial)
        return;
    // The chord released is the one recorded at registration: the hot key's combination may have changed since.
    if (m_backend != nullptr)
        m_backend->unregisterGrab(m_records.value(*serial));
    m_hotKeys.remove(*serial);
    m_records.remove(*serial);
    updateEventHandler();
}

QList<std::shared_ptr<KNVTHotKey>> KNVTHotKeyCenter::allHotKeys() const
{
    QList<std::shared_ptr<KNVTHotKey>> result;
    for (const Registration &registration : m_hotKeys)
        result.append(registration.hotKey);
    return result;
}

std::shared_ptr<KNVTHotKey> KNVTHotKeyCenter::hotKeyWithIdentifier(const QString &identifier) const
{
    if (identifier.isNull())
        return nullptr;
    for (const Registration &registration : m_hotKeys) {
        if (registration.hotKey->identifier() == identifier)
            return registration.hotKey;
    }
    return nullptr;
}

void KNVTHotKeyCenter::updateEventHandler()
{
    if (m_hotKeys.isEmpty() || m_eventHandlerInstalled || m_backend == nullptr)
        return;
    // Installed once and kept, also when the registry becomes empty again.
    m_backend->setEventHandler(
        [this](const knvt::GrabRecord &record, bool pressed, quint32 time, const QString &activationToken) {
            backendReported(record, pressed, time, activationToken);
        });
    m_eventHandlerInstalled = true;
}

void KNVTHotKeyCenter::backendReported(const knvt::GrabRecord &record, bool pressed, quint32 time,
                                       const QString &activationToken)
{
    const auto registration = m_hotKeys.constFind(record.serial);
    if (registration == m_hotKeys.cend())
        return;
    sendHotKeyEvent(
        {pressed ? EventKind::Pressed : EventKind::Released, registration->hotKeyID, time, activationToken});
}

int KNVTHotKeyCenter::sendHotKeyEvent(const HotKeyEvent &event)
{
    KNVT_ASSERT(event.hotKeyID.signature == KNVTHotKeySignature && "Invalid hot key id", "KNVTHotKeyCenter",
                "sendCarbonEvent:");
    KNVT_ASSERT(event.hotKeyID.id != 0 && "Invalid hot key id", "KNVTHotKeyCenter", "sendCarbonEvent:");
    std::shared_ptr<KNVTHotKey> matching;
    for (const Registration &registration : std::as_const(m_hotKeys)) {
        if (registration.hotKey->matchesHotKeyID(event.hotKeyID)) {
            matching = registration.hotKey;
            break;
        }
    }
    if (matching && event.kind == EventKind::Pressed) {
        m_currentEventTime = event.time;
        m_currentActivationToken = event.activationToken;
        matching->invoke();
        // A token lets one window take the focus once; a later press brings its own.
        m_currentActivationToken.clear();
    }
    return 0;
}

void KNVTHotKeyCenter::setSuspended(bool suspended)
{
    if (m_backend != nullptr)
        m_backend->setSuspended(suspended);
}
