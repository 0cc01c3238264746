#include "SyncSessionTest.h"

#include "support/FakeClock.h"

#include "sync/SyncFailure.h"

#include "foundation/Error.h"

#include <sqlite3.h>

#include <functional>

using namespace knvt::test;

namespace {

// What the service answers an update of task 12 with: the object, under its root key.
constexpr QByteArrayView kTask12 = R"({"task":{"id":12}})";

} // namespace

class SyncPushTest : public SyncSessionTest
{
protected:
    std::shared_ptr<KNVTTaskStoreDynamicSyncSession> pushSession() { return makeSession(true, false); }

    // Starts a push whose create (POST to `path`, answered with `reply`) the fake holds, and returns once that
    // request is in flight; callers wrap it in ASSERT_NO_FATAL_FAILURE.
    void pushWithCreateHeld(const char *path, const QByteArray &reply,
                            std::shared_ptr<KNVTTaskStoreDynamicSyncSession> *started = nullptr)
    {
        m_fake.on("POST", path).json(201, reply).hold();
        auto session = pushSession();
        start(session);
        if (started)
            *started = session;
        ASSERT_TRUE(waitUntil([this, path] { return m_fake.hasRequest("POST", path); }));
    }

    QJsonObject lastBody(const char *method, const char *path)
    {
        const auto request = m_fake.lastRequest(method, path);
        return request ? json(*request) : QJsonObject();
    }
};

TEST_F(SyncPushTest, CreateChangeAndDeleteOfATask)
{
    auto *task = m_main->insert<KNVTCDTask>();
    task->setTitle("Buy milk");
    save();
    m_fake.on("POST", "/tasks.json").json(201, body(knvt::test::task(12, "Buy milk", 1)));

    ASSERT_EQ(run(pushSession()), Outcome::Finished) << qPrintable(m_error.description());
    const QJsonObject created = lastBody("POST", "/tasks.json");
    ASSERT_EQ(created.keys(), QStringList{"task"});
    EXPECT_EQ(created.value("task").toObject().value("title"), "Buy milk");
    EXPECT_TRUE(created.value("task").toObject().value("task_list_id").isNull());
    EXPECT_FALSE(created.value("task").toObject().contains("id"));
    EXPECT_EQ(task->numericIdentifier(), 12);
    EXPECT_TRUE(task->changedKeys().isEmpty());

    task->setTitle("Buy oat milk");
    save();
    m_fake.on("PUT", "/tasks/12.json").json(200, R"({"task":{"id":12}})");
    ASSERT_EQ(run(pushSession()), Outcome::Finished);
    EXPECT_EQ(lastBody("PUT", "/tasks/12.json"), QJsonObject({{"task", QJsonObject{{"title", "Buy oat milk"}}}}));
    EXPECT_TRUE(task->changedKeys().isEmpty());

    task->setDeletedDate(fixtureDateTime(100));
    save();
    m_fake.on("DELETE", "/tasks/12.json").reply(200);
    ASSERT_EQ(run(pushSession()), Outcome::Finished);
    const auto destroy = m_fake.lastRequest("DELETE", "/tasks/12.json");
    ASSERT_TRUE(destroy);
    EXPECT_TRUE(destroy->body.isEmpty());
    EXPECT_EQ(destroy->header("Content-Type"), "application/json");
    EXPECT_TRUE(all<KNVTCDTask>().empty());

    m_fake.clearRequests();
    ASSERT_EQ(run(pushSession()), Outcome::Finished);
    EXPECT_TRUE(m_fake.requests().empty());
}

TEST_F(SyncPushTest, AnEditMadeWhileItsUpdateIsInFlightStaysPending)
{
    KNVTCDTask *task = syncedTask(12, "A");
    save();
    task->setTitle("B");
    save();
    m_fake.on("PUT", "/tasks/12.json").json(200, kTask12).hold().json(200, kTask12);
    start(pushSession());
    ASSERT_TRUE(waitUntil([this] { return m_fake.hasRequest("PUT", "/tasks/12.json"); }));

    task->setTitle("C");
    save();
    m_fake.release("PUT", "/tasks/12.json");
    ASSERT_EQ(waitForOutcome(), Outcome::Finished);

    EXPECT_EQ(task->title(), "C");
    EXPECT_EQ(task->changedKeys(), QStringList{"title"});
    ASSERT_EQ(run(pushSession()), Outcome::Finished);
    EXPECT_EQ(lastBody("PUT", "/tasks/12.json"), QJsonObject({{"task", QJsonObject{{"title", "C"}}}}));
}

