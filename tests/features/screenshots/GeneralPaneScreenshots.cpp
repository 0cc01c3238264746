#include "app/KNVTPreferenceGeneralViewController.h"
#include "hotkeys/HotKeyBackend.h"
#include "hotkeys/KNVTHotKey.h"
#include "hotkeys/KNVTHotKeyCenter.h"
#include "hotkeys/KNVTKeyboardShortcutManager.h"
#include "uikit/screenshots/Screenshots.h"

#include <QCoreApplication>
#include <QWidget>

namespace {

// A window system that takes every chord, for the pane as it looks on an X display.
class AcceptingBackend : public knvt::HotKeyBackend
{
public:
    bool isAvailable() const override { return true; }
    std::optional<knvt::GrabRecord> registerGrab(int keyCode, quint32 modifiers) override
    {
        return knvt::GrabRecord{++m_serial, keyCode, modifiers};
    }
    void unregisterGrab(const knvt::GrabRecord &) override {}
    bool isChordHeldElsewhere(int, quint32) override { return false; }
    void setSuspended(bool) override {}

private:
    quint64 m_serial = 0;
};

// A desktop that binds shortcuts itself and gave the recorded one another key.
class ReassigningDesktop : public AcceptingBackend
{
public:
    QString statusText() const override
    {
        // The portal backend's own text, through the translations as it is shown.
        return QCoreApplication::translate("knvt::PortalHotKeyBackend",
                                           "The desktop assigned %1 instead of the recorded shortcut.")
            .arg(QStringLiteral("Ctrl+Alt+K"));
    }
};

} // namespace

KNVT_SCREENSHOTS(PreferenceGeneralPane)
{
    // The combination is set on the hot key without saving it: the screenshots leave the user's defaults alone.
    {
        AcceptingBackend backend;
        KNVTHotKeyCenter::sharedCenter().setBackend(&backend);
        KNVTKeyboardShortcutManager manager;
        KNVTKeyboardShortcutManager::setSharedManager(&manager);
        manager.quickTaskEntryHotKey()->setKeyCombo({31, 768});
        KNVTPreferenceGeneralViewController pane;
        pane.view()->setAccessibleName(QStringLiteral("General"));
        writer.save(QStringLiteral("set"), pane.view());
        KNVTKeyboardShortcutManager::setSharedManager(nullptr);
        KNVTHotKeyCenter::sharedCenter().setBackend(nullptr);
    }
    {
        ReassigningDesktop backend;
        KNVTHotKeyCenter::sharedCenter().setBackend(&backend);
        KNVTKeyboardShortcutManager manager;
        KNVTKeyboardShortcutManager::setSharedManager(&manager);
        manager.quickTaskEntryHotKey()->setKeyCombo({31, 768});
        KNVTPreferenceGeneralViewController pane;
        writer.save(QStringLiteral("desktop-assigned-another-key"), pane.view());
        KNVTKeyboardShortcutManager::setSharedManager(nullptr);
        KNVTHotKeyCenter::sharedCenter().setBackend(nullptr);
    }
    {
        KNVTKeyboardShortcutManager manager;
        KNVTKeyboardShortcutManager::setSharedManager(&manager);
        manager.quickTaskEntryHotKey()->setKeyCombo({31, 768});
        KNVTPreferenceGeneralViewController pane;
        pane.view()->setAccessibleName(QStringLiteral("General"));
        writer.save(QStringLiteral("without-x11"), pane.view());
        KNVTKeyboardShortcutManager::setSharedManager(nullptr);
    }
}
