#include "uikit/KNVTLevelIndicator.h"

#include "uikit/AccessibilityEvents.h"

#include <QAccessible>
#include <QSignalSpy>
#include <QTest>

#include <gtest/gtest.h>

#include "support/RenderedPixels.h"

namespace {

// Listens as a screen reader does and counts the descriptions it is told changed.
struct DescriptionChanges final : knvt::AccessibilityEvents
{
    DescriptionChanges() { knvt::AccessibilityEvents::setShared(this); }
    ~DescriptionChanges() override { knvt::AccessibilityEvents::setShared(nullptr); }
    bool isListening() const override { return true; }
    void post(QAccessibleEvent *event) override { count += event->type() == QAccessible::DescriptionChanged ? 1 : 0; }
    int count = 0;
};

class KNVTLevelIndicatorTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        indicator.resize(48, 16); // three segments of 14 with gaps of 3
        indicator.show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(&indicator));
    }

    void clickSegment(int index)
    {
        const QRectF segment = KNVTLevelIndicator::segmentRect(indicator.size(), 3, index);
        QTest::mouseClick(&indicator, Qt::LeftButton, {}, segment.center().toPoint());
    }

    KNVTLevelIndicator indicator;
};

TEST_F(KNVTLevelIndicatorTest, ClickingASegmentMakesItsNumberTheValueAndClickingTheLastLitOneTurnsItOff)
{
    QSignalSpy actions(&indicator, &KNVTLevelIndicator::action);
    clickSegment(1);
    EXPECT_EQ(indicator.value(), 2);
    clickSegment(2);
    EXPECT_EQ(indicator.value(), 3);
    clickSegment(0);
    EXPECT_EQ(indicator.value(), 1);
    clickSegment(0);
    EXPECT_EQ(indicator.value(), 0);
    EXPECT_EQ(actions.count(), 4);
}

TEST_F(KNVTLevelIndicatorTest, ArrowKeysStepWithinTheBounds)
{
    QSignalSpy changes(&indicator, &KNVTLevelIndicator::valueChanged);
    QTest::keyClick(&indicator, Qt::Key_Left);
    EXPECT_EQ(indicator.value(), 0);
    EXPECT_EQ(changes.count(), 0);
    QTest::keyClick(&indicator, Qt::Key_Right);
    QTest::keyClick(&indicator, Qt::Key_Up);
    EXPECT_EQ(indicator.value(), 2);
    QTest::keyClick(&indicator, Qt::Key_End);
    QTest::keyClick(&indicator, Qt::Key_Right);
    EXPECT_EQ(indicator.value(), 3);
    QTest::keyClick(&indicator, Qt::Key_Down);
    EXPECT_EQ(indicator.value(), 2);
    QTest::keyClick(&indicator, Qt::Key_Home);
    EXPECT_EQ(indicator.value(), 0);
    EXPECT_EQ(changes.count(), 5);
}

TEST_F(KNVTLevelIndicatorTest, TheValuePropertyIsHeldWithinTheBoundsAndSettingItIsNoAction)
{
    QSignalSpy actions(&indicator, &KNVTLevelIndicator::action);
    EXPECT_TRUE(indicator.setProperty("value", 7));
    EXPECT_EQ(indicator.value(), 3);
    indicator.setValue(-2);
    EXPECT_EQ(indicator.value(), 0);
    indicator.setValue(3);
    indicator.setMaximumValue(2);
    EXPECT_EQ(indicator.value(), 2);
    EXPECT_EQ(actions.count(), 0);
}

TEST_F(KNVTLevelIndicatorTest, LitSegmentsAreDrawnInTheTint)
{
    indicator.setValue(2);
    const QImage image = knvt::test::rendered(indicator);
    const auto centre = [&](int index) {
        return KNVTLevelIndicator::segmentRect(indicator.size(), 3, index).center().toPoint();
    };
    EXPECT_TRUE(knvt::test::near(image.pixelColor(centre(0)), KNVTLevelIndicator::litColor(), 8));
    EXPECT_TRUE(knvt::test::near(image.pixelColor(centre(1)), KNVTLevelIndicator::litColor(), 8));
    EXPECT_FALSE(knvt::test::near(image.pixelColor(centre(2)), KNVTLevelIndicator::litColor(), 40));
}

TEST(KNVTLevelIndicatorGeometry, PositionsMapToTheNearestSegmentAndLeftOfTheFirstToNone)
{
    const QSize size(48, 16);
    EXPECT_EQ(KNVTLevelIndicator::valueForPosition(size, 3, -1), 0);
    EXPECT_EQ(KNVTLevelIndicator::valueForPosition(size, 3, 0), 1);
    EXPECT_EQ(KNVTLevelIndicator::valueForPosition(size, 3, 16.5), 1); // in the first gap
    EXPECT_EQ(KNVTLevelIndicator::valueForPosition(size, 3, 17.5), 2);
    EXPECT_EQ(KNVTLevelIndicator::valueForPosition(size, 3, 47), 3);
    EXPECT_EQ(KNVTLevelIndicator::segmentRect(size, 3, 1), QRectF(17, 2, 14, 12));
}

TEST_F(KNVTLevelIndicatorTest, AScreenReaderReadsASliderWithTheValueAndCanSetIt)
{
    indicator.setToolTip(QStringLiteral("Priority"));
    indicator.setValue(2);
    QAccessibleInterface *read = QAccessible::queryAccessibleInterface(&indicator);
    ASSERT_NE(read, nullptr);
    EXPECT_EQ(read->role(), QAccessible::Slider);
    EXPECT_EQ(read->text(QAccessible::Name), QStringLiteral("Priority"));
    EXPECT_EQ(read->text(QAccessible::Value), QStringLiteral("2 of 3"));
    QAccessibleValueInterface *value = read->valueInterface();
    ASSERT_NE(value, nullptr);
    EXPECT_EQ(value->currentValue().toInt(), 2);
    EXPECT_EQ(value->minimumValue().toInt(), 0);
    EXPECT_EQ(value->maximumValue().toInt(), 3);
    EXPECT_EQ(value->minimumStepSize().toInt(), 1);

    QSignalSpy action(&indicator, &KNVTLevelIndicator::action);
    value->setCurrentValue(1);
    EXPECT_EQ(indicator.value(), 1);
    EXPECT_EQ(action.count(), 1) << "a change made through the screen reader is the user's";
    value->setCurrentValue(7);
    EXPECT_EQ(indicator.value(), 3);
    read->actionInterface()->doAction(QAccessibleActionInterface::decreaseAction());
    EXPECT_EQ(indicator.value(), 2);
    EXPECT_EQ(action.count(), 3);

    // With words for its levels, the word is the value and the description, and a change of it is told.
    indicator.setLevelNames({"None", "Low", "Medium", "High"});
    EXPECT_EQ(read->text(QAccessible::Value), QStringLiteral("Medium"));
    EXPECT_EQ(read->text(QAccessible::Description), QStringLiteral("Medium")) << "not the tool tip that names it";
    DescriptionChanges told;
    QTest::keyClick(&indicator, Qt::Key_Home);
    EXPECT_EQ(read->text(QAccessible::Value), QStringLiteral("None"));
    EXPECT_EQ(told.count, 1);
}

} // namespace
