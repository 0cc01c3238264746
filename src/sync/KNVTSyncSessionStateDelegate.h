#pragma once

namespace knvt {
class Error;
}
class KNVTSyncSessionState;

// How a state reports back to its session, which chooses the next state.
class KNVTSyncSessionStateDelegate
{
public:
    virtual ~KNVTSyncSessionStateDelegate() = default;
    virtual void syncSessionStateDidFinish(KNVTSyncSessionState &state) = 0;
    virtual void syncSessionStateDidCancel(KNVTSyncSessionState &state) = 0;
    virtual void syncSessionState(KNVTSyncSessionState &state, const knvt::Error &error) = 0;
};
