#pragma once

// What a session does: push and then pull (regular and full sessions), or push only.
enum KNVTTaskStoreSyncSessionType : unsigned int {
    KNVTTaskStoreSyncSessionTypeSync = 1,
    KNVTTaskStoreSyncSessionTypePush = 2,
};
