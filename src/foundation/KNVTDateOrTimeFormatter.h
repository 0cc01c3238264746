#pragma once

#include "foundation/DateFormat.h"

// Writes a date that may be today: the time of day for today, the locale's word for the days next to today, the
// English weekday name for an earlier day of this week, else the short date. Used on the main thread only.
class KNVTDateOrTimeFormatter
{
public:
    KNVTDateOrTimeFormatter();

    // The one instance the interface shares, made at the first call.
    static KNVTDateOrTimeFormatter &mainThreadFormatter();

    // Empty for an invalid date.
    QString stringFromDate(const QDateTime &date) const;

    // The formats stringFromDate writes with; an owner may replace any of them.
    const knvt::DateFormat &timeFormatter() const { return m_timeFormatter; }
    void setTimeFormatter(const knvt::DateFormat &formatter) { m_timeFormatter = formatter; }
    const knvt::DateFormat &relativeDateFormatter() const { return m_relativeDateFormatter; }
    void setRelativeDateFormatter(const knvt::DateFormat &formatter) { m_relativeDateFormatter = formatter; }
    const knvt::DateFormat &nonRelativeDateFormatter() const { return m_nonRelativeDateFormatter; }
    void setNonRelativeDateFormatter(const knvt::DateFormat &formatter) { m_nonRelativeDateFormatter = formatter; }
    const knvt::DateFormat &dayFormatter() const { return m_dayFormatter; }
    void setDayFormatter(const knvt::DateFormat &formatter) { m_dayFormatter = formatter; }
    const knvt::DateFormat &dateFormatter() const { return m_dateFormatter; }
    void setDateFormatter(const knvt::DateFormat &formatter) { m_dateFormatter = formatter; }

private:
    knvt::DateFormat m_timeFormatter;
    knvt::DateFormat m_relativeDateFormatter;
    knvt::DateFormat m_nonRelativeDateFormatter;
    knvt::DateFormat m_dayFormatter;
    knvt::DateFormat m_dateFormatter;
};
