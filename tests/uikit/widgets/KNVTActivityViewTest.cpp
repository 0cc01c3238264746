#include "uikit/KNVTActivityView.h"

#include "uikit/KNVTProgressIndicator.h"

#include "support/FakeClock.h"

#include <QFontMetrics>
#include <QLabel>
#include <QSignalSpy>
#include <QTest>

#include <gtest/gtest.h>

namespace {

class KNVTActivityViewTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        view.resize(200, 20);
        view.show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(&view));
    }

    KNVTProgressIndicator *spinner()
    {
        return view.findChild<KNVTProgressIndicator *>(QStringLiteral("progressIndicator"));
    }
    QLabel *label() { return view.findChild<QLabel *>(QStringLiteral("textLabel")); }

    knvt::test::FakeClock clock{QDateTime(QDate(2026, 3, 10), QTime(15, 0))};
    KNVTActivityView view;
};

TEST_F(KNVTActivityViewTest, InactiveShowsNothing)
{
    ASSERT_NE(spinner(), nullptr);
    ASSERT_NE(label(), nullptr);
    EXPECT_EQ(view.state(), KNVTActivityViewStateInactive);
    EXPECT_FALSE(spinner()->isVisible());
    EXPECT_FALSE(label()->isVisible());

    view.setActiveText(QStringLiteral("Syncing"));
    view.setState(KNVTActivityViewStateActive);
    view.setState(KNVTActivityViewStateInactive);
    EXPECT_FALSE(spinner()->isVisible());
    EXPECT_FALSE(spinner()->isAnimating());
    EXPECT_FALSE(label()->isVisible());
}

TEST_F(KNVTActivityViewTest, ActiveCentresSpinnerAndTextTogether)
{
    view.setActiveText(QStringLiteral("Syncing"));
    view.setState(KNVTActivityViewStateActive);
    EXPECT_TRUE(spinner()->isVisible());
    EXPECT_TRUE(spinner()->isAnimating());
    EXPECT_TRUE(label()->isVisible());
    EXPECT_EQ(label()->text(), QStringLiteral("Syncing"));

    const QRect wheel = spinner()->geometry();
    const QRect text = label()->geometry();
    EXPECT_EQ(wheel.size(), QSize(16, 16));
    EXPECT_EQ(text.left(), wheel.right() + 1 + 8) << "8 px between spinner and text";
    EXPECT_LE(std::abs(wheel.left() - (200 - text.right() - 1)), 1) << "the pair is centred";
    EXPECT_EQ(wheel.top(), 2);
    EXPECT_LE(std::abs((text.top() + text.bottom()) - 19), 1) << "text vertically centred";
}

TEST_F(KNVTActivityViewTest, ActiveTooNarrowForTheTextShowsTheSpinnerAloneCentred)
{
    view.resize(30, 20);
    view.setActiveText(QStringLiteral("Syncing"));
    view.setState(KNVTActivityViewStateActive);
    EXPECT_TRUE(spinner()->isVisible());
    EXPECT_FALSE(label()->isVisible());
    EXPECT_EQ(spinner()->geometry(), QRect(7, 2, 16, 16));
}

TEST_F(KNVTActivityViewTest, OddLeftoverPixelGoesAboveTheSpinner)
{
    view.resize(31, 21);
    view.setActiveText(QStringLiteral("Syncing"));
    view.setState(KNVTActivityViewStateActive);
    // 15 px free across, 5 px free down: 7.5 rounds to 8 on the left, 2.5 to 3 below.
    EXPECT_EQ(spinner()->geometry(), QRect(8, 2, 16, 16));
}

TEST_F(KNVTActivityViewTest, CompletedWithoutDateShowsTheTextAloneCentred)
{
    view.setActiveText(QStringLiteral("Syncing"));
    view.setState(KNVTActivityViewStateActive);
    view.setCompletedText(QStringLiteral("Synced"));
    view.setState(KNVTActivityViewStateCompleted);
    EXPECT_FALSE(spinner()->isVisible());
    EXPECT_FALSE(spinner()->isAnimating());
    EXPECT_TRUE(label()->isVisible());
    EXPECT_EQ(label()->text(), QStringLiteral("Synced"));
    const QRect text = label()->geometry();
    EXPECT_LE(std::abs(text.left() - (200 - text.right() - 1)), 1);
}

TEST_F(KNVTActivityViewTest, CompletedWithDateAppendsTheFormattedDate)
{
    const QDateTime synced(QDate(2026, 3, 10), QTime(9, 41));
    view.setCompletedText(QStringLiteral("Synced"));
    view.setCompletedDate(synced);
    view.setState(KNVTActivityViewStateCompleted);
    const QString date = KNVTDateOrTimeFormatter().stringFromDate(synced);
    ASSERT_FALSE(date.isEmpty());
    EXPECT_TRUE(date.contains(QStringLiteral("9:41"))) << "today's date is written as the time of day";
    EXPECT_EQ(label()->text(), QStringLiteral("Synced ") + date);
}

TEST_F(KNVTActivityViewTest, CompletedTextWiderThanTheViewWrapsAndTheViewGrowsToShowItAll)
{
    view.resize(60, 20);
    EXPECT_EQ(view.heightForWidth(60), 20);
    view.setCompletedText(QStringLiteral("Synced a very long time ago"));
    view.setState(KNVTActivityViewStateCompleted);
    EXPECT_TRUE(label()->isVisible()) << "neither hidden nor clipped";
    EXPECT_FALSE(spinner()->isVisible());
    EXPECT_EQ(label()->width(), 60);
    const int lines = label()->heightForWidth(60);
    EXPECT_GE(label()->height(), lines);
    EXPECT_GT(lines, QFontMetrics(label()->font()).height()) << "more than one line";

    const int grown = view.heightForWidth(60);
    EXPECT_GT(grown, lines);
    view.resize(60, grown);
    EXPECT_TRUE(view.rect().contains(label()->geometry()));
    EXPECT_EQ(view.heightForWidth(200), 20) << "one line again where it fits";
}

TEST_F(KNVTActivityViewTest, TextsShowOnlyWhenTheStateIsSetAgain)
{
    QSignalSpy stateChanged(&view, &KNVTActivityView::stateChanged);
    view.setActiveText(QStringLiteral("Syncing"));
    view.setState(KNVTActivityViewStateActive);
    view.setActiveText(QStringLiteral("Uploading"));
    QTest::qWait(20);
    EXPECT_EQ(label()->text(), QStringLiteral("Syncing"));

    view.setState(KNVTActivityViewStateActive);
    EXPECT_EQ(label()->text(), QStringLiteral("Uploading"));
    EXPECT_EQ(stateChanged.count(), 1) << "setting the same state lays out again but changes nothing";
}

} // namespace
