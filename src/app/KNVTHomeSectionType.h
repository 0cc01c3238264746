#pragma once

// The sections of the home list; the numbers are stored in the user defaults.
enum KNVTHomeSectionType : int {
    KNVTHomeSectionTypeFocus = 0,
    KNVTHomeSectionTypeProjects = 1,
    KNVTHomeSectionTypeAreas = 2,
    KNVTHomeSectionTypeTags = 3,
    KNVTHomeSectionTypeArchived = 4,
};
