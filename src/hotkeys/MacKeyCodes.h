#pragma once

#include <Qt>
#include <QtGlobal>

#include <optional>
#include <string_view>
#include <utility>

namespace knvt {

// Combinations are stored with the virtual key codes of the keyboard the program was first written for, so a stored
// combination names a physical key position whatever the layout. These functions are the only bridge between those
// codes and the key names of the X keyboard extension ("AC01" is the key right of Caps Lock on every layout).

// Modifier masks of the two stored forms.
inline constexpr unsigned kCarbonCommand = 0x0100;
inline constexpr unsigned kCarbonShift = 0x0200;
inline constexpr unsigned kCarbonOption = 0x0800;
inline constexpr unsigned kCarbonControl = 0x1000;
inline constexpr unsigned long long kCocoaShift = 0x20000;
inline constexpr unsigned long long kCocoaControl = 0x40000;
inline constexpr unsigned long long kCocoaOption = 0x80000;
inline constexpr unsigned long long kCocoaCommand = 0x100000;
// Copied unchanged between both forms; never a real modifier of a grab.
inline constexpr unsigned long long kFunctionKeyMask = 0x800000;

// The four modifiers in both forms, Carbon first.
inline constexpr std::pair<unsigned, unsigned long long> kModifierForms[] = {
    {kCarbonCommand, kCocoaCommand},
    {kCarbonOption, kCocoaOption},
    {kCarbonControl, kCocoaControl},
    {kCarbonShift, kCocoaShift},
};

// Qt's modifiers as Cocoa flags: Ctrl stands for Command (as in the application's own menu shortcuts), Alt for
// Option, Meta (the Super key) for Control.
quint64 cocoaFlagsFromQtModifiers(Qt::KeyboardModifiers modifiers);

// The XKB key name of a key code, or an empty view for a code that has no key on a PC keyboard.
std::string_view xkbKeyNameForMacKeyCode(int macKeyCode);
// The key code of an XKB key name (canonical names; "HELP" and "INS" both give the Help key).
std::optional<int> macKeyCodeForXkbKeyName(std::string_view name);

// F1 to F20, the arrows, Home, End, Page Up, Page Down, Help and keypad Clear report the Function bit, as they do on
// the keyboards the stored form comes from; Forward Delete does not, so pressed alone it still cancels a recording.
bool macKeyCodeCarriesFunctionBit(int macKeyCode);

// The key code at the US position of a Qt key, for key events that carry no scan code (the offscreen platform).
// `keypad` says the event came from the numeric keypad.
std::optional<int> macKeyCodeForQtKey(int qtKey, bool keypad);

} // namespace knvt
