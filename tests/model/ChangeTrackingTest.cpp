#include "ModelTest.h"

#include "support/FakeClock.h"

#include <QJsonArray>
#include <QSet>

namespace {

QSet<QString> asSet(const QStringList &list)
{
    return QSet<QString>(list.begin(), list.end());
}

using ModelChangeTrackingTest = ModelTest;

TEST_F(ModelChangeTrackingTest, RecordsEachChangedKeyOnce)
{
    auto *task = insert<KNVTCDTask>();
    EXPECT_EQ(task->changedKeysString(), QStringLiteral("status statusModifiedDate"));
    // A new task records its initial status; start from a clean slate to watch the title alone.
    task->setChangedKeysString(QString());
    task->setTitle(QStringLiteral("Write report"));
    task->setTitle(QStringLiteral("Write the report"));
    EXPECT_EQ(task->changedKeysString(), QStringLiteral("title"));

    task->setNotes(QStringLiteral("by Friday"));
    task->setDueDate(date());
    task->setTitle(QStringLiteral("again"));
    // Stored as one sorted string, so the same edits always give the same text.
    EXPECT_EQ(task->changedKeysString(), QStringLiteral("dueDate notes title"));
}

TEST_F(ModelChangeTrackingTest, RecordsRelationshipsAndRewritesOfTheSameValue)
{
    auto *list = insert<KNVTCDTaskList>();
    auto *task = insert<KNVTCDTask>();
    task->setTitle(QStringLiteral("Same"));
    save();
    task->setChangedKeysString(QString());
    save();
    ASSERT_TRUE(task->changedKeys().isEmpty());

    // The service must hear about a rewrite even when the value did not change.
    task->setTitle(QStringLiteral("Same"));
    task->setTaskList(list);
    EXPECT_EQ(asSet(task->changedKeys()), (QSet<QString>{QStringLiteral("title"), QStringLiteral("taskList")}));
}

TEST_F(ModelChangeTrackingTest, SyncBookkeepingAndUntrackedEntitiesRecordNothing)
{
    auto *task = insert<KNVTCDTask>();
    task->setChangedKeysString(QString());
    task->setNumericIdentifier(12);
    task->setCreatedDate(date());
    task->setModifiedDate(date(5));
    EXPECT_TRUE(task->changedKeysString().isNull());

    // Entities without tracking stay quiet.
    auto *user = insert<KNVTCDUser>();
    user->setFirstName(QStringLiteral("Daz"));
    user->setNumericIdentifier(3);
    EXPECT_TRUE(user->changedKeys().isEmpty());
    save();
}

TEST_F(ModelChangeTrackingTest, EntityCanExcludeKeysOfItsOwn)
{
    close();
    open(testNoteModel, kTestNoteFile);
    auto *note = insert<KNVTTestNote>();
    note->setMirror(QStringLiteral("copied from elsewhere"));
    EXPECT_TRUE(note->changedKeysString().isNull());
    note->setTitle(QStringLiteral("Note"));
    EXPECT_EQ(note->changedKeys(), QStringList{QStringLiteral("title")});
}

TEST_F(ModelChangeTrackingTest, FillDiscardsWhatWasRecordedAndLeavesLaterEditsTracked)
{
    knvt::test::FakeClock clock(QDateTime(QDate(2016, 1, 2), QTime(9, 0), QTimeZone::utc()));
    auto *task = insert<KNVTCDTask>();
    // A fill with a nested comment: fills nest, and each must hand change tracking back when it ends.
    task->mergeAttributes(wire(QJsonObject{
        {"id", 70},
        {"created_at", wireDate()},
        {"updated_at", wireDate(1)},
        {"title", "Pulled"},
        {"status", "completed"},
        {"status_updated_at", wireDate(5)},
        {"comments",
         QJsonArray{QJsonObject{{"id", 71},
                                {"created_at", wireDate()},
                                {"updated_at", wireDate(3)},
                                {"text", "pulled text"},
                                {"commentable_id", 70},
                                {"commentable_type", "Task"}}}},
    }));
    ASSERT_EQ(task->comments().size(), 1u);
    KNVTCDTaskComment *comment = task->comments().front();
    // The service's dates stand, not stamps of the fill's own writes.
    EXPECT_TRUE(task->changedKeysString().isNull());
    EXPECT_TRUE(comment->changedKeysString().isNull());
    EXPECT_EQ(task->statusModifiedDate(), date(5));
    EXPECT_EQ(comment->modifiedDate(), date(3));

    task->setTitle(QStringLiteral("Edited"));
    task->setStatus(KNVTTaskStatusActionable);
    comment->setText(QStringLiteral("edited text"));
    EXPECT_EQ(asSet(task->changedKeys()),
              (QSet<QString>{QStringLiteral("title"), QStringLiteral("status"), QStringLiteral("statusModifiedDate")}));
    EXPECT_EQ(comment->changedKeys(), QStringList{QStringLiteral("text")});
    EXPECT_EQ(comment->modifiedDate(), clock.now()) << "an edit of a synced comment stamps it";

    // A fill discards everything recorded before it.
    KNVTCDTaskComment *local = insert<KNVTCDTaskComment>();
    local->setText(QStringLiteral("local"));
    local->updateWithAttributes(wire(QJsonObject{{"id", 40}, {"updated_at", wireDate(1)}}));
    EXPECT_TRUE(local->changedKeysString().isNull());
}

} // namespace
