#include "foundation/Assert.h"

#include <QtGlobal>

#include <cstdio>
#include <cstdlib>

namespace knvt {

void assertionFailure(const char *condition, const char *className, const char *operation, const char *file, int line)
{
    // Written straight to stderr as well: a message handler installed by the application might not flush before abort.
    std::fprintf(stderr, "%s:%s assertion failed: %s (%s:%d)\n", className, operation, condition, file, line);
    std::fflush(stderr);
    std::abort();
}

} // namespace knvt
