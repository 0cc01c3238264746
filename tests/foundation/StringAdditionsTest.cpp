#include "foundation/StringAdditions.h"

#include <gtest/gtest.h>

using namespace knvt;

TEST(StringAdditions, TrimsAndSplitsIntoSets)
{
    EXPECT_EQ(trimmedString("  \n\t \r\n "), "");
    EXPECT_EQ(trimmedString("\u00a0\u2028\u3000Two  words\u2029\u0085\v"), "Two  words");

    EXPECT_EQ(componentSetSeparatedByString("title notes title", " "), (QSet<QString>{"title", "notes"}));
    EXPECT_EQ(componentSetSeparatedByString("", " "), QSet<QString>{""});
    EXPECT_EQ(componentSetSeparatedByString("title  notes", " "), (QSet<QString>{"title", "", "notes"}));
    EXPECT_EQ(componentSetSeparatedByString("title notes", ""), QSet<QString>{"title notes"});
}

TEST(StringAdditions, RecognisesWholeDottedIpv4Addresses)
{
    for (const char *yes : {"192.168.0.1", "0.0.0.0", "255.255.255.255", "007.010.1.01"})
        EXPECT_TRUE(isIPAddress(yes)) << yes;
    for (const char *no :
         {"256.1.1.1", "1.2.3", " 1.2.3.4", "1.2.3.4\n", "1.2.3.4.5", "0001.2.3.4", "", "\uff11.2.3.4"}) {
        EXPECT_FALSE(isIPAddress(no)) << no;
    }
}

TEST(StringAdditions, FindsAnEmailAddressAnywhereInTheText)
{
    for (const char *yes : {"Anna Smith <anna.smith+tasks@mail.example.co.uk>", "ANNA@EXAMPLE.COM",
                            "\"anna\\ smith\"@example.com", "anna@[192.168.0.1]"})
        EXPECT_TRUE(isEmailFormat(yes)) << yes;
    for (const char *no : {"anna@", "", "anna@localhost", "anna@-example.com", "\"anna smith\"@example.com"})
        EXPECT_FALSE(isEmailFormat(no)) << no;
}

TEST(StringAdditions, TitlesSortWithoutRegardToCaseAndAccentsAlsoInTheCLocale)
{
    const QStringList expected = {"apple", "Banana", "Éclair", "egg", "Zebra", "zoo"};
    for (const QLocale &locale :
         {QLocale::c(), QLocale(QLocale::English, QLocale::UnitedStates), QLocale(QLocale::German, QLocale::Germany)}) {
        const QCollator collator = titleCollator(locale);
        QStringList titles = {"zoo", "Zebra", "egg", "Éclair", "Banana", "apple"};
        std::sort(titles.begin(), titles.end(),
                  [&collator](const QString &a, const QString &b) { return collator.compare(a, b) < 0; });
        EXPECT_EQ(titles, expected) << qPrintable(locale.name());
        EXPECT_EQ(collator.compare("ÉCLAIR", "éclair"), 0) << qPrintable(locale.name());
    }
}
