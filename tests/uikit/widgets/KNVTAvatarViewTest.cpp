#include "uikit/KNVTAvatarView.h"

#include <QImage>
#include <QPainter>
#include <QSignalSpy>
#include <QTest>

#include <gtest/gtest.h>

#include "support/PaintCounter.h"
#include "support/RenderedPixels.h"

namespace {

using knvt::test::filled;
using knvt::test::near;
using knvt::test::PaintCounter;
using knvt::test::rendered;

// The pixels that are (nearly) white: the initials.
QRect whiteArea(const QImage &image)
{
    QRect area;
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x) {
            const QColor color = image.pixelColor(x, y);
            if (color.red() > 200 && color.green() > 200 && color.blue() > 200)
                area |= QRect(x, y, 1, 1);
        }
    return area;
}

class KNVTAvatarViewTest : public ::testing::Test
{
protected:
    void SetUp() override { avatar.resize(32, 32); }
    KNVTAvatarView avatar;
};

TEST_F(KNVTAvatarViewTest, InitialsAreDrawnInWhiteCentredOnTheDisc)
{
    avatar.resize(40, 40);
    avatar.setText(QStringLiteral("AB"));
    const QImage image = rendered(avatar);
    const QRect initials = whiteArea(image);
    ASSERT_FALSE(initials.isEmpty());
    EXPECT_GT(initials.width(), 12) << "two letters";
    EXPECT_NEAR(initials.center().x(), 20, 2);
    EXPECT_NEAR(initials.center().y(), 20, 4);
    EXPECT_TRUE(near(image.pixelColor(20, 5), KNVTAvatarView::discColor()));
    EXPECT_TRUE(avatar.showsText());

    const QRectF line = avatar.textFrame();
    EXPECT_EQ(line.x(), 0.0);
    EXPECT_EQ(line.width(), 40.0);
    EXPECT_GT(line.height(), 0.0);
    EXPECT_TRUE(line.contains(QRectF(initials)));

    avatar.setText(QStringLiteral("W"));
    EXPECT_LT(whiteArea(rendered(avatar)).width(), initials.width());
}

TEST_F(KNVTAvatarViewTest, ImageReplacesInitialsAndFillsTheDisc)
{
    avatar.setText(QStringLiteral("AB"));
    QSignalSpy textChanged(&avatar, &KNVTAvatarView::textChanged);
    QSignalSpy imageChanged(&avatar, &KNVTAvatarView::imageChanged);
    avatar.setImage(filled(QSize(10, 10), QColor(200, 0, 0)));
    EXPECT_TRUE(avatar.text().isNull());
    EXPECT_EQ(textChanged.count(), 1);
    EXPECT_EQ(imageChanged.count(), 1);
    EXPECT_FALSE(avatar.showsText());
    EXPECT_TRUE(avatar.showsImage());

    const QImage image = rendered(avatar);
    EXPECT_TRUE(near(image.pixelColor(16, 16), QColor(200, 0, 0)));
    EXPECT_TRUE(near(image.pixelColor(3, 16), QColor(200, 0, 0))) << "stretched to the bounds";
    EXPECT_TRUE(whiteArea(image).isEmpty()) << "no initials left under the picture";
    EXPECT_LT(image.pixelColor(1, 1).alpha(), 10) << "clipped to the circle";
}

TEST_F(KNVTAvatarViewTest, InitialsReplaceTheImage)
{
    avatar.setImage(filled(QSize(10, 10), QColor(200, 0, 0)));
    QSignalSpy imageChanged(&avatar, &KNVTAvatarView::imageChanged);
    avatar.setText(QStringLiteral("CD"));
    EXPECT_TRUE(avatar.image().isNull());
    EXPECT_EQ(imageChanged.count(), 1);
    EXPECT_FALSE(avatar.showsImage());
    EXPECT_TRUE(near(rendered(avatar).pixelColor(16, 3), KNVTAvatarView::discColor()));
}

TEST_F(KNVTAvatarViewTest, ClearingTheImageOfAnAvatarWithInitialsLeavesTheBareDisc)
{
    avatar.setText(QStringLiteral("AB"));
    avatar.setImage(QImage());
    EXPECT_TRUE(avatar.image().isNull());
    EXPECT_TRUE(avatar.text().isNull());
    EXPECT_FALSE(avatar.showsImage());
    EXPECT_FALSE(avatar.showsText());
    const QImage image = rendered(avatar);
    EXPECT_TRUE(whiteArea(image).isEmpty());
    EXPECT_TRUE(near(image.pixelColor(16, 16), KNVTAvatarView::discColor()));
}

