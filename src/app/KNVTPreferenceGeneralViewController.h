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
    // "Global shortcuts need an X11 display.", shown when no hot key can be registered.
    QLabel *globalShortcutsUnavailableLabel();
    knvt::ApplicationBadgeValuePopUp *applicationBadgeValuePopUpButton();

    void shortcutRecorderKeyComboDidChange(KNVTShortcutRecorderControl *recorder,
                                           knvt::RecorderKeyCombo combo) override;

protected:
    void loadView() override;
    void viewDidLoad() override;

private:
    QPointer<KNVTShortcutRecorderControl> m_quickTaskEntryRecorderControl;
    QPointer<QLabel> m_globalShortcutsUnavailableLabel;
    QPointer<knvt::ApplicationBadgeValuePopUp> m_applicationBadgeValuePopUpButton;
};
