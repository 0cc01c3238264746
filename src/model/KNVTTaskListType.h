#pragma once

// What a task list is. A list whose type is missing or any other number is neither, and is sent as an area.
enum KNVTTaskListType : unsigned int {
    KNVTTaskListTypeProject = 1,
    KNVTTaskListTypeArea = 2,
};