TEST_F(SyncPushTest, AnEditMadeWhileItsCreateIsInFlightIsPushedNext)
{
    auto *task = m_main->insert<KNVTCDTask>();
    task->setTitle("Buy milk");
    save();
    ASSERT_NO_FATAL_FAILURE(pushWithCreateHeld("/tasks.json", body(knvt::test::task(12, "Buy milk", 1))));

    task->setTitle("Buy oat milk");
    save();
    m_fake.release("POST", "/tasks.json");
    ASSERT_EQ(waitForOutcome(), Outcome::Finished);

    ASSERT_EQ(all<KNVTCDTask>().size(), 1u);
    EXPECT_EQ(task->numericIdentifier(), 12);
    EXPECT_EQ(task->title(), "Buy oat milk");
    m_fake.on("PUT", "/tasks/12.json").json(200, R"({"task":{"id":12}})");
    ASSERT_EQ(run(pushSession()), Outcome::Finished);
    EXPECT_EQ(lastBody("PUT", "/tasks/12.json"), QJsonObject({{"task", QJsonObject{{"title", "Buy oat milk"}}}}));
}

TEST_F(SyncPushTest, ATaskDeletedWhileItsCreateIsInFlightIsDeletedOnTheService)
{
    auto *task = m_main->insert<KNVTCDTask>();
    task->setTitle("Buy milk");
    save();
    ASSERT_NO_FATAL_FAILURE(pushWithCreateHeld("/tasks.json", body(knvt::test::task(12, "Buy milk", 1))));

    m_main->remove(task);
    save();
    m_fake.release("POST", "/tasks.json");
    ASSERT_EQ(waitForOutcome(), Outcome::Finished);

    m_fake.on("DELETE", "/tasks/12.json").reply(200);
    ASSERT_EQ(run(pushSession()), Outcome::Finished);
    EXPECT_EQ(m_fake.count("DELETE", "/tasks/12.json"), 1);
    EXPECT_TRUE(all<KNVTCDTask>().empty());
}

TEST_F(SyncPushTest, RefusedAndFailedPushesDoNotStopTheSession)
{
    auto *tag = m_main->insert<KNVTCDTag>();
    tag->setTitle("bad");
    KNVTCDTask *task = syncedTask(12, "A");
    save();
    task->setTitle("B");
    save();
    m_fake.on("POST", "/tags.json")
        .json(422, R"({"title":["is invalid"]})")
        .json(201, body(knvt::test::tag(3, "bad", 1)));
    m_fake.on("PUT", "/tasks/12.json").reply(500);

    // Both are left to the next session; the refusal, which the user has to see, names the tag.
    ASSERT_EQ(run(pushSession()), Outcome::Failed);
    EXPECT_EQ(knvt::syncRefusedObjectName(m_error), "bad");
    EXPECT_EQ(knvt::syncRefusalMessages(m_error), QStringList{"title is invalid"});

    EXPECT_EQ(all<KNVTCDTag>().size(), 1u) << "a refused create is kept";
    EXPECT_FALSE(tag->numericIdentifier());
    EXPECT_EQ(task->title(), "B");
    EXPECT_EQ(task->changedKeys(), QStringList{"title"});

    m_fake.on("PUT", "/tasks/12.json").clear().json(200, kTask12);
    ASSERT_EQ(run(pushSession()), Outcome::Finished);
    EXPECT_EQ(m_fake.count("PUT", "/tasks/12.json"), 2);
    EXPECT_EQ(m_fake.requests("PUT", "/tasks/12.json").front().body,
              m_fake.requests("PUT", "/tasks/12.json").back().body);
    EXPECT_EQ(m_fake.count("POST", "/tags.json"), 2);
    EXPECT_EQ(tag->numericIdentifier(), 3);
}

