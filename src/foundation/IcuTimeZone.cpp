#include "foundation/IcuTimeZone.h"

#include <QTimeZone>

#include <unicode/simpletz.h>

namespace knvt {

icu::TimeZone *createCurrentIcuTimeZone(const QDateTime &instant, bool *fixedOffset)
{
    const QByteArray id = QTimeZone::systemTimeZoneId();
    icu::TimeZone *zone = icu::TimeZone::createTimeZone(icu::UnicodeString::fromUTF8(id.constData()));
    const bool named = zone && *zone != icu::TimeZone::getUnknown();
    if (fixedOffset)
        *fixedOffset = !named;
    if (named)
        return zone;
    delete zone;
    const int offsetMilliseconds = instant.toLocalTime().offsetFromUtc() * 1000;
    return new icu::SimpleTimeZone(offsetMilliseconds, icu::UnicodeString::fromUTF8(id.constData()));
}

} // namespace knvt
