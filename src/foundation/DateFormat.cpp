#include "foundation/DateFormat.h"

#include "foundation/Assert.h"
#include "foundation/Clock.h"
#include "foundation/DateAdditions.h"
#include "foundation/IcuTimeZone.h"
#include "foundation/InterfaceLanguage.h"

#include <QLocale>
#include <QTimeZone>

#include <unicode/datefmt.h>
#include <unicode/dtfmtsym.h>
#include <unicode/dtptngen.h>
#include <unicode/reldatefmt.h>
#include <unicode/smpdtfmt.h>
#include <unicode/uloc.h>
#include <unicode/ures.h>

#include <array>
#include <cstring>
#include <optional>
#include <string>

namespace knvt {

namespace {

// The days around today that a locale may name: the day before yesterday through the day after tomorrow.
constexpr int kFirstNamedDay = -2;
constexpr int kLastNamedDay = 2;
using RelativeWords = std::array<QString, kLastNamedDay - kFirstNamedDay + 1>;

icu::UnicodeString toUnicode(const QString &string)
{
    return icu::UnicodeString(reinterpret_cast<const char16_t *>(string.utf16()), int32_t(string.size()));
}

QString fromUnicode(const icu::UnicodeString &string)
{
    return QString(reinterpret_cast<const QChar *>(string.getBuffer()), string.length());
}

icu::Locale icuLocale(const QString &localeName)
{
    return icu::Locale(localeName.toLatin1().constData());
}

icu::DateFormat::EStyle icuStyle(DateFormat::Style style)
{
    switch (style) {
    case DateFormat::Style::None: return icu::DateFormat::kNone;
    case DateFormat::Style::Short: return icu::DateFormat::kShort;
    case DateFormat::Style::Medium: return icu::DateFormat::kMedium;
    case DateFormat::Style::Long: return icu::DateFormat::kLong;
    case DateFormat::Style::Full: return icu::DateFormat::kFull;
    }
    return icu::DateFormat::kNone;
}

// Whether the locale capitalises relative day words that stand alone, as ICU's own relative date format decides it
// ("Today" in English, "heute" in German). A locale's table of context transforms may lack the relative entry that a
// more general locale has (pt_PT has the table, pt the entry), so the search goes on from the parent of the locale
// that had the table.
bool capitalisesStandaloneRelativeWords(const icu::Locale &locale)
{
    std::string name = locale.getBaseName();
    for (int depth = 0; depth < 8; ++depth) {
        UErrorCode status = U_ZERO_ERROR;
        UResourceBundle *bundle = ures_open(nullptr, name.c_str(), &status);
        UResourceBundle *transforms = ures_getByKey(bundle, "contextTransforms", nullptr, &status);
        UResourceBundle *relative = ures_getByKey(transforms, "relative", nullptr, &status);
        std::optional<bool> capitalises;
        std::string parentName;
        if (U_SUCCESS(status)) {
            int32_t length = 0;
            const int32_t *flags = ures_getIntVector(relative, &length, &status);
            capitalises = U_SUCCESS(status) && flags && length >= 2 && flags[1] != 0;
        } else if (transforms) {
            UErrorCode localeStatus = U_ZERO_ERROR;
            const char *actual = ures_getLocaleByType(transforms, ULOC_ACTUAL_LOCALE, &localeStatus);
            if (U_SUCCESS(localeStatus) && actual && std::strcmp(actual, "root") != 0) {
                char parent[ULOC_FULLNAME_CAPACITY] = {};
                uloc_getParent(actual, parent, sizeof parent, &localeStatus);
                parentName = U_SUCCESS(localeStatus) && parent[0] ? parent : "root";
            }
        }
        ures_close(relative);
        ures_close(transforms);
        ures_close(bundle);
        if (capitalises)
            return *capitalises;
        if (parentName.empty() || parentName == name)
            return false;
        name = parentName;
    }
    return false;
}

RelativeWords relativeWords(const icu::Locale &locale)
{
    // ICU's relative date format would name the days around its own clock's today, which tests cannot fix; so the
    // words are taken once and the day is judged against the shared clock.
    const UDisplayContext capitalisation = capitalisesStandaloneRelativeWords(locale)
        ? UDISPCTX_CAPITALIZATION_FOR_BEGINNING_OF_SENTENCE
        : UDISPCTX_CAPITALIZATION_NONE;
    UErrorCode status = U_ZERO_ERROR;
    icu::RelativeDateTimeFormatter formatter(locale, nullptr, UDAT_STYLE_LONG, capitalisation, status);
    RelativeWords words;
    if (U_FAILURE(status))
        return words;
    const std::array<UDateDirection, words.size()> directions = {
        UDAT_DIRECTION_LAST_2, UDAT_DIRECTION_LAST, UDAT_DIRECTION_THIS, UDAT_DIRECTION_NEXT, UDAT_DIRECTION_NEXT_2};
    for (size_t i = 0; i < words.size(); ++i) {
        icu::UnicodeString word;
        UErrorCode wordStatus = U_ZERO_ERROR;
        formatter.format(directions[i], UDAT_ABSOLUTE_DAY, word, wordStatus);
        if (U_SUCCESS(wordStatus))
            words[i] = fromUnicode(word);
    }
    return words;
}

// Only the weekday names change: the pattern, and so the order, the month names and the digits, stay the locale's.
void useEnglishWeekdays(icu::SimpleDateFormat &format)
{
    UErrorCode status = U_ZERO_ERROR;
    const icu::DateFormatSymbols english(icu::Locale("en_US_POSIX"), status);
    if (U_FAILURE(status))
        return;
    icu::DateFormatSymbols symbols(*format.getDateFormatSymbols());
    using Symbols = icu::DateFormatSymbols;
    for (const Symbols::DtContextType context : {Symbols::FORMAT, Symbols::STANDALONE}) {
        for (const Symbols::DtWidthType width :
             {Symbols::WIDE, Symbols::ABBREVIATED, Symbols::SHORT, Symbols::NARROW}) {
            int32_t count = 0;
            const icu::UnicodeString *names = english.getWeekdays(count, context, width);
            if (names && count > 0)
                symbols.setWeekdays(names, count, context, width);
        }
    }
    format.setDateFormatSymbols(symbols);
}

} // namespace

struct DateFormat::Private
{
    QString localeName;
    // Null for a format with neither a date nor a time style, which writes nothing.
    std::unique_ptr<icu::DateFormat> format;
    bool relative = false;
    RelativeWords words;
    // The zone last given to `format`, so that an unchanged zone is not looked up again.
    QByteArray zoneId;

