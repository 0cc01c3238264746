#include "hotkeys/HotKeyBackendSelector.h"

#include "hotkeys/HotKeyBackend.h"
#include "hotkeys/KNVTHotKeyCenter.h"
#include "hotkeys/Logging.h"

namespace knvt {

HotKeyBackendSelector::HotKeyBackendSelector(const HotKeySession &session, HotKeyBackend *x11,
                                             const QDBusConnection &bus, PortalHotKeyBackend::Timeouts timeouts,
                                             QObject *parent)
    : QObject(parent), m_session(session), m_x11(x11), m_bus(bus), m_timeouts(timeouts)
{}

HotKeyBackendSelector::~HotKeyBackendSelector()
{
    KNVTHotKeyCenter &center = KNVTHotKeyCenter::sharedCenter();
    if (m_portal && center.backend() == m_portal.get())
        center.setBackend(nullptr);
}

void HotKeyBackendSelector::start()
{
    KNVTHotKeyCenter &center = KNVTHotKeyCenter::sharedCenter();
    if (!m_session.isWayland()) {
        m_choice = chooseHotKeyBackend(m_session);
        center.setBackend(m_x11);
        emit chosen(m_choice);
        return;
    }
    m_portal = std::make_unique<PortalHotKeyBackend>(m_bus, m_timeouts);
    connect(m_portal.get(), &PortalHotKeyBackend::probed, this, &HotKeyBackendSelector::portalProbed);
    m_choice = HotKeyBackendKind::Portal;
    center.setBackend(m_portal.get());
    m_portal->start();
}

void HotKeyBackendSelector::portalProbed(bool answered)
{
    // The choice is made once; a portal asked again after a restart keeps the hot keys it has.
    disconnect(m_portal.get(), &PortalHotKeyBackend::probed, this, &HotKeyBackendSelector::portalProbed);
    m_session.portalVersion = answered ? m_portal->version() : std::nullopt;
    m_choice = chooseHotKeyBackend(m_session);
    qCInfo(lcHotkeys) << "HotKeyBackendSelector:portalProbed global hot keys through"
                      << (m_choice == HotKeyBackendKind::Portal    ? "the desktop's portal"
                              : m_choice == HotKeyBackendKind::X11 ? "the X server"
                                                                   : "nothing");
    if (m_choice == HotKeyBackendKind::X11)
        KNVTHotKeyCenter::sharedCenter().moveHotKeysTo(m_x11);
    emit chosen(m_choice);
}

} // namespace knvt
