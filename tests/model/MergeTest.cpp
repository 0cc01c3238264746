#include "ModelTest.h"

#include <QJsonDocument>

namespace {

class ModelMergeTest : public ModelTest
{
protected:
    // A task as the last pull left it: filled, with a local edit not pushed yet.
    KNVTCDTask *syncedTask(const QDateTime &modified)
    {
        auto *task = insert<KNVTCDTask>();
        task->setNumericIdentifier(7);
        task->setCreatedDate(date(-100));
        task->setModifiedDate(modified);
        task->setChangedKeysString(QString());
        task->setTitle(QStringLiteral("local edit"));
        return task;
    }
    static QJsonObject reply(const QJsonValue &updatedAt)
    {
        QJsonObject o{{"id", 99}, {"created_at", wireDate(-100)}};
        if (!updatedAt.isUndefined())
            o.insert(QStringLiteral("updated_at"), updatedAt);
        return o;
    }
    static bool untouched(const KNVTCDTask *task)
    {
        return task->numericIdentifier() == 7 && task->changedKeys() == QStringList{QStringLiteral("title")};
    }
};

// A filled object takes only a reply with a readable, newer date; one that never had a modified date takes any.
TEST_F(ModelMergeTest, NewerWins)
{
    const QJsonValue missing = QJsonValue::Undefined;
    // after: what a merging reply with a date leaves.
    const struct
    {
        const char *what;
        QDateTime modified;
        QJsonValue updatedAt;
        bool merges;
        QDateTime after = {};
    } rows[] = {
        {"a tie keeps the local object", date(), wireDate(), false},
        {"older", date(), wireDate(-1), false},
        {"newer", date(), wireDate(1), true, date(1)},
        {"no date", date(), missing, false},
        {"unreadable date", date(), "yesterday", false},
        {"undated here, older there", QDateTime(), wireDate(-3000), true, date(-3000)},
    };
    for (const auto &row : rows) {
        SCOPED_TRACE(row.what);
        auto *task = syncedTask(row.modified);
        EXPECT_EQ(task->mergeAttributes(wire(reply(row.updatedAt))), row.merges);
        if (!row.merges) {
            EXPECT_TRUE(untouched(task));
            continue;
        }
        EXPECT_EQ(task->numericIdentifier(), 99);
        EXPECT_TRUE(task->changedKeysString().isNull());
        if (row.after.isValid()) {
            EXPECT_EQ(task->modifiedDate(), row.after);
        }
    }
}

TEST_F(ModelMergeTest, IdentifierMarksFilledTagsLinksCommentsWatchersAndFriendships)
{
    // Filled by identifier although no createdDate was ever set: a tie keeps them.
    // The link has both ends: a link still waiting for its tag or task takes any reply.
    auto *link = insert<KNVTCDTaggedTask>();
    link->setTag(insert<KNVTCDTag>());
    link->setTask(insert<KNVTCDTask>());
    std::vector<KNVTCDTaskStoreObject *> objects{insert<KNVTCDTag>(), link, insert<KNVTCDTaskComment>(),
                                                 insert<KNVTCDTaskWatcher>(), insert<KNVTCDFriendship>()};
    for (KNVTCDTaskStoreObject *o : objects) {
        o->setValue(QStringLiteral("numericIdentifier"), qint64(5));
        o->setValue(QStringLiteral("modifiedDate"), date());
        EXPECT_FALSE(o->mergeAttributes(wire(QJsonObject{{"id", 6}, {"updated_at", wireDate()}})))
            << o->entity().name.toStdString();
        EXPECT_TRUE(o->mergeAttributes(wire(QJsonObject{{"id", 6}, {"updated_at", wireDate(1)}})))
            << o->entity().name.toStdString();
    }

    // The task, by contrast, is filled by its createdDate.
    auto *task = insert<KNVTCDTask>();
    task->setNumericIdentifier(5);
    task->setModifiedDate(date(100));
    EXPECT_TRUE(task->mergeAttributes(wire(QJsonObject{{"id", 6}, {"updated_at", wireDate()}})));
}

TEST_F(ModelMergeTest, EntityMayMergeWhateverTheDate)
{
    close();
    open(testNoteModel, kTestNoteFile);
    auto *note = insert<KNVTTestNote>();
    note->setCreatedDate(date());
    note->setModifiedDate(date(10));
    EXPECT_FALSE(note->mergeAttributes(wire(QJsonObject{{"id", 1}})));
    KNVTTestNote::mergesWhateverTheDate() = true;
    EXPECT_TRUE(note->mergeAttributes(wire(QJsonObject{{"id", 1}})));
    EXPECT_EQ(note->numericIdentifier(), 1);
}

TEST_F(ModelMergeTest, FillTakesIdentityAndDates)
{
    auto *list = insert<KNVTCDTaskList>();
    list->setNumericIdentifier(1);
    list->setCreatedDate(date(-9));
    list->updateWithAttributes(wire(QJsonObject{{"id", 12}, {"updated_at", wireDate(3)}}));
    EXPECT_EQ(list->numericIdentifier(), 12);
    EXPECT_FALSE(list->createdDate().isValid()) << "a missing created_at gives none";
    EXPECT_EQ(list->modifiedDate(), date(3));

    list->updateWithAttributes(wire(QJsonObject{{"id", "12"}}));
    EXPECT_FALSE(list->numericIdentifier().has_value()) << "an identifier that is not a number gives none";
}

TEST_F(ModelMergeTest, FillSetsTombstoneButNullLeavesIt)
{
    auto *tag = insert<KNVTCDTag>();
    tag->updateWithAttributes(wire(QJsonObject{{"id", 1}, {"deleted_at", wireDate()}}));
    EXPECT_EQ(tag->deletedDate(), date());
    tag->updateWithAttributes(wire(QJsonObject{{"id", 1}, {"deleted_at", QJsonValue::Null}}));
    EXPECT_EQ(tag->deletedDate(), date());
}

// Relationships that the service derives from the enclosing object are never recorded, so that linking a pulled
// row does not make it look edited; every key a push sends is.
using ModelRecordedKeysTest = ModelTest;

TEST_F(ModelRecordedKeysTest, EachEntityRecordsOnlyWhatItPushes)
{
    auto sortedKeys = [](const KNVTCDTaskStoreObject *object) {
        QStringList keys = object->changedKeys();
        keys.sort();
        return keys;
    };
    auto synced = [](auto *object) {
        object->setNumericIdentifier(7);
        object->setCreatedDate(date());
        object->setModifiedDate(date());
        object->setChangedKeysString(QString());
        return object;
    };
    auto *user = insert<KNVTCDUser>();
    auto *task = insert<KNVTCDTask>();

    auto *comment = synced(insert<KNVTCDTaskComment>());
    comment->setTask(task);
    comment->setUser(user);
    comment->setDeletedDate(date(5));
    EXPECT_EQ(sortedKeys(comment), QStringList{"deletedDate"});

    auto *watcher = synced(insert<KNVTCDTaskWatcher>());
    watcher->setTask(task);
    watcher->setUser(user);
    watcher->setModifiedDate(date(1));
    EXPECT_EQ(sortedKeys(watcher), (QStringList{"task", "user"}));

    auto *tag = synced(insert<KNVTCDTag>());
    tag->setCreator(user);
    tag->setTitle(QStringLiteral("house"));
    tag->setCreatorOrderIndex(2);
    EXPECT_EQ(sortedKeys(tag), (QStringList{"creatorOrderIndex", "title"}));

    auto *row = synced(insert<KNVTCDTaskListCollaborator>());
    row->setTaskList(insert<KNVTCDTaskList>());
    row->setUser(user);
    row->setStatus(2);
    row->setChangedKeysString(QString());
    row->setStatus(2);
    EXPECT_EQ(sortedKeys(row), QStringList{"status"}) << "writing the same status is recorded: it re-sends";

    auto *record = synced(insert<KNVTCDFriendship>());
    record->setStatus(KNVTFriendshipStatusDeclined);
    record->setInvitee(user);
    record->setInviter(insert<KNVTCDUser>());
    EXPECT_EQ(sortedKeys(record), (QStringList{"invitee", "inviter", "status"}));
}

} // namespace
