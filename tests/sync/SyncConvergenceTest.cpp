// Syncing brings the library to the service's state, also after objects were deleted here together with others that
// the service still holds unchanged: the store, its coordinator and the fake service's own store over real HTTP.
#include "SyncCoordinatorTest.h"

#include "model/KNVTCDTag.h"
#include "model/KNVTCDTaggedTask.h"
#include "model/KNVTCDTaskComment.h"
#include "model/KNVTCDTaskList.h"

#include "support/SyncFixtures.h"

#include <QMap>
#include <QSet>

using namespace knvt::test;

namespace {

// What a side holds of the shared list's world: tasks, comments, tags and their links.
struct Holdings
{
    QMap<qint64, QString> tasks;
    QSet<qint64> comments;
    QMap<qint64, QString> tags;
    QSet<QString> links; // "<link id>:<tag id>:<task id>"

    bool operator==(const Holdings &) const = default;
};

std::ostream &operator<<(std::ostream &out, const Holdings &holdings)
{
    QStringList tasks;
    for (auto it = holdings.tasks.begin(); it != holdings.tasks.end(); ++it)
        tasks << QStringLiteral("%1 %2").arg(it.key()).arg(it.value());
    QStringList links = holdings.links.values();
    links.sort();
    return out << holdings.tasks.size() << " tasks (" << qPrintable(tasks.join(", ")) << "), "
               << holdings.comments.size() << " comments, " << holdings.tags.size() << " tags, "
               << holdings.links.size() << " links (" << qPrintable(links.join(' ')) << ')';
}

qint64 id(const QJsonObject &object, const char *key = "id")
{
    return object.value(QLatin1String(key)).toInteger();
}

QString link(qint64 linkId, qint64 tagId, qint64 taskId)
{
    return QStringLiteral("%1:%2:%3").arg(linkId).arg(tagId).arg(taskId);
}

constexpr qint64 kList = 5;
constexpr int kListTasks = 11;

} // namespace

// Ann shares project 5 with its owner Bob: 11 tasks, 17 links of Ann's two tags on them, and a comment; an Inbox task
// of hers carries a tag too. Bob takes Ann out of the project, and the next sync removes the project and everything
// in it here, the links included. Bob lets her in again while the tags stay as they were.
class SyncConvergenceTest : public SyncCoordinatorTest, public ::testing::WithParamInterface<bool>
{
protected:
    void SetUp() override
    {
        SyncCoordinatorTest::SetUp();
        setSyncSettings(false);
        fake.seed("users", user(43, "bob"));
        fake.seed("task_lists",
                  merged(unwrap(taskList(kList, "Garden", 1)), {{"creator_id", 43}, {"task_list_type", "project"}}));
        fake.seed("task_list_collaborators", unwrap(collaborator(50, kList, 43, "accepted", "owner", 1)));
        m_annRow = fake.seed("task_list_collaborators", unwrap(collaborator(51, kList, 42, "accepted", "editor", 1)));
        fake.seed("tags", unwrap(tag(3, "outside", 1, {{"creator_id", 42}})));
        fake.seed("tags", unwrap(tag(4, "weekend", 1, {{"creator_id", 42}})));
        qint64 nextLink = 300;
        for (int i = 0; i < kListTasks; ++i) {
            const qint64 taskId = 100 + i;
            fake.seed("tasks",
                      unwrap(task(taskId, QStringLiteral("Garden job %1").arg(i), 1,
                                  {{"task_list_id", kList}, {"creator_id", 43}})));
            fake.seed("tagged_items", unwrap(taggedItem(nextLink++, 3, taskId, 1)));
            if (i % 2 == 0)
                fake.seed("tagged_items", unwrap(taggedItem(nextLink++, 4, taskId, 1)));
        }
        fake.seed("comments", unwrap(comment(400, 100, 43, "Start with the hedge", 1)));
        fake.seed("tasks", unwrap(task(200, "Buy seeds", 1)));
        fake.seed("tagged_items", unwrap(taggedItem(nextLink++, 3, 200, 1)));
        ASSERT_EQ(fake.storedAll("tagged_items").size(), 18u);
        startCoordinator();
    }

