#include "hotkeys/HotKeyBackend.h"

namespace knvt {

HotKeyBackend::~HotKeyBackend() = default;

void HotKeyBackend::reportEvent(const GrabRecord &record, bool pressed, quint32 time) const
{
    if (m_eventHandler)
        m_eventHandler(record, pressed, time);
}

} // namespace knvt
