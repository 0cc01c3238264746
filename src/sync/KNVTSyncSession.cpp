#include "sync/KNVTSyncSession.h"

#include "sync/KNVTSyncSessionState.h"

KNVTSyncSession::~KNVTSyncSession()
{
    m_delegate = nullptr;
    // A state outliving the session (a reply in flight) must not report to it.
    if (m_state)
        m_state->setSyncSessionStateDelegate(nullptr);
}
