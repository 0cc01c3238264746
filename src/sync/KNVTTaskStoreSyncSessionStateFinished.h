#pragma once

#include "sync/KNVTTaskStoreSyncSessionState.h"

// The end of a session that ran through: saves the session's context when it has changes. A failed save fails the
// session, since reporting it finished would record tags and dates for data that was never stored.
class KNVTTaskStoreSyncSessionStateFinished : public KNVTTaskStoreSyncSessionState
{
public:
    void start() override;
    bool hasChanges() const { return m_hasChanges; }
    void setHasChanges(bool hasChanges) { m_hasChanges = hasChanges; }

private:
    bool m_hasChanges = false;
};
