#include "foundation/ImageAdditions.h"

#include <gtest/gtest.h>

TEST(ImageAdditions, PngDataRoundTripsAndNullImagesGiveNothing)
{
    QImage image(3, 2, QImage::Format_ARGB32);
    image.fill(QColor(10, 20, 30));
    const QByteArray png = knvt::PNGData(image);
    ASSERT_TRUE(png.startsWith("\x89PNG"));
    QImage back;
    ASSERT_TRUE(back.loadFromData(png, "PNG"));
    EXPECT_EQ(back.size(), image.size());
    EXPECT_EQ(back.pixelColor(2, 1), QColor(10, 20, 30));
    EXPECT_TRUE(knvt::PNGData(QImage()).isEmpty());
}

TEST(ImageAdditions, ThumbnailSqueezesTheWholePictureWithoutCropping)
{
    // Left half red, right half blue: squeezed into a square, both halves stay visible side by side.
    QImage wide(256, 128, QImage::Format_RGB32);
    wide.fill(Qt::red);
    for (int y = 0; y < 128; ++y)
        for (int x = 128; x < 256; ++x)
            wide.setPixelColor(x, y, Qt::blue);
    const QImage thumbnail = knvt::squareCroppedImageScaledToSize(wide, QSize(128, 128));
    ASSERT_EQ(thumbnail.size(), QSize(128, 128));
    EXPECT_EQ(thumbnail.pixelColor(10, 64), QColor(Qt::red));
    EXPECT_EQ(thumbnail.pixelColor(118, 64), QColor(Qt::blue));
    EXPECT_TRUE(knvt::squareCroppedImageScaledToSize(QImage(), QSize(128, 128)).isNull());
}
