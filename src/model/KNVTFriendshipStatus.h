#pragma once

// Where one friendship record stands. The service knows the first two ("pending", "accepted"); a decline is kept
// only on this machine and is never sent.
enum KNVTFriendshipStatus : unsigned int {
    KNVTFriendshipStatusPending = 1,
    KNVTFriendshipStatusAccepted = 2,
    KNVTFriendshipStatusDeclined = 3,
};
