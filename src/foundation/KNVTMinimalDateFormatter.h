#pragma once

#include "foundation/DateFormat.h"

// Writes the compact dates of list rows: the locale's word for today and the next days that have one (tomorrow), the
// abbreviated English weekday for the rest of the coming seven days, else month and day, with the year for another
// year. Used on the main thread only.
class KNVTMinimalDateFormatter
{
public:
    KNVTMinimalDateFormatter();

    // The one instance the interface shares, made at the first call.
    static KNVTMinimalDateFormatter &mainThreadFormatter();

    // Empty for an invalid date.
    QString stringFromDate(const QDateTime &date) const;

    // The formats stringFromDate writes with; an owner may replace any of them.
    const knvt::DateFormat &relativeDateFormatter() const { return m_relativeDateFormatter; }
    void setRelativeDateFormatter(const knvt::DateFormat &formatter) { m_relativeDateFormatter = formatter; }
    const knvt::DateFormat &nonRelativeDateFormatter() const { return m_nonRelativeDateFormatter; }
    void setNonRelativeDateFormatter(const knvt::DateFormat &formatter) { m_nonRelativeDateFormatter = formatter; }
    const knvt::DateFormat &dayFormatter() const { return m_dayFormatter; }
    void setDayFormatter(const knvt::DateFormat &formatter) { m_dayFormatter = formatter; }
    const knvt::DateFormat &thisYearDateFormatter() const { return m_thisYearDateFormatter; }
    void setThisYearDateFormatter(const knvt::DateFormat &formatter) { m_thisYearDateFormatter = formatter; }
    const knvt::DateFormat &dateFormatter() const { return m_dateFormatter; }
    void setDateFormatter(const knvt::DateFormat &formatter) { m_dateFormatter = formatter; }

private:
    knvt::DateFormat m_relativeDateFormatter;
    knvt::DateFormat m_nonRelativeDateFormatter;
    knvt::DateFormat m_dayFormatter;
    knvt::DateFormat m_thisYearDateFormatter;
    knvt::DateFormat m_dateFormatter;
};
