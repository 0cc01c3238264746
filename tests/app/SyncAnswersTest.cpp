// Every answer the service can give to every kind of request a session sends, each against a library and a fake
// service of its own: what the line under the home list says, what is left of the user's change or of what was read,
// and what the library and the service end with once the service answers as it should again.
#include "sync/SyncCoordinatorTest.h"

#include "app/KNVTHomeActivityView.h"

#include "model/KNVTCDAvatar.h"

#include "support/TestImages.h"

#include <QLabel>

namespace {

enum class Kind { CollectionRead, ListRead, AvatarRead, Create, Update, Delete };
// What the user lives through.
enum class Story {
    // Done at once: the line says "Synced".
    Done,
    // The line says the sync failed and why (and what it could not read); the user's change stays here, and the next
    // sync does what this one did not.
    FailedThenDone,
    // The line names the change and the service's reason; the change stays here, and the service takes it once it
    // answers as it should.
    NamedThenDone,
    // The line names the change and the service's reason; the change is undone here, and the service keeps its own.
    Undone,
    // The line says the password was refused, or that a newer version is needed.
    Stopped,
};
constexpr Story D = Story::Done, F = Story::FailedThenDone, N = Story::NamedThenDone, U = Story::Undone,
                S = Story::Stopped;

struct Row
{
    const char *answer;
    // How the fake answers; 0 for a reply of its own store, -1 for one that does not read, -2 for a connection cut,
    // -3 for no reply in time.
    int status;
    const char *reason;
    // A story per kind, in the order of Kind.
    Story stories[6];
};

const Row kRows[] = {
    {"Success", 0, "", {D, D, D, D, D, D}},
    {"UnreadableSuccess", -1, "unreadable reply", {F, F, F, F, F, F}},
    {"BadRequest", 400, "service failed", {F, F, F, N, N, N}},
    {"Unauthorized", 401, "password refused", {S, S, S, S, S, S}},
    {"Forbidden", 403, "service failed", {F, F, D, U, U, U}},
    {"NotFound", 404, "service failed", {F, F, D, F, F, F}},
    {"RequestTimeout", 408, "service failed", {F, F, F, F, F, F}},
    {"Conflict", 409, "service failed", {F, F, F, N, N, N}},
    {"Gone", 410, "newer version needed", {S, S, S, S, S, S}},
    {"Unprocessable", 422, "service failed", {F, F, F, N, N, N}},
    {"TooManyRequests", 429, "service failed", {F, F, F, F, F, F}},
    {"ServiceError", 503, "service failed", {F, F, F, F, F, F}},
    {"ConnectionCut", -2, "service failed", {F, F, F, F, F, F}},
    {"TimedOut", -3, "offline", {F, F, F, F, F, F}},
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
    int storedTitled(const QString &title)
    {
        const std::vector<QJsonObject> tasks = fake.storedAll("tasks");
        return int(std::count_if(tasks.begin(), tasks.end(),
                                 [&](const QJsonObject &task) { return task.value("title").toString() == title; }));
    }
};

TEST_P(SyncAnswers, EachAnswerLeavesTheUsersChangeAndTheLineAsTheUserExpects)
{
    const Row &row = kRows[std::get<0>(GetParam())];
    const auto kind = Kind(std::get<1>(GetParam()));
    const Story story = row.stories[std::get<1>(GetParam())];
    KNVTTaskStore::setDefaultTaskStore(&store());
    KNVTHomeActivityView line;

    // The library as the service has it, read by the start-up session.
    setSyncSettings(true, false, 1e6);
    const qint64 milk = fake.seedTask(QStringLiteral("Buy milk"));
    const qint64 old = fake.seedTask(QStringLiteral("Old"));
    const qint64 garden = fake.seedProject(QStringLiteral("Garden"));
    fake.seedTask(QStringLiteral("Dig"), garden);
    startCoordinator();
    ASSERT_TRUE(waitUntil([this] { return sessionsEnded() == 1; }, std::chrono::seconds(20)));
    ASSERT_TRUE(titled(QStringLiteral("Dig")));
    const QByteArray png = knvt::test::pngBytes(Qt::darkCyan);

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
        fake.setAvatar(42, png);
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
        // Whatever comes after the wait is never read, so it changes nothing on the service either.
        route.json(503, "{}").hold();
        KNVTRequest::setDefaultTimeoutInterval(1.0 / kScale);
        break;
    default: route.json(row.status, R"({"title":["is invalid"]})");
    }
    fake.clearRequests();
    coordinator().startSyncSession();
    ASSERT_TRUE(
        waitUntil([&] { return fake.hasRequest(method, path) && sessionsEnded() == 2; }, std::chrono::seconds(20)));

