#include "hotkeys/KNVTHotKey.h"

KNVTHotKey::KNVTHotKey(const QString &identifier, const KNVTKeyCombo &keyCombo)
    : m_identifier(identifier), m_keyCombo(keyCombo)
{}

KNVTHotKey::KNVTHotKey(const QString &identifier, const KNVTKeyCombo &keyCombo, QObject *target, Action action)
    : m_identifier(identifier), m_keyCombo(keyCombo), m_target(target), m_action(std::move(action))
{}

void KNVTHotKey::invoke()
{
    if (m_target && m_action)
        m_action(this);
}

QString KNVTHotKey::description() const
{
    return QStringLiteral("<KNVTHotKey: %1, %2>").arg(m_identifier, m_keyCombo.description());
}
