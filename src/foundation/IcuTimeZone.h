#pragma once

#include <QDateTime>

#include <unicode/timezone.h>

namespace knvt {

// The system's time zone as it is at the call, for ICU's calendars and formats. ICU keeps its own default zone from
// the first time it is asked, so a later change of TZ would go unnoticed: the zone is named afresh on every call. A
// zone ICU cannot name (a POSIX rule string in TZ, say) is replaced by the fixed offset Qt's local time has at
// `instant`, which gives that instant's calendar fields but may be wrong for another: `fixedOffset`, when given, says
// so. The caller owns the zone.
icu::TimeZone *createCurrentIcuTimeZone(const QDateTime &instant, bool *fixedOffset = nullptr);

} // namespace knvt
