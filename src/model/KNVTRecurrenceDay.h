#pragma once

// A week day of a recurrence rule (its BYDAY items and its first day of the week). 0 (not named here) means that
// the rule sets no first day of the week.
enum KNVTRecurrenceDay : unsigned int {
    KNVTRecurrenceDaySunday = 1,
    KNVTRecurrenceDayMonday = 2,
    KNVTRecurrenceDayTuesday = 3,
    KNVTRecurrenceDayWednesday = 4,
    KNVTRecurrenceDayThursday = 5,
    KNVTRecurrenceDayFriday = 6,
    KNVTRecurrenceDaySaturday = 7,
};
