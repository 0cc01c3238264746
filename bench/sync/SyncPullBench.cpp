// The first pull of an account with 10,000 tasks, as a sync session meets it: the service's reply bytes are parsed,
// applied by the session's reply processing to its own context, and that context is saved. The network is left out;
// the replies have the shapes of the fake service (tests/support/SyncFixtures.h).
#include "sync/KNVTTaskStoreDynamicSyncSession.h"
#include "sync/KNVTTaskStoreSyncPlan.h"
#include "sync/KNVTTaskStoreSyncResources.h"

#include "model/KNVTCDModel.h"
#include "model/KNVTCDTask.h"
#include "model/KNVTCDTaskComment.h"
#include "model/KNVTCDTaskList.h"
#include "model/KNVTCDTaskWatcher.h"
#include "model/KNVTCDUser.h"

#include "service/KNVTRESTFulRequest.h"

#include "objectstore/Context.h"
#include "objectstore/Coordinator.h"
#include "objectstore/Where.h"

#include "foundation/Error.h"
#include "foundation/JSONDocument.h"

#include "support/SyncFixtures.h"
#include "support/TaskStoreBuilder.h"
#include "support/UserText.h"

#include <QHash>

#include <benchmark/benchmark.h>

#include "support/FreshLibraryRuns.h"

#include <chrono>
#include <cstdio>
#include <memory>

