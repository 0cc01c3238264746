#include "objectstore/TextSearch.h"

#include "objectstore/Folding.h"

#include <QRandomGenerator>

#include <gtest/gtest.h>

// Texts of every length around the eight characters compared at once, over few letters so that terms occur at the
// start, the end and across every boundary: the search answers as QStringView::contains does.
TEST(TextSearchTest, FindsATermWhereverItStandsAsContainsDoes)
{
    const QString letters = QStringLiteral("abé\u0416");
    QRandomGenerator random(8);
    const auto text = [&](int length) {
        QString s;
        for (int i = 0; i < length; ++i)
            s += letters[int(random.bounded(letters.size()))];
        return s;
    };
    for (int n = 0; n < 20000; ++n) {
        const QString haystack = text(int(random.bounded(41)));
        const QString term = text(1 + int(random.bounded(6)));
        if (ostore::containsText(haystack, term) != QStringView(haystack).contains(term)) {
            ADD_FAILURE() << qPrintable(term) << " in " << qPrintable(haystack);
            break;
        }
    }
    EXPECT_TRUE(ostore::containsText(u"anything", u""));
    EXPECT_FALSE(ostore::containsText(u"", u"a"));
}

// An ASCII text is searched for a folded ASCII term without folding it, and answers as folding would; a text with a
// character outside ASCII ("ß" folds to "ss", "É" to "e") is left to the folding.
TEST(TextSearchTest, AnAsciiTextIsSearchedAsItsFoldingWouldBe)
{
    const QString letters = QStringLiteral("aAbBsS é\u00DF");
    QRandomGenerator random(9);
    const auto text = [&](int length, int alphabet) {
        QString s;
        for (int i = 0; i < length; ++i)
            s += letters[int(random.bounded(alphabet))];
        return s;
    };
    for (int n = 0; n < 20000; ++n) {
        const QString haystack = text(int(random.bounded(41)), n % 4 ? 7 : int(letters.size()));
        const QByteArray term = ostore::Folding::fold(text(1 + int(random.bounded(4)), 7)).toLatin1();
        const QByteArray latin1 = haystack.toLatin1();
        const std::optional<bool> found = ostore::containsAsciiIgnoringCase(QLatin1StringView(latin1), term);
        const bool ascii = std::all_of(haystack.begin(), haystack.end(), [](QChar c) { return c.unicode() < 0x80; });
        if (found.has_value() != ascii
            || (found && *found != ostore::Folding::fold(haystack).contains(QString::fromLatin1(term)))) {
            ADD_FAILURE() << term.constData() << " in " << qPrintable(haystack);
            break;
        }
    }
}
