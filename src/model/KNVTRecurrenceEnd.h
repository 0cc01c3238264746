#pragma once

#include <QDateTime>

#include <memory>

// Where a recurrence rule ends: at a date (UNTIL) or after a number of occurrences (COUNT). A rule read from text
// has one or the other, never both. Shared by reference between a rule and whoever built it.
class KNVTRecurrenceEnd
{
public:
    KNVTRecurrenceEnd() = default;

    static std::shared_ptr<KNVTRecurrenceEnd> recurrenceEndWithEndDate(const QDateTime &endDate);
    static std::shared_ptr<KNVTRecurrenceEnd> recurrenceEndWithOccurrenceCount(unsigned int occurrenceCount);

    // An invalid date means no end date.
    const QDateTime &endDate() const { return m_endDate; }
    void setEndDate(const QDateTime &endDate) { m_endDate = endDate; }

    // 0 means no count.
    unsigned int occurrenceCount() const { return m_occurrenceCount; }
    void setOccurrenceCount(unsigned int occurrenceCount) { m_occurrenceCount = occurrenceCount; }

private:
    QDateTime m_endDate;
    unsigned int m_occurrenceCount = 0;
};
