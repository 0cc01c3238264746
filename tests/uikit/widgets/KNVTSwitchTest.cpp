#include "uikit/KNVTSwitch.h"

#include <QAccessible>
#include <QImage>
#include <QSignalSpy>
#include <QTest>

#include <gtest/gtest.h>

#include "support/RenderedPixels.h"

namespace {

using knvt::test::rendered;

// The track's fill is compared a little more strictly than the other controls' edges.
bool near(const QColor &actual, const QColor &expected, int tolerance = 6)
{
    return knvt::test::near(actual, expected, tolerance);
}

class KNVTSwitchTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        KNVTSwitch::setAnimationsEnabled(false);
        control.resize(50, 30);
        control.show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(&control));
    }
    void TearDown() override { KNVTSwitch::setAnimationsEnabled(true); }

    void click(QPoint at = QPoint(25, 15))
    {
        QTest::mousePress(&control, Qt::LeftButton, {}, at);
        QTest::mouseRelease(&control, Qt::LeftButton, {}, at);
    }

    void drag(QPoint from, std::initializer_list<QPoint> through)
    {
        QTest::mousePress(&control, Qt::LeftButton, {}, from);
        QPoint last = from;
        for (const QPoint &point : through) {
            QTest::mouseMove(&control, point);
            last = point;
        }
        QTest::mouseRelease(&control, Qt::LeftButton, {}, last);
    }

    KNVTSwitch control;
};

TEST_F(KNVTSwitchTest, KnobSitsAtTheEndOfItsSideAndStretchesWhilePressed)
{
    EXPECT_EQ(control.knobFrame(), QRectF(1, 1, 28, 28));
    control.setOn(true);
    EXPECT_EQ(control.knobFrame(), QRectF(21, 1, 28, 28));

    QTest::mousePress(&control, Qt::LeftButton, {}, QPoint(40, 15));
    EXPECT_TRUE(control.isActive());
    EXPECT_NEAR(control.knobFrame().width(), 34.78, 0.01);
    EXPECT_NEAR(control.knobFrame().right(), 49.0, 1e-9) << "a stretched knob still ends at the side it is on";
    QTest::mouseRelease(&control, Qt::LeftButton, {}, QPoint(40, 15));
    EXPECT_FALSE(control.isActive());
}

TEST_F(KNVTSwitchTest, ClickWithoutMovementTogglesAndSendsTheActionOnce)
{
    QSignalSpy action(&control, &KNVTSwitch::action);
    QSignalSpy changed(&control, &KNVTSwitch::onChanged);
    click();
    EXPECT_TRUE(control.isOn());
    ASSERT_EQ(action.count(), 1);
    EXPECT_EQ(action.at(0).at(0).value<KNVTSwitch *>(), &control);
    EXPECT_EQ(changed.count(), 1);
    EXPECT_EQ(control.knobFrame(), QRectF(21, 1, 28, 28));

    click(QPoint(5, 5));
    EXPECT_FALSE(control.isOn());
    EXPECT_EQ(action.count(), 2);
}

TEST_F(KNVTSwitchTest, SettingTheValueInCodeNeverSendsTheAction)
{
    QSignalSpy action(&control, &KNVTSwitch::action);
    QSignalSpy changed(&control, &KNVTSwitch::onChanged);
    control.setOn(true);
    control.setOn(true);
    control.setOn(false);
    EXPECT_EQ(action.count(), 0);
    EXPECT_EQ(changed.count(), 2) << "only real changes are announced";
}

TEST_F(KNVTSwitchTest, DraggingToTheOtherHalfSetsThatSide)
{
    QSignalSpy action(&control, &KNVTSwitch::action);
    QTest::mousePress(&control, Qt::LeftButton, {}, QPoint(10, 15));
    QTest::mouseMove(&control, QPoint(40, 15));
    // While the mouse is down, knob and track already follow the pointer.
    EXPECT_TRUE(control.hasDragged());
    EXPECT_TRUE(control.isDraggingTowardsOn());
    EXPECT_FALSE(control.isOn());
    EXPECT_NEAR(control.knobFrame().right(), 49.0, 1e-9);
    EXPECT_EQ(control.trackColor(), control.tintColor());
    EXPECT_EQ(action.count(), 0);

    QTest::mouseRelease(&control, Qt::LeftButton, {}, QPoint(40, 15));
    EXPECT_TRUE(control.isOn());
    EXPECT_EQ(action.count(), 1);
    EXPECT_FALSE(control.hasDragged());
    EXPECT_FALSE(control.isDraggingTowardsOn());
    EXPECT_EQ(control.knobFrame(), QRectF(21, 1, 28, 28));

    drag(QPoint(40, 15), {QPoint(30, 15), QPoint(3, 15)});
    EXPECT_FALSE(control.isOn());
    EXPECT_EQ(action.count(), 2);
}

TEST_F(KNVTSwitchTest, DragThatEndsOnTheSideItStartedChangesNothingAndSendsNothing)
{
    QSignalSpy action(&control, &KNVTSwitch::action);
    drag(QPoint(10, 15), {QPoint(40, 15), QPoint(10, 15)});
    EXPECT_FALSE(control.isOn());

    // A press that wanders within the half it is on is a drag, not a click: it does not toggle.
    control.setOn(true);
    drag(QPoint(40, 15), {QPoint(44, 12)});
    EXPECT_TRUE(control.isOn());
    EXPECT_EQ(action.count(), 0);
}

