#include "foundation/KNVTRailsDateFormatter.h"

#include <QRegularExpression>

#include <cstdio>
#include <optional>

namespace {

constexpr qint64 msecsPerDay = 86400000;
constexpr qint64 unixEpochJulianDay = 2440588;

int number(const QRegularExpressionMatch &match, int group)
{
    return match.capturedView(group).toInt();
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

    static const QRegularExpression expression(
        QStringLiteral(R"(\A([0-9]{4})-([0-9]{2})-([0-9]{2})T([0-9]{2}):([0-9]{2}):([0-9]{2}))"
                       R"((?:\.([0-9]+))?(?:Z|([+-])([0-9]{2})([0-9]{2}))\z)"));
    const QRegularExpressionMatch match = expression.match(text);
    if (!match.hasMatch())
        return QDateTime();

    int msec = 0;
    const QStringView fraction = match.capturedView(7);
    for (qsizetype i = 0; i < 3; ++i)
        msec = msec * 10 + (i < fraction.size() ? fraction.at(i).digitValue() : 0);

    const std::optional<qint64> local = utcMSecs(number(match, 1), number(match, 2), number(match, 3), number(match, 4),
                                                 number(match, 5), number(match, 6), msec);
    if (!local)
        return QDateTime();

    qint64 offsetMSecs = 0;
    if (match.hasCaptured(8)) {
        const int offsetHours = number(match, 9);
        const int offsetMinutes = number(match, 10);
        if (offsetHours > 23 || offsetMinutes > 59)
            return QDateTime();
        offsetMSecs = (offsetHours * 60 + offsetMinutes) * 60000LL;
        if (match.capturedView(8).front() == u'-')
            offsetMSecs = -offsetMSecs;
    }
    return QDateTime::fromMSecsSinceEpoch(*local - offsetMSecs, Qt::UTC);
}

QDateTime dateFromDateString(const QString &string)
{
    static const QRegularExpression expression(QStringLiteral(R"(\A([0-9]{4})-([0-9]{2})-([0-9]{2})\z)"));
    const QRegularExpressionMatch match = expression.match(string);
    if (!match.hasMatch())
        return QDateTime();
    const std::optional<qint64> msecs = utcMSecs(number(match, 1), number(match, 2), number(match, 3), 0, 0, 0, 0);
    return msecs ? QDateTime::fromMSecsSinceEpoch(*msecs, Qt::UTC) : QDateTime();
}

} // namespace

KNVTRailsDateFormatter KNVTRailsDateFormatter::railsDateFormatterWithType(KNVTRailsDateFormatterType type)
{
    return KNVTRailsDateFormatter(type);
}

KNVTRailsDateFormatter::KNVTRailsDateFormatter(KNVTRailsDateFormatterType type)
    : m_type(type)
{
}

QDateTime KNVTRailsDateFormatter::dateFromString(const QString &string) const
{
    switch (m_type) {
    case KNVTRailsDateFormatterTypeDate:
        return dateFromDateString(string);
    case KNVTRailsDateFormatterTypeDateTime:
        return dateTimeFromString(string);
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

