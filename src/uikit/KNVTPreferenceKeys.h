#pragma once

// User-defaults keys and change notifications that several windows share: the preference panes write them, the
// lists, editors, hot keys and the application read them. Values are read and written through
// knvt::Defaults::standard(); the notifications are posted on the default centre with no sender.

// Number of lines of a task's notes previewed under its title in the lists (0 = none).
inline constexpr char KNVTTaskNotesNumberOfPreviewLines[] = "KNVTTaskNotesNumberOfPreviewLines";
inline constexpr char KNVTTaskNotesNumberOfPreviewLinesDidChangeNotification[] =
    "KNVTTaskNotesNumberOfPreviewLinesDidChangeNotification";

// YES once the user ticked "Do not ask again" in the alert that confirms deleting tasks.
inline constexpr char KNVTApplicationWillDeleteTasksAlertSuppressionKey[] =
    "KNVTApplicationWillDeleteTasksAlertSuppressionKey";

// What the launcher badge counts: a KNVTDockIconBadgeValueType.
inline constexpr char KNVTDockIconBadgeValueTypePreference[] = "KNVTDockIconBadgeValueTypePreference";
inline constexpr char KNVTDockIconBadgeValueTypePreferenceDidChangeNotification[] =
    "KNVTDockIconBadgeValueTypePreferenceDidChangeNotification";

// The home list sections the user left expanded: an array of KNVTHomeSectionType numbers, each once.
inline constexpr char KNVTHomeSectionExpandedHomeSectionTypes[] = "KNVTHomeSectionExpandedHomeSectionTypes";

// The quick-entry hot key: {"keyCode": macOS virtual key code, "modifiers": Carbon modifier mask}.
inline constexpr char KNVTQuickTaskEntryKeyboardShortcutHotKey[] = "KNVTQuickTaskEntryKeyboardShortcutHotKey";
