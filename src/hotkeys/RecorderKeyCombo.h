#pragma once

#include <QString>
#include <QtGlobal>

namespace knvt {

// The shortcut recorder's combination: Cocoa modifier flags (Command 0x100000, Option 0x80000, Control 0x40000,
// Shift 0x20000, Function 0x800000) and a stored key code, -1 for none. The empty combination is (0, -1).
struct RecorderKeyCombo
{
    quint64 flags = 0;
    qint64 code = -1;

    bool operator==(const RecorderKeyCombo &other) const = default;
};

// One key press as the recorder sees it, whatever the window system: the stored key code, the Cocoa flags held,
// and the characters typed with and without the modifiers (Shift still applies to the latter).
struct RecorderKeyEvent
{
    int keyCode = -1;
    quint64 cocoaFlags = 0;
    QString characters;
    QString charactersIgnoringModifiers;
};

} // namespace knvt
