#include "ModelTest.h"

#include <QBuffer>
#include <QImage>

namespace {

class KNVTCDUserTest : public ModelTest
{
protected:
    void SetUp() override
    {
        ModelTest::SetUp();
        m_me = make().me({.numericIdentifier = 1, .fullName = QStringLiteral("Me")});
    }

    KNVTCDUser *user(const QString &first, const QString &last, const QString &username)
    {
        return make().user({.username = username, .firstName = first, .lastName = last});
    }
    KNVTCDTaskList *list(bool archived = false)
    {
        return make().taskList({.archived = archived ? date() : QDateTime()});
    }
    KNVTCDTaskListCollaborator *membership(KNVTCDUser *u, KNVTCDTaskList *l, qint64 status)
    {
        return make().collaborator(l, u, std::nullopt, status);
    }

    KNVTCDUser *m_me = nullptr;
};

// ---- Names ----

// Missing parts leave no placeholder such as "(null)" behind.
TEST_F(KNVTCDUserTest, NamesDeriveFullNameDisplayNameAndInitials)
{
    const struct
    {
        QString first, last, username;
        const char *fullName, *extendedDisplayName, *initials;
    } rows[] = {
        {"Daz", "Dorod", "daz", "Daz Dorod", "Daz Dorod (daz)", "DD"},
        {"Daz", QString(), "daz", "Daz", "Daz (daz)", "D"},
        {QString(), "Dorod", QString(), "Dorod", "Dorod", "D"},
        {QString(), "", "daz", "", "(daz)", ""},
    };
    for (const auto &row : rows) {
        SCOPED_TRACE(row.fullName);
        const KNVTCDUser *u = user(row.first, row.last, row.username);
        EXPECT_EQ(u->fullName(), QString::fromUtf8(row.fullName));
        EXPECT_EQ(u->extendedDisplayName(), QString::fromUtf8(row.extendedDisplayName));
        EXPECT_FALSE(u->extendedDisplayName().contains(QStringLiteral("null")));
        EXPECT_EQ(u->initials(), QString::fromUtf8(row.initials));
    }
}

TEST_F(KNVTCDUserTest, ComparatorUsesDisplayNameIgnoringCase)
{
    const auto cmp = KNVTCDUser::userComparator();
    KNVTCDUser *ben = user(QStringLiteral("ben"), QString(), QString());
    KNVTCDUser *anna = user(QStringLiteral("Anna"), QString(), QString());
    KNVTCDUser *carl = user(QStringLiteral("Carl"), QString(), QString());
    std::vector<KNVTCDUser *> users{carl, ben, anna};
    std::stable_sort(users.begin(), users.end(), cmp);
    EXPECT_EQ(users, (std::vector<KNVTCDUser *>{anna, ben, carl}));
}

// ---- Relation to the local user ----

TEST_F(KNVTCDUserTest, RelationFollowsTheTwoRecords)
{
    // A tombstoned record (deleted on the service) relates nobody.
    struct Case
    {
        std::optional<qint64> mine, theirs;
        bool mineTombstoned, theirsTombstoned;
        qint64 expected;
    };
    const Case cases[] = {
        {1, std::nullopt, false, false, KNVTUserFriendshipStatusInvited},
        {std::nullopt, 1, false, false, KNVTUserFriendshipStatusPending},
        {std::nullopt, 2, false, false, KNVTUserFriendshipStatusFriend},
        {2, 1, false, false, KNVTUserFriendshipStatusFriend},
        {3, 2, false, false, KNVTUserFriendshipStatusNone},
        {2, 2, false, true, KNVTUserFriendshipStatusNone},
        {std::nullopt, 1, false, true, KNVTUserFriendshipStatusNone},
        {2, std::nullopt, true, false, KNVTUserFriendshipStatusNone},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(testing::Message() << "mine " << c.mine.value_or(-1) << " theirs " << c.theirs.value_or(-1));
        auto *u = insert<KNVTCDUser>();
        u->setFriendshipStatus(5);
        if (c.theirs) {
            KNVTCDFriendship *record = make().friendship(u, m_me, *c.theirs);
            if (c.theirsTombstoned)
                record->setDeletedDate(date());
        }
        if (c.mine) {
            KNVTCDFriendship *record = make().friendship(m_me, u, *c.mine);
            if (c.mineTombstoned)
                record->setDeletedDate(date());
        }
        u->updateFriendshipStatus();
        EXPECT_EQ(u->friendshipStatus(), c.expected);
    }
}

// ---- Lists and watchers ----

TEST_F(KNVTCDUserTest, ActiveTaskListsAreTheLiveListsOfAcceptedMemberships)
{
    KNVTCDUser *u = user(QStringLiteral("U"), QString(), QString());
    KNVTCDTaskList *accepted = list();
    membership(u, accepted, 2);
    membership(u, list(), 1);
    membership(u, list(), 3);
    membership(u, list(true), 2);
    KNVTCDTaskList *tombstonedList = list();
    tombstonedList->setDeletedDate(date());
    membership(u, tombstonedList, 2);
    membership(u, list(), 2)->setDeletedDate(date());

    EXPECT_EQ(u->activeTaskLists(), std::vector<KNVTCDTaskList *>{accepted});
}

TEST_F(KNVTCDUserTest, ActiveTaskWatchersAreLiveRowsWithATaskByTitle)
{
    KNVTCDUser *u = user(QStringLiteral("U"), QString(), QString());
    auto watch = [&](const QString &title) { return make().watcher(make().task({.title = title}), u); };
    KNVTCDTaskWatcher *lower = watch(QStringLiteral("alpha"));
    KNVTCDTaskWatcher *upper = watch(QStringLiteral("Zulu"));
    watch(QStringLiteral("gone"))->setDeletedDate(date());

    EXPECT_EQ(u->activeTaskWatchers(), (std::vector<KNVTCDTaskWatcher *>{upper, lower}))
        << "plain comparison: capitals first";
}

// ---- Pull ----

TEST_F(KNVTCDUserTest, PullReadsNullAsEmptyAndMissingAsUnchanged)
{
    auto *u = insert<KNVTCDUser>();
    u->updateWithAttributes(wire(QJsonObject{{"id", 43},
                                             {"created_at", wireDate()},
                                             {"updated_at", wireDate(1)},
                                             {"first_name", "Daz"},
                                             {"last_name", "Dorod"},
                                             {"email", "daz@example.com"},
                                             {"username", "daz"},
                                             {"country_code", "NZ"}}));
    EXPECT_EQ(u->numericIdentifier(), 43);
    EXPECT_EQ(u->modifiedDate(), date(1));
    EXPECT_EQ(u->isoCountryCode(), QStringLiteral("NZ"));
    EXPECT_EQ(u->initials(), QStringLiteral("DD"));

    u->updateWithAttributes(wire(QJsonObject{{"id", 43},
                                             {"last_name", QJsonValue::Null},
                                             {"email", QJsonValue::Null},
                                             {"username", QJsonValue::Null},
                                             {"country_code", QJsonValue::Null}}));
    EXPECT_EQ(u->firstName(), QStringLiteral("Daz")) << "a missing key leaves its field";
    EXPECT_TRUE(u->lastName().isNull());
    EXPECT_TRUE(u->emailAddress().isNull());
    EXPECT_TRUE(u->username().isNull());
    EXPECT_TRUE(u->isoCountryCode().isNull());
    EXPECT_EQ(u->extendedDisplayName(), QStringLiteral("Daz"));
}

TEST_F(KNVTCDUserTest, EveryUserHasAnAvatar)
{
    auto *u = insert<KNVTCDUser>();
    ASSERT_NE(u->avatar(), nullptr);
    EXPECT_EQ(u->avatar()->user(), u);
}

// The avatar's type and date arrive in the user's record; they decide whether a download is due.
TEST_F(KNVTCDUserTest, AvatarPullMarksNewerPicturesOfAKnownTypeForDownload)
{
    using Pull = std::pair<QJsonValue, QJsonValue>; // avatar_content_type, avatar_updated_at
    const QJsonValue null = QJsonValue::Null;
    // downloadedFirst: a png picture downloaded with date(); keepsPicture false: picture, thumbnail, opacity cleared
    struct Case
    {
        const char *what;
        bool downloadedFirst;
        std::vector<Pull> pulls;
        QString extension;
        QDateTime modified;
        bool needsUpdating;
        std::optional<bool> keepsPicture;
    };
    const Case cases[] = {
        {"newer known type", false, {{"IMAGE/JPG", wireDate()}}, "jpeg", date(), true, {}},
        {"unknown type keeps the extension", true, {{"image/gif", wireDate(60)}}, "png", date(60), true, true},
        {"no type means no picture", true, {{null, wireDate(60)}}, QString(), date(60), false, false},
        {"unreadable date keeps a pending download",
         false,
         {{"image/png", wireDate(60)}, {"image/png", "2015-03-04"}},
         "png",
         date(60),
         true,
         {}},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.what);
        KNVTCDUser *u = insert<KNVTCDUser>();
        KNVTCDAvatar *avatar = u->avatar();
        ASSERT_NE(avatar, nullptr);
        if (c.downloadedFirst) {
            avatar->setFileExtension(QStringLiteral("png"));
            avatar->setModifiedDate(date());
            QImage picture(4, 4, QImage::Format_ARGB32);
            picture.fill(Qt::black);
            avatar->setImage(picture);
            avatar->setOpaque(true);
            avatar->setNeedsUpdating(false);
        }
        for (const Pull &pull : c.pulls)
            u->updateWithAttributes(
                wire(QJsonObject{{"id", 43}, {"avatar_content_type", pull.first}, {"avatar_updated_at", pull.second}}));
        EXPECT_EQ(avatar->fileExtension(), c.extension);
        EXPECT_EQ(avatar->fileExtension().isNull(), c.extension.isNull());
        EXPECT_EQ(avatar->modifiedDate(), c.modified);
        EXPECT_EQ(avatar->needsUpdating(), c.needsUpdating);
        if (c.keepsPicture == true) {
            EXPECT_FALSE(avatar->data().isEmpty());
        } else if (c.keepsPicture == false) {
            EXPECT_TRUE(avatar->data().isNull());
            EXPECT_TRUE(avatar->thumbnailData().isNull());
            EXPECT_EQ(avatar->opaque(), std::nullopt);
        }
    }
}

