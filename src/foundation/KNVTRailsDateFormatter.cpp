#include "foundation/KNVTRailsDateFormatter.h"

#include <QVarLengthArray>

#include <cstdio>
#include <cstring>
#include <optional>

namespace {

constexpr qint64 msecsPerDay = 86400000;
constexpr qint64 unixEpochJulianDay = 2440588;

// The text of a date as bytes: a date is ASCII, so a character outside it only has to fail the grammar, which a
// byte that is no digit, sign or separator does.
using DateText = std::string_view;

// Reads `count` ASCII digits of `text` from `at` into `value`, advancing `at`; false when one is not a digit.
bool readDigits(DateText text, size_t &at, size_t count, int &value)
{
    if (text.size() - at < count)
        return false;
    value = 0;
    for (size_t end = at + count; at < end; ++at) {
        const char c = text[at];
        if (c < '0' || c > '9')
            return false;
        value = value * 10 + (c - '0');
    }
    return true;
}

bool readSeparator(DateText text, size_t &at, char separator)
{
    if (at >= text.size() || text[at] != separator)
        return false;
    ++at;
    return true;
}

// "yyyy-MM-dd" at the start of `text` into the three fields.
bool readDate(DateText text, size_t &at, int &year, int &month, int &day)
{
    return readDigits(text, at, 4, year) && readSeparator(text, at, '-') && readDigits(text, at, 2, month)
        && readSeparator(text, at, '-') && readDigits(text, at, 2, day);
}

// Days since 1970-01-01 of a day of the proleptic Gregorian calendar (years 1 to 9999 here), by whole eras of 400
// years; a pull reads several dates per object, and this is a few multiplications where a QDate is a table walk.
qint64 daysSinceEpoch(int year, int month, int day)
{
    const int y = month <= 2 ? year - 1 : year;
    const int era = y / 400;
    const int yearOfEra = y - era * 400;
    const int dayOfYear = (153 * (month + (month > 2 ? -3 : 9)) + 2) / 5 + day - 1;
    const int dayOfEra = yearOfEra * 365 + yearOfEra / 4 - yearOfEra / 100 + dayOfYear;
    return qint64(era) * 146097 + dayOfEra - 719468;
}

bool isValidDay(int year, int month, int day)
{
    static constexpr int kDays[] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
    // The calendar has no year 0: the year before 1 is -1, which four digits cannot write.
    if (year < 1 || month < 1 || month > 12 || day < 1)
        return false;
    const bool leap = (year % 4 == 0 && year % 100 != 0) || year % 400 == 0;
    return day <= kDays[month - 1] + (month == 2 && leap ? 1 : 0);
}

// Milliseconds since the epoch of the given UTC calendar fields, or nothing when a field is out of range.
std::optional<qint64> utcMSecs(int year, int month, int day, int hour, int minute, int second, int msec)
{
    if (!isValidDay(year, month, day) || hour > 23 || minute > 59 || second > 59)
        return std::nullopt;
    return daysSinceEpoch(year, month, day) * msecsPerDay + ((hour * 60 + minute) * 60 + second) * 1000LL + msec;
}

std::optional<qint64> dateTimeFromText(DateText original)
{
    // The offset may be written with a colon (+02:00); dropping every ":" among the last five characters turns it
    // into +0200. A text ending in "Z" has no offset there, and its last five characters belong to the seconds.
    const size_t windowStart = original.size() >= 6 && original.back() != 'Z' ? original.size() - 5 : original.size();
    QVarLengthArray<char, 64> buffer;
    DateText text = original;
    if (original.substr(windowStart).find(':') != std::string_view::npos) {
        buffer.resize(qsizetype(original.size()));
        std::memcpy(buffer.data(), original.data(), windowStart);
        size_t length = windowStart;
        for (size_t i = windowStart; i < original.size(); ++i)
            if (original[i] != ':')
                buffer[qsizetype(length++)] = original[i];
        text = DateText(buffer.data(), length);
    }

    // The grammar: yyyy-MM-ddTHH:mm:ss, optionally "." and one or more digits, then "Z" or a sign and four digits,
    // and nothing after. Read by hand: a pull reads several dates per object, and a regular expression match cost
    // more than the rest of the fill of a date.
    size_t at = 0;
    int year = 0, month = 0, day = 0, hour = 0, minute = 0, second = 0;
    if (!readDate(text, at, year, month, day) || !readSeparator(text, at, 'T') || !readDigits(text, at, 2, hour)
        || !readSeparator(text, at, ':') || !readDigits(text, at, 2, minute) || !readSeparator(text, at, ':')
        || !readDigits(text, at, 2, second))
        return std::nullopt;

    // Milliseconds from the first three digits of the fraction; the rest only has to be digits.
    int msec = 0;
    if (readSeparator(text, at, '.')) {
        const size_t fractionStart = at;
        while (at < text.size() && text[at] >= '0' && text[at] <= '9')
            ++at;
        if (at == fractionStart)
            return std::nullopt;
        for (size_t i = 0; i < 3; ++i)
            msec = msec * 10 + (fractionStart + i < at ? text[fractionStart + i] - '0' : 0);
    }

    qint64 offsetMSecs = 0;
    if (readSeparator(text, at, 'Z')) {
        if (at != text.size())
            return std::nullopt;
    } else {
        if (at >= text.size() || (text[at] != '+' && text[at] != '-'))
            return std::nullopt;
        const bool negative = text[at] == '-';
        ++at;
        int offsetHours = 0, offsetMinutes = 0;
        if (!readDigits(text, at, 2, offsetHours) || !readDigits(text, at, 2, offsetMinutes) || at != text.size())
            return std::nullopt;
        if (offsetHours > 23 || offsetMinutes > 59)
            return std::nullopt;
        offsetMSecs = (offsetHours * 60 + offsetMinutes) * 60000LL;
        if (negative)
            offsetMSecs = -offsetMSecs;
    }

    const std::optional<qint64> local = utcMSecs(year, month, day, hour, minute, second, msec);
    if (!local)
        return std::nullopt;
    // An offset can carry the first or the last day of the four-digit years past them, to an instant this form cannot
    // write back.
    static const qint64 first = *utcMSecs(1, 1, 1, 0, 0, 0, 0);
    static const qint64 last = *utcMSecs(9999, 12, 31, 23, 59, 59, 999);
    const qint64 instant = *local - offsetMSecs;
    if (instant < first || instant > last)
        return std::nullopt;
    return instant;
}

std::optional<qint64> dateFromText(DateText text)
{
    size_t at = 0;
    int year = 0, month = 0, day = 0;
    if (!readDate(text, at, year, month, day) || at != text.size())
        return std::nullopt;
    return utcMSecs(year, month, day, 0, 0, 0, 0);
}

// A QString as date bytes, one per character: every character outside ASCII becomes a byte the grammar refuses.
std::string_view asDateText(const QString &string, QVarLengthArray<char, 64> &buffer)
{
    for (const QChar c : string)
        buffer.append(c.unicode() < 0x80 ? char(c.unicode()) : '\x7f');
    return std::string_view(buffer.data(), size_t(buffer.size()));
}

} // namespace

KNVTRailsDateFormatter KNVTRailsDateFormatter::railsDateFormatterWithType(KNVTRailsDateFormatterType type)
{
    return KNVTRailsDateFormatter(type);
}

KNVTRailsDateFormatter::KNVTRailsDateFormatter(KNVTRailsDateFormatterType type) : m_type(type) {}

QDateTime KNVTRailsDateFormatter::dateFromString(const QString &string) const
{
    QVarLengthArray<char, 64> buffer;
    return dateFromUTF8(asDateText(string, buffer));
}

QDateTime KNVTRailsDateFormatter::dateFromUTF8(std::string_view text) const
{
    const std::optional<qint64> msecs = msecsSinceEpochFromUTF8(text);
    return msecs ? QDateTime::fromMSecsSinceEpoch(*msecs, Qt::UTC) : QDateTime();
}

std::optional<qint64> KNVTRailsDateFormatter::msecsSinceEpochFromUTF8(std::string_view text) const
{
    switch (m_type) {
    case KNVTRailsDateFormatterTypeDate: return dateFromText(text);
    case KNVTRailsDateFormatterTypeDateTime: return dateTimeFromText(text);
    }
    return std::nullopt;
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
