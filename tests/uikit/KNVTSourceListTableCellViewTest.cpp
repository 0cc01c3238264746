#include "uikit/KNVTSourceListTableCellView.h"

#include <QFontMetricsF>

#include <gtest/gtest.h>

namespace {

using Layout = KNVTSourceListTableCellView::Layout;

TEST(KNVTSourceListTableCellViewLayout, TitleFollowsTheIconOrStartsAtTheLeftEdge)
{
    const Layout withIcon = KNVTSourceListTableCellView::layoutForSize(QSizeF(200, 20), true, QString(), false);
    EXPECT_EQ(withIcon.iconFrame, QRectF(0, 2, 16, 16));
    EXPECT_EQ(withIcon.titleFrame, QRectF(20, 0, 180, 20));

    const Layout withoutIcon = KNVTSourceListTableCellView::layoutForSize(QSizeF(200, 20), false, QString(), false);
    EXPECT_EQ(withoutIcon.titleFrame, QRectF(0, 0, 200, 20));
}

TEST(KNVTSourceListTableCellViewLayout, EmptyBadgeIsHiddenAndGivesItsWidthToTheTitle)
{
    const Layout empty = KNVTSourceListTableCellView::layoutForSize(QSizeF(200, 20), true, QStringLiteral(""), false);
    EXPECT_TRUE(empty.labelHidden);
    EXPECT_EQ(empty.titleFrame.width(), 180.0);

    const Layout counted =
        KNVTSourceListTableCellView::layoutForSize(QSizeF(200, 20), true, QStringLiteral("12"), false);
    const qreal badge = KNVTSourceListTableCellView::labelViewWidthForString(QStringLiteral("12"));
    EXPECT_FALSE(counted.labelHidden);
    EXPECT_EQ(counted.labelFrame, QRectF(200 - badge, 2, badge, 16));
    EXPECT_EQ(counted.titleFrame.width(), 180.0 - badge);
    EXPECT_EQ(counted.titleFrame.right(), counted.labelFrame.left()) << "title ends where the badge begins";
}

TEST(KNVTSourceListTableCellViewLayout, BadgeIsTheMeasuredTextWithRoom)
{
    QFont font;
    font.setPixelSize(12);
    const qreal text = QFontMetricsF(font).horizontalAdvance(QStringLiteral("12"));
    ASSERT_GT(text, 5.0);
    EXPECT_DOUBLE_EQ(KNVTSourceListTableCellView::labelTextFieldWidthForString(QStringLiteral("12")), text + 10);
    EXPECT_DOUBLE_EQ(KNVTSourceListTableCellView::labelViewWidthForString(QStringLiteral("12")), text + 12);
    EXPECT_EQ(KNVTSourceListTableCellView::labelTextFieldWidthForString(QString()), 10.0);
    EXPECT_GT(KNVTSourceListTableCellView::labelViewWidthForString(QStringLiteral("1234")),
              KNVTSourceListTableCellView::labelViewWidthForString(QStringLiteral("12")));
}

TEST(KNVTSourceListTableCellViewLayout, SharingButtonSitsAtTheRightEdgeLeftOfNothing)
{
    const qreal badge = KNVTSourceListTableCellView::labelViewWidthForString(QStringLiteral("3"));
    const Layout shared = KNVTSourceListTableCellView::layoutForSize(QSizeF(200, 20), true, QStringLiteral("3"), true);
    EXPECT_EQ(shared.sharedIconButtonFrame, QRectF(188, 4, 12, 12));
    EXPECT_EQ(shared.labelFrame, QRectF(200 - badge - 14, 2, badge, 16));
    EXPECT_EQ(shared.titleFrame.width(), 200 - 20 - badge - 14);

    const Layout plain = KNVTSourceListTableCellView::layoutForSize(QSizeF(200, 20), true, QStringLiteral("3"), false);
    EXPECT_TRUE(plain.sharedIconButtonFrame.isNull());
}

TEST(KNVTSourceListTableCellViewLayout, BadgeTextIsFaintUnlessTheRowIsSelected)
{
    QPalette palette;
    palette.setColor(QPalette::HighlightedText, QColor(250, 250, 250));
    EXPECT_EQ(KNVTSourceListTableCellView::labelTextColor(true, palette), QColor(250, 250, 250));
    const QColor faint = KNVTSourceListTableCellView::labelTextColor(false, palette);
    EXPECT_EQ(faint.rgb() & 0xffffff, 0u);
    EXPECT_LT(faint.alphaF(), 0.3);
}

} // namespace
