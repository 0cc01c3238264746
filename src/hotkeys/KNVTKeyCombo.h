#pragma once

#include <QString>
#include <QVariant>
#include <QVariantMap>

// A stored key code with a Carbon modifier mask (cmdKey 0x100, shiftKey 0x200, optionKey 0x800, controlKey 0x1000).
// -1 in either field means none; the clear combination has both at -1. Kept in user defaults as
// {"keyCode": integer, "modifiers": integer}.
class KNVTKeyCombo
{
public:
    // The clear combination.
    KNVTKeyCombo() = default;
    KNVTKeyCombo(qint64 keyCode, qint64 modifiers) : m_keyCode(keyCode), m_modifiers(modifiers) {}

    static KNVTKeyCombo clearKeyCombo() { return {}; }
    static KNVTKeyCombo keyComboWithKeyCode(qint64 keyCode, qint64 modifiers) { return {keyCode, modifiers}; }

    // Nothing or an empty dictionary gives the clear combination. A "keyCode" that is an integer of 0 or more is
    // kept (0 is the A key); a missing, non-integer or negative one reads -1. "modifiers" of 0 or below reads -1.
    static KNVTKeyCombo fromPlistRepresentation(const QVariant &plist);
    QVariantMap plistRepresentation() const;

    qint64 keyCode() const { return m_keyCode; }
    void setKeyCode(qint64 keyCode) { m_keyCode = keyCode; }
    qint64 modifiers() const { return m_modifiers; }
    void setModifiers(qint64 modifiers) { m_modifiers = modifiers; }

    bool operator==(const KNVTKeyCombo &other) const = default;

    bool isClearCombo() const { return m_keyCode == -1 && m_modifiers == -1; }
    // Only a key with at least one modifier becomes a hot key.
    bool isValidHotKeyCombo() const { return m_keyCode >= 0 && m_modifiers > 0; }

    // "" for the clear combination, else the key's text.
    QString keyCodeString() const;
    // The Cocoa form of the modifiers; 0 for the clear combination.
    quint64 modifierMask() const;
    // The combination in the desktop's key names ("Ctrl+Shift+K"), or "(None)" when it is no hot key.
    QString description() const;

    // The text of a key under a key-code list in either of its two forms.
    static QString stringForKeyCode(qint16 keyCode, const QVariantMap &keyCodeList);
    // The "KNVTKeyCodes" list shipped with the program, read once.
    static const QVariantMap &keyCodesDictionary();

private:
    qint64 m_keyCode = -1;
    qint64 m_modifiers = -1;
};