// The service answers an update or a delete that it no longer has the object. A session that reads nothing keeps the
// change to send again; one whose reads leave the object out removes it (a list with its tasks); one whose reads bring
// it back keeps the change over the service's copy and sends it again, which the service then takes.
TEST_F(SyncPushTest, AnUpdateOrDeleteAnswered404KeepsItsChangeUntilAReadSettlesIt)
{
    scriptEmptyService();
    enum class Change { TaskTitle, TaskDeleted, ListTitle };
    const struct
    {
        const char *what;
        Change change;
        bool listed;
    } cases[] = {{"a task's title, the task still listed", Change::TaskTitle, true},
                 {"a task's title, the task no longer listed", Change::TaskTitle, false},
                 {"a task's deletion, the task still listed", Change::TaskDeleted, true},
                 {"a task's deletion, the task no longer listed", Change::TaskDeleted, false},
                 {"a list's title, the list still listed", Change::ListTitle, true},
                 {"a list's title, the list no longer listed", Change::ListTitle, false}};
    qint64 id = 15;
    for (const auto &c : cases) {
        SCOPED_TRACE(c.what);
        ++id;
        const bool list = c.change == Change::ListTitle;
        KNVTCDTaskList *garden = list ? syncedList(id, "Garden") : nullptr;
        KNVTCDTask *dig = syncedTask(id * 10, "A", garden);
        save();
        if (list)
            garden->setTitle("Yard");
        else if (c.change == Change::TaskTitle)
            dig->setTitle("B");
        else
            dig->markAsDeleted();
        save();
        const QByteArray path = (list ? "/task_lists/" : "/tasks/") + QByteArray::number(list ? id : id * 10) + ".json";
        const char *method = c.change == Change::TaskDeleted ? "DELETE" : "PUT";
        m_fake.on(method, path).clear().json(404, "{}");
        if (list)
            m_fake.on("GET", "/task_lists.json")
                .clear()
                .json(200,
                      listBody(c.listed ? QList<QJsonObject>{sharedList(id, "Garden", 1, "accepted")}
                                        : QList<QJsonObject>{}));
        else
            m_fake.on("GET", "/tasks/inbox.json")
                .clear()
                .json(200, listBody(c.listed ? QList<QJsonObject>{task(id * 10, "A", 1)} : QList<QJsonObject>{}));
        m_fake.on("GET", "/task_lists/" + QByteArray::number(id) + ".json")
            .clear()
            .json(200,
                  body(nest(sharedList(id, "Garden", 1, "accepted"), "tasks",
                            {task(id * 10, "A", 1, {{"task_list_id", id}})})));
        const auto changeKept = [&] {
            ostore::Object *object = list ? static_cast<ostore::Object *>(withIdentifier<KNVTCDTaskList>(id))
                                          : withIdentifier<KNVTCDTask>(id * 10);
            return object == (list ? static_cast<ostore::Object *>(garden) : dig)
                && (list ? garden->title() == "Yard" && garden->changedKeys() == QStringList{"title"}
                        : c.change == Change::TaskTitle
                        ? dig->title() == "B" && dig->changedKeys() == QStringList{"title"}
                        : dig->deletedDate().isValid());
        };

        EXPECT_EQ(run(pushSession()), Outcome::Failed) << "nothing read, the change is sent again";
        EXPECT_TRUE(changeKept());

        if (!c.listed) {
            EXPECT_EQ(run(makeSession()), Outcome::Finished);
            EXPECT_FALSE(withIdentifier<KNVTCDTask>(id * 10)) << "gone, a list's task with it";
            EXPECT_FALSE(withIdentifier<KNVTCDTaskList>(id));
            continue;
        }
        EXPECT_EQ(run(makeSession()), Outcome::Failed) << "the service still holds it";
        EXPECT_TRUE(changeKept());
        // A deletion's answer is empty; an update's holds the object.
        m_fake.on(method, path)
            .clear()
            .reply(200,
                   list                                ? R"({"task_list":{}})"
                       : c.change == Change::TaskTitle ? R"({"task":{}})"
                                                       : "",
                   {{"Content-Type", "application/json"}});
        EXPECT_EQ(run(pushSession()), Outcome::Finished);
        if (c.change == Change::TaskDeleted) {
            EXPECT_FALSE(withIdentifier<KNVTCDTask>(id * 10));
        } else {
            EXPECT_EQ(lastBody("PUT", path).value(list ? "task_list" : "task").toObject().value("title"),
                      list ? "Yard" : "B");
        }
    }
}

