#pragma once

// A member's role in a shared project or area. The owner may edit, share and remove the list; an editor may only
// work on its tasks. A missing role is no role at all: it grants nothing.
enum KNVTTaskListCollaboratorRole : unsigned int {
    KNVTTaskListCollaboratorRoleOwner = 1,
    KNVTTaskListCollaboratorRoleEditor = 2,
};
