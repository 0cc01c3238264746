#pragma once

#include "foundation/Opener.h"

namespace knvt {

// How the editors ask the shared task store for their saves: a choice an editor carries out (an assignee, a schedule,
// a deletion) is saved a short while after the user confirms (0.4 s to 0.5 s, so that the sheet or popover is gone
// before the lists rebuild), a toggle on the next pass of the event loop. Every such request goes through the shared
// scheduler, so that tests can read the delay each one asked for and run the saves when they choose instead of
// waiting. What the user typed in a form is saved at once instead (saveFormNow).
class SaveScheduler
{
public:
    virtual ~SaveScheduler();

    // Saves the shared task store `delaySeconds` from now; 0 means the next pass of the event loop. A refused save is
    // told as `causedBy` says whose it is (KNVTTaskStore::saveLater).
    virtual void scheduleSave(Opener causedBy, double delaySeconds) = 0;

    // The scheduler every editor uses: the task store's own delayed save unless a test installed another.
    static SaveScheduler &shared();
    // Installs `scheduler` (not owned); nullptr restores the task store's.
    static void setShared(SaveScheduler *scheduler);
};

// SaveScheduler::shared().scheduleSave(causedBy, delaySeconds).
void scheduleTaskStoreSave(Opener causedBy, double delaySeconds);

// A form's own Save of what the user typed: the shared task store saves now, not later, so that the form learns the
// outcome while it is still open. A save the library refuses is shown once by the store, which discards the refused
// changes; the form then stays open with the typing, and its Save tries again. True when the library took the changes.
bool saveFormNow();

} // namespace knvt