TEST_F(SyncPushTest, ATaskWaitsForItsListToBeCreatedFirst)
{
    auto *list = m_main->insert<KNVTCDTaskList>();
    list->setTitle("New project");
    auto *task = m_main->insert<KNVTCDTask>();
    task->setTitle("First step");
    task->moveToTaskList(list);
    save();
    m_fake.on("POST", "/task_lists.json").reply(500).json(201, body(taskList(5, "New project", 1)));
    // The service's failure leaves the list possibly made: the next push looks for it first.
    m_fake.on("GET", "/task_lists.json").json(200, "[]");
    m_fake.on("POST", "/tasks.json").json(201, body(knvt::test::task(12, "First step", 1, {{"task_list_id", 5}})));

    ASSERT_EQ(run(pushSession()), Outcome::Failed);
    EXPECT_FALSE(m_fake.hasRequest("POST", "/tasks.json"));
    EXPECT_FALSE(task->changedKeys().isEmpty());

    ASSERT_EQ(run(pushSession()), Outcome::Finished);
    const QJsonObject created = lastBody("POST", "/tasks.json").value("task").toObject();
    EXPECT_EQ(created.value("task_list_id"), 5);
    const QList<QByteArray> order = calls();
    EXPECT_LT(order.lastIndexOf("POST /task_lists.json"), order.indexOf("POST /tasks.json"));
}

TEST_F(SyncPushTest, DeclinedFriendshipsAreNeverPushed)
{
    auto *them = m_main->insert<KNVTCDUser>();
    them->updateWithAttributes(knvt::test::wire(user(44, "cid")));
    auto *invitation = m_main->insert<KNVTCDFriendship>();
    invitation->updateWithAttributes(knvt::test::wire(unwrap(friendship(2, 44, 42, "pending", 1))));
    save();
    // Declining keeps a local record from me to them with status 3.
    auto *decline = m_main->insert<KNVTCDFriendship>();
    decline->setInviter(me());
    decline->setInvitee(them);
    decline->setStatus(3);
    save();

    ASSERT_EQ(run(pushSession()), Outcome::Finished);
    EXPECT_EQ(m_fake.count("POST", "/friendships.json"), 0);
    EXPECT_TRUE(m_fake.requests().empty());
}

TEST_F(SyncPushTest, AnAcceptanceTheServiceAnsweredWaitsForNoFurtherPush)
{
    auto *them = m_main->insert<KNVTCDUser>();
    them->updateWithAttributes(knvt::test::wire(user(44, "cid")));
    auto *invitation = m_main->insert<KNVTCDFriendship>();
    invitation->updateWithAttributes(knvt::test::wire(unwrap(friendship(2, 44, 42, "pending", 1))));
    save();
    auto *acceptance = m_main->insert<KNVTCDFriendship>();
    acceptance->setInviter(me());
    acceptance->setInvitee(them);
    acceptance->setStatus(2);
    save();
    ASSERT_TRUE(acceptance->changedKeys().contains("status"));
    m_fake.on("POST", "/friendships.json").json(201, body(friendship(7, 42, 44, "accepted", 2)));

    ASSERT_EQ(run(pushSession()), Outcome::Finished) << qPrintable(m_error.description());
    EXPECT_EQ(m_fake.count("POST", "/friendships.json"), 1);
    EXPECT_EQ(acceptance->numericIdentifier(), 7);
    EXPECT_EQ(acceptance->changedKeys(), QStringList());

    m_fake.clearRequests();
    ASSERT_EQ(run(pushSession()), Outcome::Finished);
    EXPECT_TRUE(m_fake.requests().empty());
}

