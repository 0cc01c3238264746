#pragma once

#include <QtGlobal>

namespace knvt {

// Where the launcher badge goes: a count, or none for 0. The desktop's launcher unless a test installed another.
class BadgeSink
{
public:
    virtual ~BadgeSink() = default;
    virtual void setBadgeCount(qint64 count) = 0;

    static BadgeSink &shared();
    // Not owned; nullptr restores the desktop's.
    static void setShared(BadgeSink *sink);
};

// The launcher entry of the session bus: the signal com.canonical.Unity.LauncherEntry.Update on "/" for
// "application://quillvane.desktop" with {"count": count, "count-visible": count != 0}. Nothing without a bus.
class LauncherEntryBadgeSink : public BadgeSink
{
public:
    void setBadgeCount(qint64 count) override;
};

} // namespace knvt
