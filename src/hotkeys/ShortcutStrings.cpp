#include "hotkeys/ShortcutStrings.h"

#include "hotkeys/KNVTKeyCodeTransformer.h"
#include "hotkeys/KeyboardLayoutSource.h"
#include "hotkeys/MacKeyCodes.h"

#include <QCoreApplication>
#include <QKeySequence>

#include <algorithm>

#include <cmath>
#include <numbers>

using namespace knvt;

namespace {

QString tr(const char *text)
{
    return QCoreApplication::translate("KNVTShortcuts", text);
}

QString glyphs(quint64 cocoaFlags)
{
    QString result;
    if (cocoaFlags & kCocoaControl)
        result += QChar(0x2303);
    if (cocoaFlags & kCocoaOption)
        result += QChar(0x2325);
    if (cocoaFlags & kCocoaShift)
        result += QChar(0x21E7);
    if (cocoaFlags & kCocoaCommand)
        result += QChar(0x2318);
    return result;
}

QString spelled(quint64 cocoaFlags)
{
    QString result;
    if (cocoaFlags & kCocoaCommand)
        result += tr("Command + ");
    if (cocoaFlags & kCocoaOption)
        result += tr("Option + ");
    if (cocoaFlags & kCocoaControl)
        result += tr("Control + ");
    if (cocoaFlags & kCocoaShift)
        result += tr("Shift + ");
    return result;
}

// Keys whose name does not depend on the layout, by the Qt key that QKeySequence names them with. The Help position
// is the Insert key of a PC keyboard.
constexpr std::pair<int, Qt::Key> kNamedKeys[] = {
    {36, Qt::Key_Return},  {48, Qt::Key_Tab},   {49, Qt::Key_Space},     {51, Qt::Key_Backspace}, {53, Qt::Key_Escape},
    {71, Qt::Key_Clear},   {76, Qt::Key_Enter}, {114, Qt::Key_Insert},   {115, Qt::Key_Home},     {116, Qt::Key_PageUp},
    {117, Qt::Key_Delete}, {119, Qt::Key_End},  {121, Qt::Key_PageDown}, {123, Qt::Key_Left},     {124, Qt::Key_Right},
    {125, Qt::Key_Down},   {126, Qt::Key_Up},   {122, Qt::Key_F1},       {120, Qt::Key_F2},       {99, Qt::Key_F3},
    {118, Qt::Key_F4},     {96, Qt::Key_F5},    {97, Qt::Key_F6},        {98, Qt::Key_F7},        {100, Qt::Key_F8},
    {101, Qt::Key_F9},     {109, Qt::Key_F10},  {103, Qt::Key_F11},      {111, Qt::Key_F12},      {105, Qt::Key_F13},
    {107, Qt::Key_F14},    {113, Qt::Key_F15},  {106, Qt::Key_F16},      {64, Qt::Key_F17},       {79, Qt::Key_F18},
    {80, Qt::Key_F19},     {90, Qt::Key_F20},
};

constexpr int kKeypadKeys[] = {65, 67, 69, 75, 78, 81, 82, 83, 84, 85, 86, 87, 88, 89, 91, 92};

Qt::KeyboardModifiers qtModifiers(quint64 cocoaFlags)
{
    Qt::KeyboardModifiers modifiers;
    if (cocoaFlags & kCocoaCommand)
        modifiers |= Qt::ControlModifier;
    if (cocoaFlags & kCocoaOption)
        modifiers |= Qt::AltModifier;
    if (cocoaFlags & kCocoaControl)
        modifiers |= Qt::MetaModifier;
    if (cocoaFlags & kCocoaShift)
        modifiers |= Qt::ShiftModifier;
    return modifiers;
}

// The Qt key the desktop names the key by: a fixed key's own, else the upper-cased character the key types on the
// current layout (keypad keys with the keypad modifier). Nothing for a key that types nothing.
std::optional<QKeyCombination> qtKeyOf(int keyCode)
{
    for (const auto &[code, key] : kNamedKeys) {
        if (code == keyCode)
            return QKeyCombination(key);
    }
    const QString typed = KeyboardLayoutSource::current().baseCharacters(keyCode);
    if (typed.isEmpty() || !typed.at(0).isPrint())
        return std::nullopt;
    const char32_t character = QChar::toUpper(typed.toUcs4().constFirst());
    const bool keypad = std::find(std::begin(kKeypadKeys), std::end(kKeypadKeys), keyCode) != std::end(kKeypadKeys);
    return QKeyCombination(keypad ? Qt::KeypadModifier : Qt::NoModifier, Qt::Key(character));
}

} // namespace

