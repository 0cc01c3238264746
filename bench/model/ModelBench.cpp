#include "model/KNVTCDModel.h"
#include "model/KNVTCDTag.h"
#include "model/KNVTCDTaggedTask.h"
#include "model/KNVTCDTask.h"
#include "model/KNVTCDTaskComment.h"
#include "model/KNVTCDTaskList.h"
#include "model/KNVTCDTaskWatcher.h"
#include "model/KNVTCDUser.h"
#include "model/TitleKeysUnderWay.h"

#include "objectstore/Context.h"
#include "objectstore/Coordinator.h"
#include "objectstore/Where.h"

#include "foundation/Error.h"
#include "foundation/JSONDocument.h"

#include <QDateTime>
#include <QElapsedTimer>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QTimeZone>

#include <benchmark/benchmark.h>

#include "support/FreshLibraryRuns.h"
#include "support/TaskStoreBuilder.h"
#include "support/UserText.h"

#include <algorithm>
#include <memory>
#include <random>
#include <vector>

namespace {

constexpr int kTasks = 10000;
constexpr int kUsers = 20;
constexpr int kLists = 40;
constexpr int kTags = 25;

constexpr qint64 kFirstUser = 10;
constexpr qint64 kFirstList = 1000;
constexpr qint64 kFirstTag = 3000;
constexpr qint64 kFirstTask = 100000;
constexpr qint64 kFirstComment = 400000;
constexpr qint64 kFirstWatcher = 600000;
constexpr qint64 kFirstTaggedItem = 800000;

const QDateTime kEpoch(QDate(2015, 3, 4), QTime(10, 20, 30), QTimeZone::utc());

// The service's spelling of a date-time.
QString wireDate(qint64 seconds)
{
    return kEpoch.addSecs(seconds).toString(QStringLiteral("yyyy-MM-ddTHH:mm:ss")) + QStringLiteral("+0000");
}

// What one pull of a fresh account receives: tasks with their comments and watchers nested, and the tags whose
// tagged items name those tasks. Built once; the fill only reads it.
struct Reply
{
    std::vector<QJsonObject> tasks;
    std::vector<QJsonObject> tags;
    // {"tasks": [...], "tags": [...]} as the service would write it, and read back as the client reads it.
    QByteArray text;
    knvt::JSONDocument document;
};

const Reply &reply()
{
    static const Reply r = [] {
        Reply built;
        std::mt19937_64 random(7);
        auto below = [&](qint64 n) { return qint64(random() % quint64(n)); };
        auto chance = [&](int percent) { return int(random() % 100) < percent; };
        knvt::test::UserText text(7);
        const char *statuses[] = {"actionable", "actionable", "someday", "completed", "cancelled"};
        const int priorities[] = {0, 1, 5, 9};

        std::vector<QJsonArray> taggedItems(kTags);
        built.tasks.reserve(kTasks);
        for (int i = 0; i < kTasks; ++i) {
            const qint64 id = kFirstTask + i;
            const qint64 created = below(86400 * 300);
            const qint64 updated = created + 60 + below(86400 * 30);
            QJsonObject task{
                {QStringLiteral("id"), id},
                {QStringLiteral("created_at"), wireDate(created)},
                {QStringLiteral("updated_at"), wireDate(updated)},
                {QStringLiteral("deleted_at"), QJsonValue::Null},
                {QStringLiteral("title"), text.taskTitle()},
                {QStringLiteral("description"), chance(30) ? QJsonValue(text.taskNotes()) : QJsonValue::Null},
                {QStringLiteral("priority"), priorities[below(4)]},
                {QStringLiteral("status"), QLatin1String(statuses[below(5)])},
                {QStringLiteral("status_updated_at"), wireDate(updated)},
                {QStringLiteral("start_at"),
                 chance(20) ? QJsonValue(wireDate(updated + below(86400 * 30))) : QJsonValue::Null},
                {QStringLiteral("due_at"),
                 chance(40) ? QJsonValue(wireDate(updated + below(86400 * 60))) : QJsonValue::Null},
                {QStringLiteral("archived_at"), chance(10) ? QJsonValue(wireDate(updated)) : QJsonValue::Null},
                {QStringLiteral("task_list_id"),
                 chance(60) ? QJsonValue(kFirstList + below(kLists)) : QJsonValue::Null},
                {QStringLiteral("task_list_order_index"), qint64(i)},
                {QStringLiteral("assignee_id"), kFirstUser + below(kUsers)},
                {QStringLiteral("creator_id"), kFirstUser + below(kUsers)},
            };
            if (chance(10))
                task.insert(QStringLiteral("recurrence"), QJsonArray{QStringLiteral("RRULE:FREQ=WEEKLY;INTERVAL=1")});
            QJsonArray comments;
            for (int c = 0; c < 2; ++c)
                comments.append(QJsonObject{
                    {QStringLiteral("id"), kFirstComment + 2 * i + c},
                    {QStringLiteral("created_at"), wireDate(created + 10 + c)},
                    {QStringLiteral("updated_at"), wireDate(created + 10 + c)},
                    {QStringLiteral("text"), text.comment()},
                    {QStringLiteral("user_id"), kFirstUser + below(kUsers)},
                    {QStringLiteral("commentable_id"), id},
                    {QStringLiteral("commentable_type"), QStringLiteral("Task")},
                });
            task.insert(QStringLiteral("comments"), comments);
            task.insert(QStringLiteral("task_watchers"),
                        QJsonArray{QJsonObject{
                            {QStringLiteral("id"), kFirstWatcher + i},
                            {QStringLiteral("created_at"), wireDate(created + 5)},
                            {QStringLiteral("updated_at"), wireDate(created + 5)},
                            {QStringLiteral("task_id"), id},
                            {QStringLiteral("user_id"), kFirstUser + below(kUsers)},
                        }});
            built.tasks.push_back(task);

            const int tag = int(below(kTags));
            taggedItems[tag].append(QJsonObject{
                {QStringLiteral("id"), kFirstTaggedItem + i},
                {QStringLiteral("created_at"), wireDate(created + 20)},
                {QStringLiteral("updated_at"), wireDate(created + 20)},
                {QStringLiteral("tag_id"), kFirstTag + tag},
                {QStringLiteral("taggable_id"), id},
                {QStringLiteral("taggable_type"), QStringLiteral("Task")},
            });
        }
        for (int t = 0; t < kTags; ++t)
            built.tags.push_back(QJsonObject{
                {QStringLiteral("id"), kFirstTag + t},
                {QStringLiteral("created_at"), wireDate(t)},
                {QStringLiteral("updated_at"), wireDate(86400 * 400 + t)},
                {QStringLiteral("title"), text.tagTitle()},
                {QStringLiteral("creator_id"), kFirstUser},
                {QStringLiteral("creator_order_index"), t},
                {QStringLiteral("tagged_items"), taggedItems[t]},
            });
        QJsonArray tasks;
        for (const QJsonObject &task : built.tasks)
            tasks.append(task);
        QJsonArray tags;
        for (const QJsonObject &tag : built.tags)
            tags.append(tag);
        built.text = QJsonDocument(QJsonObject{{QStringLiteral("tasks"), tasks}, {QStringLiteral("tags"), tags}})
                         .toJson(QJsonDocument::Compact);
        built.document = knvt::JSONDocument::fromJson(built.text);
        return built;
    }();
    return r;
}

// A library that knows the users and lists the reply refers to, and nothing else.
bool seedUsersAndLists(ostore::Context &seed)
{
    knvt::test::TaskStoreBuilder make(&seed);
    for (int u = 0; u < kUsers; ++u)
        make.user({.numericIdentifier = kFirstUser + u, .fullName = QStringLiteral("User %1").arg(u)});
    for (int l = 0; l < kLists; ++l) {
        KNVTCDTaskList *list = make.taskList({.title = QStringLiteral("List %1").arg(l)});
        list->setCreatedDate(kEpoch);
        list->setModifiedDate(kEpoch);
        make.synced(list, kFirstList + l);
    }
    return true;
}

// Looks each object up by its identifier, inserts it when it is new and merges the reply into it, as a pull does.
template <class T, class Lookup>
int merge(ostore::Context &context, const knvt::JSONView &objects, Lookup lookup)
{
    int applied = 0;
    for (const knvt::JSONView &object : objects) {
        T *row = lookup(KNVTCDTaskStoreObject::numericIdentifierFromJSON(object.value("id")));
        if (!row)
            row = context.insert<T>();
        applied += row->mergeAttributes(object) ? 1 : 0;
    }
    return applied;
}

// One pull into a session context of its own; the reason when it fell short, else empty.
QString fill(ostore::Context &context, const Reply &pulled)
{
    // The lookups are the store objects' own; any object of the context can answer them.
    const auto *anchor =
        context.firstObject<KNVTCDUser>(ostore::where::key(QStringLiteral("numericIdentifier")) == kFirstUser);
    if (!anchor)
        return QStringLiteral("the library has no users");
    const int tasks = merge<KNVTCDTask>(context, pulled.document.value("tasks"),
                                        [&](std::optional<qint64> id) { return anchor->taskForNumericIdentifier(id); });
    const int tags = merge<KNVTCDTag>(context, pulled.document.value("tags"),
                                      [&](std::optional<qint64> id) { return anchor->tagForNumericIdentifier(id); });
    if (tasks != kTasks || tags != kTags)
        return QStringLiteral("the fill skipped objects");
    return {};
}

// A first pull of 10,000 tasks, each with two comments, a watcher and a tag, into an empty library. Every lookup
// runs against a growing set of unsaved inserts. Only the fill is timed: saving is the store engine's work, timed
// with the whole pull by the sync benchmark. The save still runs, untimed, so the check can read what was filled.
void BM_FillTasksFromJSON(benchmark::State &state)
{
    const Reply &pulled = reply();
    std::unique_ptr<ostore::Context> context;
    knvt::bench::runOnFreshLibraries(
        state, kTasks, seedUsersAndLists,
        [&](ostore::Coordinator &coordinator) {
            context = std::make_unique<ostore::Context>(&coordinator);
            return fill(*context, pulled);
        },
        [](ostore::Coordinator &coordinator) {
            ostore::Context check(&coordinator);
            using ostore::where::notNull;
            const QString task = QStringLiteral("task");
            if (check.count<KNVTCDTaskComment>(notNull(task)) != 2 * kTasks
                || check.count<KNVTCDTaskWatcher>(notNull(task)) != kTasks
                || check.count<KNVTCDTaggedTask>(notNull(task) && notNull(QStringLiteral("tag"))) != kTasks
                || check.count<KNVTCDTask>(notNull(QStringLiteral("assignee"))) != kTasks)
                return QStringLiteral("the fill lost comments, watchers or tagged items");
            return QString();
        },
        [&](ostore::Coordinator &) {
            knvt::Error error;
            const bool saved = context->save(&error);
            context.reset();
            return saved ? QString() : error.description();
        },
        knvt::bench::bareParseAndInsert(
            [&pulled] { benchmark::DoNotOptimize(knvt::JSONDocument::fromJson(pulled.text).root().type()); }));
}
// Budgeted as a ratio to the bare parse and insert of the same run (bench/budgets.h); tasks_per_second is reported.
BENCHMARK(BM_FillTasksFromJSON)->UseRealTime()->Unit(benchmark::kMillisecond);

} // namespace

