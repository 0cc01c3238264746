// Every answer the service can give to every kind of request a session sends, each against a library and a fake
// service of its own: what the session leaves of the object or list the request was about, and what the line under
// the home list says then.
#include "sync/SyncCoordinatorTest.h"

#include "app/KNVTHomeActivityView.h"

#include "model/KNVTCDAvatar.h"

#include "support/TestImages.h"

#include <QLabel>

namespace {

enum class Kind { CollectionRead, ListRead, AvatarRead, Create, Update, Delete };
enum class Outcome { Done, Removed, Kept, Named, Refused };
constexpr Outcome D = Outcome::Done, R = Outcome::Removed, K = Outcome::Kept, N = Outcome::Named, X = Outcome::Refused;

struct Row
{
    const char *answer;
    // How the fake answers; 0 for a reply of its own store, -1 for one that does not read, -2 for a connection cut,
    // -3 for no reply in time.
    int status;
    // A cell per kind, in the order of Kind.
    Outcome outcomes[6];
};

// The answers, a row each: what the fake sends, then a cell per request (collection, list, avatar, create, update,
// delete).
const Row kRows[] = {
    {"Success", 0, {D, D, D, D, D, D}},
    {"UnreadableSuccess", -1, {K, K, K, K, D, D}},
    {"BadRequest", 400, {K, K, K, N, N, N}},
    {"Unauthorized", 401, {X, X, X, X, X, X}},
    {"Forbidden", 403, {K, R, D, N, N, N}},
    {"NotFound", 404, {K, R, D, K, R, R}},
    {"RequestTimeout", 408, {K, K, K, K, K, K}},
    {"Conflict", 409, {K, K, K, N, N, N}},
    {"Gone", 410, {X, X, X, X, X, X}},
    {"Unprocessable", 422, {K, K, K, N, N, N}},
    {"TooManyRequests", 429, {K, K, K, K, K, K}},
    {"ServiceError", 503, {K, K, K, K, K, K}},
    {"ConnectionCut", -2, {K, K, K, K, K, K}},
    {"TimedOut", -3, {K, K, K, K, K, K}},
};
const char *const kKindNames[] = {"CollectionRead", "ListRead", "AvatarRead", "Create", "Update", "Delete"};

} // namespace

class SyncAnswers : public SyncCoordinatorTest, public ::testing::WithParamInterface<std::tuple<int, int>>
{
protected:
    void TearDown() override
    {
        KNVTTaskStore::setDefaultTaskStore(nullptr);
        SyncCoordinatorTest::TearDown();
    }

    int sessionsEnded() const
    {
        return int(std::count_if(m_recorder.notifications().begin(), m_recorder.notifications().end(),
                                 [](const knvt::Notification &notification) {
                                     return notification.name
                                         == QLatin1String(KNVTTaskStoreDidFinishSyncingNotification);
                                 }));
    }
    template <class T>
    T *withIdentifier(qint64 id)
    {
        return context().firstObject<T>(ostore::where::key(QStringLiteral("numericIdentifier")) == id);
    }
    KNVTCDTask *titled(const QString &title)
    {
        return context().firstObject<KNVTCDTask>(ostore::where::key(QStringLiteral("title")) == title);
    }
};