QString KNVTCarbonShortcutNativeText(quint64 carbonFlags, int keyCode)
{
    return KNVTCocoaShortcutNativeText(KNVTCocoaFlagsFromCarbonFlags(carbonFlags), keyCode);
}

QString KNVTCocoaShortcutNativeText(quint64 cocoaFlags, int keyCode)
{
    const std::optional<QKeyCombination> key = qtKeyOf(static_cast<qint16>(keyCode));
    if (!key) {
        // A key the layout gives no character: its text as the recorder knows it, after the modifiers' names.
        const QString text = KNVTKeyCodeDisplayString(keyCode);
        return text.isEmpty() ? QString() : KNVTCocoaModifierNativeText(cocoaFlags) + text;
    }
    const QKeyCombination combination(key->keyboardModifiers() | qtModifiers(cocoaFlags), key->key());
    return QKeySequence(combination).toString(QKeySequence::NativeText);
}

QString KNVTCocoaModifierNativeText(quint64 cocoaFlags)
{
    const Qt::KeyboardModifiers modifiers = qtModifiers(cocoaFlags);
    if (modifiers == Qt::NoModifier)
        return {};
    // A sequence of modifiers alone ends in the separator: "Ctrl+Alt+".
    return QKeySequence(QKeyCombination(modifiers, Qt::Key(0))).toString(QKeySequence::NativeText);
}

QString KNVTKeyCodeDisplayString(int keyCode)
{
    static const KNVTKeyCodeTransformer transformer;
    return transformer.transform(static_cast<qint16>(keyCode)).value_or(QString());
}

QString KNVTCarbonModifierGlyphString(quint64 carbonFlags)
{
    return glyphs(KNVTCocoaFlagsFromCarbonFlags(carbonFlags));
}

QString KNVTCocoaModifierGlyphString(quint64 cocoaFlags)
{
    return glyphs(cocoaFlags);
}

QString KNVTCarbonShortcutGlyphString(quint64 carbonFlags, int keyCode)
{
    return KNVTCarbonModifierGlyphString(carbonFlags) + KNVTKeyCodeDisplayString(keyCode);
}

QString KNVTCocoaShortcutGlyphString(quint64 cocoaFlags, int keyCode)
{
    return KNVTCocoaModifierGlyphString(cocoaFlags) + KNVTKeyCodeDisplayString(keyCode);
}

QString KNVTCarbonShortcutSpelledString(quint64 carbonFlags, int keyCode)
{
    return spelled(KNVTCocoaFlagsFromCarbonFlags(carbonFlags)) + KNVTKeyCodeDisplayString(keyCode);
}

QString KNVTCocoaShortcutSpelledString(quint64 cocoaFlags, int keyCode)
{
    return spelled(cocoaFlags) + KNVTKeyCodeDisplayString(keyCode);
}

quint64 KNVTCocoaFlagsFromCarbonFlags(quint64 carbonFlags)
{
    quint64 cocoa = carbonFlags & kFunctionKeyMask;
    for (const auto &[carbon, cocoaBit] : kModifierForms) {
        if (carbonFlags & carbon)
            cocoa |= cocoaBit;
    }
    return cocoa;
}

quint64 KNVTCarbonFlagsFromCocoaFlags(quint64 cocoaFlags)
{
    quint64 carbon = cocoaFlags & kFunctionKeyMask;
    for (const auto &[carbonBit, cocoa] : kModifierForms) {
        if (cocoaFlags & cocoa)
            carbon |= carbonBit;
    }
    return carbon;
}

QString KNVTKeyCharacterForCarbonFlags(int keyCode, quint64 carbonFlags)
{
    return KNVTKeyCharacterForCocoaFlags(keyCode, KNVTCocoaFlagsFromCarbonFlags(carbonFlags));
}

QString KNVTKeyCharacterForCocoaFlags(int keyCode, quint64 cocoaFlags)
{
    const KeyboardLayoutSource &source = KeyboardLayoutSource::current();
    if (source.keymap() == nullptr || !source.keycodeForMacKeyCode(keyCode))
        return KNVTKeyCodeDisplayString(keyCode);
    const QString typed = source.characters(keyCode, cocoaFlags & kCocoaShift, cocoaFlags & kCocoaOption);
    if (typed.isEmpty())
        return typed;
    const char32_t first = typed.toUcs4().constFirst();
    const char32_t title = QChar::toTitleCase(first);
    return QString::fromUcs4(&title, 1);
}

double KNVTEaseInOut(double t)
{
    return (std::sin(t * std::numbers::pi - std::numbers::pi / 2) + 1) / 2;
}
