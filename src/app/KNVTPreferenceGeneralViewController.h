#pragma once

#include "accounts/KNVTPreferenceViewController.h"
#include "hotkeys/KNVTShortcutRecorderDelegate.h"

#include <QPointer>

class KNVTShortcutRecorderControl;
class QLabel;

namespace knvt {
class ApplicationBadgeValuePopUp;
}

// The General pane of the preferences: the quick-entry shortcut, recorded with the shortcut recorder and handed to
// the keyboard shortcut manager, which registers and saves it at once; and what the launcher badge counts.
class KNVTPreferenceGeneralViewController : public KNVTPreferenceViewController, public KNVTShortcutRecorderDelegate
{
    Q_OBJECT

public:
    explicit KNVTPreferenceGeneralViewController(QObject *parent = nullptr);
    ~KNVTPreferenceGeneralViewController() override;

    KNVTShortcutRecorderControl *quickTaskEntryRecorderControl();
    // Why no hot key can be registered: "Global shortcuts need an X11 display.", or the desktop portal's reason.
    QLabel *globalShortcutsUnavailableLabel();
    // What the desktop made of the recorded shortcut, where the desktop binds it (the trigger it assigned, a refusal);
    // hidden when there is nothing to say.
    QLabel *desktopShortcutLabel();
    knvt::ApplicationBadgeValuePopUp *applicationBadgeValuePopUpButton();

    void shortcutRecorderKeyComboDidChange(KNVTShortcutRecorderControl *recorder,
                                           knvt::RecorderKeyCombo combo) override;

protected:
    void loadView() override;
    void viewDidLoad() override;

private:
    void showGlobalShortcutStatus();

    QPointer<KNVTShortcutRecorderControl> m_quickTaskEntryRecorderControl;
    QPointer<QLabel> m_globalShortcutsUnavailableLabel;
    QPointer<QLabel> m_desktopShortcutLabel;
    QPointer<knvt::ApplicationBadgeValuePopUp> m_applicationBadgeValuePopUpButton;
};
