#pragma once

#include <QString>

#include <optional>

// Turns a stored key code into the text of its key and back, for the current keyboard layout. Keys whose character
// does not describe them (function keys, arrows, Return, ...) have fixed texts; keypad keys read "Pad 1". The
// reverse map follows every change of the layout.
class KNVTKeyCodeTransformer
{
public:
    static bool allowsReverseTransformation() { return true; }

    // The key's text; nothing for a negative code and for a key that types nothing in the current layout (a dead key).
    std::optional<QString> transform(int keyCode) const;
    // The key code that now shows `text`; when two keys show the same text, the higher code.
    std::optional<int> reverse(const QString &text) const;

    // Rebuilds the reverse map from codes 0 to 127 in the current layout.
    static void regenerateStringToKeyCodeMapping();
};
