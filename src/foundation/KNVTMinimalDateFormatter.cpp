#include "foundation/KNVTMinimalDateFormatter.h"

#include "foundation/DateAdditions.h"

using knvt::DateFormat;

KNVTMinimalDateFormatter::KNVTMinimalDateFormatter()
    : m_relativeDateFormatter(DateFormat::Style::Medium, DateFormat::Style::None, true),
      m_nonRelativeDateFormatter(DateFormat::Style::Medium, DateFormat::Style::None, false),
      // The weekday is English whatever the user's locale.
      m_dayFormatter(DateFormat::withPattern(QStringLiteral("EEE"), QString(), DateFormat::Weekdays::English)),
      m_thisYearDateFormatter(DateFormat::withTemplate(QStringLiteral("MMMd"))),
      m_dateFormatter(DateFormat::withTemplate(QStringLiteral("MMMdyyyy")))
{}

KNVTMinimalDateFormatter &KNVTMinimalDateFormatter::mainThreadFormatter()
{
    static KNVTMinimalDateFormatter formatter;
    return formatter;
}

QString KNVTMinimalDateFormatter::stringFromDate(const QDateTime &date) const
{
    if (!date.isValid())
        return QString();
    const QString relative = m_relativeDateFormatter.stringFromDate(date);
    const QString nonRelative = m_nonRelativeDateFormatter.stringFromDate(date);

    if (knvt::isToday(date) || (knvt::isInTheFuture(date) && knvt::isWithinThisWeek(date)))
        return relative != nonRelative ? relative : m_dayFormatter.stringFromDate(date);
    if (knvt::isThisYear(date))
        return m_thisYearDateFormatter.stringFromDate(date);
    return m_dateFormatter.stringFromDate(date);
}
