#pragma once

#include <QString>

#include <memory>

namespace knvt {
class KeyboardLayoutSource;
}

// The character a key types with no modifier held, in one keyboard layout source; used for the display strings of
// stored hot keys.
class KNVTKeyCodeTranslator
{
public:
    explicit KNVTKeyCodeTranslator(const knvt::KeyboardLayoutSource *keyboardLayout);

    // The translator of the current layout source: the cached one while the source is the same object.
    static std::shared_ptr<KNVTKeyCodeTranslator> currentTranslator();

    // One character, or "" when the key types nothing (a dead key, a key the layout lacks).
    QString translateKeyCode(qint16 keyCode) const;

    const knvt::KeyboardLayoutSource *keyboardLayout() const { return m_keyboardLayout; }
    void setKeyboardLayout(const knvt::KeyboardLayoutSource *keyboardLayout) { m_keyboardLayout = keyboardLayout; }

private:
    const knvt::KeyboardLayoutSource *m_keyboardLayout;
};
