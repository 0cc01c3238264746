#include "model/KNVTRecurrenceRule.h"

#include <QCoreApplication>
#include <QDate>
#include <QHash>
#include <QStringList>
#include <QTime>

#include <algorithm>
#include <array>
#include <limits>

namespace {

// The word of the rule text, and the names the user reads, translated when they are shown.
struct FrequencyNames
{
    const char16_t *word;
    const char *singular;
    const char *plural;
    const char *adverb;
};

#define KNVT_FREQUENCY_NAME(text) QT_TRANSLATE_NOOP("KNVTRecurrenceRule", text)

// Indexed by KNVTRecurrenceFrequency - 1.
constexpr std::array<FrequencyNames, 7> frequencyNames{{
    {u"SECONDLY", KNVT_FREQUENCY_NAME("Second"), KNVT_FREQUENCY_NAME("Seconds"), KNVT_FREQUENCY_NAME("Secondly")},
    {u"MINUTELY", KNVT_FREQUENCY_NAME("Minute"), KNVT_FREQUENCY_NAME("Minutes"), KNVT_FREQUENCY_NAME("Minutely")},
    {u"HOURLY", KNVT_FREQUENCY_NAME("Hour"), KNVT_FREQUENCY_NAME("Hours"), KNVT_FREQUENCY_NAME("Hourly")},
    {u"DAILY", KNVT_FREQUENCY_NAME("Day"), KNVT_FREQUENCY_NAME("Days"), KNVT_FREQUENCY_NAME("Daily")},
    {u"WEEKLY", KNVT_FREQUENCY_NAME("Week"), KNVT_FREQUENCY_NAME("Weeks"), KNVT_FREQUENCY_NAME("Weekly")},
    {u"MONTHLY", KNVT_FREQUENCY_NAME("Month"), KNVT_FREQUENCY_NAME("Months"), KNVT_FREQUENCY_NAME("Monthly")},
    {u"YEARLY", KNVT_FREQUENCY_NAME("Year"), KNVT_FREQUENCY_NAME("Years"), KNVT_FREQUENCY_NAME("Yearly")},
}};

#undef KNVT_FREQUENCY_NAME

QString shownName(const char *name)
{
    return QCoreApplication::translate("KNVTRecurrenceRule", name);
}

// Indexed by KNVTRecurrenceDay - 1.
constexpr std::array<const char16_t *, 7> dayCodes{u"SU", u"MO", u"TU", u"WE", u"TH", u"FR", u"SA"};

const FrequencyNames *namesForFrequency(KNVTRecurrenceFrequency frequency)
{
    if (frequency < 1 || frequency > frequencyNames.size())
        return nullptr;
    return &frequencyNames[frequency - 1];
}

// The integer a text begins with, the way the service's other clients read numbers: leading white space is skipped,
// one sign is allowed, reading stops at the first non-digit, and a text without digits is 0. Values beyond the range
// stop at its limit instead of wrapping round.
qint64 leadingInteger(QStringView text)
{
    qsizetype index = 0;
    while (index < text.size() && text[index].isSpace())
        ++index;
    bool negative = false;
    if (index < text.size() && (text[index] == u'+' || text[index] == u'-')) {
        negative = text[index] == u'-';
        ++index;
    }
    constexpr qint64 limit = std::numeric_limits<qint64>::max();
    qint64 magnitude = 0;
    for (; index < text.size() && text[index] >= u'0' && text[index] <= u'9'; ++index) {
        const int digit = text[index].unicode() - u'0';
        if (magnitude > (limit - digit) / 10) {
            magnitude = limit;
            break;
        }
        magnitude = magnitude * 10 + digit;
    }
    return negative ? -magnitude : magnitude;
}

// A count or an interval is a run of decimal digits from 1 to 2^31-1. Anything else, a sign or a number too large
// for that range included, reads as 0: a peer's "-1" or an overflowing value must not wrap round into an enormous
// interval that steps the calendar out of range or backwards.
unsigned int leadingUnsigned(QStringView text)
{
    if (text.isEmpty() || !text.front().isDigit() || text.front().unicode() > u'9')
        return 0;
    qint64 value = 0;
    for (const QChar character : text) {
        if (character.unicode() < u'0' || character.unicode() > u'9')
            break;
        value = value * 10 + (character.unicode() - u'0');
        if (value > std::numeric_limits<int>::max())
            return 0;
    }
    return static_cast<unsigned int>(value);
}

int leadingInt(QStringView text)
{
    return static_cast<int>(
        std::clamp<qint64>(leadingInteger(text), std::numeric_limits<int>::min(), std::numeric_limits<int>::max()));
}

KNVTRecurrenceRule::NumberList numberList(QStringView value)
{
    KNVTRecurrenceRule::NumberList numbers;
    for (QStringView item : value.split(u','))
        numbers.append(leadingInt(item));
    return numbers;
}

KNVTRecurrenceRule::DayList dayList(QStringView value)
{
    KNVTRecurrenceRule::DayList days;
    for (QStringView item : value.split(u',')) {
        if (item.size() < 3) {
            days.append(KNVTRecurrenceDayOfWeek::dayOfWeek(KNVTRecurrenceRule::dayForRRULEDay(item.toString())));
            continue;
        }
        const QStringView code = item.right(2);
        const QStringView weekNumber = item.left(item.size() - 2);
        days.append(KNVTRecurrenceDayOfWeek::dayOfWeek(KNVTRecurrenceRule::dayForRRULEDay(code.toString()),
                                                       leadingInt(weekNumber)));
    }
    return days;
}

bool readDigits(QStringView text, qsizetype from, qsizetype count, int *value)
{
    int result = 0;
    for (qsizetype index = from; index < from + count; ++index) {
        const QChar character = text[index];
        if (character < u'0' || character > u'9')
            return false;
        result = result * 10 + (character.unicode() - u'0');
    }
    *value = result;
    return true;
}

// "20150310T120000Z" exactly: a UTC date-time with ASCII digits, whatever the user's locale. A DATE-only value, a
// local time (no Z), an impossible day or time, or anything after the Z gives an invalid date.
QDateTime untilDate(QStringView text)
{
    if (text.size() != 16 || text[8] != u'T' || text[15] != u'Z')
        return {};
    int year = 0, month = 0, day = 0, hour = 0, minute = 0, second = 0;
    if (!readDigits(text, 0, 4, &year) || !readDigits(text, 4, 2, &month) || !readDigits(text, 6, 2, &day)
        || !readDigits(text, 9, 2, &hour) || !readDigits(text, 11, 2, &minute) || !readDigits(text, 13, 2, &second))
        return {};
    if (!QDate::isValid(year, month, day) || !QTime::isValid(hour, minute, second))
        return {};
    return QDateTime(QDate(year, month, day), QTime(hour, minute, second), Qt::UTC);
}

QString untilText(const QDateTime &date)
{
    const QDateTime utc = date.toUTC();
    const QDate day = utc.date();
    const QTime time = utc.time();
    return QString::asprintf("%04d%02d%02dT%02d%02d%02dZ", day.year(), day.month(), day.day(), time.hour(),
                             time.minute(), time.second());
}

QString joinedNumbers(const KNVTRecurrenceRule::NumberList &numbers)
{
    QStringList texts;
    texts.reserve(numbers.size());
    for (int number : numbers)
        texts.append(QString::number(number));
    return texts.join(u',');
}

} // namespace

