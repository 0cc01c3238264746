#pragma once

#include "hotkeys/HotKeySession.h"
#include "hotkeys/PortalHotKeyBackend.h"

#include <QDBusConnection>
#include <QObject>

#include <memory>

namespace knvt {

class HotKeyBackend;

// Chooses the hot-key centre's backend at start-up. In a Wayland session the portal backend is installed at once, so
// that the stored shortcut registered during the start waits for the portal's answer; when the portal does not
// answer with a usable version, the hot keys move to the X server where Qt has one, or stay with the portal, whose
// status then says that global shortcuts are unavailable. Elsewhere the X11 backend serves, available or not.
class HotKeyBackendSelector : public QObject
{
    Q_OBJECT

public:
    // `x11` is not owned and must outlive the selector.
    HotKeyBackendSelector(const HotKeySession &session, HotKeyBackend *x11, const QDBusConnection &bus,
                          PortalHotKeyBackend::Timeouts timeouts = {}, QObject *parent = nullptr);
    ~HotKeyBackendSelector() override;

    // Installs the backend on the hot-key centre; once.
    void start();

    const HotKeySession &session() const { return m_session; }
    // The choice so far: the portal while it is being asked in a Wayland session.
    HotKeyBackendKind choice() const { return m_choice; }
    // The portal backend in a Wayland session; null elsewhere.
    PortalHotKeyBackend *portal() const { return m_portal.get(); }

signals:
    // The choice is final.
    void chosen(knvt::HotKeyBackendKind kind);

private:
    void portalProbed(bool answered);

    HotKeySession m_session;
    HotKeyBackend *m_x11 = nullptr;
    QDBusConnection m_bus;
    PortalHotKeyBackend::Timeouts m_timeouts;
    std::unique_ptr<PortalHotKeyBackend> m_portal;
    HotKeyBackendKind m_choice = HotKeyBackendKind::None;
};

} // namespace knvt
