#include "uikit/KNVTCheckBox.h"

#include "uikit/ColorAdditions.h"

#include <QAccessible>
#include <QImage>
#include <QPainter>
#include <QSignalSpy>
#include <QTest>

#include <gtest/gtest.h>

#include "support/RenderedPixels.h"

namespace {

using knvt::test::near;
using knvt::test::rendered;

// A pixel on the antialiased edge of the circle: the colour, mostly opaque.
bool edgeOf(const QColor &actual, const QColor &expected)
{
    return std::abs(actual.red() - expected.red()) <= 8 && std::abs(actual.green() - expected.green()) <= 8
        && std::abs(actual.blue() - expected.blue()) <= 8 && actual.alpha() >= 150;
}

bool isClear(const QColor &color)
{
    return color.alpha() < 10;
}

// Points of a 40 x 40 box (radius 20): inside the tick only, inside the cross only, inside the circle but clear of
// both icons, and on the border.
const QPoint TickOnly(13, 20);
const QPoint CrossOnly(16, 15);
const QPoint CircleOnly(20, 34);
const QPoint Border(20, 0);

class KNVTCheckBoxTest : public ::testing::Test
{
protected:
    void SetUp() override { box.resize(40, 40); }

    QColor at(QPoint point) { return rendered(box).pixelColor(point); }

    KNVTCheckBox box;
};

TEST_F(KNVTCheckBoxTest, EmptyStateIsATintedRingOnly)
{
    EXPECT_EQ(box.tintColor(), knvt::defaultTintColor());
    const QImage image = rendered(box);
    EXPECT_TRUE(edgeOf(image.pixelColor(Border), box.tintColor()));
    EXPECT_TRUE(edgeOf(image.pixelColor(0, 20), box.tintColor()));
    EXPECT_TRUE(isClear(image.pixelColor(CircleOnly)));
    EXPECT_TRUE(isClear(image.pixelColor(TickOnly)));
    EXPECT_TRUE(isClear(image.pixelColor(CrossOnly)));
    EXPECT_TRUE(isClear(image.pixelColor(1, 1))) << "the corners are outside the circle";
    EXPECT_FALSE(box.hasIcon());
}

TEST_F(KNVTCheckBoxTest, TickIsAWhiteMarkOnATintedDisc)
{
    box.setCheckBoxState(KNVTCheckBoxStateTick);
    const QImage image = rendered(box);
    EXPECT_TRUE(near(image.pixelColor(CircleOnly), box.tintColor()));
    EXPECT_TRUE(near(image.pixelColor(TickOnly), Qt::white));
    EXPECT_TRUE(near(image.pixelColor(CrossOnly), box.tintColor()));
    EXPECT_TRUE(isClear(image.pixelColor(1, 1)));
}

TEST_F(KNVTCheckBoxTest, CrossIsAWhiteXOnATintedDisc)
{
    box.setCheckBoxState(KNVTCheckBoxStateCross);
    const QImage image = rendered(box);
    EXPECT_TRUE(near(image.pixelColor(CircleOnly), box.tintColor()));
    EXPECT_TRUE(near(image.pixelColor(CrossOnly), Qt::white));
    EXPECT_TRUE(near(image.pixelColor(TickOnly), box.tintColor()));
    EXPECT_TRUE(near(image.pixelColor(20, 20), Qt::white)) << "the arms cross in the middle";
}

TEST_F(KNVTCheckBoxTest, BackToEmptyRemovesTheIcon)
{
    box.setCheckBoxState(KNVTCheckBoxStateTick);
    box.setCheckBoxState(KNVTCheckBoxStateNone);
    EXPECT_FALSE(box.hasIcon());
    EXPECT_TRUE(isClear(at(TickOnly)));
    EXPECT_TRUE(isClear(at(CircleOnly)));
}

TEST_F(KNVTCheckBoxTest, UnknownStateKeepsTheDrawingItHad)
{
    box.setCheckBoxState(KNVTCheckBoxStateCross);
    box.setCheckBoxState(7);
    EXPECT_EQ(box.checkBoxState(), 7);
    EXPECT_TRUE(box.hasIcon());
    EXPECT_TRUE(near(at(CrossOnly), Qt::white));
    EXPECT_TRUE(near(at(CircleOnly), box.tintColor()));
}

TEST_F(KNVTCheckBoxTest, TintRecoloursBorderFillAndOutlineAtOnce)
{
    box.setCheckBoxState(KNVTCheckBoxStateTick);
    const QColor red(220, 20, 20);
    box.setTintColor(red);
    EXPECT_EQ(box.circleBorderColor(), red);
    EXPECT_EQ(box.circleBackgroundColor(), red);
    EXPECT_EQ(box.iconStrokeColor(), red);
    const QImage image = rendered(box);
    EXPECT_TRUE(near(image.pixelColor(CircleOnly), red));
    EXPECT_TRUE(edgeOf(image.pixelColor(Border), red));
    EXPECT_TRUE(near(image.pixelColor(TickOnly), Qt::white));
}

TEST_F(KNVTCheckBoxTest, DisabledBoxIsLightGreyUntilEnabled)
{
    box.setCheckBoxState(KNVTCheckBoxStateTick);
    box.setEnabled(false);
    QImage image = rendered(box);
    EXPECT_TRUE(near(image.pixelColor(CircleOnly), KNVTCheckBox::lightGrayColor()));
    EXPECT_TRUE(edgeOf(image.pixelColor(Border), KNVTCheckBox::lightGrayColor()));
    EXPECT_TRUE(near(image.pixelColor(TickOnly), Qt::white));

    box.setEnabled(true);
    image = rendered(box);
    EXPECT_TRUE(near(image.pixelColor(CircleOnly), box.tintColor()));
    EXPECT_EQ(box.iconStrokeColor(), box.tintColor());
}

TEST_F(KNVTCheckBoxTest, PressedBoxTakesTheLightLookAndClickLeavesTheStateToTheOwner)
{
    box.setCheckBoxState(KNVTCheckBoxStateTick);
    box.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&box));
    QSignalSpy clicked(&box, &QAbstractButton::clicked);

    QTest::mousePress(&box, Qt::LeftButton, {}, QPoint(20, 20));
    EXPECT_TRUE(box.isHighlighted());
    EXPECT_TRUE(near(at(CircleOnly), KNVTCheckBox::lightGrayColor()));

    QTest::mouseRelease(&box, Qt::LeftButton, {}, QPoint(20, 20));
    EXPECT_FALSE(box.isHighlighted());
    EXPECT_TRUE(near(at(CircleOnly), box.tintColor()));
    EXPECT_EQ(clicked.count(), 1);
    EXPECT_EQ(box.checkBoxState(), KNVTCheckBoxStateTick);
}

