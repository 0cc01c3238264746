#include "ModelTest.h"

namespace {

using ModelLookupTest = ModelTest;

// Every lookup by server identifier, with the entity it looks in.
struct IdentifierLookup
{
    const char *entity;
    std::function<KNVTCDTaskStoreObject *(const KNVTCDTaskStoreObject *, std::optional<qint64>)> find;
};

std::vector<IdentifierLookup> identifierLookups()
{
    return {
        {"KNVTCDUser", [](auto *o, auto id) { return o->userForNumericIdentifier(id); }},
        {"KNVTCDTask", [](auto *o, auto id) { return o->taskForNumericIdentifier(id); }},
        {"KNVTCDTaskList", [](auto *o, auto id) { return o->taskListForNumericIdentifier(id); }},
        {"KNVTCDTaskWatcher", [](auto *o, auto id) { return o->taskWatcherForNumericIdentifier(id); }},
        {"KNVTCDTaskComment", [](auto *o, auto id) { return o->taskCommentForNumericIdentifier(id); }},
        {"KNVTCDTag", [](auto *o, auto id) { return o->tagForNumericIdentifier(id); }},
        {"KNVTCDTaggedTask", [](auto *o, auto id) { return o->taggedTaskForNumericIdentifier(id); }},
        {"KNVTCDFriendship", [](auto *o, auto id) { return o->friendshipForNumericIdentifier(id); }},
        {"KNVTCDAccount", [](auto *o, auto id) { return o->accountForNumericIdentifier(id); }},
    };
}

KNVTCDTaskStoreObject *insertNamed(ostore::Context &context, const char *entity)
{
    return static_cast<KNVTCDTaskStoreObject *>(knvt::insertNewObjectForEntityForName(context, QLatin1String(entity)));
}

TEST_F(ModelLookupTest, MissingIdentifierNeverMatchesUnpushedObjects)
{
    auto *receiver = insert<KNVTCDTaskStoreInformation>();
    for (const IdentifierLookup &lookup : identifierLookups()) {
        SCOPED_TRACE(lookup.entity);
        KNVTCDTaskStoreObject *unpushed = insertNamed(context(), lookup.entity);
        KNVTCDTaskStoreObject *pushed = insertNamed(context(), lookup.entity);
        pushed->setValue(QStringLiteral("numericIdentifier"), qint64(5));

        EXPECT_EQ(lookup.find(receiver, std::nullopt), nullptr);
        EXPECT_EQ(lookup.find(receiver,
                              KNVTCDTaskStoreObject::numericIdentifierFromJSON(
                                  wire(QJsonObject{{"id", QJsonValue::Null}}).value("id"))),
                  nullptr);
        EXPECT_EQ(lookup.find(receiver, 5), pushed);
        EXPECT_NE(unpushed, nullptr);
    }
}

TEST_F(ModelLookupTest, NewestInsertWinsAndTombstonesCount)
{
    auto *first = insert<KNVTCDTask>();
    first->setNumericIdentifier(9);
    save();
    auto *second = insert<KNVTCDTask>();
    second->setNumericIdentifier(9);
    EXPECT_EQ(first->taskForNumericIdentifier(9), second) << "an unsaved insert is newer than any saved row";

    second->setDeletedDate(date());
    EXPECT_EQ(first->taskForNumericIdentifier(9), second) << "lookups by identifier include tombstones";
}

TEST_F(ModelLookupTest, CollaboratorLookupFindsTombstonesTagLinkLookupDoesNot)
{
    auto *list = insert<KNVTCDTaskList>();
    auto *user = insert<KNVTCDUser>();
    auto *other = insert<KNVTCDUser>();
    auto *row = insert<KNVTCDTaskListCollaborator>();
    row->setTaskList(list);
    row->setUser(user);
    row->setDeletedDate(date());
    save();
    EXPECT_EQ(list->taskListCollaboratorForTaskList(list, user), row);
    EXPECT_EQ(list->taskListCollaboratorForTaskList(list, other), nullptr);

    auto *tag = insert<KNVTCDTag>();
    auto *task = insert<KNVTCDTask>();
    auto *link = insert<KNVTCDTaggedTask>();
    link->setTag(tag);
    link->setTask(task);
    EXPECT_EQ(task->taggedTaskForTag(tag, task), link);
    link->setDeletedDate(date());
    EXPECT_EQ(task->taggedTaskForTag(tag, task), nullptr);
}

} // namespace
