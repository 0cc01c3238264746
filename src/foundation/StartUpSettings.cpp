#include "foundation/StartUpSettings.h"

#include "foundation/FreedMemory.h"

#include <QDir>

namespace knvt {

namespace {

bool applied = false;

// The threads of this process, as the system counts them.
qsizetype threadCount()
{
    return QDir(QStringLiteral("/proc/self/task")).entryList(QDir::Dirs | QDir::NoDotAndDotDot).size();
}

} // namespace

void applyStartUpSettings()
{
    applied = threadCount() == 1;
    returnLargeBlocksWhenFreed();
}

bool startUpSettingsApplied()
{
    return applied;
}

} // namespace knvt
