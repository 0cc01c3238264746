#pragma once

namespace knvt {

// The commands a window offers: each window keeps one action per command it has (ActionSet), which its menus, its
// toolbar, its context menus and its keys all use.
enum class Command {
    // The application's own.
    NewTask,
    NewProject,
    NewArea,
    NewTag,
    Print,
    Close,
    Quit,
    ToggleFullScreen,
    People,
    Preferences,
    ContactUs,
    // The oldest of the windows the application opened by itself that wait for the user: it takes the keyboard.
    GoToWaitingWindow,
    // The selection of the focused list, or of the task of a task window.
    Delete,
    Duplicate,
    SelectNext,
    SelectPrevious,
    MoveToInbox,
    MoveToToday,
    RemoveFromToday,
    MoveToNext,
    MoveToSomeday,
    RemoveFromSomeday,
    Schedule,
    Mark,
    MarkAsCompleted,
    MarkAsUncompleted,
    MarkAsCancelled,
    DetachFromTaskList,
    Archive,
    Unarchive,
    Open,
    Edit,
    AssignTo,
    MoveTo,
    // The project, area or tag chosen in the home list.
    GetInfo,
    Share,
    StopSharing,
    ResendInvitations,
    Unsubscribe,
    // The main window's toolbar and the task window's.
    Notifications,
    Sync,
    Assign,
    Comment,
    ToggleToday,
    Done,
};

} // namespace knvt
