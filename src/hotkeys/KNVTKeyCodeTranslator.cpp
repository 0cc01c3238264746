#include "hotkeys/KNVTKeyCodeTranslator.h"

#include "hotkeys/KeyboardLayoutSource.h"

KNVTKeyCodeTranslator::KNVTKeyCodeTranslator(const knvt::KeyboardLayoutSource *keyboardLayout)
    : m_keyboardLayout(keyboardLayout)
{}

std::shared_ptr<KNVTKeyCodeTranslator> KNVTKeyCodeTranslator::currentTranslator()
{
    static std::shared_ptr<KNVTKeyCodeTranslator> cached;
    const knvt::KeyboardLayoutSource *current = &knvt::KeyboardLayoutSource::current();
    if (!cached || cached->keyboardLayout() != current)
        cached = std::make_shared<KNVTKeyCodeTranslator>(current);
    return cached;
}

QString KNVTKeyCodeTranslator::translateKeyCode(qint16 keyCode) const
{
    if (m_keyboardLayout == nullptr || keyCode < 0)
        return {};
    const QString typed = m_keyboardLayout->baseCharacters(keyCode);
    if (typed.isEmpty() || typed.at(0).category() == QChar::Other_Control)
        return {};
    return typed.left(typed.at(0).isHighSurrogate() ? 2 : 1);
}
