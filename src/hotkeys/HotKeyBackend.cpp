#include "hotkeys/HotKeyBackend.h"

namespace knvt {

HotKeyBackend::HotKeyBackend(QObject *parent) : QObject(parent) {}

HotKeyBackend::~HotKeyBackend() = default;

QString HotKeyBackend::statusText() const
{
    return {};
}

void HotKeyBackend::reportEvent(const GrabRecord &record, bool pressed, quint32 time,
                                const QString &activationToken) const
{
    if (m_eventHandler)
        m_eventHandler(record, pressed, time, activationToken);
}

} // namespace knvt
