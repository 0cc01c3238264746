#include "ModelTest.h"

#include <QSet>

#include <sqlite3.h>

#include <map>

namespace {

using ModelSchemaTest = ModelTest;

const QStringList kEntities{"KNVTCDTask",        "KNVTCDTaskList",   "KNVTCDTaskListCollaborator",
                            "KNVTCDTag",         "KNVTCDTaggedTask", "KNVTCDTaskComment",
                            "KNVTCDTaskWatcher", "KNVTCDUser",       "KNVTCDFriendship",
                            "KNVTCDAvatar",      "KNVTCDAccount",    "KNVTCDTaskStoreInformation"};

QStringList columns(sqlite3 *db, const QString &table)
{
    QStringList out;
    sqlite3_stmt *stmt = nullptr;
    const QByteArray sql = QStringLiteral("PRAGMA table_info(\"%1\")").arg(table).toUtf8();
    if (sqlite3_prepare_v2(db, sql.constData(), -1, &stmt, nullptr) != SQLITE_OK)
        return out;
    while (sqlite3_step(stmt) == SQLITE_ROW)
        out << QString::fromUtf8(reinterpret_cast<const char *>(sqlite3_column_text(stmt, 1)));
    sqlite3_finalize(stmt);
    return out;
}

TEST_F(ModelSchemaTest, NewLibraryHasEveryTableAndVersionFive)
{
    EXPECT_TRUE(openResult().created);
    for (const QString &name : kEntities)
        EXPECT_FALSE(columns(coordinator().handle(), name).isEmpty()) << name.toStdString();
    close();
    const ostore::StoreMetadata metadata = ostore::Coordinator::readStoreMetadata(path());
    EXPECT_EQ(metadata.userVersion, 5);
    EXPECT_EQ(metadata.modelVersionIdentifiers, QStringList{"5"});
    EXPECT_EQ(metadata.schemaHash, KNVTCDModel().schemaHash());
}

// A value of the right type for each property, distinct per property, and one object of each entity as the target
// of every to-one, so that a round trip through the file can be checked property by property.
ostore::Value sampleValue(const ostore::PropertyDescription &p, int index,
                          const std::map<QString, ostore::Object *> &objects)
{
    switch (p.type) {
    case ostore::Type::Int64: return ostore::Value(qint64(1000 + index));
    case ostore::Type::Bool: return ostore::Value(true);
    case ostore::Type::Double: return ostore::Value(0.5 + index);
    case ostore::Type::String: return ostore::Value(QStringLiteral("%1 Ünïcode %2").arg(p.name).arg(index));
    case ostore::Type::Date: return ostore::Value(QDateTime(QDate(2015, 3, 4), QTime(10, 20, index), QTimeZone::utc()));
    case ostore::Type::Blob: return ostore::Value(QByteArray("\x89PNG\0", 5) + p.name.toUtf8());
    case ostore::Type::ToOne: return ostore::Value(objects.at(p.targetName)->objectID());
    }
    return ostore::Value();
}

TEST_F(ModelSchemaTest, OneObjectOfEachEntityKeepsEveryValueAcrossReopen)
{
    std::map<QString, ostore::Object *> objects;
    for (const QString &name : kEntities)
        if (name != QLatin1String("KNVTCDAvatar"))
            objects[name] = knvt::insertNewObjectForEntityForName(context(), name);
    // Every user gets its avatar when inserted; that one is the avatar row of the round trip.
    objects["KNVTCDAvatar"] = static_cast<KNVTCDUser *>(objects["KNVTCDUser"])->avatar();
    ASSERT_NE(objects["KNVTCDAvatar"], nullptr);
    std::map<QString, ostore::ValueMap> expected;
    for (auto &[name, object] : objects) {
        int index = 0;
        for (const auto &p : object->entity().properties) {
            const ostore::Value v = sampleValue(p, index++, objects);
            expected[name].insert(p.name, v);
            if (p.name != QLatin1String("changedKeysString"))
                object->setValue(p.name, v);
        }
        // Editing a synced comment's text stamps its modified date, so that date is written after the text.
        if (expected[name].contains(QStringLiteral("modifiedDate")))
            object->setValue(QStringLiteral("modifiedDate"), expected[name].value(QStringLiteral("modifiedDate")));
        // Last, since every other write adds its key to it.
        if (expected[name].contains(QStringLiteral("changedKeysString")))
            object->setValue(QStringLiteral("changedKeysString"),
                             expected[name].value(QStringLiteral("changedKeysString")));
    }
    std::map<QString, ostore::ObjectID> ids;
    for (auto &[name, object] : objects)
        ids[name] = object->objectID();
    save();
    reopen();

    for (const QString &name : kEntities) {
        SCOPED_TRACE(name.toStdString());
        ASSERT_EQ(context().count(ostore::FetchRequest{name, {}, {}, 0}), 1);
        ostore::Object *object = context().existingObject(ids[name]);
        ASSERT_NE(object, nullptr);
        for (auto it = expected[name].cbegin(); it != expected[name].cend(); ++it)
            EXPECT_TRUE(object->value(it.key()) == it.value()) << it.key().toStdString();
    }

    // The typed accessors read the same rows and follow the relationships both ways.
    auto *task = static_cast<KNVTCDTask *>(context().existingObject(ids["KNVTCDTask"]));
    auto *user = static_cast<KNVTCDUser *>(context().existingObject(ids["KNVTCDUser"]));
    auto *list = static_cast<KNVTCDTaskList *>(context().existingObject(ids["KNVTCDTaskList"]));
    EXPECT_EQ(task->taskList(), list);
    EXPECT_EQ(list->tasks(), std::vector<KNVTCDTask *>{task});
    EXPECT_EQ(user->avatar(), context().existingObject(ids["KNVTCDAvatar"]));
    EXPECT_EQ(user->ownedAccount(), context().existingObject(ids["KNVTCDAccount"]));
    EXPECT_EQ(user->createdTasks(), std::vector<KNVTCDTask *>{task});
    EXPECT_EQ(user->assignedTasks(), std::vector<KNVTCDTask *>{task});
    EXPECT_EQ(user->createdTaskLists(), std::vector<KNVTCDTaskList *>{list});
}

TEST_F(ModelSchemaTest, DeleteRulesCascadeToDependentsAndDetachTheRest)
{
    auto *user = insert<KNVTCDUser>();
    auto *avatar = user->avatar();
    ASSERT_NE(avatar, nullptr) << "every user gets its avatar when inserted";
    auto *account = insert<KNVTCDAccount>();
    account->setOwner(user);
    auto *list = insert<KNVTCDTaskList>();
    auto *row = insert<KNVTCDTaskListCollaborator>();
    row->setTaskList(list);
    row->setUser(user);
    auto *task = insert<KNVTCDTask>();
    task->setTaskList(list);
    task->setAssignee(user);
    auto *comment = insert<KNVTCDTaskComment>();
    comment->setTask(task);
    comment->setUser(user);
    auto *watcher = insert<KNVTCDTaskWatcher>();
    watcher->setTask(task);
    auto *tag = insert<KNVTCDTag>();
    auto *link = insert<KNVTCDTaggedTask>();
    link->setTask(task);
    link->setTag(tag);
    save();

    context().remove(list);
    EXPECT_TRUE(row->isDeleted());
    EXPECT_FALSE(task->isDeleted());
    EXPECT_EQ(task->taskList(), nullptr);

    context().remove(task);
    EXPECT_TRUE(comment->isDeleted());
    EXPECT_TRUE(watcher->isDeleted());
    EXPECT_TRUE(link->isDeleted());
    EXPECT_FALSE(tag->isDeleted());

    context().remove(user);
    EXPECT_TRUE(avatar->isDeleted());
    EXPECT_FALSE(account->isDeleted());
    EXPECT_EQ(account->owner(), nullptr);
}

} // namespace