// ---- Avatar pictures ----

class KNVTCDAvatarTest : public ModelTest
{
protected:
    KNVTCDAvatar *avatar() { return insert<KNVTCDUser>()->avatar(); }
};

TEST_F(KNVTCDAvatarTest, WidePictureIsSqueezedWholeIntoTheThumbnail)
{
    QImage wide(256, 128, QImage::Format_RGB32);
    wide.fill(Qt::red);
    for (int y = 0; y < 128; ++y)
        for (int x = 128; x < 256; ++x)
            wide.setPixelColor(x, y, Qt::blue);

    KNVTCDAvatar *picture = avatar();
    picture->setImage(wide);
    EXPECT_TRUE(picture->thumbnailData().startsWith("\x89PNG"));
    const QImage thumbnail = picture->thumbnailImage();
    ASSERT_EQ(thumbnail.size(), QSize(128, 128));
    // Both halves survive, each squeezed to half the width: nothing was cut off.
    EXPECT_EQ(thumbnail.pixelColor(16, 64), QColor(Qt::red));
    EXPECT_EQ(thumbnail.pixelColor(112, 64), QColor(Qt::blue));
    EXPECT_TRUE(picture->changedKeys().isEmpty());
}

TEST_F(KNVTCDAvatarTest, ThumbnailFollowsEveryWriteOfTheData)
{
    KNVTCDAvatar *picture = avatar();
    QImage jpeg(40, 20, QImage::Format_RGB32);
    jpeg.fill(Qt::green);
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    ASSERT_TRUE(jpeg.save(&buffer, "JPEG"));
    picture->setData(bytes);
    EXPECT_EQ(picture->data(), bytes) << "downloaded files are kept as they came";
    EXPECT_EQ(picture->thumbnailImage().size(), QSize(128, 128));

    picture->setData(QByteArray("not a picture"));
    EXPECT_TRUE(picture->thumbnailData().isNull());
}

TEST_F(KNVTCDAvatarTest, ThumbnailClearedByAProgramWithoutPicturesIsRenderedFromThePicture)
{
    KNVTCDAvatar *picture = avatar();
    QImage wide(256, 128, QImage::Format_RGB32);
    wide.fill(Qt::red);
    picture->setImage(wide);
    // What a program that never draws pictures leaves after writing one.
    picture->setThumbnailData(QByteArray());
    save();

    reopen();
    const std::vector<KNVTCDAvatar *> avatars = context().fetch<KNVTCDAvatar>();
    ASSERT_EQ(avatars.size(), 1);
    const QImage thumbnail = avatars.front()->thumbnailImage();
    ASSERT_EQ(thumbnail.size(), QSize(128, 128));
    EXPECT_EQ(thumbnail.pixelColor(64, 64), QColor(Qt::red));
    EXPECT_FALSE(context().hasChanges()) << "reading changes nothing";

    avatars.front()->setData(QByteArray());
    EXPECT_TRUE(avatars.front()->thumbnailImage().isNull());
}

} // namespace
