#include "foundation/filesystem/FileSystemErrors.h"

#include <cstring>

namespace knvt {

Error posixError(int errorNumber, const QString &path)
{
    return Error(
        QString::fromLatin1(NSPOSIXErrorDomain), errorNumber,
        {{QString::fromLatin1(NSFilePathErrorKey), path},
         {QString::fromLatin1(NSLocalizedDescriptionKey), QString::fromLocal8Bit(std::strerror(errorNumber))}});
}

} // namespace knvt