namespace {

// The share of titles one step of the search's sort collects (TaskSections::GroupSort).
constexpr size_t kTitlesCollectedAStep = 2048;

// The collation keys of 100,000 titles of a user's library, handed to the pool's threads as they are read and collected
// a step's share at a time, as the search's sort collects them, while the pool's threads, as many as the machine has
// cores, compete with the collecting thread for them: the longest single collect, which never waits on a thread
// longer than making its share would take. Also the time until every key is there.
void BM_TitleKeysCollect100000(benchmark::State &state)
{
    knvt::test::UserText text(42);
    std::vector<QString> titles;
    titles.reserve(100000);
    for (int i = 0; i < 100000; ++i)
        titles.push_back(text.taskTitle());
    double longest = 0;
    double total = 0;
    for (auto _ : state) {
        QElapsedTimer all;
        all.start();
        knvt::TitleKeysUnderWay keys;
        for (const QString &title : titles)
            keys.add(title);
        longest = 0;
        for (bool done = false; !done;) {
            QElapsedTimer one;
            one.start();
            done = keys.collect(kTitlesCollectedAStep);
            longest = std::max(longest, double(one.nsecsElapsed()) / 1e6);
        }
        total = double(all.nsecsElapsed()) / 1e6;
        size_t made = 0;
        for (const std::vector<QCollatorSortKey> &batch : keys.takeKeys())
            made += batch.size();
        if (made != titles.size())
            state.SkipWithError("keys went missing");
    }
    state.counters["longest_collect_ms"] = longest;
    state.counters["all_keys_ms"] = total;
}
BENCHMARK(BM_TitleKeysCollect100000)->Unit(benchmark::kMillisecond)->Iterations(1);

} // namespace
