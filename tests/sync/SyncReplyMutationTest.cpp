// Hostile replies in bulk: valid replies of every resource, damaged at random (keys dropped, values of another type,
// entities nested wrongly or taken out of their wrappers, elements repeated, bodies cut short), go through a session's
// reply processing into a filled library. Nothing may crash, and no reply may delete more than its undamaged form
// does: an element that cannot be read never costs a local object.
#include "AnsweredRequest.h"

#include "sync/KNVTTaskStoreSyncResources.h"
#include "sync/KNVTTaskStoreSyncSession.h"

#include "model/KNVTCDModel.h"
#include "model/KNVTCDTask.h"
#include "model/KNVTCDTaskList.h"
#include "model/KNVTCDTaskListCollaborator.h"
#include "model/KNVTCDUser.h"

#include "service/KNVTRESTFulPullRequest.h"
#include "service/KNVTRESTFulPushRequest.h"

#include "objectstore/Context.h"
#include "objectstore/Coordinator.h"

#include "support/Mutator.h"
#include "support/SyncFixtures.h"
#include "support/TestImages.h"

#include <QLoggingCategory>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <set>

using namespace knvt::test;

namespace {

const QString kDomain = QStringLiteral("http://127.0.0.1:9/api/v1");

// One kind of reply: the request it answers and its undamaged body.
struct ReplyKind
{
    const char *name;
    QString resource;    // a pull's resource, or the resource of a create
    QVariant identifier; // an item pull's identifier
    bool create = false; // a create's reply to the Unsent task
    bool avatar = false; // the owner's avatar image
};

void PrintTo(const ReplyKind &kind, std::ostream *out)
{
    *out << kind.name;
}

QJsonObject sharedList(qint64 id, const QString &title, const QString &status, const QJsonObject &fields = {})
{
    return nest(taskList(id, title, 1, fields), QStringLiteral("task_list_collaborators"),
                {collaborator(id * 10, id, 42, status, QStringLiteral("owner"), 1),
                 collaborator(id * 10 + 1, id, 43, QStringLiteral("accepted"), QStringLiteral("editor"), 1)});
}

QJsonObject taskWithChildren(qint64 id, const QString &title, const QJsonObject &fields = {})
{
    return nest(nest(task(id, title, 1, fields), QStringLiteral("comments"),
                     {comment(id * 10, id, 43, QStringLiteral("First"), 1, {{"user", user(43, "bob")}}),
                      comment(id * 10 + 1, id, 42, QStringLiteral("Second"), 1)}),
                QStringLiteral("task_watchers"), {watcher(id * 20, id, 43, 1)});
}

QJsonValue baseReply(const ReplyKind &kind)
{
    const QString &r = kind.resource;
    if (kind.create)
        return task(900, "Unsent", 1);
    if (r == "account")
        return account(
            7, user(42, "ann", {{"avatar_content_type", "image/png"}, {"avatar_updated_at", fixtureDate(1)}}), 1);
    if (r == "friendships")
        return QJsonArray{
            wrap("friendship", merged(unwrap(friendship(1, 42, 43, "accepted", 1)), {{"invitee", user(43, "bob")}}))};
    if (r == "friendships/invites")
        return QJsonArray{
            wrap("friendship", merged(unwrap(friendship(2, 44, 42, "pending", 1)), {{"inviter", user(44, "cid")}}))};
    if (r == "task_lists" && kind.identifier.isValid())
        return nest(sharedList(5, "Garden", "accepted"), "tasks",
                    {taskWithChildren(100, "Hedge", {{"task_list_id", 5}}), task(101, "Lawn", 1, {{"task_list_id", 5}}),
                     task(102, "Shed", 1, {{"task_list_id", 5}})});
    if (r == "task_lists")
        return QJsonArray{sharedList(5, "Garden", "accepted")};
    if (r == "task_lists/pending")
        return QJsonArray{sharedList(6, "Invited", "pending")};
    if (r == "task_lists/archived")
        return QJsonArray{sharedList(7, "Old", "accepted", {{"archived_at", fixtureDate(1)}, {"status", "completed"}})};
    if (r == "task_lists/declined")
        return QJsonArray{sharedList(8, "Declined", "declined")};
    if (r == "tasks/inbox")
        return QJsonArray{taskWithChildren(12, "Pay rent"), task(13, "Call the bank", 1), task(14, "Buy milk", 1)};
    if (r == "tags")
        return QJsonArray{
            nest(tag(3, "home", 1), "tagged_items", {taggedItem(300, 3, 100, 1), taggedItem(301, 3, 12, 1)}),
            nest(tag(4, "work", 1), "tagged_items", {taggedItem(302, 4, 13, 1)})};
    return {};
}

QByteArray serialized(const QJsonValue &value)
{
    if (value.isObject())
        return QJsonDocument(value.toObject()).toJson(QJsonDocument::Compact);
    if (value.isArray())
        return QJsonDocument(value.toArray()).toJson(QJsonDocument::Compact);
    // A bare value, as a damaged reply may be.
    const QByteArray wrapped = QJsonDocument(QJsonArray{value}).toJson(QJsonDocument::Compact);
    return wrapped.mid(1, wrapped.size() - 2);
}

} // namespace

