#pragma once

#include <memory>

class KNVTSyncSessionDelegate;
class KNVTSyncSessionState;

// One run of synchronisation, a small state machine: the current state does the work and reports back, and the
// session chooses the next state. Sessions are shared (the coordinator's queue and the states' replies hold them);
// create them with std::make_shared.
class KNVTSyncSession : public std::enable_shared_from_this<KNVTSyncSession>
{
public:
    KNVTSyncSession() = default;
    virtual ~KNVTSyncSession();
    KNVTSyncSession(const KNVTSyncSession &) = delete;
    KNVTSyncSession &operator=(const KNVTSyncSession &) = delete;

    virtual void start() {}
    virtual void cancel() {}

    const std::shared_ptr<KNVTSyncSessionState> &state() const { return m_state; }

    // Kept weakly: the coordinator outlives the sessions it runs.
    KNVTSyncSessionDelegate *syncSessionDelegate() const { return m_delegate; }
    void setSyncSessionDelegate(KNVTSyncSessionDelegate *delegate) { m_delegate = delegate; }

protected:
    void setState(std::shared_ptr<KNVTSyncSessionState> state) { m_state = std::move(state); }

private:
    std::shared_ptr<KNVTSyncSessionState> m_state;
    KNVTSyncSessionDelegate *m_delegate = nullptr;
};
