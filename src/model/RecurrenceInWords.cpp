#include "model/RecurrenceInWords.h"

#include "model/KNVTRecurrenceRule.h"

#include "foundation/DateFormat.h"
#include "foundation/InterfaceLanguage.h"

#include <QCoreApplication>
#include <QHash>
#include <QStringList>

#include <unicode/locid.h>
#include <unicode/rbnf.h>
#include <unicode/unistr.h>

#include <memory>
#include <optional>

namespace knvt {

namespace {

QString tr(const char *text, int n = -1)
{
    return QCoreApplication::translate("RecurrenceInWords", text, nullptr, n);
}

// The parts of a rule text by key, as written: upper case, "+" signs and INTERVAL=1 left out, since reading a rule
// ignores them. nullopt for a part without a value.
std::optional<QHash<QString, QString>> partsOfText(const QString &text)
{
    QString body = text.toUpper();
    if (body.startsWith(QStringLiteral("RRULE:")))
        body = body.mid(6);
    QHash<QString, QString> parts;
    for (const QString &part : body.split(u';', Qt::SkipEmptyParts)) {
        const qsizetype equals = part.indexOf(u'=');
        if (equals <= 0)
            return std::nullopt;
        QString value = part.mid(equals + 1);
        value.remove(u'+');
        const QString key = part.left(equals);
        if (parts.contains(key))
            return std::nullopt;
        if (key == QStringLiteral("INTERVAL") && value == QStringLiteral("1"))
            continue;
        parts.insert(key, value);
    }
    return parts;
}

// "15th" in English, "15." in German.
QString ordinal(int number, const QLocale &locale)
{
    UErrorCode status = U_ZERO_ERROR;
    const icu::Locale icuLocale(locale.name().toLatin1().constData());
    icu::RuleBasedNumberFormat format(icu::URBNF_ORDINAL, icuLocale, status);
    if (U_FAILURE(status))
        return locale.toString(number);
    icu::UnicodeString written;
    format.format(int32_t(number), written);
    return QString(reinterpret_cast<const QChar *>(written.getBuffer()), written.length());
}

QString dayName(KNVTRecurrenceDay day, const QLocale &locale)
{
    // The rule counts from Sunday = 1, Qt from Monday = 1.
    return locale.dayName(day == KNVTRecurrenceDaySunday ? 7 : int(day) - 1, QLocale::LongFormat);
}

QString everyUnit(KNVTRecurrenceFrequency frequency, unsigned int interval)
{
    const int n = int(interval);
    switch (frequency) {
    case KNVTRecurrenceFrequencySecondly: return n == 1 ? tr("Every second") : tr("Every %n seconds", n);
    case KNVTRecurrenceFrequencyMinutely: return n == 1 ? tr("Every minute") : tr("Every %n minutes", n);
    case KNVTRecurrenceFrequencyHourly: return n == 1 ? tr("Every hour") : tr("Every %n hours", n);
    case KNVTRecurrenceFrequencyDaily: return n == 1 ? tr("Every day") : tr("Every %n days", n);
    case KNVTRecurrenceFrequencyWeekly: return n == 1 ? tr("Every week") : tr("Every %n weeks", n);
    case KNVTRecurrenceFrequencyMonthly: return n == 1 ? tr("Every month") : tr("Every %n months", n);
    case KNVTRecurrenceFrequencyYearly: return n == 1 ? tr("Every year") : tr("Every %n years", n);
    }
    return QString();
}

// "Monday", "the first Monday", "the last Friday"; null for a week number the words have no name for.
QString dayInWords(const KNVTRecurrenceDayOfWeek &day, const QLocale &locale)
{
    const QString name = dayName(day.dayOfTheWeek(), locale);
    switch (day.weekNumber()) {
    case 0: return name;
    case 1: return tr("the first %1").arg(name);
    case 2: return tr("the second %1").arg(name);
    case 3: return tr("the third %1").arg(name);
    case 4: return tr("the fourth %1").arg(name);
    case 5: return tr("the fifth %1").arg(name);
    case -1: return tr("the last %1").arg(name);
    default: return QString();
    }
}

// The words of one rule text, or a null string when they cannot say all of it. Names, lists and ordinals come from
// `words`, the end date is written as the user's `locale` writes dates.
QString ruleInWords(const QString &text, const QLocale &locale, const QLocale &words)
{
    const KNVTRecurrenceRule rule(text);
    const std::optional<QHash<QString, QString>> written = partsOfText(text);
    // What the rule reads must be what the text says: an unknown word, a number that is none, a part dropped or
    // two ends would otherwise be said as something else.
    if (!written || written != partsOfText(rule.RRULE()))
        return QString();
    static const QStringList known = {QStringLiteral("FREQ"),       QStringLiteral("INTERVAL"), QStringLiteral("UNTIL"),
                                      QStringLiteral("COUNT"),      QStringLiteral("WKST"),     QStringLiteral("BYDAY"),
                                      QStringLiteral("BYMONTHDAY"), QStringLiteral("BYMONTH")};
    for (auto part = written->cbegin(); part != written->cend(); ++part)
        if (!known.contains(part.key()))
            return QString();
    const KNVTRecurrenceFrequency frequency = rule.frequency();
    QString said = everyUnit(frequency, rule.interval());
    if (said.isEmpty())
        return QString();

    if (rule.monthsOfTheYear()) {
        QStringList months;
        for (int month : *rule.monthsOfTheYear()) {
            if (month < 1 || month > 12)
                return QString();
            months.append(words.monthName(month, QLocale::LongFormat));
        }
        said = tr("%1 in %2").arg(said, words.createSeparatedList(months));
    }
    QStringList days;
    if (rule.daysOfTheMonth()) {
        // Month days belong to months and years only.
        if (frequency != KNVTRecurrenceFrequencyMonthly && frequency != KNVTRecurrenceFrequencyYearly)
            return QString();
        for (int day : *rule.daysOfTheMonth()) {
            if (day >= 1 && day <= 31)
                days.append(tr("the %1").arg(ordinal(day, words)));
            else if (day == -1)
                days.append(tr("the last day"));
            else
                return QString();
        }
    }
    if (rule.daysOfTheWeek()) {
        for (const KNVTRecurrenceDayOfWeek &day : *rule.daysOfTheWeek()) {
            // A numbered week day counts within a month or a year.
            if (day.weekNumber() != 0 && frequency != KNVTRecurrenceFrequencyMonthly
                && frequency != KNVTRecurrenceFrequencyYearly)
                return QString();
            const QString name = dayInWords(day, words);
            if (name.isEmpty())
                return QString();
            days.append(name);
        }
    }
    if (!days.isEmpty())
        said = tr("%1 on %2").arg(said, words.createSeparatedList(days));

    if (const std::shared_ptr<KNVTRecurrenceEnd> end = rule.recurrenceEnd()) {
        if (end->endDate().isValid()) {
            const DateFormat format = DateFormat::withTemplate(QStringLiteral("yMMMd"), locale.name());
            said = tr("%1, until %2").arg(said, format.stringFromDate(end->endDate()));
        } else if (end->occurrenceCount() == 1) {
            said = tr("%1, once").arg(said);
        } else if (end->occurrenceCount() > 1) {
            said = tr("%1, %n times", int(end->occurrenceCount())).arg(said);
        }
    }
    return said;
}

} // namespace

QString recurrenceInWords(const QString &recurrenceString, const QLocale &locale)
{
    const QLocale words = wordsLocale(locale);
    QStringList rules;
    for (const QString &text : recurrenceString.split(u' ', Qt::SkipEmptyParts)) {
        // Only rule texts make up a recurrence; anything else beside them is not one of its rules.
        if (!KNVTRecurrenceRule::isValidRRULE(text))
            continue;
        const QString said = ruleInWords(text, locale, words);
        rules.append(said.isNull() ? text : said);
    }
    if (rules.isEmpty())
        return recurrenceString;
    return rules.join(QStringLiteral("; "));
}

} // namespace knvt
