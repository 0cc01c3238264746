#include "editors/KNVTTaskRowLayout.h"

#include <QFontMetricsF>

#include <gtest/gtest.h>

#include <cmath>

namespace {

using Kind = KNVTTaskViewModel::Kind;

KNVTTaskViewModel::Row row(Kind kind, const QString &text)
{
    KNVTTaskViewModel::Row r;
    r.kind = kind;
    r.text = text;
    return r;
}

qreal lineHeight(const QFont &font)
{
    return QFontMetricsF(font).boundingRect(QRectF(0, 0, 1000, 1000), Qt::TextWordWrap, QStringLiteral("Ag")).height();
}

const QString LongText =
    QStringLiteral("Renew the passport before the trip to Lisbon, and take two photographs, the old "
                   "passport and the form filled in with a black pen");

TEST(KNVTTaskRowLayout, TextRowsAreTheirWrappedTextPlusTheirMarginsAtEachWidth)
{
    struct Case
    {
        Kind kind;
        QFont font;
        int wrapMargin; // W minus the text's width
        int extra;      // added to the text's height
    };
    const Case cases[] = {
        {Kind::Title, KNVTTaskRowLayout::titleFont(), 74, 36},
        {Kind::Notes, KNVTTaskRowLayout::notesFont(), 84, 15},
        {Kind::MyComment, KNVTTaskRowLayout::commentFont(), 42, 68},
        {Kind::Comment, KNVTTaskRowLayout::commentFont(), 42, 68},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(int(c.kind));
        const qreal line = lineHeight(c.font);
        // One short line.
        EXPECT_EQ(KNVTTaskRowLayout::layoutForRow(row(c.kind, "Ok"), 500).height, int(std::ceil(line)) + c.extra);
        // No text at all.
        EXPECT_EQ(KNVTTaskRowLayout::layoutForRow(row(c.kind, QString()), 500).height, c.extra);
        // The long text at two widths: the narrow one takes more lines, each as high as a line.
        const int wide = KNVTTaskRowLayout::layoutForRow(row(c.kind, LongText), 900).height - c.extra;
        const int narrow = KNVTTaskRowLayout::layoutForRow(row(c.kind, LongText), 260).height - c.extra;
        const qreal narrowWrapped =
            QFontMetricsF(c.font)
                .boundingRect(QRectF(0, 0, 260 - c.wrapMargin, 100000), Qt::TextWordWrap, LongText)
                .height();
        EXPECT_EQ(narrow, int(std::ceil(narrowWrapped)));
        EXPECT_GT(narrow, wide);
        EXPECT_GE(narrow, 2 * line);
        // A long unbroken address is broken inside itself rather than running past the row's edge.
        const QString address = QStringLiteral("https://example.com/") + QString(300, u'a');
        EXPECT_GE(KNVTTaskRowLayout::layoutForRow(row(c.kind, address), 260).height - c.extra, 5 * line);
    }
}

TEST(KNVTTaskRowLayout, FixedRowsKeepTheirHeightsWhateverTheWidth)
{
    for (int width : {200, 700}) {
        EXPECT_EQ(KNVTTaskRowLayout::layoutForRow(row(Kind::Header, "Dates"), width).height, 20);
        EXPECT_EQ(KNVTTaskRowLayout::layoutForRow(row(Kind::TaskList, LongText), width).height,
                  KNVTTaskRowLayout::TaskListHeight);
        EXPECT_EQ(KNVTTaskRowLayout::layoutForRow(row(Kind::DueDate, "Tue, Mar 03, 2015"), width).height,
                  KNVTTaskRowLayout::DateHeight);
        EXPECT_EQ(KNVTTaskRowLayout::layoutForRow(row(Kind::People, QString()), width).height,
                  KNVTTaskRowLayout::PeopleHeight);
    }
}

TEST(KNVTTaskRowLayout, ButtonsLieInsideTheirRowsAndOnlyOwnCommentsHaveEditAndDelete)
{
    const KNVTTaskRowLayout title = KNVTTaskRowLayout::layoutForRow(row(Kind::Title, LongText), 300);
    EXPECT_TRUE(QRect(0, 0, 300, title.height).contains(title.completedCheckBoxButton));
    EXPECT_FALSE(title.completedCheckBoxButton.intersects(title.textRect));

    const KNVTTaskRowLayout mine = KNVTTaskRowLayout::layoutForRow(row(Kind::MyComment, LongText), 300);
    const QRect rowRect(0, 0, 300, mine.height);
    EXPECT_TRUE(rowRect.contains(mine.editButton));
    EXPECT_TRUE(rowRect.contains(mine.deleteButton));
    EXPECT_GE(mine.editButton.top(), mine.textRect.bottom());
    EXPECT_FALSE(mine.editButton.intersects(mine.deleteButton));

    const KNVTTaskRowLayout theirs = KNVTTaskRowLayout::layoutForRow(row(Kind::Comment, LongText), 300);
    EXPECT_TRUE(theirs.editButton.isNull());
    EXPECT_TRUE(theirs.deleteButton.isNull());
}

TEST(KNVTTaskRowLayout, MeasuredHeightsAreCachedPerTextAndWidth)
{
    KNVTTaskRowLayout::TextHeightCache cache;
    const int first = KNVTTaskRowLayout::layoutForRow(row(Kind::Notes, LongText), 300, &cache).height;
    EXPECT_EQ(KNVTTaskRowLayout::layoutForRow(row(Kind::Notes, LongText), 300, &cache).height, first);
    EXPECT_EQ(cache.size(), 1);
    KNVTTaskRowLayout::layoutForRow(row(Kind::Notes, LongText), 400, &cache);
    KNVTTaskRowLayout::layoutForRow(row(Kind::Title, LongText), 300, &cache);
    EXPECT_EQ(cache.size(), 3);
    EXPECT_EQ(KNVTTaskRowLayout::layoutForRow(row(Kind::Notes, LongText), 300).height, first);
}

} // namespace
