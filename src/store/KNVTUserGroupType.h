#pragma once

// The groups of the people window's list.
enum KNVTUserGroupType : unsigned int {
    KNVTUserGroupTypeAll = 0,
    KNVTUserGroupTypeCollaborators = 1,
    KNVTUserGroupTypeFriends = 2,
    KNVTUserGroupTypeInvited = 3,
    KNVTUserGroupTypePending = 4,
};
