#pragma once

#include "model/KNVTRecurrenceDay.h"
#include "model/KNVTRecurrenceDayOfWeek.h"
#include "model/KNVTRecurrenceEnd.h"
#include "model/KNVTRecurrenceFrequency.h"

#include <QList>
#include <QString>

#include <atomic>
#include <memory>
#include <optional>

// One repetition rule in the grammar of an RFC 5545 "RRULE:" line. Tasks and review schedules store and exchange
// their rules as these texts, so whatever a rule read from the service carries (week days, month days, its end, ...)
// is kept and written back, even though only the frequency and the interval take part in stepping occurrences.
//
// Reading is lenient and never fails: unknown words fall back (FREQ to Weekly, day codes to Monday), non-numbers read
// as 0, keys outside the RFC list are dropped. Writing uses one canonical key order, so a rule read back from its own
// text is equal to it.
//
// Created whole and not changed afterwards, except that its end may be replaced. Handled through shared pointers.
class KNVTRecurrenceRule
{
public:
    using DayList = QList<KNVTRecurrenceDayOfWeek>;
    using NumberList = QList<int>;

    // A rule with only a frequency and an interval, the way the task editors build one. An interval of 0 is written
    // like 1 (no INTERVAL part) and steps like 1.
    KNVTRecurrenceRule(KNVTRecurrenceFrequency frequency, unsigned int interval);
    // Every field as given; an empty optional is a part the rule does not have.
    KNVTRecurrenceRule(KNVTRecurrenceFrequency frequency, unsigned int interval, KNVTRecurrenceDay firstDayOfTheWeek,
                       std::optional<DayList> daysOfTheWeek, std::optional<NumberList> daysOfTheMonth,
                       std::optional<NumberList> monthsOfTheYear, std::optional<NumberList> weeksOfTheYear,
                       std::optional<NumberList> daysOfTheYear, std::optional<NumberList> setPositions,
                       std::shared_ptr<KNVTRecurrenceEnd> end);
    // The rule a text describes, with or without its "RRULE:" prefix, in any letter case.
    explicit KNVTRecurrenceRule(const QString &rrule);

    KNVTRecurrenceRule(const KNVTRecurrenceRule &) = delete;
    KNVTRecurrenceRule &operator=(const KNVTRecurrenceRule &) = delete;

    static std::shared_ptr<KNVTRecurrenceRule> recurrenceRuleWithFrequency(KNVTRecurrenceFrequency frequency,
                                                                           unsigned int interval);
    static std::shared_ptr<KNVTRecurrenceRule>
    recurrenceRuleWithFrequency(KNVTRecurrenceFrequency frequency, unsigned int interval,
                                KNVTRecurrenceDay firstDayOfTheWeek, std::optional<DayList> daysOfTheWeek,
                                std::optional<NumberList> daysOfTheMonth, std::optional<NumberList> monthsOfTheYear,
                                std::optional<NumberList> weeksOfTheYear, std::optional<NumberList> daysOfTheYear,
                                std::optional<NumberList> setPositions, std::shared_ptr<KNVTRecurrenceEnd> end);

    // Whether a stored text is a rule text at all: it begins with "RRULE:", in exactly that case.
    static bool isValidRRULE(const QString &text);

    // Conversions between values and the words of rule texts. Words are compared exactly (upper case). An unknown
    // FREQ word, the empty one included, is Weekly; an unknown day code is Monday. Values outside the tables give a
    // null string.
    static KNVTRecurrenceFrequency frequencyForRRULEFrequency(const QString &word);
    static QString RRULEFrequencyForFrequency(KNVTRecurrenceFrequency frequency);
    static KNVTRecurrenceDay dayForRRULEDay(const QString &code);
    static QString RRULEDayForDay(KNVTRecurrenceDay day);

    // Fixed English names for display (never translated): "Week" / "Weeks", the adverb "Weekly", "1 Week" / "3 Weeks"
    // / "0 Days", and the repeat text "Week" / "2 Weeks". A frequency outside the table gives a null string.
    static QString localizedSingularNameForFrequency(KNVTRecurrenceFrequency frequency);
    static QString localizedPluralNameForFrequency(KNVTRecurrenceFrequency frequency);
    static QString localizedNameForFrequency(KNVTRecurrenceFrequency frequency);
    static QString localizedNameForFrequency(KNVTRecurrenceFrequency frequency, unsigned int interval);
    static QString localizedRepeatNameForFrequency(KNVTRecurrenceFrequency frequency, unsigned int interval);

    // 0 when the rule has no frequency.
    KNVTRecurrenceFrequency frequency() const { return m_frequency; }
    unsigned int interval() const { return m_interval; }
    // 0 when not set.
    KNVTRecurrenceDay firstDayOfTheWeek() const { return m_firstDayOfTheWeek; }
    const std::optional<DayList> &daysOfTheWeek() const { return m_daysOfTheWeek; }
    const std::optional<NumberList> &daysOfTheMonth() const { return m_daysOfTheMonth; }
    const std::optional<NumberList> &monthsOfTheYear() const { return m_monthsOfTheYear; }
    const std::optional<NumberList> &weeksOfTheYear() const { return m_weeksOfTheYear; }
    const std::optional<NumberList> &daysOfTheYear() const { return m_daysOfTheYear; }
    const std::optional<NumberList> &positions() const { return m_positions; }

    // Null when the rule has no end. Safe to read and replace from different threads.
    std::shared_ptr<KNVTRecurrenceEnd> recurrenceEnd() const { return m_recurrenceEnd.load(); }
    void setRecurrenceEnd(std::shared_ptr<KNVTRecurrenceEnd> end) { m_recurrenceEnd.store(std::move(end)); }

    // The rule's text, "RRULE:FREQ=WEEKLY;INTERVAL=2" and so on. Parts whose values lie outside the tables (a
    // frequency or a day above 7 given to a constructor) are left out, so the text always reads back.
    QString RRULE() const;

    // Rules are equal when their texts are; a rule kept in a hashed set must therefore not have its end replaced.
    bool isEqual(const KNVTRecurrenceRule &other) const;
    size_t hash() const;

    // "<KNVTRecurrenceRule: 0x…> RRULE:…", for logs only.
    QString description() const;

private:
    KNVTRecurrenceFrequency m_frequency = KNVTRecurrenceFrequency(0);
    unsigned int m_interval = 0;
    KNVTRecurrenceDay m_firstDayOfTheWeek = KNVTRecurrenceDay(0);
    std::optional<DayList> m_daysOfTheWeek;
    std::optional<NumberList> m_daysOfTheMonth;
    std::optional<NumberList> m_monthsOfTheYear;
    std::optional<NumberList> m_weeksOfTheYear;
    std::optional<NumberList> m_daysOfTheYear;
    std::optional<NumberList> m_positions;
    std::atomic<std::shared_ptr<KNVTRecurrenceEnd>> m_recurrenceEnd;
};
