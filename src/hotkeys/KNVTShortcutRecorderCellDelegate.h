#pragma once

#include "hotkeys/RecorderKeyCombo.h"

#include <QString>

class KNVTShortcutRecorderCell;

// Hears the recorder cell's questions and changes. Both operations are optional: by default nothing is taken and
// changes go unheard.
class KNVTShortcutRecorderCellDelegate
{
public:
    virtual ~KNVTShortcutRecorderCellDelegate();

    // True when the combination (Cocoa flags) is reserved; `reason` completes the refusal's explanation.
    virtual bool shortcutRecorderCellIsKeyCodeTaken(KNVTShortcutRecorderCell *cell, qint64 keyCode, quint64 flags,
                                                    QString *reason);
    // After every change of the combination, also when it was set to the value it had.
    virtual void shortcutRecorderCellKeyComboDidChange(KNVTShortcutRecorderCell *cell, knvt::RecorderKeyCombo combo);
};
