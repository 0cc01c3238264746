#include "hotkeys/KeyboardLayoutSource.h"

#include "foundation/NotificationCenter.h"
#include "hotkeys/CompiledKeyboardLayout.h"
#include "hotkeys/MacKeyCodes.h"

#include <string>

namespace knvt {

namespace {

KeyboardLayoutSource *g_current = nullptr;

xkb_layout_index_t layoutForKey(xkb_keymap *keymap, xkb_keycode_t keycode, xkb_layout_index_t layout)
{
    const xkb_layout_index_t count = xkb_keymap_num_layouts_for_key(keymap, keycode);
    return count == 0 ? 0 : layout % count;
}

std::optional<xkb_keycode_t> findKeysym(xkb_keymap *keymap, xkb_layout_index_t layout, xkb_keysym_t keysym)
{
    const xkb_keycode_t last = xkb_keymap_max_keycode(keymap);
    for (xkb_keycode_t keycode = xkb_keymap_min_keycode(keymap); keycode <= last; ++keycode) {
        const xkb_keysym_t *syms = nullptr;
        const int count =
            xkb_keymap_key_get_syms_by_level(keymap, keycode, layoutForKey(keymap, keycode, layout), 0, &syms);
        for (int i = 0; i < count; ++i) {
            if (syms[i] == keysym)
                return keycode;
        }
    }
    return std::nullopt;
}

// The real modifiers a key sets, read by pressing it (and releasing it, for a lock) in a scratch state: xkbcommon
// offers no other way to learn which real modifier a virtual one such as NumLock or LevelThree lands on.
xkb_mod_mask_t modifiersOfKey(xkb_keymap *keymap, xkb_layout_index_t layout, xkb_keysym_t keysym, bool lock)
{
    const std::optional<xkb_keycode_t> keycode = findKeysym(keymap, layout, keysym);
    if (!keycode)
        return 0;
    xkb_state *state = xkb_state_new(keymap);
    if (state == nullptr)
        return 0;
    xkb_state_update_mask(state, 0, 0, 0, 0, 0, layout);
    xkb_state_update_key(state, *keycode, XKB_KEY_DOWN);
    if (lock)
        xkb_state_update_key(state, *keycode, XKB_KEY_UP);
    const xkb_mod_mask_t mask =
        xkb_state_serialize_mods(state, lock ? XKB_STATE_MODS_LOCKED : XKB_STATE_MODS_DEPRESSED);
    xkb_state_unref(state);
    return mask;
}

xkb_mod_mask_t namedModifier(xkb_keymap *keymap, const char *name)
{
    const xkb_mod_index_t index = xkb_keymap_mod_get_index(keymap, name);
    return index == XKB_MOD_INVALID ? 0 : xkb_mod_mask_t(1) << index;
}

} // namespace

struct KeyboardLayoutSource::Scratch
{
    xkb_keymap *keymap = nullptr;
    xkb_layout_index_t layout = 0;
    xkb_state *state = nullptr;
    xkb_mod_mask_t numLock = 0;
    xkb_mod_mask_t shift = 0;
    xkb_mod_mask_t levelThree = 0;

