#include "hotkeys/KNVTShortcutImageProvider.h"

#include <QImage>
#include <QPainter>
#include <QPixmap>

#include <gtest/gtest.h>

namespace {

QImage drawn(const QString &name, int scale)
{
    return KNVTShortcutImageProvider::supportingImageWithName(name)
        .pixmap(QSize(14, 14), qreal(scale))
        .toImage()
        .convertToFormat(QImage::Format_ARGB32);
}

int darkness(const QImage &image, QPoint at)
{
    return qAlpha(image.pixel(at)) * (255 - qGray(image.pixel(at)));
}

} // namespace

TEST(KNVTShortcutImageProvider, EachNameGivesOneCachedImage)
{
    const QIcon first = KNVTShortcutImageProvider::supportingImageWithName(QStringLiteral("KNVTSnapback"));
    const QIcon again = KNVTShortcutImageProvider::supportingImageWithName(QStringLiteral("KNVTSnapback"));
    EXPECT_FALSE(first.isNull());
    EXPECT_EQ(first.cacheKey(), again.cacheKey());
    EXPECT_NE(first.cacheKey(),
              KNVTShortcutImageProvider::supportingImageWithName(QStringLiteral("KNVTRemoveShortcut")).cacheKey());
    EXPECT_TRUE(KNVTShortcutImageProvider::supportingImageWithName(QStringLiteral("Other")).isNull());
    EXPECT_EQ(KNVTShortcutImageProvider::sizeOfImageWithName(QStringLiteral("KNVTRemoveShortcutPressed")),
              QSizeF(14, 14));
}

TEST(KNVTShortcutImageProvider, TheRemoveButtonDarkensWhenHoveredAndPressed)
{
    // Between the arms of the cross, the disc shows its own shade.
    const QPoint inside(7, 3);
    const int normal = darkness(drawn(QStringLiteral("KNVTRemoveShortcut"), 1), inside);
    const int rollover = darkness(drawn(QStringLiteral("KNVTRemoveShortcutRollover"), 1), inside);
    const int pressed = darkness(drawn(QStringLiteral("KNVTRemoveShortcutPressed"), 1), inside);
    EXPECT_LT(normal, rollover);
    EXPECT_LT(rollover, pressed);

    const QImage image = drawn(QStringLiteral("KNVTRemoveShortcut"), 1);
    EXPECT_EQ(qAlpha(image.pixel(0, 0)), 0) << "round, not square";
    EXPECT_GT(qGray(image.pixel(7, 7)), 200) << "the white cross crosses in the middle";
    EXPECT_NEAR(qAlpha(image.pixel(inside)), 64, 6);
}

TEST(KNVTShortcutImageProvider, ImagesKeepTheirShapesAtTwiceTheSize)
{
    for (const QString &name : {QStringLiteral("KNVTRemoveShortcut"), QStringLiteral("KNVTSnapback")}) {
        const QImage single = drawn(name, 1);
        const QImage doubled = drawn(name, 2);
        ASSERT_EQ(doubled.size(), QSize(28, 28)) << name.toStdString();
        int differing = 0;
        for (int y = 0; y < 14; ++y) {
            for (int x = 0; x < 14; ++x) {
                const QRgb small = single.pixel(x, y);
                const QRgb large = doubled.pixel(2 * x + 1, 2 * y + 1);
                if (std::abs(qAlpha(small) - qAlpha(large)) > 110)
                    ++differing;
            }
        }
        EXPECT_LE(differing, 8) << name.toStdString();
    }
}

TEST(KNVTShortcutImageProvider, TheSnapbackArrowIsWhiteWithAShadowBelow)
{
    const QImage image = drawn(QStringLiteral("KNVTSnapback"), 4);
    int white = 0;
    int shadowOnly = 0;
    for (int y = 0; y < image.height(); ++y) {
        for (int x = 0; x < image.width(); ++x) {
            const QRgb pixel = image.pixel(x, y);
            if (qAlpha(pixel) > 240 && qGray(pixel) > 240)
                ++white;
            else if (qAlpha(pixel) > 20 && qGray(pixel) < 60)
                ++shadowOnly;
        }
    }
    EXPECT_GT(white, 600);
    EXPECT_GT(shadowOnly, 40);
    // The tip of the arrow points left, at about two fifths of the height from the top.
    const QRgb tip = image.pixel(int(0.9 * (0.0489685 * 14 + 0.5) * 4) + 3, int((14 - (0.6181513 * 14 - 0.5)) * 4));
    EXPECT_GT(qAlpha(tip), 100);
}
