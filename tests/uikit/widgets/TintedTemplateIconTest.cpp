#include "uikit/ImageAdditions.h"

#include <QIcon>
#include <QImage>
#include <QPainter>
#include <QPalette>
#include <QPixmap>

#include <gtest/gtest.h>

namespace {

// A black square on a transparent ground, at 16 x 16 and at twice that, as the template pictures are drawn.
QIcon blackSquare(bool mask)
{
    QIcon icon;
    for (const int scale : {1, 2}) {
        QPixmap pixmap(16 * scale, 16 * scale);
        pixmap.fill(Qt::transparent);
        QPainter painter(&pixmap);
        painter.fillRect(QRect(4 * scale, 4 * scale, 8 * scale, 8 * scale), Qt::black);
        painter.end();
        icon.addPixmap(pixmap);
    }
    icon.setIsMask(mask);
    return icon;
}

QPalette buttonTexts(const QColor &normal, const QColor &disabled)
{
    QPalette palette;
    palette.setColor(QPalette::Active, QPalette::ButtonText, normal);
    palette.setColor(QPalette::Inactive, QPalette::ButtonText, normal);
    palette.setColor(QPalette::Disabled, QPalette::ButtonText, disabled);
    return palette;
}

} // namespace

TEST(TintedTemplateIconTest, ATemplateTakesTheButtonTextColourOfEachStateAndKeepsItsShape)
{
    const QColor red(200, 0, 0);
    const QColor grey(150, 150, 150);
    const QIcon icon = knvt::tintedTemplateIcon(blackSquare(true), buttonTexts(red, grey), QSize(16, 16));
    for (const qreal ratio : {1.0, 2.0}) {
        const QImage normal = icon.pixmap(QSize(16, 16), ratio, QIcon::Normal).toImage();
        const QImage disabled = icon.pixmap(QSize(16, 16), ratio, QIcon::Disabled).toImage();
        ASSERT_EQ(normal.width(), int(16 * ratio));
        const QPoint inside(int(8 * ratio), int(8 * ratio));
        const QPoint outside(int(1 * ratio), int(1 * ratio));
        EXPECT_EQ(normal.pixelColor(inside), red) << ratio;
        EXPECT_EQ(disabled.pixelColor(inside), grey) << ratio;
        EXPECT_EQ(normal.pixelColor(outside).alpha(), 0) << ratio;
        EXPECT_EQ(disabled.pixelColor(outside).alpha(), 0) << ratio;
    }
}

TEST(TintedTemplateIconTest, APictureThatIsNoTemplateIsLeftAsItIs)
{
    const QIcon photo = blackSquare(false);
    const QIcon shown = knvt::tintedTemplateIcon(photo, buttonTexts(Qt::red, Qt::gray), QSize(16, 16));
    EXPECT_EQ(shown.cacheKey(), photo.cacheKey());
    EXPECT_TRUE(knvt::tintedTemplateIcon(QIcon(), QPalette(), QSize(16, 16)).isNull());
}
