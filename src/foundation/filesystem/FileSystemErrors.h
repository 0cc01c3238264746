#pragma once

#include "foundation/Error.h"

#include <QString>

// Failures of the desktop services (volume monitor, applications, portals) keep the service's own message.
inline constexpr char KNVTDesktopServiceErrorDomain[] = "KNVTDesktopServiceErrorDomain";

namespace knvt {

// File operations fail with the operating system's error number, as the platform's file manager reports them.
inline constexpr char NSPOSIXErrorDomain[] = "NSPOSIXErrorDomain";
// The path the failing operation worked on.
inline constexpr char NSFilePathErrorKey[] = "NSFilePath";
inline constexpr char NSLocalizedDescriptionKey[] = "NSLocalizedDescription";

// An error of NSPOSIXErrorDomain for `errorNumber` on `path`, with the system's text for the number.
Error posixError(int errorNumber, const QString &path);

} // namespace knvt
