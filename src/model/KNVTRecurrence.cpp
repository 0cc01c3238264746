#include "model/KNVTRecurrence.h"

#include "foundation/DateAdditions.h"

#include <QSet>

#include <algorithm>

namespace {

// Rule texts name years with four digits, and keeping every date at or below this year keeps Qt's date arithmetic
// far away from the range where it silently wraps round.
constexpr int lastYear = 9999;
constexpr qint64 yearsInCalendar = 10000;

struct Step
{
    enum Unit { Seconds, Days, Months, Years };
    Unit unit;
    qint64 amount;
};

// The first rule's interval in its frequency's unit. An interval of 0 steps like 1: its text has no INTERVAL part and
// reads back as 1, and a step of nothing would give the same occurrence for ever.
std::optional<Step> stepForRule(const KNVTRecurrenceRule &rule)
{
    const qint64 interval = std::max(rule.interval(), 1u);
    switch (rule.frequency()) {
    case KNVTRecurrenceFrequencySecondly: return Step{Step::Seconds, interval};
    case KNVTRecurrenceFrequencyMinutely: return Step{Step::Seconds, interval * 60};
    case KNVTRecurrenceFrequencyHourly: return Step{Step::Seconds, interval * 3600};
    case KNVTRecurrenceFrequencyDaily: return Step{Step::Days, interval};
    case KNVTRecurrenceFrequencyWeekly: return Step{Step::Days, interval * 7};
    case KNVTRecurrenceFrequencyMonthly: return Step{Step::Months, interval};
    case KNVTRecurrenceFrequencyYearly: return Step{Step::Years, interval};
    }
    return std::nullopt;
}

// Whether one step is longer than every date the stepping may produce, so that no occurrence can follow at all.
bool isBeyondCalendar(const Step &step)
{
    switch (step.unit) {
    case Step::Seconds: return step.amount > yearsInCalendar * 366 * 86400;
    case Step::Days: return step.amount > yearsInCalendar * 366;
    case Step::Months: return step.amount > yearsInCalendar * 12;
    case Step::Years: return step.amount > yearsInCalendar;
    }
    return true;
}

bool isWithinCalendar(const QDateTime &date)
{
    return !date.isValid() || knvt::dayForDate(date).year() <= lastYear;
}

// Calendar units are added to the wall-clock fields in the zone as it is now, on Qt::LocalTime values: a result in a
// daylight-saving gap (a day starting at 01:00) moves forward by the gap. Elapsed units are added to the instant.
QDateTime advanced(const QDateTime &date, const Step &step)
{
    if (!date.isValid())
        return {};
    const QDateTime local = date.toLocalTime();
    switch (step.unit) {
    case Step::Seconds: return local.addSecs(step.amount);
    case Step::Days: return local.addDays(step.amount);
    case Step::Months: return local.addMonths(static_cast<int>(step.amount));
    case Step::Years: return local.addYears(static_cast<int>(step.amount));
    }
    return {};
}

QString addressText(const void *object)
{
    return QStringLiteral("0x") + QString::number(reinterpret_cast<quintptr>(object), 16);
}

} // namespace

KNVTRecurrence::KNVTRecurrence(RuleList recurrenceRules) : m_recurrenceRules(std::move(recurrenceRules))
{
    m_recurrenceRules->removeAll(nullptr);
}

KNVTRecurrence::KNVTRecurrence(std::shared_ptr<KNVTRecurrenceRule> recurrenceRule) : m_recurrenceRules(RuleList{})
{
    if (recurrenceRule)
        m_recurrenceRules->append(std::move(recurrenceRule));
}

KNVTRecurrence::KNVTRecurrence(const QStringList &recurrenceComponentStrings)
{
    for (const QString &text : recurrenceComponentStrings) {
        if (!KNVTRecurrenceRule::isValidRRULE(text))
            continue;
        if (!m_recurrenceRules)
            m_recurrenceRules.emplace();
        m_recurrenceRules->append(std::make_shared<KNVTRecurrenceRule>(text));
    }
}

std::shared_ptr<KNVTRecurrence> KNVTRecurrence::recurrenceWithRecurrenceRules(RuleList recurrenceRules)
{
    return std::make_shared<KNVTRecurrence>(std::move(recurrenceRules));
}

std::shared_ptr<KNVTRecurrence> KNVTRecurrence::recurrenceWithRecurrenceRule(std::shared_ptr<KNVTRecurrenceRule> rule)
{
    return std::make_shared<KNVTRecurrence>(std::move(rule));
}

std::shared_ptr<KNVTRecurrence> KNVTRecurrence::recurrenceWithRecurrenceComponentStrings(const QStringList &strings)
{
    return std::make_shared<KNVTRecurrence>(strings);
}

std::shared_ptr<KNVTRecurrence> KNVTRecurrence::recurrenceWithStoredString(const QString &string)
{
    if (string.isEmpty())
        return nullptr;
    return recurrenceWithRecurrenceComponentStrings(string.split(QLatin1Char(' ')));
}

