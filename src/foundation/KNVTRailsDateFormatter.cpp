#include "foundation/KNVTRailsDateFormatter.h"

#include <cstdio>
#include <optional>

namespace {

constexpr qint64 msecsPerDay = 86400000;
constexpr qint64 unixEpochJulianDay = 2440588;

// Reads `count` ASCII digits of `text` from `at` into `value`, advancing `at`; false when one is not a digit.
bool readDigits(QStringView text, qsizetype &at, qsizetype count, int &value)
{
    if (text.size() - at < count)
        return false;
    value = 0;
    for (qsizetype end = at + count; at < end; ++at) {
        const char16_t c = text[at].unicode();
        if (c < u'0' || c > u'9')
            return false;
        value = value * 10 + (c - u'0');
    }
    return true;
}

bool readSeparator(QStringView text, qsizetype &at, char16_t separator)
{
    if (at >= text.size() || text[at] != separator)
        return false;
    ++at;
    return true;
}

// "yyyy-MM-dd" at the start of `text` into the three fields.
bool readDate(QStringView text, qsizetype &at, int &year, int &month, int &day)
{
    return readDigits(text, at, 4, year) && readSeparator(text, at, u'-') && readDigits(text, at, 2, month)
        && readSeparator(text, at, u'-') && readDigits(text, at, 2, day);
}

// Milliseconds since the epoch of the given UTC calendar fields, or nothing when a field is out of range.
std::optional<qint64> utcMSecs(int year, int month, int day, int hour, int minute, int second, int msec)
{
    if (!QDate::isValid(year, month, day) || hour > 23 || minute > 59 || second > 59)
        return std::nullopt;
    const qint64 days = QDate(year, month, day).toJulianDay() - unixEpochJulianDay;
    return days * msecsPerDay + ((hour * 60 + minute) * 60 + second) * 1000LL + msec;
}

QDateTime dateTimeFromString(const QString &string)
{
    // The offset may be written with a colon (+02:00); dropping every ":" among the last five characters turns it
    // into +0200. A text ending in "Z" has no offset there, and its last five characters belong to the seconds.
    QString text = string;
    if (text.size() >= 6 && !text.endsWith(u'Z')) {
        const qsizetype windowStart = text.size() - 5;
        for (qsizetype i = text.size() - 1; i >= windowStart; --i) {
            if (text.at(i) == u':')
                text.remove(i, 1);
        }
    }

    // The grammar: yyyy-MM-ddTHH:mm:ss, optionally "." and one or more digits, then "Z" or a sign and four digits,
    // and nothing after. Read by hand: a pull reads several dates per object, and a regular expression match cost
    // more than the rest of the fill of a date.
    const QStringView view(text);
    qsizetype at = 0;
    int year = 0, month = 0, day = 0, hour = 0, minute = 0, second = 0;
    if (!readDate(view, at, year, month, day) || !readSeparator(view, at, u'T') || !readDigits(view, at, 2, hour)
        || !readSeparator(view, at, u':') || !readDigits(view, at, 2, minute) || !readSeparator(view, at, u':')
        || !readDigits(view, at, 2, second))
        return QDateTime();

    // Milliseconds from the first three digits of the fraction; the rest only has to be digits.
    int msec = 0;
    if (readSeparator(view, at, u'.')) {
        const qsizetype fractionStart = at;
        while (at < view.size() && view[at] >= u'0' && view[at] <= u'9')
            ++at;
        if (at == fractionStart)
            return QDateTime();
        for (qsizetype i = 0; i < 3; ++i)
            msec = msec * 10 + (fractionStart + i < at ? view[fractionStart + i].unicode() - u'0' : 0);
    }

    qint64 offsetMSecs = 0;
    if (readSeparator(view, at, u'Z')) {
        if (at != view.size())
            return QDateTime();
    } else {
        if (at >= view.size() || (view[at] != u'+' && view[at] != u'-'))
            return QDateTime();
        const bool negative = view[at] == u'-';
        ++at;
        int offsetHours = 0, offsetMinutes = 0;
        if (!readDigits(view, at, 2, offsetHours) || !readDigits(view, at, 2, offsetMinutes) || at != view.size())
            return QDateTime();
        if (offsetHours > 23 || offsetMinutes > 59)
            return QDateTime();
        offsetMSecs = (offsetHours * 60 + offsetMinutes) * 60000LL;
        if (negative)
            offsetMSecs = -offsetMSecs;
    }

    const std::optional<qint64> local = utcMSecs(year, month, day, hour, minute, second, msec);
    if (!local)
        return QDateTime();
    // An offset can carry the first or the last day of the four-digit years past them, to an instant this form cannot
    // write back.
    static const qint64 first = *utcMSecs(1, 1, 1, 0, 0, 0, 0);
    static const qint64 last = *utcMSecs(9999, 12, 31, 23, 59, 59, 999);
    const qint64 instant = *local - offsetMSecs;
    if (instant < first || instant > last)
        return QDateTime();
    return QDateTime::fromMSecsSinceEpoch(instant, Qt::UTC);
}

QDateTime dateFromDateString(const QString &string)
{
    const QStringView view(string);
    qsizetype at = 0;
    int year = 0, month = 0, day = 0;
    if (!readDate(view, at, year, month, day) || at != view.size())
        return QDateTime();
    const std::optional<qint64> msecs = utcMSecs(year, month, day, 0, 0, 0, 0);
    return msecs ? QDateTime::fromMSecsSinceEpoch(*msecs, Qt::UTC) : QDateTime();
}

} // namespace

KNVTRailsDateFormatter KNVTRailsDateFormatter::railsDateFormatterWithType(KNVTRailsDateFormatterType type)
{
    return KNVTRailsDateFormatter(type);
}

KNVTRailsDateFormatter::KNVTRailsDateFormatter(KNVTRailsDateFormatterType type) : m_type(type) {}

QDateTime KNVTRailsDateFormatter::dateFromString(const QString &string) const
{
    switch (m_type) {
    case KNVTRailsDateFormatterTypeDate: return dateFromDateString(string);
    case KNVTRailsDateFormatterTypeDateTime: return dateTimeFromString(string);
    }
    return QDateTime();
}

QString KNVTRailsDateFormatter::stringFromDate(const QDateTime &date) const
{
    if (!date.isValid())
        return QString();
    if (m_type != KNVTRailsDateFormatterTypeDate && m_type != KNVTRailsDateFormatterTypeDateTime)
        return QStringLiteral("");

    // Calendar fields straight from the instant: no time-zone lookup, and sub-second parts are cut, not rounded.
    const qint64 msecs = date.toMSecsSinceEpoch();
    qint64 days = msecs / msecsPerDay;
    qint64 msecOfDay = msecs % msecsPerDay;
    if (msecOfDay < 0) {
        msecOfDay += msecsPerDay;
        --days;
    }
    const QDate day = QDate::fromJulianDay(days + unixEpochJulianDay);
    const int secondOfDay = static_cast<int>(msecOfDay / 1000);

    char buffer[64];
    if (m_type == KNVTRailsDateFormatterTypeDate) {
        std::snprintf(buffer, sizeof buffer, "%04d-%02d-%02d", day.year(), day.month(), day.day());
    } else {
        std::snprintf(buffer, sizeof buffer, "%04d-%02d-%02dT%02d:%02d:%02d+0000", day.year(), day.month(), day.day(),
                      secondOfDay / 3600, secondOfDay / 60 % 60, secondOfDay % 60);
    }
    return QString::fromLatin1(buffer);
}
