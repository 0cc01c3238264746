#pragma once

#include "hotkeys/RecorderKeyCombo.h"

#include <QString>

class KNVTShortcutRecorderControl;

// The owner of a shortcut recorder. Both operations are optional: by default nothing is taken and changes go
// unheard.
class KNVTShortcutRecorderDelegate
{
public:
    virtual ~KNVTShortcutRecorderDelegate();

    // True when the owner reserves the combination (Cocoa flags); `reason` completes the refusal's explanation.
    virtual bool shortcutRecorderIsKeyCodeTaken(KNVTShortcutRecorderControl *recorder, qint64 keyCode, quint64 flags,
                                                QString *reason);
    // After every change of the combination: recorded, cleared, loaded from the autosave or set by code.
    virtual void shortcutRecorderKeyComboDidChange(KNVTShortcutRecorderControl *recorder, knvt::RecorderKeyCombo combo);
};
