#pragma once

#include "model/KNVTRecurrenceDay.h"

// One BYDAY item of a recurrence rule: a week day, optionally with the number of its occurrence within the period
// (1MO the first Monday, -1FR the last Friday). A plain value.
class KNVTRecurrenceDayOfWeek
{
public:
    // weekNumber 0 means no week number; a negative number counts from the end of the period.
    constexpr KNVTRecurrenceDayOfWeek(KNVTRecurrenceDay dayOfTheWeek, int weekNumber)
        : m_dayOfTheWeek(dayOfTheWeek), m_weekNumber(weekNumber)
    {}

    static constexpr KNVTRecurrenceDayOfWeek dayOfWeek(KNVTRecurrenceDay day) { return {day, 0}; }
    static constexpr KNVTRecurrenceDayOfWeek dayOfWeek(KNVTRecurrenceDay day, int weekNumber)
    {
        return {day, weekNumber};
    }

    constexpr KNVTRecurrenceDay dayOfTheWeek() const { return m_dayOfTheWeek; }
    constexpr int weekNumber() const { return m_weekNumber; }

    constexpr bool operator==(const KNVTRecurrenceDayOfWeek &other) const = default;

private:
    KNVTRecurrenceDay m_dayOfTheWeek;
    int m_weekNumber;
};