    void runSession(bool full)
    {
        if (full)
            coordinator().startFullSyncSession();
        else
            coordinator().startSyncSession();
        ASSERT_TRUE(waitUntil([this] { return !idle(); }, std::chrono::seconds(5)));
        ASSERT_TRUE(waitForIdle());
        ASSERT_TRUE(store().lastSuccessfullSyncDate().isValid());
    }

    Holdings service() const
    {
        Holdings holdings;
        for (const QJsonObject &object : fake.storedAll("tasks"))
            holdings.tasks.insert(id(object), object.value("title").toString());
        for (const QJsonObject &object : fake.storedAll("comments"))
            holdings.comments.insert(id(object));
        for (const QJsonObject &object : fake.storedAll("tags"))
            holdings.tags.insert(id(object), object.value("title").toString());
        for (const QJsonObject &object : fake.storedAll("tagged_items"))
            holdings.links.insert(link(id(object), id(object, "tag_id"), id(object, "taggable_id")));
        return holdings;
    }

    Holdings library()
    {
        Holdings holdings;
        using ostore::where::isNull;
        for (KNVTCDTask *task : context().fetch<KNVTCDTask>(isNull("deletedDate")))
            holdings.tasks.insert(task->numericIdentifier().value_or(0), task->title());
        for (KNVTCDTaskComment *comment : context().fetch<KNVTCDTaskComment>(isNull("deletedDate")))
            holdings.comments.insert(comment->numericIdentifier().value_or(0));
        for (KNVTCDTag *tag : context().fetch<KNVTCDTag>(isNull("deletedDate")))
            holdings.tags.insert(tag->numericIdentifier().value_or(0), tag->title());
        for (KNVTCDTaggedTask *row : context().fetch<KNVTCDTaggedTask>(isNull("deletedDate"))) {
            const auto identifier = [](const auto *object) {
                return object ? object->numericIdentifier().value_or(0) : 0;
            };
            holdings.links.insert(link(identifier(row), identifier(row->tag()), identifier(row->task())));
        }
        return holdings;
    }

    int createdLinks() const { return fake.count("POST", "/tagged_items.json"); }

    qint64 m_annRow = 0;
};

TEST_P(SyncConvergenceTest, LinksDeletedWithTheTasksOfAListComeBackWhenTheListDoes)
{
    const bool fullSyncAfterTheReturn = GetParam();
    ASSERT_NO_FATAL_FAILURE(runSession(true));
    ASSERT_EQ(library(), service());
    ASSERT_NO_FATAL_FAILURE(runSession(false)); // entity tags are stored from here on

    ASSERT_TRUE(fake.remove("task_list_collaborators", m_annRow));
    ASSERT_NO_FATAL_FAILURE(runSession(false));
    EXPECT_FALSE(context().firstObject<KNVTCDTaskList>(ostore::where::key("numericIdentifier") == kList));
    const Holdings away = library();
    EXPECT_EQ(away.tasks.keys(), QList<qint64>{200}) << away;
    EXPECT_EQ(away.links.size(), 1) << away;
    // Another regular session while the list stays out of reach: the service's tags still name the links.
    ASSERT_NO_FATAL_FAILURE(runSession(false));

    m_annRow = fake.seed("task_list_collaborators", unwrap(collaborator(52, kList, 42, "accepted", "editor", 1)));
    ASSERT_NO_FATAL_FAILURE(runSession(fullSyncAfterTheReturn));

    const Holdings back = library();
    EXPECT_EQ(back, service());
    EXPECT_EQ(back.links.size(), 18) << back;
    EXPECT_EQ(createdLinks(), 0);

    // Tagging a task again finds the link that came back: nothing is created twice.
    KNVTCDTag *outside = context().firstObject<KNVTCDTag>(ostore::where::key("numericIdentifier") == 3);
    ASSERT_TRUE(outside);
    for (KNVTCDTask *task : context().fetch<KNVTCDTask>())
        task->addTag(outside);
    save();
    ASSERT_NO_FATAL_FAILURE(runSession(false));
    EXPECT_EQ(createdLinks(), 0);
    EXPECT_EQ(library(), service());
}

INSTANTIATE_TEST_SUITE_P(AfterTheReturn, SyncConvergenceTest, ::testing::Bool(),
                         [](const ::testing::TestParamInfo<bool> &param) {
                             return std::string(param.param ? "FullSync" : "RegularSync");
                         });