KNVTRecurrenceRule::KNVTRecurrenceRule(KNVTRecurrenceFrequency frequency, unsigned int interval)
    : m_frequency(frequency), m_interval(interval)
{}

KNVTRecurrenceRule::KNVTRecurrenceRule(KNVTRecurrenceFrequency frequency, unsigned int interval,
                                       KNVTRecurrenceDay firstDayOfTheWeek, std::optional<DayList> daysOfTheWeek,
                                       std::optional<NumberList> daysOfTheMonth,
                                       std::optional<NumberList> monthsOfTheYear,
                                       std::optional<NumberList> weeksOfTheYear,
                                       std::optional<NumberList> daysOfTheYear, std::optional<NumberList> setPositions,
                                       std::shared_ptr<KNVTRecurrenceEnd> end)
    : m_frequency(frequency),
      m_interval(interval),
      m_firstDayOfTheWeek(firstDayOfTheWeek),
      m_daysOfTheWeek(std::move(daysOfTheWeek)),
      m_daysOfTheMonth(std::move(daysOfTheMonth)),
      m_monthsOfTheYear(std::move(monthsOfTheYear)),
      m_weeksOfTheYear(std::move(weeksOfTheYear)),
      m_daysOfTheYear(std::move(daysOfTheYear)),
      m_positions(std::move(setPositions)),
      m_recurrenceEnd(std::move(end))
{}

