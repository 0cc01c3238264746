#pragma once

// Where a task stands. The numbers are stored and, through their wire strings ("someday", "actionable", "completed",
// "cancelled"), exchanged with the sync service. 3 has no name: nothing writes it, but a stored 3 is treated as open.
// A task is closed when it is completed or cancelled, open otherwise.
enum KNVTTaskStatus : unsigned int {
    KNVTTaskStatusSomeday = 1,
    KNVTTaskStatusActionable = 2,
    KNVTTaskStatusCompleted = 4,
    KNVTTaskStatusCancelled = 5,
};
