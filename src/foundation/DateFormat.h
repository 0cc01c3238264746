#pragma once

#include <QDateTime>
#include <QString>

#include <memory>

namespace knvt {

// Writes dates the way the user's locale does, through ICU: either the locale's standard date and time styles or an
// explicit pattern. The locale is fixed when the format is made (the user's locale of that moment unless one is
// named); the time zone is the system's at the moment of each call, because ICU would otherwise keep the zone it saw
// first and miss the user's later changes. A format is a value: copies are independent. Not for concurrent use.
class DateFormat
{
public:
    enum class Style { None, Short, Medium, Long, Full };
    // The lists write a weekday that stands for a date in English whatever the user's locale ("Fri"); a date that
    // names its weekday among the locale's fields names it the same way, so one day reads one way everywhere.
    enum class Weekdays { OfTheLocale, English };

    // The locale's standard format for the two styles. When `relative`, a day that has a word of its own (today,
    // yesterday and tomorrow; in some languages also the day before yesterday and the day after tomorrow) is written
    // as that word, judged against the shared clock's today. The word is in the language the interface speaks to a
    // user of the locale (knvt::wordsLocale), the other dates in the locale's format. The word stands for the whole text,
    // so a relative format may not have both a date and a time style; with no date style it writes no word at all.
    explicit DateFormat(Style dateStyle = Style::None, Style timeStyle = Style::None, bool relative = false,
                        const QString &localeName = QString());
    // An ICU date pattern such as "EEEE".
    static DateFormat withPattern(const QString &pattern, const QString &localeName = QString(),
                                  Weekdays weekdays = Weekdays::OfTheLocale);
    // The locale's best pattern for a template of fields in any order, such as "MMMd"; the pattern is chosen now.
    static DateFormat withTemplate(const QString &skeleton, const QString &localeName = QString(),
                                   Weekdays weekdays = Weekdays::OfTheLocale);

    DateFormat(const DateFormat &other);
    DateFormat &operator=(const DateFormat &other);
    ~DateFormat();

    QString localeName() const;
    // The ICU pattern written for a date that has no relative word.
    QString pattern() const;
    bool isRelative() const;

    // The text for `date`; empty for an invalid date.
    QString stringFromDate(const QDateTime &date) const;

private:
    struct Private;
    explicit DateFormat(std::unique_ptr<Private> d);

    std::unique_ptr<Private> d;
};

} // namespace knvt