// A library filled from the undamaged replies: the account and its owner with an avatar, a friend and an invitation,
// an active, a pending, an archived and a declined list, three tasks in the active list and three in the Inbox with
// comments and watchers, two tags with links, and a task never pushed.
class SyncReplyMutationTest : public ::testing::TestWithParam<ReplyKind>
{
protected:
    void SetUp() override
    {
        // Damaged replies are logged by the thousand.
        QLoggingCategory::setFilterRules(QStringLiteral("knvt.sync=false\nknvt.model=false\nqt.gui.imageio=false"));
        ASSERT_TRUE(m_dir.isValid());
        m_coordinator = std::make_unique<ostore::Coordinator>(KNVTCDModel());
        knvt::Error error;
        ASSERT_TRUE(m_coordinator->open(m_dir.filePath("TaskStoreData.sqlite3"), nullptr, &error))
            << qPrintable(error.description());
        ostore::Context main(m_coordinator.get());
        auto *me = main.insert<KNVTCDUser>();
        me->setUsername(QStringLiteral("ann"));
        me->setNumericIdentifier(42);
        me->setFriendshipStatus(6);
        auto *unsent = main.insert<KNVTCDTask>();
        unsent->setTitle(QStringLiteral("Unsent"));
        ASSERT_TRUE(main.save(&error)) << qPrintable(error.description());
        m_unsentURI = unsent->uri().toString();

        for (const char *resource : {"account", "friendships", "friendships/invites", "task_lists",
                                     "task_lists/pending", "task_lists/archived", "tasks/inbox"})
            fill(ReplyKind{resource, QString::fromLatin1(resource), {}});
        fill(ReplyKind{"item", QStringLiteral("task_lists"), 5});
        fill(ReplyKind{"tags", QStringLiteral("tags"), {}});
        // A list the user declined here: the service names it among the declined ones.
        ostore::Context declined(m_coordinator.get());
        auto *list = declined.insert<KNVTCDTaskList>();
        list->updateWithAttributes(knvt::test::wire(unwrap(sharedList(8, "Declined", "declined"))));
        list->setChangedKeysString(QString());
        for (KNVTCDTaskListCollaborator *row : list->taskListCollaborators())
            row->setChangedKeysString(QString());
        auto *declinedTask = declined.insert<KNVTCDTask>();
        declinedTask->updateWithAttributes(knvt::test::wire(unwrap(task(800, "In the declined list", 1))));
        declinedTask->setTaskList(list);
        declinedTask->setChangedKeysString(QString());
        ASSERT_TRUE(declined.save(&error)) << qPrintable(error.description());
    }

    void TearDown() override
    {
        m_coordinator.reset();
        QLoggingCategory::setFilterRules(QString());
    }

    std::shared_ptr<KNVTRESTFulRequest> request(const ReplyKind &kind, const QByteArray &body) const
    {
        if (kind.create) {
            auto create = std::make_shared<AnsweredRequest<KNVTRESTFulPushRequest>>(
                kDomain, kind.resource, QVariant(), QStringLiteral("task"), QJsonObject{{"title", "Unsent"}},
                KNVTRequestFormatJSON, knvt::HeaderFields());
            create->setUserInfo(
                {{QString::fromLatin1(KNVTTaskStoreManagedObjectURIStringRepresentation), m_unsentURI}});
            create->answer(201, body);
            return create;
        }
        if (kind.avatar) {
            auto image = std::make_shared<AnsweredRequest<KNVTRESTFulPullRequest>>(
                kDomain, QStringList{"users", "avatar"}, QVariantList{42, "medium"}, KNVTRequestFormatPNG,
                knvt::HeaderFields());
            image->answer(200, body);
            return image;
        }
        auto pull = std::make_shared<AnsweredRequest<KNVTRESTFulPullRequest>>(
            kDomain, kind.resource, kind.identifier, KNVTRequestFormatJSON, knvt::HeaderFields());
        pull->answer(200, body, {{"ETag", "\"e-1\""}});
        return pull;
    }

