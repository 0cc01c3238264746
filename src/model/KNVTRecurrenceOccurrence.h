#pragma once

#include <QDateTime>
#include <QString>

// One occurrence of a recurring task or review: an optional start and an optional end date (an invalid QDateTime
// is a missing date). A plain value.
class KNVTRecurrenceOccurrence
{
public:
    KNVTRecurrenceOccurrence(const QDateTime &startDate, const QDateTime &endDate)
        : m_startDate(startDate), m_endDate(endDate)
    {}

    static KNVTRecurrenceOccurrence recurrenceOccurrenceWithStartDate(const QDateTime &startDate,
                                                                      const QDateTime &endDate)
    {
        return {startDate, endDate};
    }

    const QDateTime &startDate() const { return m_startDate; }
    const QDateTime &endDate() const { return m_endDate; }

    // "KNVTRecurrenceOccurrence: startDate:… endDate:…", for logs only.
    QString description() const;

private:
    QDateTime m_startDate;
    QDateTime m_endDate;
};
