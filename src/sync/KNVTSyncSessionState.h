#pragma once

#include "foundation/Error.h"

#include <memory>

class KNVTSyncSessionStateDelegate;
class KNVTTaskStoreSyncSession;

// One step of a session. The session owns its current state; the state reaches its session weakly, so a reply that
// arrives after the session was dropped finds nothing to apply to.
class KNVTSyncSessionState : public std::enable_shared_from_this<KNVTSyncSessionState>
{
public:
    KNVTSyncSessionState() = default;
    virtual ~KNVTSyncSessionState();
    KNVTSyncSessionState(const KNVTSyncSessionState &) = delete;
    KNVTSyncSessionState &operator=(const KNVTSyncSessionState &) = delete;

    // Finishes at once; each state overrides it with its work.
    virtual void start();
    // Asks the state to stop: it is marked cancelling and stops at its next step, where it finishes as cancelled.
    virtual void cancel();

    bool isCancelling() const { return m_cancelling; }
    // Whether this is the current state of its session.
    bool isExecuting() const;

    std::shared_ptr<KNVTTaskStoreSyncSession> syncSession() const { return m_syncSession.lock(); }
    void setSyncSession(const std::shared_ptr<KNVTTaskStoreSyncSession> &session) { m_syncSession = session; }
    KNVTSyncSessionStateDelegate *syncSessionStateDelegate() const { return m_delegate; }
    void setSyncSessionStateDelegate(KNVTSyncSessionStateDelegate *delegate) { m_delegate = delegate; }

protected:
    // Each tells the delegate how this state ended; the delegate usually moves the session to its next state.
    void finish();
    void finishAsCancelled();
    void finishWithError(const knvt::Error &error);

private:
    std::weak_ptr<KNVTTaskStoreSyncSession> m_syncSession;
    KNVTSyncSessionStateDelegate *m_delegate = nullptr;
    bool m_cancelling = false;
};
