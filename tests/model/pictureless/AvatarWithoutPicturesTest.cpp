#include "../ModelTest.h"

#include "support/TestImages.h"

namespace {

using AvatarWithoutPicturesTest = ModelTest;

TEST_F(AvatarWithoutPicturesTest, APictureWrittenNeverKeepsTheThumbnailOfTheOldOne)
{
    KNVTCDUser *user = make().user({.fullName = "Daz Dorod"});
    KNVTCDAvatar *avatar = user->avatar();
    ASSERT_NE(avatar, nullptr);
    // The application saved a red picture with its thumbnail.
    avatar->setData(knvt::test::pngBytes(Qt::red));
    avatar->setThumbnailData(knvt::test::pngBytes(Qt::red, KNVTCDAvatar::kThumbnailSide));
    save();

    const QByteArray blue = knvt::test::pngBytes(Qt::blue);
    avatar->setData(blue);
    EXPECT_TRUE(avatar->thumbnailData().isNull()) << "the red thumbnail must not describe the blue picture";
    save();

    reopen();
    const std::vector<KNVTCDAvatar *> avatars = context().fetch<KNVTCDAvatar>();
    ASSERT_EQ(avatars.size(), 1);
    EXPECT_EQ(avatars.front()->data(), blue);
    EXPECT_TRUE(avatars.front()->thumbnailData().isNull());

    avatars.front()->setData(QByteArray());
    EXPECT_TRUE(avatars.front()->thumbnailData().isNull());
}

} // namespace
