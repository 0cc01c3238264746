#pragma once

// A person's relation to the local user, derived from the friendship records between the two. 4 and 5 have no
// meaning; 6 marks the local user itself, which is never derived.
enum KNVTUserFriendshipStatus : unsigned int {
    KNVTUserFriendshipStatusNone = 0,
    // The local user invited them and they have not answered.
    KNVTUserFriendshipStatusInvited = 1,
    // They invited the local user, who has not answered.
    KNVTUserFriendshipStatusPending = 2,
    KNVTUserFriendshipStatusFriend = 3,
    KNVTUserFriendshipStatusMe = 6,
};
