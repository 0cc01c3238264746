#pragma once

#include <QtGlobal>

#include <functional>
#include <memory>

class KNVTTaskStore;
class KNVTTaskStoreSyncCoordinatorDelegate;

// The sync coordinator as the task store sees it. The coordinator lives above the store (it needs the store to
// work), so the store only knows this interface and a factory that the sync library registers at start-up. Without a
// registered factory the store runs without a coordinator and its sync requests do nothing.
class KNVTTaskStoreSyncCoordinating
{
public:
    using Factory = std::function<std::unique_ptr<KNVTTaskStoreSyncCoordinating>(KNVTTaskStore &taskStore)>;

    virtual ~KNVTTaskStoreSyncCoordinating() = default;

    // Whether a session is running now.
    virtual bool isSyncing() const = 0;
    // Makes a regular session (push, then pull with the stored entity tags) run: a new one unless one queued or
    // running answers the request already; a session left by a failure resumes first.
    virtual void startSyncSessionIfRequired() = 0;
    // Saves what the running session applied so far. The store calls it before every save of its main context: a
    // session's later save would otherwise write the values it merged over the columns the user changed meanwhile.
    virtual void saveSyncSessionChanges() {}
    // Empties the queue and cancels the running session; the cancellation is reported later through the delegate.
    virtual void cancelSyncSessions() = 0;
    // The number of sessions waiting in the queue.
    virtual qsizetype pendingSyncSessionsCount() const = 0;
    // Kept weakly; the store sets itself right after creating the coordinator.
    virtual void setTaskStoreSyncCoordinatorDelegate(KNVTTaskStoreSyncCoordinatorDelegate *delegate) = 0;

    // The factory every store uses to make its coordinator; an empty one removes it.
    static void setFactory(Factory factory);
    static const Factory &factory();
};
