#pragma once

#include <QDateTime>
#include <QString>

#include <optional>
#include <string_view>

enum KNVTRailsDateFormatterType : unsigned int {
    KNVTRailsDateFormatterTypeDate = 0,     // "2014-05-01", midnight UTC
    KNVTRailsDateFormatterTypeDateTime = 1, // "2014-05-01T08:20:30+0000"
};

// Reads and writes the dates of the sync service, ISO 8601 as Rails writes it. Independent of the user's locale,
// calendar and time zone: every date read is a UTC QDateTime, every date written is in UTC.
//
// Reading (date-time type) accepts a numeric offset with or without a colon (+02:00, +0200) or "Z", and optional
// fractional seconds, kept to the millisecond. Fields are checked (month, day of that month, hour < 24, minute and
// second < 60, offset below 24 hours); anything else gives an invalid QDateTime.
// Writing (date-time type) is always "yyyy-MM-ddTHH:mm:ss+0000", whole seconds, no colon in the offset.
//
// Cheap to create and to copy; made once per date the model reads or writes.
class KNVTRailsDateFormatter
{
public:
    static KNVTRailsDateFormatter railsDateFormatterWithType(KNVTRailsDateFormatterType type);

    // A type other than the two above gives a formatter without a pattern: it reads nothing and writes "".
    explicit KNVTRailsDateFormatter(KNVTRailsDateFormatterType type);

    KNVTRailsDateFormatterType type() const { return m_type; }

    // The instant `string` names, or an invalid QDateTime when it does not match this formatter's type.
    QDateTime dateFromString(const QString &string) const;
    // The same for UTF-8 text, as a reply of the service holds it.
    QDateTime dateFromUTF8(std::string_view text) const;
    // The instant as milliseconds since 1970 UTC, or none.
    std::optional<qint64> msecsSinceEpochFromUTF8(std::string_view text) const;

    // `date` in this formatter's form; a null QString for an invalid date.
    QString stringFromDate(const QDateTime &date) const;

private:
    KNVTRailsDateFormatterType m_type;
};
