// What the date fields take as a day: the locale's short format with the padding and the year's length left free.
#include "editors/DateField.h"

#include <QLocale>

#include <gtest/gtest.h>

namespace {

using knvt::DateField;

const QDate Today(2026, 12, 7);

struct Typed
{
    const char *locale;
    QString text;
    // Invalid: refused.
    QDate day;
};

TEST(TypedDay, ADayTypedInTheLocalesOrderIsTakenWithOrWithoutPaddingAndWithATwoOrFourDigitYear)
{
    const QDate newYear(2027, 1, 1);
    const QDate christmas(2026, 12, 25);
    const Typed cases[] = {
        // German "dd.MM.yy".
        {"de_DE", "1.1.27", newYear},
        {"de_DE", "01.01.2027", newYear},
        {"de_DE", " 25.12.26 ", christmas},
        {"de_DE", "1. 1. 2027", newYear},
        {"de_DE", "29.2.28", QDate(2028, 2, 29)},
        {"de_DE", "29.2.27", {}},
        {"de_DE", "32.1.27", {}},
        {"de_DE", "1.13.27", {}},
        {"de_DE", "1.1.202", {}},
        {"de_DE", "1.1.", {}},
        {"de_DE", "1/1/27", {}},
        {"de_DE", "111.27", {}},
        {"de_DE", "morgen", {}},
        {"de_DE", "", {}},
        // British English "dd/MM/yyyy": day first, two digits of year taken too.
        {"en_GB", "1/1/2027", newYear},
        {"en_GB", "1/1/27", newYear},
        {"en_GB", "25/12/2026", christmas},
        {"en_GB", "12/25/2026", {}},
        // American English "M/d/yy": month first; a two-digit year in the century nearest today.
        {"en_US", "1/1/27", newYear},
        {"en_US", "01/01/2027", newYear},
        {"en_US", "12/25/26", christmas},
        {"en_US", "25/12/26", {}},
        {"en_US", "12/31/99", QDate(1999, 12, 31)},
        {"en_US", "1/2/75", QDate(2075, 1, 2)},
        {"en_US", "1/2/76", QDate(1976, 1, 2)},
        {"en_US", "Feb 30, 2026", {}},
        {"en_US", "1/1/27 x", {}},
        // New Zealand "d/MM/yy".
        {"en_NZ", "1/1/2027", newYear},
        {"en_NZ", "25/12/26", christmas},
        // Year first, with text after the last field that may be left out.
        {"ja_JP", "2027/1/1", newYear},
        {"ja_JP", "27/1/1", newYear},
        {"hu_HU", "2027. 01. 01.", newYear},
        {"hu_HU", "2027.1.1", newYear},
        {"ko_KR", "27. 1. 1.", newYear},
        {"bg_BG", "1.01.27 г.", newYear},
        {"bg_BG", "1.1.2027", newYear},
        // Direction marks around the separators are not typed, and the locale's own digits are taken.
        {"ar_EG", "1/1/2027", newYear},
        {"ar_EG", QStringLiteral("\u0661/\u0661/\u0662\u0660\u0662\u0667"), newYear},
        // A short format with a month name is read as it stands.
        {"C", "1 Jan 2027", newYear},
    };
    for (const Typed &typed : cases) {
        SCOPED_TRACE(std::string(typed.locale) + " \"" + typed.text.toStdString() + "\"");
        EXPECT_EQ(DateField::dayForText(typed.text, QLocale(QString::fromLatin1(typed.locale)), Today), typed.day);
    }
}

TEST(TypedDay, InEveryLocaleTheDayAFieldShowsIsTakenBackAndSoIsItUnpadded)
{
    const QDate days[] = {QDate(2027, 1, 1), QDate(2026, 12, 25), QDate(2030, 2, 9)};
    int locales = 0;
    for (const QLocale &locale :
         QLocale::matchingLocales(QLocale::AnyLanguage, QLocale::AnyScript, QLocale::AnyTerritory)) {
        ++locales;
        const QString format = locale.dateFormat(QLocale::ShortFormat);
        for (const QDate &day : days) {
            SCOPED_TRACE((locale.name() + u' ' + format + u' ' + day.toString(Qt::ISODate)).toStdString());
            EXPECT_EQ(DateField::dayForText(DateField::textForDay(day, locale), locale, Today), day);
            if (format.contains(u"MMM"))
                continue;
            // The same day with neither padding nor a short year, in the locale's order and separators.
            QString unpadded = format;
            unpadded.replace(QStringLiteral("dd"), QStringLiteral("d"))
                .replace(QStringLiteral("MM"), QStringLiteral("M"));
            if (!unpadded.contains(QStringLiteral("yyyy")))
                unpadded.replace(QStringLiteral("yy"), QStringLiteral("yyyy"));
            EXPECT_EQ(DateField::dayForText(QLocale::c().toString(day, unpadded), locale, Today), day);
        }
    }
    EXPECT_GT(locales, 300);
}

} // namespace
