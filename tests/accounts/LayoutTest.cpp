// Where the account windows put things, as pure functions.
#include "accounts/KNVTNotificationRowDelegate.h"
#include "accounts/KNVTSignInAndSignUpWindowController.h"
#include "accounts/KNVTUserDetailRowDelegate.h"
#include "accounts/KNVTUserRowDelegate.h"
#include "accounts/KNVTUsersWindowController.h"

#include <gtest/gtest.h>

TEST(AccountLayout, ChangingPageGrowsTheWindowDownwardsAndToBothSides)
{
    const QRect frame(100, 50, 400, 300);
    const QRect grown = KNVTSignInAndSignUpWindowController::frameForContentSize(frame, {400, 300}, {520, 460});
    EXPECT_EQ(grown, QRect(40, 50, 520, 460));
    EXPECT_EQ(grown.center().x(), frame.center().x());
    EXPECT_EQ(KNVTSignInAndSignUpWindowController::frameForContentSize(grown, {520, 460}, {400, 300}), frame);
}

TEST(AccountLayout, PeopleDividersStayWithinTheirBounds)
{
    const int handle = 4;
    const int width = 1000;
    using W = KNVTUsersWindowController;
    struct Case
    {
        QList<int> sizes;
        QList<int> expected;
    };
    const Case cases[] = {
        {{150, 300, 542}, {200, 250, 542}}, // first divider dragged under 200; the second stays put
        {{350, 200, 442}, {300, 250, 442}}, // first divider dragged past 300
        {{220, 100, 672}, {220, 176, 596}}, // second divider under 400
        {{220, 600, 172}, {220, 476, 296}}, // second divider nearer than 300 to the right edge
        {{250, 300, 442}, {250, 300, 442}}, // within bounds: unchanged
    };
    for (const Case &c : cases)
        EXPECT_EQ(W::clampedSplitterSizes(c.sizes, handle, width), c.expected) << c.sizes[0] << ' ' << c.sizes[1];
}

TEST(AccountLayout, RowButtonsStandInsideTheirRowWithoutOverlapping)
{
    const QRectF row(0, 100, 400, 48);
    using Kind = KNVTUserDetailModel::RowKind;
    for (const Kind kind : {Kind::Invite, Kind::AcceptOrDecline}) {
        const std::vector<QRectF> buttons = KNVTUserDetailRowDelegate::buttonRectsForRow(kind, row);
        ASSERT_EQ(buttons.size(), kind == Kind::Invite ? 1u : 2u);
        for (const QRectF &button : buttons)
            EXPECT_TRUE(row.contains(button));
        if (buttons.size() == 2) {
            EXPECT_FALSE(buttons[0].intersects(buttons[1]));
        }
    }
    EXPECT_TRUE(KNVTUserDetailRowDelegate::buttonRectsForRow(Kind::Invited, row).empty());

    const QRectF item(0, 0, 320, 50);
    const std::vector<QRectF> answers = KNVTNotificationRowDelegate::buttonRectsForRow(item);
    ASSERT_EQ(answers.size(), 2u);
    EXPECT_LT(answers[0].right(), answers[1].left());
    EXPECT_TRUE(item.contains(answers[1]));

    const KNVTUserRowDelegate::Layout me = KNVTUserRowDelegate::layoutForRow(QRectF(0, 0, 300, 44), true, true);
    EXPECT_LT(me.checkBox.right(), me.avatar.left());
    EXPECT_LE(me.fullName.right(), me.meLabel.left());
    const KNVTUserRowDelegate::Layout other = KNVTUserRowDelegate::layoutForRow(QRectF(0, 0, 300, 44), false, false);
    EXPECT_TRUE(other.checkBox.isEmpty());
    EXPECT_TRUE(other.meLabel.isEmpty());
    EXPECT_GT(other.fullName.width(), me.fullName.width());
}
