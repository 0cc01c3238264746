#pragma once

// The focus lists a task can appear in. A task itself only ever derives Today, Next, Scheduled, Someday or Archived;
// Inbox, Watched and Delegated are lists the task store computes from the task's list, watchers and assignee.
enum KNVTFocusType : unsigned int {
    KNVTFocusTypeInbox = 0,
    KNVTFocusTypeToday = 1,
    KNVTFocusTypeNext = 2,
    KNVTFocusTypeScheduled = 3,
    KNVTFocusTypeSomeday = 4,
    KNVTFocusTypeWatched = 5,
    KNVTFocusTypeDelegated = 6,
    KNVTFocusTypeArchived = 7,
};