TEST_F(SyncPushTest, ADroppedConnectionLosesNothingAndTheNextSessionCompletes)
{
    for (int i = 0; i < 3; ++i) {
        auto *task = m_main->insert<KNVTCDTask>();
        task->setTitle(QStringLiteral("Task %1").arg(i));
    }
    auto *tag = m_main->insert<KNVTCDTag>();
    tag->setTitle("home");
    save();
    m_fake.on("POST", "/tasks.json")
        .json(201, body(knvt::test::task(12, "Task", 1)))
        .json(201, body(knvt::test::task(13, "Task", 1)))
        .json(201, body(knvt::test::task(14, "Task", 1)));
    m_fake.on("POST", "/tags.json").drop();

    auto session = pushSession();
    ASSERT_EQ(run(session), Outcome::Failed);
    EXPECT_TRUE(session->isResumable());
    EXPECT_EQ(m_fake.count("POST", "/tasks.json"), 3);

    // The process quits before the session resumes: the ids from the replies are kept.
    reopenLibrary();
    std::vector<KNVTCDTask *> tasks = all<KNVTCDTask>();
    ASSERT_EQ(tasks.size(), 3u);
    for (KNVTCDTask *task : tasks)
        EXPECT_TRUE(task->numericIdentifier().has_value());

    // The tag's create may have reached the service: the tags are read first, and it is not there.
    m_fake.on("POST", "/tags.json").clear().json(201, body(knvt::test::tag(3, "home", 1)));
    m_fake.on("GET", "/tags.json").json(200, "[]");
    ASSERT_EQ(run(pushSession()), Outcome::Finished);
    EXPECT_EQ(m_fake.count("POST", "/tasks.json"), 3) << "nothing is created twice";
    EXPECT_EQ(withIdentifier<KNVTCDTag>(3)->title(), "home");
}

TEST_F(SyncPushTest, AResumedSessionStartsAtTheFailedResourceOnAFreshContext)
{
    m_fake.on("GET", "/account.json").json(200, body(account(7, user(42, "ann"), 1)));
    m_fake.on("GET", "/friendships.json").reply(401);
    auto session = makeSession();
    ASSERT_EQ(run(session), Outcome::Failed);
    EXPECT_EQ(m_error.code(), 401);
    EXPECT_EQ(session->managedObjectContext(), nullptr);
    EXPECT_EQ(session->pendingPullResources().first(), "friendships");

    m_fake.clearRequests();
    m_fake.on("GET", "/friendships.json").clear().json(200, listBody());
    for (const char *path :
         {"/friendships/invites.json", "/task_lists.json", "/task_lists/pending.json", "/task_lists/archived.json",
          "/task_lists/declined.json", "/tasks/inbox.json", "/tags.json"})
        m_fake.on("GET", path).json(200, listBody());
    ASSERT_EQ(run(session), Outcome::Finished);
    EXPECT_EQ(calls().first(), "GET /friendships.json");
    EXPECT_FALSE(m_fake.hasRequest("GET", "/account.json"));
}

TEST_F(SyncPushTest, EachStartRecordsItsStartDate)
{
    const knvt::test::FakeClock clock(QDateTime(QDate(2015, 3, 4), QTime(10, 20, 30)));
    auto session = pushSession();
    ASSERT_EQ(run(session), Outcome::Finished);
    EXPECT_EQ(session->startDate(), clock.now());
}

TEST_F(SyncPushTest, CancellingWhileTheLastRequestIsInFlightEndsCancelled)
{
    auto *tag = m_main->insert<KNVTCDTag>();
    tag->setTitle("home");
    save();
    m_fake.on("POST", "/tagged_items.json").json(201, "{}");
    std::shared_ptr<KNVTTaskStoreDynamicSyncSession> session;
    ASSERT_NO_FATAL_FAILURE(pushWithCreateHeld("/tags.json", body(knvt::test::tag(3, "home", 1)), &session));

    session->cancel();
    m_fake.release("POST", "/tags.json");
    ASSERT_EQ(waitForOutcome(), Outcome::Cancelled);
    EXPECT_EQ(tag->numericIdentifier(), 3) << "the reply in flight is applied and saved";
}

TEST_F(SyncPushTest, AFailedFinalSaveFailsTheSession)
{
    auto *tag = m_main->insert<KNVTCDTag>();
    tag->setTitle("home");
    save();
    std::shared_ptr<KNVTTaskStoreDynamicSyncSession> session;
    ASSERT_NO_FATAL_FAILURE(pushWithCreateHeld("/tags.json", body(knvt::test::tag(3, "home", 1)), &session));
    // Another connection holds the library's write lock, so the session's final save gives up.
    sqlite3 *other = nullptr;
    ASSERT_EQ(sqlite3_open(qPrintable(m_dir.filePath(QStringLiteral("TaskStoreData.sqlite3"))), &other), SQLITE_OK);
    ASSERT_EQ(sqlite3_exec(other, "BEGIN EXCLUSIVE", nullptr, nullptr, nullptr), SQLITE_OK);
    m_fake.release("POST", "/tags.json");
    const Outcome outcome = waitForOutcome();
    sqlite3_exec(other, "ROLLBACK", nullptr, nullptr, nullptr);
    sqlite3_close(other);

    ASSERT_EQ(outcome, Outcome::Failed);
    EXPECT_NE(m_error.code(), 401);
    EXPECT_NE(m_error.code(), 410);
    EXPECT_FALSE(session->isResumable());
    EXPECT_TRUE(session->resourceETags().isEmpty());
}