TEST_F(KNVTAvatarViewTest, EmptyInitialsAreNone)
{
    avatar.setText(QString(""));
    EXPECT_TRUE(avatar.text().isNull());
    EXPECT_FALSE(avatar.showsText());
    EXPECT_TRUE(whiteArea(rendered(avatar)).isEmpty());
}

TEST_F(KNVTAvatarViewTest, RingAppearsWithContentAndStaysWhenTheContentGoes)
{
    const QColor red(230, 0, 0);
    avatar.setTintColor(red);
    avatar.setBorderWidth(2);
    rendered(avatar);
    EXPECT_EQ(avatar.ringWidth(), 0.0) << "never had content: no ring";
    EXPECT_TRUE(near(rendered(avatar).pixelColor(16, 1), KNVTAvatarView::discColor()));

    avatar.setText(QStringLiteral("AB"));
    EXPECT_TRUE(near(rendered(avatar).pixelColor(16, 1), red));
    EXPECT_EQ(avatar.ringWidth(), 2.0);

    avatar.setText(QString());
    const QImage image = rendered(avatar);
    EXPECT_TRUE(near(image.pixelColor(16, 1), red)) << "the ring of the last drawing stays";
    EXPECT_TRUE(near(image.pixelColor(1, 16), red));
}

TEST_F(KNVTAvatarViewTest, RingSettersShowAtTheNextDrawingWithoutRequestingOne)
{
    avatar.setText(QStringLiteral("AB"));
    avatar.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&avatar));
    QTest::qWait(20);
    PaintCounter paints(&avatar);
    avatar.setTintColor(QColor(0, 200, 0));
    avatar.setBorderWidth(3);
    QTest::qWait(50);
    EXPECT_EQ(paints.count, 0);

    EXPECT_TRUE(near(rendered(avatar).pixelColor(16, 1), QColor(0, 200, 0)));
    EXPECT_EQ(avatar.ringWidth(), 3.0);
}

TEST_F(KNVTAvatarViewTest, CornerRadiusFollowsTheSmallerSide)
{
    avatar.resize(40, 30);
    avatar.setText(QStringLiteral("AB"));
    const QImage image = rendered(avatar);
    EXPECT_EQ(avatar.cornerRadius(), 15.0);
    EXPECT_LT(image.pixelColor(1, 1).alpha(), 10);
    EXPECT_TRUE(near(image.pixelColor(20, 2), KNVTAvatarView::discColor())) << "a capsule, flat along the top";
}

TEST_F(KNVTAvatarViewTest, PaintedAvatarsLookLikeTheViewAtAnyOffset)
{
    const auto paintedAt = [](const QPoint &offset, const QImage &image, const QString &text) {
        QImage canvas(QSize(64, 48), QImage::Format_ARGB32);
        canvas.fill(Qt::transparent);
        QPainter painter(&canvas);
        KNVTAvatarView::draw(painter, QRectF(offset, QSizeF(32, 32)), image, text);
        painter.end();
        return canvas.copy(QRect(offset, QSize(32, 32)));
    };
    avatar.setText(QStringLiteral("AB"));
    EXPECT_EQ(paintedAt(QPoint(20, 9), QImage(), QStringLiteral("AB")), rendered(avatar));
    avatar.setImage(filled(QSize(8, 8), QColor(200, 30, 30)));
    EXPECT_EQ(paintedAt(QPoint(3, 5), filled(QSize(8, 8), QColor(200, 30, 30)), QStringLiteral("AB")),
              rendered(avatar));
}

TEST(KNVTAvatarViewLayout, InitialsLineIsCentredOnAWholePixelMeasuredFromTheBottom)
{
    // 6.5 px free below and above: the line keeps 6 below it.
    EXPECT_EQ(KNVTAvatarView::textFrameForSize(QSizeF(32, 32), 19), QRectF(0, 7, 32, 19));
    EXPECT_EQ(KNVTAvatarView::textFrameForSize(QSizeF(32, 32), 20), QRectF(0, 6, 32, 20));
    // A line taller than the avatar stands 4 px above the bottom edge, as the magnitude of -4.
    EXPECT_EQ(KNVTAvatarView::textFrameForSize(QSizeF(32, 32), 40), QRectF(0, -12, 32, 40));
}

} // namespace
