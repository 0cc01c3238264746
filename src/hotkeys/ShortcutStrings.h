#pragma once

#include <QString>
#include <QtGlobal>

// Texts of key combinations in the current keyboard layout: the desktop's key names (Ctrl+Shift+K), which the recorder,
// its alerts and the hot key's description show, and the glyphs (⌃⌥⇧⌘K) and words (Command + Shift + K) of the
// stored form's own keyboards. Key codes are stored virtual key codes; Carbon
// flags are the masks of the stored hot key (cmdKey 0x100, shiftKey 0x200, optionKey 0x800, controlKey 0x1000),
// Cocoa flags those of the recorder (0x100000, 0x20000, 0x80000, 0x40000; the Function bit 0x800000 in both).

// The key's text through one shared transformer; empty when the key has none.
QString KNVTKeyCodeDisplayString(int keyCode);

// The glyph of each modifier present, in the order Control, Option, Shift, Command.
QString KNVTCarbonModifierGlyphString(quint64 carbonFlags);
QString KNVTCocoaModifierGlyphString(quint64 cocoaFlags);

// The modifier glyphs followed by the key's text.
QString KNVTCarbonShortcutGlyphString(quint64 carbonFlags, int keyCode);
QString KNVTCocoaShortcutGlyphString(quint64 cocoaFlags, int keyCode);

// "Command + ", "Option + ", "Control + ", "Shift + " for the modifiers present, then the key's text.
QString KNVTCarbonShortcutSpelledString(quint64 carbonFlags, int keyCode);
QString KNVTCocoaShortcutSpelledString(quint64 cocoaFlags, int keyCode);

// The desktop's own names of a combination, as QKeySequence::NativeText spells them ("Ctrl+Alt+E", "Meta+Shift+F5",
// "Ctrl+Num+1"): what the user is shown. Command is Ctrl, Option Alt, Control Meta (the Super key), as the hot keys
// take them; typing keys read as the current layout labels them. Empty when the key has no text (a dead key, no key).
QString KNVTCarbonShortcutNativeText(quint64 carbonFlags, int keyCode);
QString KNVTCocoaShortcutNativeText(quint64 cocoaFlags, int keyCode);
// The modifiers alone, as they are held while a shortcut is recorded ("Ctrl+Alt+"); empty without any.
QString KNVTCocoaModifierNativeText(quint64 cocoaFlags);

// The four modifiers mapped between the two forms; the Function bit is copied, every other bit dropped.
quint64 KNVTCocoaFlagsFromCarbonFlags(quint64 carbonFlags);
quint64 KNVTCarbonFlagsFromCocoaFlags(quint64 cocoaFlags);

// The character the key types under the Shift and Option of the flags, in title case; the key's text when the
// layout has no such key.
QString KNVTKeyCharacterForCarbonFlags(int keyCode, quint64 carbonFlags);
QString KNVTKeyCharacterForCocoaFlags(int keyCode, quint64 cocoaFlags);

// The recorder's animation curve: 0 at 0, 0.5 at 0.5, 1 at 1, slow at both ends.
double KNVTEaseInOut(double t);