// The header fields carry the password, which the keychain answers over the session bus: a push of many objects reads
// them once, not once per request.
TEST_F(SyncPushTest, APlanReadsTheHeaderFieldsOnceForAllItsRequests)
{
    for (int i = 0; i < 3; ++i)
        m_main->insert<KNVTCDTask>()->setTitle(QStringLiteral("Task %1").arg(i));
    save();
    KNVTTaskStoreSyncRequestHeaders counted = headers();
    int reads = 0;
    counted.HTTPHeaderFields = [&reads, plain = counted.HTTPHeaderFields] {
        ++reads;
        return plain();
    };
    const KNVTRESTFulRequestList requests =
        KNVTTaskStoreSyncPlan(*m_main, counted).pushRequestsForResource(QStringLiteral("tasks"));
    ASSERT_EQ(requests.size(), 3u);
    EXPECT_EQ(reads, 1);
    for (const auto &request : requests)
        EXPECT_EQ(request->HTTPHeaderFields().value(QStringLiteral("Authorization")),
                  headers().plain().value(QStringLiteral("Authorization")));
}

// Each request is built only when the one before it has been answered: still one at a time on the wire, every changed
// object pushed once, in the order the plan lists them.
TEST_F(SyncPushTest, ChangedTasksArePushedOneAtATimeInThePlansOrder)
{
    for (qint64 id = 10; id < 15; ++id)
        syncedTask(id, QStringLiteral("A"));
    save();
    for (KNVTCDTask *task : all<KNVTCDTask>())
        task->setTitle(QStringLiteral("B"));
    save();
    QList<QByteArray> planned;
    for (ostore::Object *task :
         KNVTTaskStoreSyncPlan(*m_main, headers()).pendingObjectsForEntityName(QStringLiteral("KNVTCDTask")))
        planned.append("/tasks/" + QByteArray::number(*static_cast<KNVTCDTask *>(task)->numericIdentifier()) + ".json");
    ASSERT_EQ(planned.size(), 5);
    for (const QByteArray &path : planned) {
        FakeSyncService::Route route = m_fake.on("PUT", path).json(200, R"({"task":{}})");
        if (path == planned.first())
            route.hold();
    }
    start(pushSession());
    ASSERT_TRUE(waitUntil([this, &planned] { return m_fake.hasRequest("PUT", planned.first()); }));
    EXPECT_EQ(m_fake.requests().size(), 1u);

    m_fake.release("PUT", planned.first());
    ASSERT_EQ(waitForOutcome(), Outcome::Finished);
    QList<QByteArray> pushed;
    for (const FakeSyncService::Request &request : m_fake.requests())
        pushed.append(request.path);
    EXPECT_EQ(pushed, planned);
    for (KNVTCDTask *task : all<KNVTCDTask>())
        EXPECT_TRUE(task->changedKeys().isEmpty());
}

