#pragma once

#include "hotkeys/KNVTKeyCombo.h"

#include <QObject>
#include <QPointer>
#include <QString>

#include <functional>

// The number a hot key is registered under: the four-character signature "KNHk" and a serial number.
struct KNVTHotKeyID
{
    quint32 signature = 0;
    quint32 id = 0;

    bool operator==(const KNVTHotKeyID &other) const = default;
};

inline constexpr quint32 KNVTHotKeySignature = 0x4B4E486B; // 'KNHk'

// A named key combination with a target and an action. Two hot keys are the same only when they are the same
// object: the hot-key centre tells registrations apart by identity.
class KNVTHotKey
{
public:
    using Action = std::function<void(KNVTHotKey *)>;

    KNVTHotKey() = default;
    KNVTHotKey(const QString &identifier, const KNVTKeyCombo &keyCombo);
    KNVTHotKey(const QString &identifier, const KNVTKeyCombo &keyCombo, QObject *target, Action action);
    KNVTHotKey(const KNVTHotKey &) = delete;
    KNVTHotKey &operator=(const KNVTHotKey &) = delete;

    QString identifier() const { return m_identifier; }
    void setIdentifier(const QString &identifier) { m_identifier = identifier; }
    QString name() const { return m_name; }
    void setName(const QString &name) { m_name = name; }

    // Takes effect when the hot key is registered again.
    KNVTKeyCombo keyCombo() const { return m_keyCombo; }
    void setKeyCombo(const KNVTKeyCombo &keyCombo) { m_keyCombo = keyCombo; }

    QObject *target() const { return m_target; }
    void setTarget(QObject *target) { m_target = target; }
    void setAction(Action action) { m_action = std::move(action); }

    KNVTHotKeyID hotKeyID() const { return m_hotKeyID; }
    void setHotKeyID(KNVTHotKeyID hotKeyID) { m_hotKeyID = hotKeyID; }
    bool matchesHotKeyID(KNVTHotKeyID hotKeyID) const { return m_hotKeyID == hotKeyID; }

    // Runs the action with this hot key, unless the target is gone.
    void invoke();

    QString description() const;

private:
    QString m_identifier;
    QString m_name;
    KNVTKeyCombo m_keyCombo;
    QPointer<QObject> m_target;
    Action m_action;
    KNVTHotKeyID m_hotKeyID;
};
