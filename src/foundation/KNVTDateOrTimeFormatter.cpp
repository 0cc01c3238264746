#include "foundation/KNVTDateOrTimeFormatter.h"

#include "foundation/DateAdditions.h"

using knvt::DateFormat;

KNVTDateOrTimeFormatter::KNVTDateOrTimeFormatter()
    : m_timeFormatter(DateFormat::Style::None, DateFormat::Style::Short, true),
      m_relativeDateFormatter(DateFormat::Style::Medium, DateFormat::Style::None, true),
      m_nonRelativeDateFormatter(DateFormat::Style::Medium, DateFormat::Style::None, false),
      // The weekday is English whatever the user's locale.
      m_dayFormatter(DateFormat::withPattern(QStringLiteral("EEEE"), QString(), DateFormat::Weekdays::English)),
      m_dateFormatter(DateFormat::Style::Short, DateFormat::Style::None)
{}

KNVTDateOrTimeFormatter &KNVTDateOrTimeFormatter::mainThreadFormatter()
{
    static KNVTDateOrTimeFormatter formatter;
    return formatter;
}

QString KNVTDateOrTimeFormatter::stringFromDate(const QDateTime &date) const
{
    if (!date.isValid())
        return QString();
    if (knvt::isToday(date))
        return m_timeFormatter.stringFromDate(date);

    // The two medium texts differ exactly on the days the locale has a word for.
    const QString relative = m_relativeDateFormatter.stringFromDate(date);
    if (relative != m_nonRelativeDateFormatter.stringFromDate(date))
        return relative;

    if (!knvt::isInThePast(date))
        return m_dateFormatter.stringFromDate(date);
    if (knvt::isThisWeek(date))
        return m_dayFormatter.stringFromDate(date);
    return m_dateFormatter.stringFromDate(date);
}