    // What the line says: what could not be read, unless nothing answered.
    const QString text = line.textLabel()->text();
    const QString read = row.status < -1 ? QString()
        : kind == Kind::CollectionRead   ? QStringLiteral("could not read the Inbox")
        : kind == Kind::ListRead         ? QStringLiteral("could not read “Garden”")
        : kind == Kind::AvatarRead       ? QStringLiteral("could not read the picture of ann")
                                         : QString();
    switch (story) {
    case Story::Done: EXPECT_TRUE(text.startsWith(QStringLiteral("Synced"))) << text.toStdString(); break;
    case Story::FailedThenDone:
    case Story::Stopped:
        EXPECT_TRUE(text.startsWith(QStringLiteral("Sync failed 10:20"))
                    && text.endsWith(QStringLiteral(" (%1)").arg(QLatin1String(row.reason)))
                    && (story == Story::Stopped || text.contains(read)))
            << text.toStdString();
        break;
    case Story::NamedThenDone:
    case Story::Undone:
        EXPECT_TRUE(text.startsWith(QStringLiteral("Sync failed 10:20"))
                    && text.endsWith(QStringLiteral(": the service refused “%1” (title is invalid)").arg(name)))
            << text.toStdString();
        break;
    }
    if (story == Story::Stopped)
        return;

    // What is left here of the user's change.
    const KNVTCDTask *task = titled(name);
    switch (kind) {
    case Kind::Create:
        EXPECT_EQ(task != nullptr, story != Story::Undone);
        EXPECT_EQ(task && task->numericIdentifier(), story == Story::Done);
        break;
    case Kind::Update:
        EXPECT_EQ(task != nullptr, story != Story::Undone) << "the service's title is back once undone";
        EXPECT_EQ(withIdentifier<KNVTCDTask>(milk)->changedKeys().isEmpty(),
                  story == Story::Done || story == Story::Undone);
        break;
    case Kind::Delete:
        task = withIdentifier<KNVTCDTask>(milk);
        EXPECT_EQ(task == nullptr, story == Story::Done);
        EXPECT_EQ(task && !task->deletedDate().isValid(), story == Story::Undone) << "back once undone";
        break;
    default: break;
    }

    // The service answers as it should again: the next sync leaves the library and the service where the user left
    // them, unless the change was undone.
    route.clear();
    fake.releaseAll();
    const auto ended = [&] {
        switch (kind) {
        case Kind::CollectionRead: return titled(QStringLiteral("Buy oat milk")) && !withIdentifier<KNVTCDTask>(old);
        case Kind::ListRead: return titled(QStringLiteral("Weed")) && titled(QStringLiteral("Dig"));
        case Kind::AvatarRead: return story == Story::Done || store().me()->avatar()->data() == png;
        case Kind::Create: return storedTitled(name) == (story == Story::Undone ? 0 : 1);
        case Kind::Update:
            return fake.stored("tasks", milk)->value("title").toString()
                == (story == Story::Undone ? QStringLiteral("Buy milk") : name);
        case Kind::Delete: return fake.stored("tasks", milk).has_value() == (story == Story::Undone);
        }
        return false;
    };
    coordinator().startSyncSession();
    EXPECT_TRUE(waitUntil([&] { return ended() && idle(); }, std::chrono::seconds(20)));
    EXPECT_TRUE(line.textLabel()->text().startsWith(QStringLiteral("Synced")))
        << line.textLabel()->text().toStdString();
}

INSTANTIATE_TEST_SUITE_P(Table, SyncAnswers, ::testing::Combine(::testing::Range(0, 14), ::testing::Range(0, 6)),
                         [](const ::testing::TestParamInfo<std::tuple<int, int>> &param) {
                             return std::string(kKindNames[std::get<1>(param.param)])
                                 + kRows[std::get<0>(param.param)].answer;
                         });