    Scratch(xkb_keymap *map, xkb_layout_index_t index) : keymap(xkb_keymap_ref(map)), layout(index)
    {
        state = xkb_state_new(keymap);
        shift = namedModifier(keymap, XKB_MOD_NAME_SHIFT);
        numLock = modifiersOfKey(keymap, layout, XKB_KEY_Num_Lock, true);
        if (numLock == 0)
            numLock = namedModifier(keymap, XKB_MOD_NAME_NUM);
        levelThree = modifiersOfKey(keymap, layout, XKB_KEY_ISO_Level3_Shift, false);
        if (levelThree == 0)
            levelThree = namedModifier(keymap, "Mod5");
    }
    ~Scratch()
    {
        xkb_state_unref(state);
        xkb_keymap_unref(keymap);
    }
    Scratch(const Scratch &) = delete;
    Scratch &operator=(const Scratch &) = delete;
};

KeyboardLayoutSource::KeyboardLayoutSource() = default;

KeyboardLayoutSource::~KeyboardLayoutSource()
{
    delete m_scratch;
    if (g_current == this)
        g_current = nullptr;
}

const KeyboardLayoutSource::Scratch *KeyboardLayoutSource::scratch() const
{
    xkb_keymap *map = keymap();
    if (map == nullptr)
        return nullptr;
    const xkb_layout_index_t layout = layoutIndex();
    if (m_scratch == nullptr || m_scratch->keymap != map || m_scratch->layout != layout) {
        delete m_scratch;
        m_scratch = new Scratch(map, layout);
    }
    return m_scratch->state == nullptr ? nullptr : m_scratch;
}

std::optional<xkb_keycode_t> KeyboardLayoutSource::keycodeForMacKeyCode(int macKeyCode) const
{
    xkb_keymap *map = keymap();
    const std::string_view name = xkbKeyNameForMacKeyCode(macKeyCode);
    if (map == nullptr || name.empty())
        return std::nullopt;
    const xkb_keycode_t keycode = xkb_keymap_key_by_name(map, std::string(name).c_str());
    if (keycode == XKB_KEYCODE_INVALID)
        return std::nullopt;
    return keycode;
}

std::optional<int> KeyboardLayoutSource::macKeyCodeForKeycode(xkb_keycode_t keycode) const
{
    xkb_keymap *map = keymap();
    if (map == nullptr)
        return std::nullopt;
    const char *name = xkb_keymap_key_get_name(map, keycode);
    return name == nullptr ? std::nullopt : macKeyCodeForXkbKeyName(name);
}

std::optional<xkb_keycode_t> KeyboardLayoutSource::keycodeForKeysym(xkb_keysym_t keysym) const
{
    xkb_keymap *map = keymap();
    if (map == nullptr)
        return std::nullopt;
    return findKeysym(map, layoutIndex(), keysym);
}

QString KeyboardLayoutSource::baseCharacters(int macKeyCode) const
{
    return characters(macKeyCode, false, false);
}

const KeyboardLayoutSource::Scratch *KeyboardLayoutSource::prepared(int macKeyCode, bool shift, bool levelThree,
                                                                    xkb_keycode_t *keycode) const
{
    const Scratch *state = scratch();
    const std::optional<xkb_keycode_t> code = keycodeForMacKeyCode(macKeyCode);
    if (state == nullptr || !code)
        return nullptr;
    const xkb_mod_mask_t depressed = (shift ? state->shift : 0) | (levelThree ? state->levelThree : 0);
    xkb_state_update_mask(state->state, depressed, 0, state->numLock, 0, 0, state->layout);
    *keycode = *code;
    return state;
}

QString KeyboardLayoutSource::characters(int macKeyCode, bool shift, bool levelThree) const
{
    xkb_keycode_t keycode = 0;
    const Scratch *state = prepared(macKeyCode, shift, levelThree, &keycode);
    const char32_t character = state == nullptr ? 0 : xkb_state_key_get_utf32(state->state, keycode);
    return character == 0 ? QString() : QString::fromUcs4(&character, 1);
}

xkb_keysym_t KeyboardLayoutSource::keysym(int macKeyCode, bool shift, bool levelThree) const
{
    xkb_keycode_t keycode = 0;
    const Scratch *state = prepared(macKeyCode, shift, levelThree, &keycode);
    return state == nullptr ? XKB_KEY_NoSymbol : xkb_state_key_get_one_sym(state->state, keycode);
}

KeyboardLayoutSource &KeyboardLayoutSource::current()
{
    if (g_current != nullptr)
        return *g_current;
    static CompiledKeyboardLayout fallback;
    return fallback;
}

void KeyboardLayoutSource::setCurrent(KeyboardLayoutSource *source)
{
    g_current = source;
    NotificationCenter::defaultCenter().post(QString::fromLatin1(KeyboardLayoutDidChangeNotification));
}

void KeyboardLayoutSource::announceChange()
{
    delete m_scratch;
    m_scratch = nullptr;
    if (&current() == this)
        NotificationCenter::defaultCenter().post(QString::fromLatin1(KeyboardLayoutDidChangeNotification));
}

} // namespace knvt