KNVTRecurrenceRule::KNVTRecurrenceRule(const QString &rrule)
{
    const QString text = rrule.toUpper();
    QStringView rest(text);
    if (rest.startsWith(u"RRULE:"))
        rest = rest.mid(6);

    static const QStringList knownKeys{
        QStringLiteral("FREQ"),       QStringLiteral("INTERVAL"), QStringLiteral("UNTIL"),
        QStringLiteral("COUNT"),      QStringLiteral("WKST"),     QStringLiteral("BYDAY"),
        QStringLiteral("BYMONTHDAY"), QStringLiteral("BYMONTH"),  QStringLiteral("BYWEEKNO"),
        QStringLiteral("BYYEARDAY"),  QStringLiteral("BYSETPOS"),
    };
    QHash<QStringView, QStringView> values;
    for (QStringView part : rest.split(u';')) {
        // A part without "=" (the empty part after a trailing ";", say) carries no value and is skipped.
        const QList<QStringView> pieces = part.split(u'=');
        if (pieces.size() < 2)
            continue;
        if (knownKeys.contains(pieces[0]))
            values.insert(pieces[0], pieces[1]);
    }

    if (const auto found = values.constFind(u"INTERVAL"); found != values.cend())
        m_interval = leadingUnsigned(*found);
    if (const auto found = values.constFind(u"FREQ"); found != values.cend()) {
        if (m_interval == 0)
            m_interval = 1;
        m_frequency = frequencyForRRULEFrequency(found->toString());
    }
    if (const auto found = values.constFind(u"UNTIL"); found != values.cend()) {
        // An unreadable UNTIL still rules out COUNT: the text named an end date, not a count.
        const QDateTime date = untilDate(*found);
        if (date.isValid())
            m_recurrenceEnd.store(KNVTRecurrenceEnd::recurrenceEndWithEndDate(date));
    } else if (const auto countText = values.constFind(u"COUNT"); countText != values.cend()) {
        // A count of 0 or less (or no number) ends nothing; a rule without an end has no end object at all.
        if (const unsigned int count = leadingUnsigned(*countText); count != 0)
            m_recurrenceEnd.store(KNVTRecurrenceEnd::recurrenceEndWithOccurrenceCount(count));
    }
    if (const auto found = values.constFind(u"WKST"); found != values.cend())
        m_firstDayOfTheWeek = dayForRRULEDay(found->toString());
    if (const auto found = values.constFind(u"BYDAY"); found != values.cend())
        m_daysOfTheWeek = dayList(*found);
    if (const auto found = values.constFind(u"BYMONTHDAY"); found != values.cend())
        m_daysOfTheMonth = numberList(*found);
    if (const auto found = values.constFind(u"BYMONTH"); found != values.cend())
        m_monthsOfTheYear = numberList(*found);
    if (const auto found = values.constFind(u"BYWEEKNO"); found != values.cend())
        m_weeksOfTheYear = numberList(*found);
    if (const auto found = values.constFind(u"BYYEARDAY"); found != values.cend())
        m_daysOfTheYear = numberList(*found);
    if (const auto found = values.constFind(u"BYSETPOS"); found != values.cend())
        m_positions = numberList(*found);
}

std::shared_ptr<KNVTRecurrenceRule> KNVTRecurrenceRule::recurrenceRuleWithFrequency(KNVTRecurrenceFrequency frequency,
                                                                                    unsigned int interval)
{
    return std::make_shared<KNVTRecurrenceRule>(frequency, interval);
}

std::shared_ptr<KNVTRecurrenceRule> KNVTRecurrenceRule::recurrenceRuleWithFrequency(
    KNVTRecurrenceFrequency frequency, unsigned int interval, KNVTRecurrenceDay firstDayOfTheWeek,
    std::optional<DayList> daysOfTheWeek, std::optional<NumberList> daysOfTheMonth,
    std::optional<NumberList> monthsOfTheYear, std::optional<NumberList> weeksOfTheYear,
    std::optional<NumberList> daysOfTheYear, std::optional<NumberList> setPositions,
    std::shared_ptr<KNVTRecurrenceEnd> end)
{
    return std::make_shared<KNVTRecurrenceRule>(frequency, interval, firstDayOfTheWeek, std::move(daysOfTheWeek),
                                                std::move(daysOfTheMonth), std::move(monthsOfTheYear),
                                                std::move(weeksOfTheYear), std::move(daysOfTheYear),
                                                std::move(setPositions), std::move(end));
}

bool KNVTRecurrenceRule::isValidRRULE(const QString &text)
{
    return text.startsWith(u"RRULE:", Qt::CaseSensitive);
}

KNVTRecurrenceFrequency KNVTRecurrenceRule::frequencyForRRULEFrequency(const QString &word)
{
    for (std::size_t index = 0; index < frequencyNames.size(); ++index) {
        if (word == QStringView(frequencyNames[index].word))
            return KNVTRecurrenceFrequency(index + 1);
    }
    return KNVTRecurrenceFrequencyWeekly;
}

QString KNVTRecurrenceRule::RRULEFrequencyForFrequency(KNVTRecurrenceFrequency frequency)
{
    const FrequencyNames *names = namesForFrequency(frequency);
    return names ? QString::fromUtf16(names->word) : QString();
}

