#pragma once

#include "sync/KNVTTaskStoreSyncSessionState.h"

// The end of a cancelled session: keeps what the replies so far applied by saving the context; a failed save is
// ignored, as nobody waits for the outcome.
class KNVTTaskStoreSyncSessionStateCancelled : public KNVTTaskStoreSyncSessionState
{
public:
    void start() override;
    bool hasChanges() const { return m_hasChanges; }
    void setHasChanges(bool hasChanges) { m_hasChanges = hasChanges; }

private:
    bool m_hasChanges = false;
};
