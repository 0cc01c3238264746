#include "hotkeys/KNVTKeyboardShortcutManager.h"

#include "foundation/Defaults.h"
#include "hotkeys/KNVTHotKey.h"
#include "hotkeys/KNVTHotKeyCenter.h"
#include "hotkeys/KNVTQuickEntryHost.h"
#include "hotkeys/Logging.h"
#include "uikit/KNVTPreferenceKeys.h"

KNVTQuickEntryHost::~KNVTQuickEntryHost() = default;

namespace {

KNVTKeyboardShortcutManager *g_installedManager = nullptr;

} // namespace

KNVTKeyboardShortcutManager::KNVTKeyboardShortcutManager(QObject *parent) : QObject(parent)
{
    KNVTHotKeyCenter &center = KNVTHotKeyCenter::sharedCenter();
    center.unregisterHotKey(m_quickTaskEntryHotKey);
    const QString key = QString::fromLatin1(KNVTQuickTaskEntryKeyboardShortcutHotKey);
    const KNVTKeyCombo combo = KNVTKeyCombo::fromPlistRepresentation(knvt::Defaults::standard().value(key));
    m_quickTaskEntryHotKey =
        std::make_shared<KNVTHotKey>(key, combo, this, [this](KNVTHotKey *hotKey) { hotKeyPressed(hotKey); });
    center.registerHotKey(m_quickTaskEntryHotKey);
}

KNVTKeyboardShortcutManager::~KNVTKeyboardShortcutManager()
{
    // The shared manager lives as long as the process; a manager made for a while leaves no chord behind.
    if (g_installedManager == this)
        g_installedManager = nullptr;
    KNVTHotKeyCenter::sharedCenter().unregisterHotKey(m_quickTaskEntryHotKey);
}

KNVTKeyboardShortcutManager &KNVTKeyboardShortcutManager::sharedManager()
{
    if (g_installedManager != nullptr)
        return *g_installedManager;
    static KNVTKeyboardShortcutManager *manager = new KNVTKeyboardShortcutManager;
    return *manager;
}

void KNVTKeyboardShortcutManager::setSharedManager(KNVTKeyboardShortcutManager *manager)
{
    g_installedManager = manager;
}

void KNVTKeyboardShortcutManager::setQuickTaskEntryHotKey(const std::shared_ptr<KNVTHotKey> &hotKey)
{
    KNVTHotKeyCenter &center = KNVTHotKeyCenter::sharedCenter();
    if (hotKey && hotKey != m_quickTaskEntryHotKey) {
        // Only one quick-entry chord may stay live.
        center.unregisterHotKey(m_quickTaskEntryHotKey);
        m_quickTaskEntryHotKey = hotKey;
    }
    center.registerHotKey(m_quickTaskEntryHotKey);
    knvt::Defaults::standard().setValue(QString::fromLatin1(KNVTQuickTaskEntryKeyboardShortcutHotKey),
                                        m_quickTaskEntryHotKey->keyCombo().plistRepresentation());
}

void KNVTKeyboardShortcutManager::hotKeyPressed(KNVTHotKey *)
{
    if (m_host == nullptr) {
        qCInfo(lcHotkeys) << "KNVTKeyboardShortcutManager:hotKeyPressed no quick-entry window to open";
        return;
    }
    const KNVTHotKeyCenter &center = KNVTHotKeyCenter::sharedCenter();
    m_host->openQuickEntryWindow(center.currentEventTime(), center.currentActivationToken());
}
