#include "uikit/KNVTImageView.h"

#include <QImage>
#include <QTest>

#include <gtest/gtest.h>

#include "support/PaintCounter.h"
#include "support/RenderedPixels.h"

namespace {

using knvt::test::filled;
using knvt::test::near;
using knvt::test::PaintCounter;
using knvt::test::rendered;

// A pixel on the antialiased edge of a round clip: the colour, mostly opaque.
bool edgeOf(const QColor &actual, const QColor &expected)
{
    return std::abs(actual.red() - expected.red()) <= 16 && std::abs(actual.green() - expected.green()) <= 16
        && std::abs(actual.blue() - expected.blue()) <= 16 && actual.alpha() >= 150;
}

const QColor Red(220, 0, 0);
const QColor Blue(0, 0, 220);

TEST(KNVTImageView, WithoutRadiusTheImageFillsTheWholeRectangle)
{
    KNVTImageView view;
    view.resize(20, 20);
    view.setBackgroundColor(QColor(0, 150, 0));
    view.setImage(filled(QSize(5, 5), Red));
    const QImage image = rendered(view);
    EXPECT_TRUE(near(image.pixelColor(0, 0), Red));
    EXPECT_TRUE(near(image.pixelColor(19, 19), Red));
    EXPECT_TRUE(near(image.pixelColor(10, 10), Red));
}

TEST(KNVTImageView, RadiusOfHalfTheSideClipsToACircleAndTheBorderShowsItsInnerHalf)
{
    KNVTImageView view;
    view.resize(20, 20);
    view.setImage(filled(QSize(8, 8), Red));
    view.setCornerRadius(10);
    view.setBorderWidth(2);
    view.setBorderColor(Blue);
    const QImage image = rendered(view);
    EXPECT_LT(image.pixelColor(1, 1).alpha(), 10) << "outside the circle";
    EXPECT_TRUE(near(image.pixelColor(10, 10), Red));
    EXPECT_TRUE(edgeOf(image.pixelColor(10, 0), Blue)) << "1 px of the 2 px border inside the edge";
    EXPECT_TRUE(edgeOf(image.pixelColor(0, 10), Blue));
    EXPECT_TRUE(near(image.pixelColor(10, 2), Red)) << "and no more";
}

TEST(KNVTImageView, ImageIsStretchedWithoutKeepingItsAspectRatio)
{
    QImage picture(100, 50, QImage::Format_ARGB32);
    picture.fill(Red);
    for (int y = 0; y < 50; ++y)
        for (int x = 50; x < 100; ++x)
            picture.setPixelColor(x, y, Blue);
    KNVTImageView view;
    view.resize(40, 40);
    view.setBackgroundColor(Qt::white);
    view.setImage(picture);
    const QImage image = rendered(view);
    EXPECT_TRUE(near(image.pixelColor(10, 1), Red)) << "no band above the squeezed picture";
    EXPECT_TRUE(near(image.pixelColor(10, 38), Red));
    EXPECT_TRUE(near(image.pixelColor(30, 1), Blue));
    EXPECT_TRUE(near(image.pixelColor(30, 38), Blue));
}

// A border of width 0 without a colour is still stroked: a hairline in the colour in force, which is black unless a
// background fill left the clear colour behind.
TEST(KNVTImageView, ZeroWidthBorderIsAHairlineInTheCurrentColour)
{
    KNVTImageView view;
    view.resize(20, 20);
    view.setImage(filled(QSize(5, 5), Qt::white));
    QImage image = rendered(view);
    EXPECT_LT(image.pixelColor(0, 10).red(), 200) << "darkened edge";
    EXPECT_TRUE(near(image.pixelColor(10, 10), Qt::white));

    view.setBackgroundColor(QColor(0, 150, 0));
    image = rendered(view);
    EXPECT_TRUE(near(image.pixelColor(0, 10), Qt::white)) << "stroked in the clear colour";
}

TEST(KNVTImageView, BackgroundWithoutBorderColourShowsNoBorder)
{
    KNVTImageView view;
    view.resize(20, 20);
    view.setBackgroundColor(QColor(0, 150, 0));
    view.setBorderWidth(4);
    view.setCornerRadius(4);
    const QImage image = rendered(view);
    EXPECT_TRUE(near(image.pixelColor(10, 0), QColor(0, 150, 0)));
    EXPECT_TRUE(near(image.pixelColor(10, 10), QColor(0, 150, 0)));
    EXPECT_LT(image.pixelColor(0, 0).alpha(), 10) << "rounded corner";
}

TEST(KNVTImageView, OnlyTheBackgroundColourWaitsForTheNextDrawing)
{
    KNVTImageView view;
    view.resize(20, 20);
    view.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&view));
    QTest::qWait(20);
    PaintCounter paints(&view);

    view.setBackgroundColor(Qt::green);
    QTest::qWait(50);
    EXPECT_EQ(paints.count, 0);

    const auto redraws = [&](auto change) {
        paints.count = 0;
        change();
        return QTest::qWaitFor([&] { return paints.count > 0; }, 1000);
    };
    EXPECT_TRUE(redraws([&] { view.setCornerRadius(3); }));
    EXPECT_TRUE(redraws([&] { view.setBorderWidth(2); }));
    EXPECT_TRUE(redraws([&] { view.setBorderColor(Qt::red); }));
    EXPECT_TRUE(redraws([&] { view.setImage(filled(QSize(2, 2), Qt::blue)); }));
}

} // namespace
