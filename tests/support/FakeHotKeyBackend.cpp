#include "support/FakeHotKeyBackend.h"

#include "hotkeys/KNVTHotKeyCenter.h"
#include "hotkeys/MacKeyCodes.h"

namespace knvt::test {

FakeHotKeyBackend::FakeHotKeyBackend()
{
    KNVTHotKeyCenter::sharedCenter().setBackend(this);
}

FakeHotKeyBackend::~FakeHotKeyBackend()
{
    if (KNVTHotKeyCenter::sharedCenter().backend() == this)
        KNVTHotKeyCenter::sharedCenter().setBackend(nullptr);
}

quint64 FakeHotKeyBackend::chordKey(int keyCode, quint32 carbonModifiers)
{
    // The Function bit is never part of a grab.
    return (quint64(quint32(keyCode)) << 32) | (carbonModifiers & ~quint32(knvt::kFunctionKeyMask));
}

void FakeHotKeyBackend::refuse(int keyCode, quint32 carbonModifiers)
{
    m_refused.insert(chordKey(keyCode, carbonModifiers));
}

void FakeHotKeyBackend::holdElsewhere(int keyCode, quint32 carbonModifiers)
{
    m_heldElsewhere.insert(chordKey(keyCode, carbonModifiers));
}

std::optional<knvt::GrabRecord> FakeHotKeyBackend::registerGrab(int keyCode, quint32 carbonModifiers)
{
    const quint64 key = chordKey(keyCode, carbonModifiers);
    if (!m_available || m_refused.contains(key) || m_heldElsewhere.contains(key))
        return std::nullopt;
    const knvt::GrabRecord record{m_nextSerial++, keyCode, carbonModifiers};
    m_grabs.append(record);
    return record;
}

void FakeHotKeyBackend::unregisterGrab(const knvt::GrabRecord &record)
{
    m_grabs.removeOne(record);
}

bool FakeHotKeyBackend::isChordHeldElsewhere(int keyCode, quint32 carbonModifiers)
{
    ++m_probes;
    return m_available && m_heldElsewhere.contains(chordKey(keyCode, carbonModifiers));
}

bool FakeHotKeyBackend::isGrabbed(int keyCode, quint32 carbonModifiers) const
{
    const quint64 key = chordKey(keyCode, carbonModifiers);
    for (const knvt::GrabRecord &record : m_grabs) {
        if (chordKey(record.keyCode, record.carbonModifiers) == key)
            return true;
    }
    return false;
}

bool FakeHotKeyBackend::press(int keyCode, quint32 carbonModifiers, quint32 time, const QString &activationToken)
{
    if (m_suspended)
        return false;
    const quint64 key = chordKey(keyCode, carbonModifiers);
    for (const knvt::GrabRecord &record : std::as_const(m_grabs)) {
        if (chordKey(record.keyCode, record.carbonModifiers) == key) {
            reportEvent(record, true, time, activationToken);
            reportEvent(record, false, time);
            return true;
        }
    }
    return false;
}

} // namespace knvt::test
