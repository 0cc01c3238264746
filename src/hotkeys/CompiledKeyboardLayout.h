#pragma once

#include "hotkeys/KeyboardLayoutSource.h"

#include <QDBusConnection>
#include <QString>

#include <memory>

namespace knvt {

// A keymap compiled from rule names ("evdev", "pc105" and the given layouts, comma-separated for several), as the
// X server would load it. Serves when there is no X display, and lets tests read any layout without one.
class CompiledKeyboardLayout : public KeyboardLayoutSource
{
public:
    // The rule names of a keymap; an empty one takes xkbcommon's default ("evdev", "pc105", "us", no variant).
    struct Names
    {
        QString rules;
        QString model;
        QString layouts;
        QString variants;
        QString options;
    };

    explicit CompiledKeyboardLayout(const QString &layouts = QStringLiteral("us"), const QString &variants = {});
    explicit CompiledKeyboardLayout(const Names &names);
    ~CompiledKeyboardLayout() override;

    // The user's keyboard where no X server holds one (a Wayland session without XWayland): the names the session
    // hands xkbcommon (XKB_DEFAULT_LAYOUT and its companions, which Wayland compositors read too), else the system's
    // keyboard settings that systemd-localed keeps on `systemBus`, else xkbcommon's default. Texts of keys and the
    // triggers asked of the desktop then name the keys the user's layout has, not those of a US keyboard.
    static std::unique_ptr<CompiledKeyboardLayout> ofSession(const QDBusConnection &systemBus);
    static Names sessionNames(const QDBusConnection &systemBus);
    const Names &names() const { return m_names; }

    xkb_keymap *keymap() const override { return m_keymap; }
    xkb_layout_index_t layoutIndex() const override { return m_layoutIndex; }

    // Switches to the layout at `index` of the compiled ones, as a group switch would.
    void setLayoutIndex(xkb_layout_index_t index);

private:
    Names m_names;
    xkb_context *m_context = nullptr;
    xkb_keymap *m_keymap = nullptr;
    xkb_layout_index_t m_layoutIndex = 0;
};

} // namespace knvt