namespace {

using namespace knvt::test;

constexpr qint64 kMe = 42;
constexpr qint64 kFriends = 10;    // users 43...52 comment and watch
constexpr int kLists = 40;         // lists 1000...1039
constexpr int kTasksPerList = 150; // 6,000 tasks in lists
constexpr int kInboxTasks = 4000;  // and 4,000 in the Inbox
constexpr int kTasks = kLists * kTasksPerList + kInboxTasks;
constexpr qint64 kFirstList = 1000;
constexpr qint64 kFirstTask = 100000;

QJsonObject friendUser(qint64 n)
{
    const qint64 id = kMe + 1 + n % kFriends;
    return user(id, QStringLiteral("user%1").arg(id));
}

// What a user wrote into task i: its title, notes (kept by a third of the tasks) and the two comments on it.
struct Written
{
    QString title;
    QString notes;
    QString comments[2];
};

const Written &written(int i)
{
    static const std::vector<Written> all = [] {
        knvt::test::UserText text(42);
        std::vector<Written> made(kTasks);
        for (Written &task : made)
            task = {text.taskTitle(), text.taskNotes(), {text.comment(), text.comment()}};
        return made;
    }();
    return all[size_t(i)];
}

// A task as the service nests it: two comments and a watcher, each with its user embedded.
QJsonObject pulledTask(int i, std::optional<qint64> listId)
{
    const qint64 id = kFirstTask + i;
    const Written &text = written(i);
    QJsonObject fields{{"description", i % 3 ? QJsonValue::Null : QJsonValue(text.notes)},
                       {"priority", (i % 4) * 3},
                       {"due_at", i % 5 ? QJsonValue::Null : QJsonValue(fixtureDate(86400 + i))},
                       {"task_list_order_index", i},
                       {"assignee_id", kMe},
                       {"creator_id", kMe}};
    if (listId)
        fields.insert("task_list_id", *listId);
    const QJsonObject wrapped = task(id, text.title, 10 + i % 1000, fields);
    const qint64 commenter = i;
    return nest(nest(wrapped, "comments",
                     {comment(2 * id, id, kMe + 1 + commenter % kFriends, text.comments[0], 5,
                              {{"user", friendUser(commenter)}}),
                      comment(2 * id + 1, id, kMe, text.comments[1], 6)}),
                "task_watchers", {watcher(3 * id, id, kMe + 1 + (i + 1) % kFriends, 5, {{"user", friendUser(i + 1)}})});
}

struct Replies
{
    QByteArray activeLists;
    QHash<qint64, QByteArray> listItems; // list id -> item reply
    QByteArray inbox;
};

const Replies &replies()
{
    static const Replies built = [] {
        Replies r;
        QList<QJsonObject> lists;
        int next = 0;
        for (int l = 0; l < kLists; ++l) {
            const qint64 listId = kFirstList + l;
            const QJsonObject list =
                nest(taskList(listId, QStringLiteral("List %1").arg(l), 1), "task_list_collaborators",
                     {collaborator(5000 + l, listId, kMe, "accepted", "owner", 1)});
            lists.append(list);
            QList<QJsonObject> tasks;
            for (int t = 0; t < kTasksPerList; ++t)
                tasks.append(pulledTask(next++, listId));
            r.listItems.insert(listId, body(nest(list, "tasks", tasks)));
        }
        r.activeLists = listBody(lists);
        QList<QJsonObject> inbox;
        for (int t = 0; t < kInboxTasks; ++t)
            inbox.append(pulledTask(next++, std::nullopt));
        r.inbox = listBody(inbox);
        return r;
    }();
    return built;
}

std::vector<const QByteArray *> allReplies(const Replies &from)
{
    std::vector<const QByteArray *> all{&from.activeLists, &from.inbox};
    for (const QByteArray &bytes : from.listItems)
        all.push_back(&bytes);
    return all;
}

// An empty library that knows only its own user, as after configuring an account.
bool seedMe(ostore::Context &seed)
{
    knvt::test::TaskStoreBuilder(&seed).me({.numericIdentifier = kMe, .username = QStringLiteral("ann")});
    return true;
}

// The pull resources that carry tasks, in session order, each built from the session's context as it stands when
// the session reaches it; the error text when something fell short, else empty.
QString pull(ostore::Coordinator &coordinator, const Replies &from)
{
    auto session = std::make_shared<KNVTTaskStoreDynamicSyncSession>(QStringList(), knvt::syncPullResources());
    session->setManagedObjectContext(std::make_unique<ostore::Context>(&coordinator));
    ostore::Context &context = *session->managedObjectContext();
    for (const QString &resource :
         {QStringLiteral("task_lists/active"), QStringLiteral("task_lists"), QStringLiteral("tasks/inbox")}) {
        const KNVTRESTFulRequestList requests =
            KNVTTaskStoreSyncPlan(context, {}).pullRequestsForResource(resource, false);
        if (resource == QLatin1String("task_lists") && requests.size() != size_t(kLists))
            return QStringLiteral("the lists were not flagged for their item pulls");
        for (const auto &request : requests) {
            const QByteArray &bytes = resource == QLatin1String("task_lists/active") ? from.activeLists
                : resource == QLatin1String("tasks/inbox")                           ? from.inbox
                                                           : from.listItems.value(request->identifier().toLongLong());
            const knvt::JSONDocument reply = knvt::JSONDocument::fromJson(bytes);
            session->processJSONObject(reply.root(), *request);
        }
    }
    knvt::Error error;
    if (!context.save(&error))
        return error.description();
    return {};
}

void BM_PullTasks10000(benchmark::State &state)
{
    const Replies &from = replies();
    knvt::bench::runOnFreshLibraries(
        state, kTasks, seedMe, [&from](ostore::Coordinator &coordinator) { return pull(coordinator, from); },
        [](ostore::Coordinator &coordinator) {
            ostore::Context check(&coordinator);
            using ostore::where::isNull;
            using ostore::where::notNull;
            if (check.count<KNVTCDTask>() != kTasks || check.count<KNVTCDTask>(isNull("taskList")) != kInboxTasks
                || check.count<KNVTCDTaskComment>(notNull("task") && notNull("user")) != 2 * kTasks
                || check.count<KNVTCDTaskWatcher>(notNull("task") && notNull("user")) != kTasks
                || check.count<KNVTCDUser>() != 1 + kFriends)
                return QStringLiteral("the pull lost tasks, comments, watchers or users");
            return QString();
        },
        {}, knvt::bench::bareParseAndInsert([&from] {
            for (const QByteArray *bytes : allReplies(from))
                benchmark::DoNotOptimize(knvt::JSONDocument::fromJson(*bytes).root().type());
        }));
}
// Budgeted as a ratio to the bare parse and insert of the same run (bench/budgets.h); tasks_per_second is reported.
BENCHMARK(BM_PullTasks10000)->UseRealTime()->Unit(benchmark::kMillisecond);

} // namespace