    // Applies one reply in a context of its own, as a session does, and returns what it would delete. The context
    // is dropped unsaved, so every reply meets the same library.
    std::set<std::pair<int, qint64>> apply(const ReplyKind &kind, const QByteArray &body, bool save = false)
    {
        auto session = std::make_shared<KNVTTaskStoreSyncSession>(KNVTRESTFulRequestList(), KNVTRESTFulRequestList());
        session->setManagedObjectContext(std::make_unique<ostore::Context>(m_coordinator.get()));
        const std::shared_ptr<KNVTRESTFulRequest> answered = request(kind, body);
        if (kind.create)
            session->processPOSTRequest(*answered);
        else
            session->processGETRequest(*answered);
        std::set<std::pair<int, qint64>> deleted;
        for (const ostore::Object *object : session->managedObjectContext()->deletedObjects())
            deleted.insert({int(object->objectID().entity), object->objectID().zid});
        if (save) {
            knvt::Error error;
            EXPECT_TRUE(session->saveManagedObjectContext(&error)) << qPrintable(error.description());
        }
        return deleted;
    }

    void fill(const ReplyKind &kind) { apply(kind, serialized(baseReply(kind)), true); }

    QTemporaryDir m_dir;
    std::unique_ptr<ostore::Coordinator> m_coordinator;
    QString m_unsentURI;
};

TEST_P(SyncReplyMutationTest, DamagedRepliesNeverCrashAndDeleteNoMoreThanTheWholeReply)
{
    const ReplyKind &kind = GetParam();
    const QByteArray whole = kind.avatar ? pngBytes(Qt::darkCyan) : serialized(baseReply(kind));
    const std::set<std::pair<int, qint64>> allowed = apply(kind, whole);
    if (kind.resource == QLatin1String("task_lists/declined"))
        EXPECT_EQ(allowed.size(), 4u) << "the declined list, its task and its two rows go";
    else
        EXPECT_TRUE(allowed.empty()) << "the undamaged reply names everything here";

    Mutator mutate(quint32(qHash(QByteArray(kind.name))) ^ 0x5eed1307u);
    constexpr int kRounds = 1500;
    for (int round = 0; round < kRounds; ++round) {
        QByteArray body;
        if (kind.avatar) {
            body = mutate.bytes(whole);
        } else {
            body = serialized(mutate.json(baseReply(kind)));
            if (mutate.chance(10)) // cut short
                body.truncate(mutate.below(int(body.size())));
            else if (mutate.chance(5)) // a key given twice, the second time as text
                body.replace("\"id\":", "\"id\":\"7\",\"id\":");
        }
        const std::set<std::pair<int, qint64>> deleted = apply(kind, body);
        for (const auto &object : deleted)
            ASSERT_TRUE(allowed.count(object))
                << "round " << round << " deleted entity " << object.first << " row " << object.second << " after\n"
                << body.constData();
    }
}

INSTANTIATE_TEST_SUITE_P(Replies, SyncReplyMutationTest,
                         ::testing::Values(ReplyKind{"Account", QStringLiteral("account"), {}},
                                           ReplyKind{"Friendships", QStringLiteral("friendships"), {}},
                                           ReplyKind{"Invitations", QStringLiteral("friendships/invites"), {}},
                                           ReplyKind{"ActiveLists", QStringLiteral("task_lists"), {}},
                                           ReplyKind{"PendingLists", QStringLiteral("task_lists/pending"), {}},
                                           ReplyKind{"ArchivedLists", QStringLiteral("task_lists/archived"), {}},
                                           ReplyKind{"DeclinedLists", QStringLiteral("task_lists/declined"), {}},
                                           ReplyKind{"OneList", QStringLiteral("task_lists"), 5},
                                           ReplyKind{"Inbox", QStringLiteral("tasks/inbox"), {}},
                                           ReplyKind{"Tags", QStringLiteral("tags"), {}},
                                           ReplyKind{"CreatedTask", QStringLiteral("tasks"), {}, true},
                                           ReplyKind{"Avatar", QString(), {}, false, true}),
                         [](const ::testing::TestParamInfo<ReplyKind> &param) {
                             return std::string(param.param.name);
                         });