TEST_P(SyncAnswers, EachAnswerLeavesWhatTheTableSaysAndTheLineSaysSo)
{
    const Row &row = kRows[std::get<0>(GetParam())];
    const auto kind = Kind(std::get<1>(GetParam()));
    const Outcome expected = row.outcomes[std::get<1>(GetParam())];
    KNVTTaskStore::setDefaultTaskStore(&store());
    KNVTHomeActivityView line;

    // The library as the service has it, read by the start-up session.
    setSyncSettings(true, false, 1e6);
    const qint64 milk = fake.seedTask(QStringLiteral("Buy milk"));
    const qint64 old = fake.seedTask(QStringLiteral("Old"));
    const qint64 garden = fake.seedProject(QStringLiteral("Garden"));
    fake.seedTask(QStringLiteral("Dig"), garden);
    startCoordinator();
    ASSERT_TRUE(waitUntil([this] { return sessionsEnded() == 1; }, std::chrono::seconds(10)));
    ASSERT_TRUE(titled(QStringLiteral("Dig")));
    const ostore::ObjectID milkID = withIdentifier<KNVTCDTask>(milk)->objectID();
    const ostore::ObjectID gardenID = withIdentifier<KNVTCDTaskList>(garden)->objectID();

    // What the user or another device changed since, and the request of the next session that it answers.
    const QByteArray gardenPath = "/task_lists/" + QByteArray::number(garden) + ".json";
    const QByteArray milkPath = "/tasks/" + QByteArray::number(milk) + ".json";
    const std::pair<const char *, QByteArray> requests[] = {
        {"GET", "/tasks/inbox.json"}, {"GET", gardenPath}, {"GET", "/users/42/avatar/medium.png"},
        {"POST", "/tasks.json"},      {"PUT", milkPath},   {"DELETE", milkPath}};
    const QString name = kind == Kind::Create ? QStringLiteral("Buy eggs")
        : kind == Kind::Update                ? QStringLiteral("Buy oat milk")
                                              : QStringLiteral("Buy milk");
    switch (kind) {
    case Kind::CollectionRead:
        fake.update("tasks", milk, {{"title", "Buy oat milk"}});
        fake.remove("tasks", old);
        break;
    case Kind::ListRead: fake.seedTask(QStringLiteral("Weed"), garden); break;
    case Kind::AvatarRead:
        fake.setAvatar(42, knvt::test::pngBytes(Qt::darkCyan));
        store().me()->avatar()->setNeedsUpdating(true);
        break;
    case Kind::Create: store().taskWithTitle(name); break;
    case Kind::Update: withIdentifier<KNVTCDTask>(milk)->setTitle(name); break;
    case Kind::Delete: withIdentifier<KNVTCDTask>(milk)->setDeletedDate(startDate()); break;
    }
    save();
    const char *const method = requests[int(kind)].first;
    const QByteArray path = requests[int(kind)].second;
    FakeSyncService::Route route = fake.on(method, path);
    switch (row.status) {
    case 0: route.pass(); break;
    case -1: route.reply(200, "<html>Sign in to the hotel Wi-Fi</html>", {{"Content-Type", "text/html"}}); break;
    case -2: route.drop(); break;
    case -3:
        route.hold();
        KNVTRequest::setDefaultTimeoutInterval(1.0 / kScale);
        break;
    default: route.json(row.status, R"({"title":["is invalid"]})");
    }
    fake.clearRequests();
    coordinator().startSyncSession();
    ASSERT_TRUE(
        waitUntil([&] { return fake.hasRequest(method, path) && sessionsEnded() == 2; }, std::chrono::seconds(10)));

    // What is left of the object, list or picture.
    Outcome left = K;
    switch (kind) {
    case Kind::CollectionRead:
        if (titled(QStringLiteral("Buy oat milk")) && !withIdentifier<KNVTCDTask>(old))
            left = D;
        break;
    case Kind::ListRead: {
        const KNVTCDTaskList *list = withIdentifier<KNVTCDTaskList>(garden);
        if (!list || list->objectID() != gardenID)
            left = R;
        else if (titled(QStringLiteral("Weed")) && list->needsUpdating() != true)
            left = D;
        break;
    }
    case Kind::AvatarRead:
        if (store().me()->avatar()->needsUpdating() != true)
            left = D;
        break;
    case Kind::Create:
        if (!titled(name))
            left = R;
        else if (titled(name)->numericIdentifier())
            left = D;
        break;
    case Kind::Update:
    case Kind::Delete: {
        const KNVTCDTask *task = withIdentifier<KNVTCDTask>(milk);
        if (!task || task->objectID() != milkID)
            left = R;
        else if (task->changedKeys().isEmpty() && !task->deletedDate().isValid())
            left = D;
        break;
    }
    }
    // A delete that is done leaves nothing of the object either.
    EXPECT_EQ(left, expected == D && kind == Kind::Delete ? R : expected == N || expected == X ? K : expected);
    // The service still lists the task it answered it no longer had: the session's reads bring it back.
    if (expected == R && kind != Kind::ListRead) {
        EXPECT_NE(withIdentifier<KNVTCDTask>(milk), nullptr) << "back with the reads of the same session";
    }

    // A read answered that the list is gone leaves the library at odds with the collection the same session read.
    const bool synced = expected == D || (expected == R && kind != Kind::ListRead);
    const QString reason = row.status == 401 ? QStringLiteral("password refused")
        : row.status == 410                  ? QStringLiteral("newer version needed")
        : row.status == -1                   ? QStringLiteral("unreadable reply")
        : row.status == -3                   ? QStringLiteral("offline")
                                             : QStringLiteral("service failed");
    const QString text = line.textLabel()->text();
    if (synced) {
        EXPECT_TRUE(text.startsWith(QStringLiteral("Synced"))) << text.toStdString();
    } else {
        EXPECT_TRUE(text.startsWith(QStringLiteral("Sync failed 10:20"))
                    && text.endsWith(expected == N
                                         ? QStringLiteral(": the service refused “%1” (title is invalid)").arg(name)
                                         : QStringLiteral(" (%1)").arg(reason)))
            << text.toStdString();
    }
}

INSTANTIATE_TEST_SUITE_P(Table, SyncAnswers, ::testing::Combine(::testing::Range(0, 14), ::testing::Range(0, 6)),
                         [](const ::testing::TestParamInfo<std::tuple<int, int>> &param) {
                             return std::string(kKindNames[std::get<1>(param.param)])
                                 + kRows[std::get<0>(param.param)].answer;
                         });
