#pragma once

#include "hotkeys/HotKeyBackend.h"

#include <QList>
#include <QSet>

namespace knvt::test {

// Stands in for the window system's hot keys: records the chords taken, refuses the ones a test says another
// program holds, and presses chords. Installs itself as the hot-key centre's backend for its lifetime (which lets go
// of every hot key registered before).
class FakeHotKeyBackend final : public knvt::HotKeyBackend
{
    Q_OBJECT

public:
    FakeHotKeyBackend();
    ~FakeHotKeyBackend() override;
    FakeHotKeyBackend(const FakeHotKeyBackend &) = delete;
    FakeHotKeyBackend &operator=(const FakeHotKeyBackend &) = delete;

    // As without an X display: every registration fails.
    void setAvailable(bool available) { m_available = available; }
    // Registrations of this chord fail, as when another program grabbed it first.
    void refuse(int keyCode, quint32 carbonModifiers);
    // Another program holds this chord system-wide: the recorder's check refuses it, and so does registering.
    void holdElsewhere(int keyCode, quint32 carbonModifiers);

    // Presses and releases the chord; true when a registered, unsuspended chord took it. `activationToken` stands for
    // the one a desktop hands out with a press.
    bool press(int keyCode, quint32 carbonModifiers, quint32 time = 0, const QString &activationToken = {});

    QList<knvt::GrabRecord> grabs() const { return m_grabs; }
    bool isGrabbed(int keyCode, quint32 carbonModifiers) const;
    bool isSuspended() const { return m_suspended; }
    int probeCount() const { return m_probes; }

    bool isAvailable() const override { return m_available; }
    std::optional<knvt::GrabRecord> registerGrab(int keyCode, quint32 carbonModifiers) override;
    void unregisterGrab(const knvt::GrabRecord &record) override;
    bool isChordHeldElsewhere(int keyCode, quint32 carbonModifiers) override;
    void setSuspended(bool suspended) override { m_suspended = suspended; }

private:
    static quint64 chordKey(int keyCode, quint32 carbonModifiers);

    bool m_available = true;
    bool m_suspended = false;
    int m_probes = 0;
    quint64 m_nextSerial = 1;
    QList<knvt::GrabRecord> m_grabs;
    QSet<quint64> m_refused;
    QSet<quint64> m_heldElsewhere;
};

} // namespace knvt::test
