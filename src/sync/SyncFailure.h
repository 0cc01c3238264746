#pragma once

#include "foundation/Error.h"

namespace knvt {

// Why a sync session failed, in the terms the user is told.
enum class SyncFailureCause {
    // The transfer never reached the service: its name could not be looked up, nothing answered, or it took too long.
    Offline,
    // The service refused the password.
    PasswordRefused,
    // The service answered with a failure, or the connection broke off under way.
    ServiceFailed,
    // What the session brought could not be written to the library.
    CouldNotSaveLocally,
    // The service no longer serves this version of the program.
    NewerVersionNeeded,
};

// The error a session ends with when its last save failed: a failure of this machine, not of the service, however the
// storage engine words it.
Error syncLocalSaveError(const Error &saveError);

SyncFailureCause syncFailureCause(const Error &error);

} // namespace knvt
