#pragma once

// A broken precondition stops the program, naming the class, the operation, the source file and the line, in every
// build type: carrying on with a broken model would only move the damage into the user's data.
#define KNVT_ASSERT(condition, className, operation)                                                                   \
    do {                                                                                                               \
        if (!(condition))                                                                                              \
            ::knvt::assertionFailure(#condition, className, operation, __FILE__, __LINE__);                            \
    } while (false)

namespace knvt {

[[noreturn]] void assertionFailure(const char *condition, const char *className, const char *operation,
                                   const char *file, int line);

} // namespace knvt
