#include "support/ProgramStart.h"

#include "foundation/StartUpSettings.h"

#include <QByteArray>

#include <cstdio>

#if defined(__GLIBC__)
#include <malloc.h>
#endif

namespace knvt::bench {

namespace {

bool replacedSettingsAsked()
{
    return qgetenv("KNVT_BENCH_SETTINGS") == "replaced";
}

// The allocator settings the program started with before the current ones: one heap for every thread, and blocks
// mapped on their own and the free end of the heap given back from a megabyte.
void applyReplacedSettings()
{
#if defined(__GLIBC__)
    mallopt(M_MMAP_THRESHOLD, 1 << 20);
    mallopt(M_TRIM_THRESHOLD, 1 << 20);
    mallopt(M_ARENA_MAX, 1);
#endif
}

} // namespace

void startAsTheProgram()
{
    if (replacedSettingsAsked())
        applyReplacedSettings();
    else
        applyStartUpSettings();
}

bool checkStartedAsTheProgram()
{
    if (startUpSettingsApplied())
        return true;
    std::fprintf(stderr, "%s\n",
                 replacedSettingsAsked()
                     ? "this process ran under the settings the program's start-up replaced (KNVT_BENCH_SETTINGS)"
                     : "this process did not apply the program's start-up settings before its first thread");
    return false;
}

} // namespace knvt::bench
