#pragma once

#include "model/KNVTRecurrenceOccurrence.h"
#include "model/KNVTRecurrenceRule.h"

#include <QList>
#include <QStringList>

#include <functional>
#include <memory>
#include <optional>

// How a task or a task list's review repeats: a list of rules, stored and exchanged as their "RRULE:" texts (joined
// by one space in the store, a JSON array on the wire).
//
// Occurrences come from plain calendar stepping in the user's local time: each one is the previous one plus the
// first rule's interval in its frequency's unit (days, weeks, months and years by the calendar, so 00:00 stays 00:00
// across a daylight-saving change and 31 January steps to the last day of February; seconds, minutes and hours as
// elapsed time). The other parts of the rules are kept but do not shape the stepping. Stepping never goes past the
// end of year 9999, the last year a rule text can name.
class KNVTRecurrence
{
public:
    using RuleList = QList<std::shared_ptr<KNVTRecurrenceRule>>;
    // Called once per following occurrence; set `stop` to end the stepping.
    using ReoccurrenceBlock = std::function<void(const KNVTRecurrenceOccurrence &occurrence, bool &stop)>;

    // The most occurrences reccurrencesForOriginalOccurrence() collects, whatever the rule's end says.
    static constexpr qsizetype maximumNumberOfCollectedOccurrences = 10000;

    // The rules as given (null entries, which are no rules, left out).
    explicit KNVTRecurrence(RuleList recurrenceRules);
    // That one rule, or no rules at all for a null rule.
    explicit KNVTRecurrence(std::shared_ptr<KNVTRecurrenceRule> recurrenceRule);
    // A rule for each text that isValidRRULE() admits, in order; other texts are dropped without notice. When no
    // text is admitted the recurrence has no rule list at all.
    explicit KNVTRecurrence(const QStringList &recurrenceComponentStrings);

    static std::shared_ptr<KNVTRecurrence> recurrenceWithRecurrenceRules(RuleList recurrenceRules);
    static std::shared_ptr<KNVTRecurrence> recurrenceWithRecurrenceRule(std::shared_ptr<KNVTRecurrenceRule> rule);
    static std::shared_ptr<KNVTRecurrence> recurrenceWithRecurrenceComponentStrings(const QStringList &strings);
    // The recurrence of its stored form (the rules' texts joined by single spaces); nullptr for an empty text.
    static std::shared_ptr<KNVTRecurrence> recurrenceWithStoredString(const QString &string);

    // Empty optional when built from texts none of which is a rule text.
    const std::optional<RuleList> &recurrenceRules() const { return m_recurrenceRules; }
    // The first rule, the one that steps; null when there is none.
    std::shared_ptr<KNVTRecurrenceRule> recurrenceRule() const;
    // Each rule's text, in rule order: the stored and exchanged form.
    QStringList recurrenceComponentStrings() const;

    // Equal when both have at least one rule, the same number of rules and the same set of rules, in any order. A
    // recurrence without rules is equal to none, itself included, so there is deliberately no operator== or hash:
    // a recurrence must never serve as a key.
    bool isEqual(const KNVTRecurrence &other) const;

    // "<KNVTRecurrence: 0x…> recurrenceRules:(…)", for logs only.
    QString description() const;

    // Calls `block` synchronously for each occurrence after `originalOccurrence` until it sets its stop flag. A
    // missing start or end date stays missing. Nothing is called when the first rule has no frequency (or there is
    // no rule); the stepping also ends, silently, where the next occurrence would lie after year 9999.
    void enumerateReoccurrencesForOriginalOccurrence(const KNVTRecurrenceOccurrence &originalOccurrence,
                                                     const ReoccurrenceBlock &block) const;
    // The first occurrence after `originalOccurrence`, or nothing when the recurrence cannot step.
    std::optional<KNVTRecurrenceOccurrence>
    nextReoccurrenceForOriginalOccurrence(const KNVTRecurrenceOccurrence &originalOccurrence) const;
    // The occurrences after `originalOccurrence` up to the first rule's end: its count of occurrences, or every
    // occurrence not later than its end date. Never more than maximumNumberOfCollectedOccurrences, which also bounds
    // a rule without an end.
    QList<KNVTRecurrenceOccurrence>
    reccurrencesForOriginalOccurrence(const KNVTRecurrenceOccurrence &originalOccurrence) const;

private:
    std::optional<RuleList> m_recurrenceRules;
};
