#pragma once

// How often a recurrence rule repeats; the values are those stored and exchanged in rule texts. 0 (not named here)
// is a rule without a frequency, which cannot step.
enum KNVTRecurrenceFrequency : unsigned int {
    KNVTRecurrenceFrequencySecondly = 1,
    KNVTRecurrenceFrequencyMinutely = 2,
    KNVTRecurrenceFrequencyHourly = 3,
    KNVTRecurrenceFrequencyDaily = 4,
    KNVTRecurrenceFrequencyWeekly = 5,
    KNVTRecurrenceFrequencyMonthly = 6,
    KNVTRecurrenceFrequencyYearly = 7,
};
