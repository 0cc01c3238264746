#include "editors/SaveScheduler.h"

#include "store/KNVTTaskStore.h"

namespace knvt {

namespace {

class TaskStoreSaveScheduler final : public SaveScheduler
{
public:
    void scheduleSave(double delaySeconds) override
    {
        KNVTTaskStore::defaultTaskStore()->saveWithCompletionHandler({}, delaySeconds);
    }
};

SaveScheduler *&installed()
{
    static SaveScheduler *scheduler = nullptr;
    return scheduler;
}

} // namespace

SaveScheduler::~SaveScheduler() = default;

SaveScheduler &SaveScheduler::shared()
{
    static TaskStoreSaveScheduler system;
    return installed() ? *installed() : system;
}

void SaveScheduler::setShared(SaveScheduler *scheduler)
{
    installed() = scheduler;
}

void scheduleTaskStoreSave(double delaySeconds)
{
    SaveScheduler::shared().scheduleSave(delaySeconds);
}

bool saveFormNow()
{
    return KNVTTaskStore::defaultTaskStore()->saveUserChanges();
}

} // namespace knvt
