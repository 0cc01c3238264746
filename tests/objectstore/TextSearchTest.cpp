#include "objectstore/TextSearch.h"

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
