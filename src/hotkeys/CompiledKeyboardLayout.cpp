#include "hotkeys/CompiledKeyboardLayout.h"

#include "hotkeys/Logging.h"

namespace knvt {

CompiledKeyboardLayout::CompiledKeyboardLayout(const QString &layouts, const QString &variants)
    : m_context(xkb_context_new(XKB_CONTEXT_NO_FLAGS))
{
    if (m_context == nullptr) {
        qCWarning(lcHotkeys) << "CompiledKeyboardLayout: no XKB context";
        return;
    }
    const QByteArray layout = layouts.toUtf8();
    const QByteArray variant = variants.toUtf8();
    const xkb_rule_names names{"evdev", "pc105", layout.constData(), variant.constData(), nullptr};
    m_keymap = xkb_keymap_new_from_names(m_context, &names, XKB_KEYMAP_COMPILE_NO_FLAGS);
    if (m_keymap == nullptr)
        qCWarning(lcHotkeys) << "CompiledKeyboardLayout: couldn't compile the keymap of" << layouts;
}

CompiledKeyboardLayout::~CompiledKeyboardLayout()
{
    xkb_keymap_unref(m_keymap);
    xkb_context_unref(m_context);
}

void CompiledKeyboardLayout::setLayoutIndex(xkb_layout_index_t index)
{
    if (m_keymap == nullptr || index >= xkb_keymap_num_layouts(m_keymap) || index == m_layoutIndex)
        return;
    m_layoutIndex = index;
    announceChange();
}

} // namespace knvt