    Private() = default;
    Private(const Private &other)
        : localeName(other.localeName),
          format(other.format ? other.format->clone() : nullptr),
          relative(other.relative),
          words(other.words),
          zoneId(other.zoneId)
    {}

    void followSystemTimeZone(const QDateTime &date);
    QString relativeWord(const QDateTime &date) const;
};

void DateFormat::Private::followSystemTimeZone(const QDateTime &date)
{
    const QByteArray id = QTimeZone::systemTimeZoneId();
    if (!id.isEmpty() && id == zoneId)
        return;
    // A fixed offset stands for the zone at this date only: it is not remembered, since the next date may fall on
    // another offset.
    bool fixedOffset = false;
    format->adoptTimeZone(createCurrentIcuTimeZone(date, &fixedOffset));
    zoneId = fixedOffset ? QByteArray() : id;
}

QString DateFormat::Private::relativeWord(const QDateTime &date) const
{
    const qint64 offset = dayForDate(Clock::shared().now()).daysTo(dayForDate(date));
    if (offset < kFirstNamedDay || offset > kLastNamedDay)
        return QString();
    return words[size_t(offset - kFirstNamedDay)];
}

DateFormat::DateFormat(Style dateStyle, Style timeStyle, bool relative, const QString &localeName)
    : d(std::make_unique<Private>())
{
    KNVT_ASSERT(!relative || dateStyle == Style::None || timeStyle == Style::None, "DateFormat", "init");
    d->localeName = localeName.isEmpty() ? QLocale().name() : localeName;
    const icu::Locale locale = icuLocale(d->localeName);
    if (dateStyle != Style::None || timeStyle != Style::None) {
        d->format.reset(icu::DateFormat::createDateTimeInstance(icuStyle(dateStyle), icuStyle(timeStyle), locale));
        KNVT_ASSERT(d->format != nullptr, "DateFormat", "init");
    }
    d->relative = relative && dateStyle != Style::None;
    // The word stands in the interface's sentences ("due today"), so it is in the interface's language.
    if (d->relative)
        d->words = relativeWords(icuLocale(wordsLocale(QLocale(d->localeName)).name()));
}

DateFormat::DateFormat(std::unique_ptr<Private> private_) : d(std::move(private_)) {}

DateFormat DateFormat::withPattern(const QString &pattern, const QString &localeName, Weekdays weekdays)
{
    auto d = std::make_unique<Private>();
    d->localeName = localeName.isEmpty() ? QLocale().name() : localeName;
    UErrorCode status = U_ZERO_ERROR;
    auto format = std::make_unique<icu::SimpleDateFormat>(toUnicode(pattern), icuLocale(d->localeName), status);
    KNVT_ASSERT(U_SUCCESS(status), "DateFormat", "withPattern");
    if (weekdays == Weekdays::English)
        useEnglishWeekdays(*format);
    d->format = std::move(format);
    return DateFormat(std::move(d));
}

DateFormat DateFormat::withTemplate(const QString &skeleton, const QString &localeName, Weekdays weekdays)
{
    const QString name = localeName.isEmpty() ? QLocale().name() : localeName;
    UErrorCode status = U_ZERO_ERROR;
    std::unique_ptr<icu::DateTimePatternGenerator> generator(
        icu::DateTimePatternGenerator::createInstance(icuLocale(name), status));
    KNVT_ASSERT(U_SUCCESS(status), "DateFormat", "withTemplate");
    const icu::UnicodeString pattern = generator->getBestPattern(toUnicode(skeleton), status);
    KNVT_ASSERT(U_SUCCESS(status), "DateFormat", "withTemplate");
    return withPattern(fromUnicode(pattern), name, weekdays);
}

DateFormat::DateFormat(const DateFormat &other) : d(std::make_unique<Private>(*other.d)) {}

DateFormat &DateFormat::operator=(const DateFormat &other)
{
    if (this != &other)
        d = std::make_unique<Private>(*other.d);
    return *this;
}

DateFormat::~DateFormat() = default;

QString DateFormat::localeName() const
{
    return d->localeName;
}

QString DateFormat::pattern() const
{
    auto *simple = dynamic_cast<const icu::SimpleDateFormat *>(d->format.get());
    if (!simple)
        return QString();
    icu::UnicodeString pattern;
    simple->toPattern(pattern);
    return fromUnicode(pattern);
}

bool DateFormat::isRelative() const
{
    return d->relative;
}

QString DateFormat::stringFromDate(const QDateTime &date) const
{
    if (!date.isValid() || !d->format)
        return QString();
    if (d->relative) {
        const QString word = d->relativeWord(date);
        if (!word.isEmpty())
            return word;
    }
    d->followSystemTimeZone(date);
    icu::UnicodeString text;
    d->format->format(UDate(date.toMSecsSinceEpoch()), text);
    return fromUnicode(text);
}

} // namespace knvt
