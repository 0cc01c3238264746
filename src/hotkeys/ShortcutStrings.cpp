#include "hotkeys/ShortcutStrings.h"

#include "hotkeys/KNVTKeyCodeTransformer.h"
#include "hotkeys/KeyboardLayoutSource.h"
#include "hotkeys/MacKeyCodes.h"

#include <QCoreApplication>

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

} // namespace

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