TEST_F(KNVTSwitchTest, TheMiddleCountsAsTheOnHalf)
{
    drag(QPoint(10, 15), {QPoint(25, 15)});
    EXPECT_TRUE(control.isOn());
}

TEST_F(KNVTSwitchTest, DisabledSwitchIsHalfTransparentAndIgnoresTheMouse)
{
    QSignalSpy action(&control, &KNVTSwitch::action);
    control.setOn(true);
    control.setEnabled(false);
    EXPECT_DOUBLE_EQ(control.drawnOpacity(), 0.5);
    click();
    drag(QPoint(40, 15), {QPoint(5, 15)});
    EXPECT_TRUE(control.isOn());
    EXPECT_EQ(action.count(), 0);

    const QImage image = rendered(control);
    EXPECT_NEAR(image.pixelColor(35, 15).alpha(), 128, 3) << "the white knob shows at half strength";

    control.setEnabled(true);
    EXPECT_DOUBLE_EQ(control.drawnOpacity(), 1.0);
    click();
    EXPECT_FALSE(control.isOn());
    EXPECT_EQ(action.count(), 1);
}

TEST_F(KNVTSwitchTest, TrackFillsWithTheTintWhenOnAndIsEmptyWhenOff)
{
    EXPECT_EQ(control.tintColor(), QColor::fromRgbF(0.27f, 0.86f, 0.36f));

    QImage image = rendered(control);
    EXPECT_TRUE(near(image.pixelColor(15, 15), Qt::white)) << "knob on the left";
    EXPECT_LT(image.pixelColor(40, 15).alpha(), 10) << "off track has no fill";
    EXPECT_GT(image.pixelColor(25, 0).alpha(), 30) << "but a faint border";

    control.setOn(true);
    image = rendered(control);
    EXPECT_TRUE(near(image.pixelColor(8, 15), control.tintColor()));
    EXPECT_TRUE(near(image.pixelColor(35, 15), Qt::white)) << "knob on the right";

    control.setTintColor(QColor(200, 30, 40));
    EXPECT_TRUE(near(rendered(control).pixelColor(8, 15), QColor(200, 30, 40)));
    control.setTintColor(QColor());
    EXPECT_EQ(control.tintColor(), KNVTSwitch::defaultTintColor());
}

TEST_F(KNVTSwitchTest, KnobSlidesWhenAnimatedButJumpsOnResize)
{
    KNVTSwitch::setAnimationsEnabled(true);
    control.setOn(true);
    EXPECT_LT(control.knobFrame().x(), 21.0) << "the slide has only begun";

    control.resize(80, 30);
    EXPECT_EQ(control.knobFrame(), QRectF(51, 1, 28, 28)) << "a resize moves the knob at once";
    EXPECT_TRUE(QTest::qWaitFor([&] { return control.trackColor() == control.tintColor(); }, 2000));
    EXPECT_EQ(control.knobFrame(), QRectF(51, 1, 28, 28));

    control.setOn(false);
    EXPECT_TRUE(QTest::qWaitFor([&] { return control.knobFrame() == QRectF(1, 1, 28, 28); }, 2000));
}

TEST_F(KNVTSwitchTest, AScreenReaderReadsACheckableElementWithItsState)
{
    control.setAccessibleName(QStringLiteral("Sync"));
    QAccessibleInterface *read = QAccessible::queryAccessibleInterface(&control);
    ASSERT_NE(read, nullptr);
    EXPECT_EQ(read->role(), QAccessible::CheckBox);
    EXPECT_EQ(read->text(QAccessible::Name), QStringLiteral("Sync"));
    EXPECT_TRUE(read->state().checkable);
    EXPECT_FALSE(read->state().checked);
    EXPECT_EQ(read->text(QAccessible::Value), QStringLiteral("Off"));
    control.setOn(true);
    EXPECT_TRUE(read->state().checked);
    EXPECT_EQ(read->text(QAccessible::Value), QStringLiteral("On"));
}

TEST_F(KNVTSwitchTest, SpaceAndTheToggleActionTurnItOverAndSendTheAction)
{
    QSignalSpy action(&control, &KNVTSwitch::action);
    control.setFocus();
    QTest::keyClick(&control, Qt::Key_Space);
    EXPECT_TRUE(control.isOn());
    EXPECT_EQ(action.count(), 1);

    QAccessibleActionInterface *actions = QAccessible::queryAccessibleInterface(&control)->actionInterface();
    ASSERT_NE(actions, nullptr);
    actions->doAction(QAccessibleActionInterface::toggleAction());
    EXPECT_FALSE(control.isOn());
    EXPECT_EQ(action.count(), 2);

    click();
    EXPECT_TRUE(control.isOn());
    EXPECT_EQ(action.count(), 3) << "a click with the mouse is still one action";

    control.setEnabled(false);
    actions->doAction(QAccessibleActionInterface::toggleAction());
    QTest::keyClick(&control, Qt::Key_Space);
    EXPECT_TRUE(control.isOn());
    EXPECT_EQ(action.count(), 3);
}

} // namespace
