#pragma once

namespace knvt {

// Where the account leaves sync, as KNVTTaskStore::syncAccountState() reads it: the one answer that the password
// window, the Account pane's switch, the status line and the Sync command follow.
enum class SyncAccountState {
    NotSignedIn,
    // Automatic sync is off, as the user switched it.
    SwitchedOff,
    // The service refused this version (410): automatic sync went off, until the user switches it on again.
    NewerVersionNeeded,
    // The service refused the password, and the password window asks for it; the user's switch is on.
    PasswordRefused,
    // The service refused the password and the user put the password window away, or switched sync on since: nothing
    // is sent until the password is typed again (Sign In Again), which switches automatic sync on.
    Paused,
    // Automatic sync is on and the password stands.
    On,
};

} // namespace knvt