// A create answered with a failure of the service's own (500, a gateway's 502 or 504, or a 503 the service did not
// make) may have been made: the next push first reads the Inbox, where it was sent, though the user has moved the task
// to a list since, and moves the task found rather than making another. A 429 made nothing, and is sent again as it is.
TEST_F(SyncPushTest, ACreateAnsweredWithAServiceFailureIsLookedForWhereItWasSentBeforeItGoesAgain)
{
    m_fake.enableState();
    const qint64 errands = m_fake.seed("task_lists", {{"title", "Errands"}});
    KNVTCDTaskList *list = syncedList(errands, "Errands");
    save();
    const struct
    {
        int status;
        bool made;
        bool inDoubt;
    } cases[] = {{500, true, true}, {502, true, true}, {504, true, true}, {503, false, true}, {429, false, false}};
    for (const auto &c : cases) {
        const QString title = QStringLiteral("Buy milk %1").arg(c.status);
        SCOPED_TRACE(title.toStdString());
        auto *task = m_main->insert<KNVTCDTask>();
        task->setTitle(title);
        save();
        FakeSyncService::Route route = m_fake.on("POST", "/tasks.json");
        if (c.made)
            route.rewrite(c.status);
        else
            route.json(c.status, "{}");
        EXPECT_EQ(run(pushSession()), Outcome::Failed);
        route.clear();
        task->setTaskList(list);
        save();

        m_fake.clearRequests();
        ASSERT_EQ(run(pushSession()), Outcome::Finished) << qPrintable(m_error.description());
        EXPECT_EQ(m_fake.calls().value(0), c.inDoubt ? "GET /tasks/inbox.json" : "POST /tasks.json");
        EXPECT_EQ(m_fake.count("POST", "/tasks.json"), c.made ? 0 : 1);
        const std::vector<QJsonObject> stored = m_fake.storedAll("tasks");
        const auto copies = std::count_if(stored.begin(), stored.end(),
                                          [&](const QJsonObject &object) { return object.value("title") == title; });
        EXPECT_EQ(copies, 1);
        ASSERT_TRUE(task->numericIdentifier());
        EXPECT_EQ(m_fake.stored("tasks", *task->numericIdentifier())->value("task_list_id").toInteger(), errands);
    }
}

// The answer to a new task's creation is lost, and the user's other device makes the same task before the next read:
// two objects of the service could be the user's, so none is taken for it; the task stays unsent and is named. Left
// alone, it is named again in the next session and nothing is sent. The user's edit then goes to one of the two, and a
// deletion hides the user's own, sends nothing and says so in every session while the copies stand: the service never
// holds a third, and loses none the user did not delete. The user deleting one of the service's two leaves one the task can be, whose place it takes.
TEST_F(SyncPushTest, ATaskTheServiceMayHoldTwiceIsNamedAndTheUsersEditOrDeletionMakesNoThirdCopy)
{
    m_fake.enableState();
    const struct
    {
        const char *title;
        // What the user does once the task is named; the title it ends with.
        std::function<void(KNVTCDTask &task, KNVTCDTask &copy)> act;
        QString endTitle;
        knvt::SyncRefusal named;
        // The copies of either title on the service and here once the user acted, and the requests that sent.
        int there;
        int here;
        int deletes;
    } cases[] = {
        {"Buy milk", [](KNVTCDTask &task, KNVTCDTask &) { task.setTitle(QStringLiteral("Buy milk today")); },
         QStringLiteral("Buy milk today"), knvt::SyncRefusal::Kept, 2, 2, 0},
        {"Buy bread", [](KNVTCDTask &task, KNVTCDTask &) { task.markAsDeleted(); }, QString(),
         knvt::SyncRefusal::UnsettledDeleted, 2, 2, 0},
        {"Buy tea", [](KNVTCDTask &, KNVTCDTask &copy) { copy.markAsDeleted(); }, QString(), knvt::SyncRefusal::Kept, 1,
         1, 1},
        // Last, as it stays named.
        {"Buy eggs", [](KNVTCDTask &, KNVTCDTask &) {}, QString(), knvt::SyncRefusal::Unsettled, 2, 3, 0},
    };
    for (const auto &c : cases) {
        const QString title = QString::fromUtf8(c.title);
        SCOPED_TRACE(title.toStdString());
        auto *task = m_main->insert<KNVTCDTask>();
        task->setTitle(title);
        save();
        m_fake.on("POST", "/tasks.json").dropAfterAnswering();
        EXPECT_EQ(run(pushSession()), Outcome::Failed);
        m_fake.on("POST", "/tasks.json").clear();
        QJsonObject same = m_fake.storedAll("tasks").back();
        for (const char *own : {"id", "created_at", "updated_at"})
            same.remove(own);
        const qint64 elsewhere = m_fake.seed("tasks", same);

        m_fake.clearRequests();
        ASSERT_EQ(run(pushSession()), Outcome::Finished) << qPrintable(m_error.description());
        EXPECT_EQ(m_fake.count("POST", "/tasks.json"), 0);
        EXPECT_EQ(task->numericIdentifier(), std::nullopt);
        EXPECT_EQ(task->pushState(), KNVTCDTaskStoreObject::PushState::Unsettled);
        EXPECT_EQ(knvt::syncRefusal(m_session->refusedChangesError()), knvt::SyncRefusal::Unsettled);
        EXPECT_EQ(knvt::syncRefusedObjectName(m_session->refusedChangesError()), title);

        KNVTCDTask *copy = nullptr;
        for (KNVTCDTask *held : all<KNVTCDTask>())
            if (held->numericIdentifier() == elsewhere)
                copy = held;
        ASSERT_NE(copy, nullptr);
        c.act(*task, *copy);
        save();
        // The session after the user acted, and the next, which names what still stands as the one before did.
        for (const size_t sent : {size_t(c.deletes) + (c.endTitle.isEmpty() ? 0 : 1), size_t(0)}) {
            m_fake.clearRequests();
            ASSERT_EQ(run(pushSession()), Outcome::Finished) << qPrintable(m_error.description());
            EXPECT_EQ(m_fake.count("POST", "/tasks.json"), 0);
            EXPECT_EQ(m_fake.requests().size(), sent) << m_fake.calls().join(' ').toStdString();
            const knvt::Error named = m_session->refusedChangesError();
            EXPECT_EQ(knvt::syncRefusal(named), c.named);
            EXPECT_EQ(knvt::syncRefusedObjectName(named), c.named == knvt::SyncRefusal::Kept ? QString() : title);
            EXPECT_EQ(knvt::syncOtherRefusedChanges(named), 0);
        }
        QStringList here;
        for (const KNVTCDTask *held : all<KNVTCDTask>())
            if (!held->deletedDate().isValid())
                here << held->title();
        QStringList there;
        for (const QJsonObject &object : m_fake.storedAll("tasks"))
            there << object.value("title").toString();
        EXPECT_EQ(there.count(title) + there.count(c.endTitle), c.there);
        EXPECT_EQ(here.count(title) + here.count(c.endTitle), c.here) << here.join('|').toStdString();
        EXPECT_EQ(there.count(c.endTitle), c.endTitle.isEmpty() ? 0 : 1);
        if (c.named == knvt::SyncRefusal::UnsettledDeleted) {
            // The user deletes one of the service's two: the one left settles it, with only that deletion sent.
            copy->markAsDeleted();
            save();
            m_fake.clearRequests();
            ASSERT_EQ(run(pushSession()), Outcome::Finished) << qPrintable(m_error.description());
            EXPECT_EQ(m_fake.calls().join(' '), QStringLiteral("DELETE /tasks/%1.json").arg(elsewhere).toUtf8());
            EXPECT_EQ(knvt::syncRefusal(m_session->refusedChangesError()), knvt::SyncRefusal::Kept);
            const auto tasks = all<KNVTCDTask>();
            EXPECT_EQ(std::count_if(tasks.begin(), tasks.end(),
                                    [&](const KNVTCDTask *held) { return held->title() == title; }),
                      1);
        }
        m_fake.clearRequests();
    }
}

