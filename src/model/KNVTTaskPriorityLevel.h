#pragma once

// How urgent a task is. The gaps between the numbers are the service's: it stores the same values. Every number not
// named here reads as no priority.
enum KNVTTaskPriorityLevel : unsigned int {
    KNVTTaskPriorityLevelNone = 0,
    KNVTTaskPriorityLevelHigh = 1,
    KNVTTaskPriorityLevelMedium = 5,
    KNVTTaskPriorityLevelLow = 9,
};
