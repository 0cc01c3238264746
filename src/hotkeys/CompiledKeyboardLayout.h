#pragma once

#include "hotkeys/KeyboardLayoutSource.h"

#include <QString>

namespace knvt {

// A keymap compiled from rule names ("evdev", "pc105" and the given layouts, comma-separated for several), as the
// X server would load it. Serves when there is no X display, and lets tests read any layout without one.
class CompiledKeyboardLayout : public KeyboardLayoutSource
{
public:
    explicit CompiledKeyboardLayout(const QString &layouts = QStringLiteral("us"), const QString &variants = {});
    ~CompiledKeyboardLayout() override;

    xkb_keymap *keymap() const override { return m_keymap; }
    xkb_layout_index_t layoutIndex() const override { return m_layoutIndex; }

    // Switches to the layout at `index` of the compiled ones, as a group switch would.
    void setLayoutIndex(xkb_layout_index_t index);

private:
    xkb_context *m_context = nullptr;
    xkb_keymap *m_keymap = nullptr;
    xkb_layout_index_t m_layoutIndex = 0;
};

} // namespace knvt
