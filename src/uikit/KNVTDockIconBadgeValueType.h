#pragma once

// The values stored under KNVTDockIconBadgeValueTypePreference. Any value not listed here shows no badge.
enum KNVTDockIconBadgeValueType : unsigned int {
    KNVTDockIconBadgeValueTypeNone = 0,
    KNVTDockIconBadgeValueTypeUncompletedDueTasks = 1,
    KNVTDockIconBadgeValueTypeUncompletedDueAndTodayTasks = 2,
    KNVTDockIconBadgeValueTypeUncompletedDueTodayAndInboxTasks = 3,
    KNVTDockIconBadgeValueTypeNotifications = 100,
    KNVTDockIconBadgeValueTypeNotificationsAndUncompletedDueTasks = 101,
    KNVTDockIconBadgeValueTypeNotificationsAndUncompletedDueAndTodayTasks = 102,
    KNVTDockIconBadgeValueTypeNotificationsAndUncompletedDueTodayAndInboxTasks = 103,
};
