#pragma once

namespace knvt {
class Error;
}
class KNVTSyncSession;

// How a session reports its end to the sync coordinator: exactly one of these per start.
class KNVTSyncSessionDelegate
{
public:
    virtual ~KNVTSyncSessionDelegate() = default;
    virtual void syncSessionDidFinish(KNVTSyncSession &session) = 0;
    virtual void syncSession(KNVTSyncSession &session, const knvt::Error &error) = 0;
    virtual void syncSessionDidCancel(KNVTSyncSession &session) = 0;
};
