#pragma once

// The state of a project or area, with the numbers and wire strings of a task's status. 3 (not named here) has no
// wire string and no display name; nothing sets it, but it counts as open wherever a status is tested.
enum KNVTTaskListStatus : unsigned int {
    KNVTTaskListStatusSomeday = 1,
    KNVTTaskListStatusActionable = 2,
    KNVTTaskListStatusCompleted = 4,
    KNVTTaskListStatusCancelled = 5,
};
