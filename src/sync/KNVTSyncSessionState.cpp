#include "sync/KNVTSyncSessionState.h"

#include "sync/KNVTSyncSessionStateDelegate.h"
#include "sync/KNVTTaskStoreSyncSession.h"

KNVTSyncSessionState::~KNVTSyncSessionState()
{
    m_delegate = nullptr;
}

void KNVTSyncSessionState::start()
{
    finish();
}

void KNVTSyncSessionState::cancel()
{
    m_cancelling = true;
}

bool KNVTSyncSessionState::isExecuting() const
{
    const auto session = syncSession();
    return session && session->state().get() == this;
}

// The session usually replaces this state while it hears the report; holding a reference keeps the state alive
// until the report has returned.
void KNVTSyncSessionState::finish()
{
    const auto self = shared_from_this();
    if (m_delegate)
        m_delegate->syncSessionStateDidFinish(*this);
}

void KNVTSyncSessionState::finishAsCancelled()
{
    const auto self = shared_from_this();
    if (m_delegate)
        m_delegate->syncSessionStateDidCancel(*this);
}

void KNVTSyncSessionState::finishWithError(const knvt::Error &error)
{
    const auto self = shared_from_this();
    if (m_delegate)
        m_delegate->syncSessionState(*this, error);
}
