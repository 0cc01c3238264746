#pragma once

// Where a project or area shows: derived from its archive state, status and start date. A list never derives
// Scheduled; the value exists so that the numbers line up with the focus lists.
enum KNVTTaskListFocusType : unsigned int {
    KNVTTaskListFocusTypeToday = 0,
    KNVTTaskListFocusTypeNext = 1,
    KNVTTaskListFocusTypeScheduled = 2,
    KNVTTaskListFocusTypeSomeday = 3,
    KNVTTaskListFocusTypeArchived = 4,
};
