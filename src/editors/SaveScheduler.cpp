#include "editors/SaveScheduler.h"

#include "store/KNVTTaskStore.h"

namespace knvt {

namespace {

class TaskStoreSaveScheduler final : public SaveScheduler
{
public:
    void scheduleSave(Opener causedBy, double delaySeconds) override
    {
        KNVTTaskStore::defaultTaskStore()->saveLater(causedBy, delaySeconds);
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

void scheduleTaskStoreSave(Opener causedBy, double delaySeconds)
{
    SaveScheduler::shared().scheduleSave(causedBy, delaySeconds);
}

bool saveFormNow()
{
    return KNVTTaskStore::defaultTaskStore()->saveUserChanges();
}

} // namespace knvt
