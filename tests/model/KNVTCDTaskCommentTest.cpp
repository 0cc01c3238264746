#include "KNVTCDTaskTest.h"

namespace {

class KNVTCDTaskCommentTest : public KNVTCDTaskTest
{
protected:
    // A comment as the service last sent it.
    KNVTCDTaskComment *syncedComment(const QDateTime &created, const QDateTime &modified)
    {
        KNVTCDTaskComment *c = comment(nullptr, QStringLiteral("text"), created, 40);
        c->setModifiedDate(modified);
        return c;
    }
    KNVTCDTask *task(std::optional<qint64> numericIdentifier = std::nullopt)
    {
        KNVTCDTask *t = KNVTCDTaskTest::task();
        t->setNumericIdentifier(numericIdentifier);
        return t;
    }
};

TEST_F(KNVTCDTaskCommentTest, EditedMeansSyncedAndChangedMoreThanFiveSecondsLater)
{
    const QDateTime ten = QDateTime(QDate(2015, 3, 4), QTime(10, 0), QTimeZone::utc());
    EXPECT_FALSE(syncedComment(ten, ten.addSecs(5))->isEdited());
    EXPECT_TRUE(syncedComment(ten, ten.addMSecs(5001))->isEdited());

    auto *local = insert<KNVTCDTaskComment>();
    local->setCreatedDate(ten);
    local->setModifiedDate(ten.addSecs(60));
    EXPECT_FALSE(local->isEdited()) << "a comment never synced is never edited";
}

TEST_F(KNVTCDTaskCommentTest, PushMapping)
{
    auto *comment = insert<KNVTCDTaskComment>();
    KNVTCDTask *commented = task();
    comment->setTask(commented);
    const QStringList all{"text", "task", "deletedDate", "user", "createdDate"};
    EXPECT_EQ(comment->attributesForKeys(all), (QJsonObject{{"deleted_at", QJsonValue::Null}}))
        << "no text, and a task without identifier sends neither commentable key";

    comment->setText(QString(""));
    commented->setNumericIdentifier(10);
    comment->setDeletedDate(date());
    EXPECT_EQ(
        comment->attributesForKeys(all),
        (QJsonObject{{"text", ""}, {"commentable_id", 10}, {"commentable_type", "Task"}, {"deleted_at", wireDate()}}));
    EXPECT_EQ(comment->attributesForKeys({"user", "createdDate"}), QJsonObject());
}

TEST_F(KNVTCDTaskCommentTest, PullFillsTextDatesAuthorAndTask)
{
    KNVTCDTask *commented = task(10);
    KNVTCDTaskComment *comment = syncedComment(date(), date());
    comment->updateWithAttributes(wire(QJsonObject{{"id", 40},
                                                   {"text", "from the service"},
                                                   {"created_at", wireDate()},
                                                   {"updated_at", wireDate(30)},
                                                   {"commentable_id", 10},
                                                   {"user_id", 43},
                                                   {"user", QJsonObject{{"id", 43}, {"first_name", "Daz"}}}}));
    EXPECT_EQ(comment->text(), QStringLiteral("from the service"));
    EXPECT_EQ(comment->modifiedDate(), date(30)) << "the service's date, not the time of the text change";
    EXPECT_EQ(comment->task(), commented);
    ASSERT_NE(comment->user(), nullptr);
    EXPECT_EQ(comment->user()->numericIdentifier(), 43);
    EXPECT_TRUE(comment->changedKeysString().isNull());

    // A missing text stays, null empties it; an unknown author without object and an unknown task change nothing.
    KNVTCDUser *author = comment->user();
    comment->updateWithAttributes(wire(QJsonObject{{"id", 40}, {"user_id", 44}, {"commentable_id", 11}}));
    EXPECT_EQ(comment->text(), QStringLiteral("from the service"));
    EXPECT_EQ(comment->user(), author);
    EXPECT_EQ(comment->task(), commented);
    comment->updateWithAttributes(wire(QJsonObject{{"id", 40}, {"text", QJsonValue::Null}}));
    EXPECT_TRUE(comment->text().isNull());
}

TEST_F(KNVTCDTaskCommentTest, CommentWrittenHereTakesTheServicesCopyWhateverItsDate)
{
    auto *comment = insert<KNVTCDTaskComment>();
    comment->setCreatedDate(date(100));
    comment->setText(QStringLiteral("mine"));
    EXPECT_TRUE(comment->mergeAttributes(
        wire(QJsonObject{{"id", 40}, {"text", "mine"}, {"created_at", wireDate()}, {"updated_at", wireDate()}})));
    EXPECT_EQ(comment->numericIdentifier(), 40);

    comment->setText(QStringLiteral("edited here"));
    EXPECT_FALSE(comment->mergeAttributes(wire(QJsonObject{{"id", 40}, {"text", "old"}, {"updated_at", wireDate(1)}})))
        << "the local edit is newer than the service's copy";
    EXPECT_EQ(comment->text(), QStringLiteral("edited here"));
}

// ---- Watcher ----

class KNVTCDTaskWatcherTest : public KNVTCDTaskCommentTest
{};

TEST_F(KNVTCDTaskWatcherTest, PushSendsEachEndOnlyOnceItHasAnIdentifier)
{
    auto *watcher = insert<KNVTCDTaskWatcher>();
    KNVTCDUser *watching = user(QStringLiteral("Ann"));
    watcher->setUser(watching);
    watcher->setTask(task(10));
    watcher->setDeletedDate(date());
    const QStringList all{"task", "user", "deletedDate"};
    EXPECT_EQ(watcher->attributesForKeys(all), (QJsonObject{{"task_id", 10}}));
    watching->setNumericIdentifier(42);
    EXPECT_EQ(watcher->attributesForKeys(all), (QJsonObject{{"task_id", 10}, {"user_id", 42}}));
    EXPECT_EQ(watcher->attributesForKeys({"deletedDate"}), QJsonObject());
}

TEST_F(KNVTCDTaskWatcherTest, PullCreatesAnUnknownUserOnlyFromItsObject)
{
    KNVTCDTask *watched = task(10);
    auto *watcher = insert<KNVTCDTaskWatcher>();
    const qsizetype users = context().count<KNVTCDUser>();
    watcher->updateWithAttributes(wire(QJsonObject{{"id", 60}, {"task_id", 10}, {"user_id", 43}}));
    EXPECT_EQ(watcher->user(), nullptr);
    EXPECT_EQ(watcher->task(), watched);
    EXPECT_EQ(context().count<KNVTCDUser>(), users);

    watcher->updateWithAttributes(wire(QJsonObject{{"id", 60},
                                                   {"deleted_at", wireDate(2)},
                                                   {"user_id", 43},
                                                   {"user", QJsonObject{{"id", 43}, {"first_name", "Daz"}}}}));
    ASSERT_NE(watcher->user(), nullptr);
    EXPECT_EQ(watcher->user()->fullName(), QStringLiteral("Daz"));
    EXPECT_EQ(watcher->deletedDate(), date(2));
    EXPECT_EQ(watcher->task(), watched) << "a missing task_id leaves the task";
}

} // namespace
