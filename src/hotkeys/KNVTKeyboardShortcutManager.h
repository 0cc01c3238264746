#pragma once

#include <QObject>

#include <memory>

class KNVTHotKey;
class KNVTQuickEntryHost;

// Owns the quick-entry hot key: restores it from user defaults and registers it when created, registers and saves
// a new combination, and opens a new-task window through the host on every press.
class KNVTKeyboardShortcutManager : public QObject
{
    Q_OBJECT

public:
    // Restores and registers the stored combination; nothing is written to user defaults here.
    explicit KNVTKeyboardShortcutManager(QObject *parent = nullptr);
    ~KNVTKeyboardShortcutManager() override;

    // Created on first use and kept for the life of the process, unless one was installed.
    static KNVTKeyboardShortcutManager &sharedManager();
    // Installs `manager` (not owned) as the shared one, as a fresh start of the application makes it; nullptr goes
    // back to the process's own.
    static void setSharedManager(KNVTKeyboardShortcutManager *manager);

    std::shared_ptr<KNVTHotKey> quickTaskEntryHotKey() const { return m_quickTaskEntryHotKey; }
    // Keeps the hot key, registers it with its current combination (replacing the previous registration at once)
    // and writes that combination to user defaults, a cleared one included.
    void setQuickTaskEntryHotKey(const std::shared_ptr<KNVTHotKey> &hotKey);

    // Not owned; without a host a press opens nothing.
    void setQuickEntryHost(KNVTQuickEntryHost *host) { m_host = host; }
    KNVTQuickEntryHost *quickEntryHost() const { return m_host; }

    void hotKeyPressed(KNVTHotKey *hotKey);

private:
    std::shared_ptr<KNVTHotKey> m_quickTaskEntryHotKey;
    KNVTQuickEntryHost *m_host = nullptr;
};