// A new task answered 404 is held and named; the session's read of the Inbox that follows shows where it lands, so the
// next session sends it once more. Answered 404 again, it is held as refused, without another word, and not sent again.
TEST_F(SyncPushTest, ACreateAnswered404GoesOnceMoreAfterAReadShowsWhereItLands)
{
    scriptEmptyService();
    auto *task = m_main->insert<KNVTCDTask>();
    task->setTitle("Buy milk");
    save();
    m_fake.on("POST", "/tasks.json").json(404, "{}");
    const struct
    {
        int posts;
        bool named;
        KNVTCDTaskStoreObject::PushState state;
    } sessions[] = {{1, true, KNVTCDTaskStoreObject::PushState::PlaceShown},
                    {2, false, KNVTCDTaskStoreObject::PushState::Refused},
                    {2, false, KNVTCDTaskStoreObject::PushState::Refused}};
    for (const auto &session : sessions) {
        SCOPED_TRACE(session.posts);
        ASSERT_EQ(run(makeSession()), Outcome::Finished) << qPrintable(m_error.description());
        EXPECT_EQ(m_fake.count("POST", "/tasks.json"), session.posts);
        EXPECT_EQ(knvt::syncRefusedObjectName(m_session->refusedChangesError()),
                  session.named ? QStringLiteral("Buy milk") : QString());
        EXPECT_EQ(task->pushState(), session.state);
    }
}