TEST_F(KNVTCheckBoxTest, OblongBoxKeepsARoundOutline)
{
    box.resize(60, 30);
    box.setCheckBoxState(KNVTCheckBoxStateCross);
    const QImage image = rendered(box);
    EXPECT_TRUE(isClear(image.pixelColor(2, 2))) << "corners rounded with half the smaller side";
    EXPECT_TRUE(isClear(image.pixelColor(57, 27)));
    EXPECT_TRUE(edgeOf(image.pixelColor(30, 0), box.tintColor())) << "straight top edge between the round ends";
    EXPECT_TRUE(edgeOf(image.pixelColor(50, 15), box.tintColor()));
    // The icon is sized by the smaller side: the cross of a radius-15 circle.
    EXPECT_EQ(box.iconPath().boundingRect(), KNVTCheckBox::crossPath(15).boundingRect());
}

TEST_F(KNVTCheckBoxTest, PaintedRowBoxLooksLikeTheControl)
{
    box.setCheckBoxState(KNVTCheckBoxStateTick);
    QImage painted(40, 40, QImage::Format_ARGB32);
    painted.fill(Qt::transparent);
    {
        QPainter painter(&painted);
        KNVTCheckBox::draw(painter, QRectF(0, 0, 40, 40), KNVTCheckBoxStateTick, box.tintColor(), false);
    }
    EXPECT_EQ(painted, rendered(box));
}

TEST(KNVTCheckBoxIcons, IconsSitInsideTheCircle)
{
    for (const QPainterPath &path : {KNVTCheckBox::tickPath(20), KNVTCheckBox::crossPath(20)}) {
        const QRectF bounds = path.boundingRect();
        EXPECT_GT(bounds.left(), 0.0);
        EXPECT_LT(bounds.right(), 40.0);
        EXPECT_GT(bounds.top(), 0.0);
        EXPECT_LT(bounds.bottom(), 40.0);
        EXPECT_NEAR(bounds.center().x(), 20.0, 1.5);
        EXPECT_NEAR(bounds.center().y(), 20.4, 1.0);
    }
}

TEST_F(KNVTCheckBoxTest, AScreenReaderReadsACheckBoxThatIsCheckedForATickAndMixedForACross)
{
    QAccessibleInterface *read = QAccessible::queryAccessibleInterface(&box);
    ASSERT_NE(read, nullptr);
    EXPECT_EQ(read->role(), QAccessible::CheckBox);
    EXPECT_EQ(read->text(QAccessible::Name), QStringLiteral("Completed")) << "the box's meaning when nothing names it";
    EXPECT_TRUE(read->state().checkable);
    EXPECT_FALSE(read->state().checked);
    EXPECT_FALSE(read->state().checkStateMixed);

    box.setCheckBoxState(KNVTCheckBoxStateTick);
    EXPECT_TRUE(read->state().checked);
    EXPECT_FALSE(read->state().checkStateMixed);
    EXPECT_EQ(read->text(QAccessible::Description), QStringLiteral("Completed"));

    box.setCheckBoxState(KNVTCheckBoxStateCross);
    EXPECT_FALSE(read->state().checked);
    EXPECT_TRUE(read->state().checkStateMixed) << "a cancelled item reads as mixed";
    EXPECT_EQ(read->text(QAccessible::Description), QStringLiteral("Cancelled"));

    box.setToolTip(QStringLiteral("Complete \"Rent\""));
    EXPECT_EQ(read->text(QAccessible::Name), QStringLiteral("Complete \"Rent\""));
    box.setAccessibleName(QStringLiteral("Rent"));
    EXPECT_EQ(read->text(QAccessible::Name), QStringLiteral("Rent"));
}

TEST_F(KNVTCheckBoxTest, ItsToggleActionClicksItAndLeavesTheStateToTheOwner)
{
    QSignalSpy clicked(&box, &QAbstractButton::clicked);
    QAccessibleActionInterface *actions = QAccessible::queryAccessibleInterface(&box)->actionInterface();
    ASSERT_NE(actions, nullptr);
    EXPECT_TRUE(actions->actionNames().contains(QAccessibleActionInterface::toggleAction()));
    actions->doAction(QAccessibleActionInterface::toggleAction());
    EXPECT_EQ(clicked.count(), 1);
    EXPECT_EQ(box.checkBoxState(), KNVTCheckBoxStateNone);

    box.setEnabled(false);
    EXPECT_TRUE(actions->actionNames().isEmpty());
    actions->doAction(QAccessibleActionInterface::toggleAction());
    EXPECT_EQ(clicked.count(), 1) << "a disabled box does nothing";
}

} // namespace
