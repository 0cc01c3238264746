// Geometry and conversions of the kit that need nothing on screen.
#include "uikit/BezierPathAdditions.h"
#include "uikit/ColorAdditions.h"
#include "uikit/ImageAdditions.h"
#include "uikit/KNVTTabBar.h"
#include "uikit/Popover.h"
#include "uikit/TableViewAdditions.h"

#include <QBuffer>
#include <QImageReader>

#include <gtest/gtest.h>

namespace {

TEST(EmptyStateLabelFrame, SitsCentredInTheThirdRowFivePixelsLower)
{
    const QRectF frame = knvt::emptyStateLabelFrame(300, 20, QSizeF(100, 27));
    EXPECT_DOUBLE_EQ(frame.x(), 100);
    EXPECT_DOUBLE_EQ(frame.y(), 41.5);
    EXPECT_EQ(frame.size(), QSizeF(100, 27));

    const QRectF tall = knvt::emptyStateLabelFrame(301, 50, QSizeF(120, 30));
    EXPECT_DOUBLE_EQ(tall.x(), 90.5);
    EXPECT_DOUBLE_EQ(tall.y(), 10 + 100 + 5);
}

TEST(DefaultTintColor, IsTheSystemBlue)
{
    const QColor tint = knvt::defaultTintColor();
    EXPECT_EQ(tint.red(), 0);
    EXPECT_EQ(tint.green(), 122);
    EXPECT_EQ(tint.blue(), 255);
    EXPECT_EQ(tint.alpha(), 255);
}

TEST(CGPath, ClosesAnOpenPathAtTheEnd)
{
    QPainterPath line;
    line.moveTo(0, 0);
    line.lineTo(10, 0);
    const QPainterPath closed = knvt::CGPath(line);
    ASSERT_EQ(closed.elementCount(), 3);
    EXPECT_TRUE(closed.elementAt(2).isLineTo());
    EXPECT_EQ(QPointF(closed.elementAt(2)), QPointF(0, 0));
}

TEST(CGPath, KeepsCurvesAndAnAlreadyClosedPathAsTheyAre)
{
    QPainterPath curve;
    curve.moveTo(0, 0);
    curve.cubicTo(5, 10, 15, 10, 20, 0);
    curve.closeSubpath();
    const QPainterPath converted = knvt::CGPath(curve);
    EXPECT_EQ(converted, curve);

    EXPECT_TRUE(knvt::CGPath(QPainterPath()).isEmpty());
    EXPECT_EQ(knvt::CGPath(QPainterPath()).elementCount(), 0);
}

TEST(CGPath, OnlyTheLastSubpathIsClosed)
{
    QPainterPath two;
    two.moveTo(0, 0);
    two.lineTo(10, 0);
    two.moveTo(20, 20);
    two.lineTo(30, 20);
    const QPainterPath converted = knvt::CGPath(two);
    ASSERT_EQ(converted.elementCount(), 5);
    EXPECT_TRUE(converted.elementAt(2).isMoveTo());
    EXPECT_EQ(QPointF(converted.elementAt(4)), QPointF(20, 20));
}

QImage checkerboard(const QSize &size)
{
    QImage image(size, QImage::Format_ARGB32);
    for (int y = 0; y < size.height(); ++y) {
        for (int x = 0; x < size.width(); ++x)
            image.setPixelColor(x, y, (x + y) % 2 == 0 ? Qt::red : Qt::blue);
    }
    return image;
}

TEST(ImageAdditions, Base64EncodedPNGDecodesToTheSamePicture)
{
    const QImage image = checkerboard(QSize(6, 4));
    QImage decoded;
    ASSERT_TRUE(decoded.loadFromData(QByteArray::fromBase64(knvt::base64EncodedPNG(image).toLatin1()), "PNG"));
    EXPECT_EQ(decoded.convertToFormat(QImage::Format_ARGB32), image);
    EXPECT_TRUE(knvt::base64EncodedPNG(QImage()).isEmpty());
}

TEST(ImageAdditions, AMissingResourceGivesNoImage)
{
    EXPECT_TRUE(knvt::imageFromMainBundleWithName(QStringLiteral("NoSuchTemplate")).isNull());
    EXPECT_TRUE(knvt::templateImageFromMainBundleWithName(QStringLiteral("NoSuchTemplate")).isNull());
    EXPECT_TRUE(knvt::imageNamed(QStringLiteral("NoSuchTemplate"), QSize(16, 16)).isNull());
    EXPECT_TRUE(knvt::templateImageFromMainBundleWithName(QString()).isNull());
}

TEST(TabIndex, FollowsTheEqualWidthsOfTheTabs)
{
    EXPECT_EQ(KNVTTabBar::tabIndexAt(150, 300, 3), 1);
    EXPECT_EQ(KNVTTabBar::tabIndexAt(0, 300, 3), 0);
    EXPECT_EQ(KNVTTabBar::tabIndexAt(99.9, 300, 3), 0);
    EXPECT_EQ(KNVTTabBar::tabIndexAt(100, 300, 3), 1);
    EXPECT_EQ(KNVTTabBar::tabIndexAt(299, 300, 3), 2);
}

TEST(TabIndex, TheRightEdgeBelongsToTheLastTabAndNoTabsMeansNoHit)
{
    EXPECT_EQ(KNVTTabBar::tabIndexAt(300, 300, 3), 2);
    EXPECT_EQ(KNVTTabBar::tabIndexAt(150, 300, 0), -1);
    EXPECT_EQ(KNVTTabBar::tabIndexAt(0, 0, 2), -1);
}

TEST(PopoverPlacement, StandsCentredBelowTheAnchor)
{
    const QRect screen(0, 0, 800, 600);
    const QRect placed = knvt::Popover::placement(QRect(300, 100, 40, 20), QSize(200, 150), screen);
    EXPECT_EQ(placed, QRect(220, 120, 200, 150));
}

TEST(PopoverPlacement, FlipsAboveWhenThereIsNoRoomBelow)
{
    const QRect screen(0, 0, 800, 600);
    EXPECT_EQ(knvt::Popover::placement(QRect(300, 500, 40, 20), QSize(200, 150), screen), QRect(220, 350, 200, 150));
    // Exactly enough room below: no flip.
    EXPECT_EQ(knvt::Popover::placement(QRect(300, 430, 40, 20), QSize(200, 150), screen).y(), 450);
    // No room either way: it stays whole on the screen, over the anchor's lower part, as low as it can.
    EXPECT_EQ(knvt::Popover::placement(QRect(300, 100, 40, 20), QSize(200, 550), screen).y(), 50);
    // A row near the bottom of a tall list: the popover rises until its bottom is the screen's.
    const QRect row(300, 400, 400, 40);
    const QRect placed = knvt::Popover::placement(row, QSize(200, 450), screen);
    EXPECT_TRUE(screen.contains(placed)) << placed.y();
    EXPECT_EQ(placed.bottom(), screen.bottom());
}

TEST(PopoverPlacement, IsPushedSidewaysIntoTheScreen)
{
    const QRect screen(0, 0, 800, 600);
    EXPECT_EQ(knvt::Popover::placement(QRect(0, 100, 20, 20), QSize(200, 100), screen).x(), 0);
    EXPECT_EQ(knvt::Popover::placement(QRect(780, 100, 20, 20), QSize(200, 100), screen).x(), 600);
    const QRect secondScreen(800, 0, 800, 600);
    EXPECT_EQ(knvt::Popover::placement(QRect(805, 10, 10, 10), QSize(100, 50), secondScreen).x(), 800);
}

} // namespace