std::shared_ptr<KNVTRecurrenceRule> KNVTRecurrence::recurrenceRule() const
{
    if (!m_recurrenceRules || m_recurrenceRules->isEmpty())
        return nullptr;
    return m_recurrenceRules->first();
}

QStringList KNVTRecurrence::recurrenceComponentStrings() const
{
    QStringList strings;
    if (!m_recurrenceRules)
        return strings;
    for (const std::shared_ptr<KNVTRecurrenceRule> &rule : *m_recurrenceRules) {
        const QString text = rule->RRULE();
        if (!text.isEmpty())
            strings.append(text);
    }
    return strings;
}

bool KNVTRecurrence::isEqual(const KNVTRecurrence &other) const
{
    if (!m_recurrenceRules || !other.m_recurrenceRules || m_recurrenceRules->isEmpty()
        || m_recurrenceRules->size() != other.m_recurrenceRules->size())
        return false;
    const QStringList mine = recurrenceComponentStrings();
    const QStringList theirs = other.recurrenceComponentStrings();
    return QSet<QString>(mine.cbegin(), mine.cend()) == QSet<QString>(theirs.cbegin(), theirs.cend());
}

QString KNVTRecurrence::description() const
{
    QString rules;
    if (!m_recurrenceRules) {
        rules = QStringLiteral("(null)");
    } else {
        QStringList items;
        for (const std::shared_ptr<KNVTRecurrenceRule> &rule : *m_recurrenceRules)
            items.append(QStringLiteral("    ") + rule->description());
        rules = items.isEmpty() ? QStringLiteral("(\n)")
                                : QStringLiteral("(\n") + items.join(QStringLiteral(",\n")) + QStringLiteral("\n)");
    }
    return QStringLiteral("<KNVTRecurrence: %1> recurrenceRules:%2").arg(addressText(this), rules);
}

void KNVTRecurrence::enumerateReoccurrencesForOriginalOccurrence(const KNVTRecurrenceOccurrence &originalOccurrence,
                                                                 const ReoccurrenceBlock &block) const
{
    const std::shared_ptr<KNVTRecurrenceRule> rule = recurrenceRule();
    if (!rule || !block)
        return;
    const std::optional<Step> step = stepForRule(*rule);
    if (!step || isBeyondCalendar(*step))
        return;

    QDateTime startDate = originalOccurrence.startDate();
    QDateTime endDate = originalOccurrence.endDate();
    if (!isWithinCalendar(startDate) || !isWithinCalendar(endDate))
        return;
    for (;;) {
        // Each occurrence is the previous one plus one step, so that a day clamped to a shorter month stays clamped.
        const QDateTime nextStartDate = advanced(startDate, *step);
        const QDateTime nextEndDate = advanced(endDate, *step);
        if (nextStartDate.isValid() != startDate.isValid() || nextEndDate.isValid() != endDate.isValid()
            || !isWithinCalendar(nextStartDate) || !isWithinCalendar(nextEndDate))
            return;
        bool stop = false;
        block(KNVTRecurrenceOccurrence(nextStartDate, nextEndDate), stop);
        if (stop)
            return;
        startDate = nextStartDate;
        endDate = nextEndDate;
    }
}

std::optional<KNVTRecurrenceOccurrence>
KNVTRecurrence::nextReoccurrenceForOriginalOccurrence(const KNVTRecurrenceOccurrence &originalOccurrence) const
{
    std::optional<KNVTRecurrenceOccurrence> next;
    enumerateReoccurrencesForOriginalOccurrence(originalOccurrence,
                                                [&next](const KNVTRecurrenceOccurrence &occurrence, bool &stop) {
                                                    next = occurrence;
                                                    stop = true;
                                                });
    return next;
}

QList<KNVTRecurrenceOccurrence>
KNVTRecurrence::reccurrencesForOriginalOccurrence(const KNVTRecurrenceOccurrence &originalOccurrence) const
{
    QList<KNVTRecurrenceOccurrence> occurrences;
    const std::shared_ptr<KNVTRecurrenceRule> rule = recurrenceRule();
    if (!rule)
        return occurrences;
    const std::shared_ptr<KNVTRecurrenceEnd> end = rule->recurrenceEnd();
    const unsigned int count = end ? end->occurrenceCount() : 0;
    const QDateTime endDate = end ? end->endDate() : QDateTime();

    qsizetype number = 0;
    enumerateReoccurrencesForOriginalOccurrence(
        originalOccurrence, [&](const KNVTRecurrenceOccurrence &occurrence, bool &stop) {
            ++number;
            if (count != 0 && number >= count) {
                occurrences.append(occurrence);
                stop = true;
                return;
            }
            if (endDate.isValid()
                && ((occurrence.startDate().isValid() && occurrence.startDate() > endDate)
                    || (occurrence.endDate().isValid() && occurrence.endDate() > endDate))) {
                stop = true;
                return;
            }
            occurrences.append(occurrence);
            stop = occurrences.size() >= maximumNumberOfCollectedOccurrences;
        });
    return occurrences;
}
