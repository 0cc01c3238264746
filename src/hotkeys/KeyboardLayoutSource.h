#pragma once

#include <QString>

#include <xkbcommon/xkbcommon.h>

#include <optional>

namespace knvt {

// Posted on the default notification centre, with no object, whenever the current source switches to another
// layout or another keymap: the texts of keys may have changed.
inline constexpr char KeyboardLayoutDidChangeNotification[] = "KeyboardLayoutDidChangeNotification";

// Where the characters of keys come from: an XKB keymap and its active layout. Texts are computed without any state
// carried between calls (no dead-key composition), from a scratch state that holds only the modifiers asked for.
class KeyboardLayoutSource
{
public:
    KeyboardLayoutSource();
    virtual ~KeyboardLayoutSource();
    KeyboardLayoutSource(const KeyboardLayoutSource &) = delete;
    KeyboardLayoutSource &operator=(const KeyboardLayoutSource &) = delete;

    // May be null (nothing translates then). The source keeps the keymap alive until it announces a change.
    virtual xkb_keymap *keymap() const = 0;
    virtual xkb_layout_index_t layoutIndex() const = 0;

    // The X key code of a stored key code in this keymap.
    std::optional<xkb_keycode_t> keycodeForMacKeyCode(int macKeyCode) const;
    // The stored key code of an X key code; none for keys the stored form has no code for.
    std::optional<int> macKeyCodeForKeycode(xkb_keycode_t keycode) const;

    // What the key types with no modifier held (keypad keys as with Num Lock on), control characters included; ""
    // for dead keys, keys that type nothing (F5, Num Lock) and keys this keymap lacks.
    QString baseCharacters(int macKeyCode) const;
    // What the key types with Shift and the third-level chooser held as asked.
    QString characters(int macKeyCode, bool shift, bool levelThree) const;
    // The keysym behind characters(); XKB_KEY_NoSymbol for keys this keymap lacks.
    xkb_keysym_t keysym(int macKeyCode, bool shift, bool levelThree) const;

    // The first key code whose first level on the active layout carries `keysym`.
    std::optional<xkb_keycode_t> keycodeForKeysym(xkb_keysym_t keysym) const;

    // The source every transformer and recorder reads. Without one set, a keymap compiled for the US layout: the
    // texts of a machine without an X display.
    static KeyboardLayoutSource &current();
    // Installs `source` (not owned; nullptr: the US fallback) and announces the change.
    static void setCurrent(KeyboardLayoutSource *source);

protected:
    // Subclasses call this after their keymap or active layout changed.
    void announceChange();

private:
    struct Scratch;
    const Scratch *scratch() const;
    const Scratch *prepared(int macKeyCode, bool shift, bool levelThree, xkb_keycode_t *keycode) const;

    mutable Scratch *m_scratch = nullptr;
};

} // namespace knvt