KNVTRecurrenceDay KNVTRecurrenceRule::dayForRRULEDay(const QString &code)
{
    for (std::size_t index = 0; index < dayCodes.size(); ++index) {
        if (code == QStringView(dayCodes[index]))
            return KNVTRecurrenceDay(index + 1);
    }
    return KNVTRecurrenceDayMonday;
}

QString KNVTRecurrenceRule::RRULEDayForDay(KNVTRecurrenceDay day)
{
    if (day < 1 || day > dayCodes.size())
        return {};
    return QString::fromUtf16(dayCodes[day - 1]);
}

QString KNVTRecurrenceRule::localizedSingularNameForFrequency(KNVTRecurrenceFrequency frequency)
{
    const FrequencyNames *names = namesForFrequency(frequency);
    return names ? shownName(names->singular) : QString();
}

QString KNVTRecurrenceRule::localizedPluralNameForFrequency(KNVTRecurrenceFrequency frequency)
{
    const FrequencyNames *names = namesForFrequency(frequency);
    return names ? shownName(names->plural) : QString();
}

QString KNVTRecurrenceRule::localizedNameForFrequency(KNVTRecurrenceFrequency frequency)
{
    const FrequencyNames *names = namesForFrequency(frequency);
    return names ? shownName(names->adverb) : QString();
}

QString KNVTRecurrenceRule::localizedNameForFrequency(KNVTRecurrenceFrequency frequency, unsigned int interval)
{
    const QString unit =
        interval == 1 ? localizedSingularNameForFrequency(frequency) : localizedPluralNameForFrequency(frequency);
    if (unit.isNull())
        return {};
    return QStringLiteral("%1 %2").arg(QString::number(interval), unit);
}

QString KNVTRecurrenceRule::localizedRepeatNameForFrequency(KNVTRecurrenceFrequency frequency, unsigned int interval)
{
    if (interval == 1)
        return localizedSingularNameForFrequency(frequency);
    const QString unit = localizedPluralNameForFrequency(frequency);
    if (unit.isNull())
        return {};
    return QStringLiteral("%1 %2").arg(QString::number(interval), unit);
}

QString KNVTRecurrenceRule::RRULE() const
{
    // Without a frequency the next part keeps its own ";" right after the prefix ("RRULE:;COUNT=5"), which reads
    // back as the same rule because an empty part is skipped.
    QString text = QStringLiteral("RRULE:");
    if (const QString word = RRULEFrequencyForFrequency(m_frequency); !word.isNull())
        text += QStringLiteral("FREQ=") + word;
    if (m_interval >= 2)
        text += QStringLiteral(";INTERVAL=") + QString::number(m_interval);
    if (const std::shared_ptr<KNVTRecurrenceEnd> end = recurrenceEnd()) {
        if (end->endDate().isValid())
            text += QStringLiteral(";UNTIL=") + untilText(end->endDate());
        else if (end->occurrenceCount() != 0)
            text += QStringLiteral(";COUNT=") + QString::number(end->occurrenceCount());
    }
    if (const QString code = RRULEDayForDay(m_firstDayOfTheWeek); !code.isNull())
        text += QStringLiteral(";WKST=") + code;
    if (m_daysOfTheWeek) {
        QStringList items;
        for (const KNVTRecurrenceDayOfWeek &day : *m_daysOfTheWeek) {
            const QString code = RRULEDayForDay(day.dayOfTheWeek());
            if (code.isNull())
                continue;
            items.append(day.weekNumber() != 0 ? QString::number(day.weekNumber()) + code : code);
        }
        if (!items.isEmpty())
            text += QStringLiteral(";BYDAY=") + items.join(u',');
    }
    const auto appendNumbers = [&text](const char16_t *key, const std::optional<NumberList> &numbers) {
        if (numbers && !numbers->isEmpty())
            text += u';' + QString::fromUtf16(key) + u'=' + joinedNumbers(*numbers);
    };
    appendNumbers(u"BYMONTHDAY", m_daysOfTheMonth);
    appendNumbers(u"BYMONTH", m_monthsOfTheYear);
    appendNumbers(u"BYWEEKNO", m_weeksOfTheYear);
    appendNumbers(u"BYYEARDAY", m_daysOfTheYear);
    appendNumbers(u"BYSETPOS", m_positions);
    return text;
}

bool KNVTRecurrenceRule::isEqual(const KNVTRecurrenceRule &other) const
{
    return this == &other || RRULE() == other.RRULE();
}

size_t KNVTRecurrenceRule::hash() const
{
    return qHash(RRULE());
}

QString KNVTRecurrenceRule::description() const
{
    return QStringLiteral("<KNVTRecurrenceRule: 0x%1> %2")
        .arg(QString::number(reinterpret_cast<quintptr>(this), 16), RRULE());
}
