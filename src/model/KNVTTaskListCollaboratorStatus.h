#pragma once

// Where a member's invitation to a project or area stands. The local user's status decides in which collection the
// list shows (pending invitations, active lists, declined lists).
enum KNVTTaskListCollaboratorStatus : unsigned int {
    KNVTTaskListCollaboratorStatusPending = 1,
    KNVTTaskListCollaboratorStatusAccepted = 2,
    KNVTTaskListCollaboratorStatusDeclined = 3,
};
