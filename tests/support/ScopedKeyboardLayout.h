#pragma once

#include "hotkeys/CompiledKeyboardLayout.h"

namespace knvt::test {

// Makes a keymap compiled for `layouts` ("us", "de", "us,de", ...) the current keyboard layout for its lifetime.
class ScopedKeyboardLayout
{
public:
    explicit ScopedKeyboardLayout(const QString &layouts, const QString &variants = {}) : m_layout(layouts, variants)
    {
        knvt::KeyboardLayoutSource::setCurrent(&m_layout);
    }
    ~ScopedKeyboardLayout() { knvt::KeyboardLayoutSource::setCurrent(nullptr); }
    ScopedKeyboardLayout(const ScopedKeyboardLayout &) = delete;
    ScopedKeyboardLayout &operator=(const ScopedKeyboardLayout &) = delete;

    knvt::CompiledKeyboardLayout &layout() { return m_layout; }

private:
    knvt::CompiledKeyboardLayout m_layout;
};

} // namespace knvt::test
