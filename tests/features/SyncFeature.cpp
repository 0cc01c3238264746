// Syncing against the fake sync service while things go wrong: failed syncs do not stop the next one, the line under
// the home list says that the last one failed, and a pull leaves what the user is doing alone.

#include "AppDriver.h"

#include "app/KNVTTasksAppDelegate.h"

#include "store/KNVTTaskStore.h"

#include "model/KNVTCDTag.h"
#include "model/KNVTCDTask.h"
#include "model/KNVTCDTaskComment.h"
#include "model/KNVTCDTaskList.h"

#include "objectstore/Context.h"
#include "objectstore/Where.h"

#include "foundation/Timing.h"
#include "support/SyncFixtures.h"
#include "support/WaitUntil.h"

#include <QAction>
#include <QLineEdit>
#include <QMenu>
#include <QProcess>
#include <QProcessEnvironment>
#include <QTest>

#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <utility>
#include <vector>

#include <signal.h>

using knvt::features::AppDriver;
using knvt::test::FakeSyncService;

namespace {

class SyncFeature : public ::testing::Test
{
protected:
    qsizetype requests(const char *method, const char *path) { return app.service().count(method, path); }
    // The sync ended and the line under the home list says how.
    void waitForTheEndOfTheSync()
    {
        app.waitForService([this] { return !app.store().isSyncing() && app.syncStatus() != QLatin1String("Syncing"); });
    }

    // The line's time is the locale's, with whatever space it puts before "PM".
    bool failedAtNoonBecause(const QString &reason)
    {
        const QString line = app.syncStatus();
        return line.startsWith(QLatin1String("Sync failed 12:00")) && line.endsWith(u'(' + reason + u')');
    }

    // Signed in with one task, "Call Ann" in the project Calls, pulled by the start-up sync; then another device
    // gives it new notes. Returns the task's identifier on the service.
    qint64 givenCallAnnPulledThenGivenNewNotesElsewhere()
    {
        app.givenSignedIn(QStringLiteral("ann"), QStringLiteral("secret1"), /*autoSync=*/true);
        app.service().enableState();
        const qint64 calls = app.service().seedProject(QStringLiteral("Calls"));
        const qint64 call = app.service().seedTask(QStringLiteral("Call Ann"), calls);
        app.launch();
        app.waitForService([this] { return app.taskTitled(QStringLiteral("Call Ann")) && !app.store().isSyncing(); });

        app.service().update("tasks", call, {{"description", "Her new number"}});
        return call;
    }

    // Presses Sync and waits until the sync it asked for has ended.
    void pressSync()
    {
        const int ended = app.syncsEnded();
        app.clickToolbar(QStringLiteral("Sync"));
        app.waitForService([&] { return app.syncsEnded() > ended; });
        waitForTheEndOfTheSync();
    }
    // Signed in, with the tasks of the Inbox that `titles` names pulled by the start-up sync; their identifiers on
    // the service, in the same order.
    std::vector<qint64> givenInboxPulled(std::initializer_list<QString> titles)
    {
        app.givenSignedIn(QStringLiteral("ann"), QStringLiteral("secret1"), /*autoSync=*/true);
        app.service().enableState();
        std::vector<qint64> ids;
        // Assigned to the user, as the Inbox shows only the user's own tasks.
        for (const QString &title : titles)
            ids.push_back(
                app.service().seed("tasks", {{"title", title}, {"status", "actionable"}, {"assignee_id", 42}}));
        app.launch();
        app.waitForService([this] { return app.syncsEnded() >= 1 && !app.store().isSyncing(); });
        waitForTheEndOfTheSync();
        return ids;
    }
    QString storedTitle(qint64 task) { return app.service().stored("tasks", task)->value("title").toString(); }
    // How many tasks of that title the service holds, and the library.
    qsizetype storedTitled(const QString &title)
    {
        const std::vector<QJsonObject> tasks = app.service().storedAll("tasks");
        return std::count_if(tasks.begin(), tasks.end(),
                             [&](const QJsonObject &task) { return task.value("title").toString() == title; });
    }
    // Deleted ones, which a sync may keep hidden, left out.
    qsizetype heldTitled(const QString &title)
    {
        const std::vector<KNVTCDTask *> tasks = app.store().tasks();
        return std::count_if(tasks.begin(), tasks.end(), [&](const KNVTCDTask *task) {
            return task->title() == title && !task->deletedDate().isValid();
        });
    }
    // A new task in the list shown, saved as the popover's Return saves it.
    void newTask(const QString &title, const QString &notes = {})
    {
        app.clickToolbar(QStringLiteral("New Task"));
        app.typeIn(QStringLiteral("titleTextField"), title);
        if (!notes.isEmpty())
            app.typeIn(QStringLiteral("notesTextView"), notes);
        app.pressReturn();
        app.settle();
    }
    bool storedCompleted(qint64 task)
    {
        return app.service().stored("tasks", task)->value("status").toString() == QLatin1String("completed");
    }
    void renameTask(const QString &title, const QString &newTitle, const QString &list = QStringLiteral("Inbox"))
    {
        app.selectHome(list);
        app.selectRows({title});
        app.clickToolbar(QStringLiteral("Edit"));
        app.typeOver(QStringLiteral("titleTextField"), newTitle);
        app.clickButton(QStringLiteral("saveButton"));
        app.saves().advance(1.0);
        app.settle();
    }

    // The row of that title that says `saying` above it, where given.
    void deleteTask(const QString &title, const QString &saying = {})
    {
        app.selectHome(QStringLiteral("Inbox"));
        app.selectRowSaying(title, saying);
        app.answerAlert(QStringLiteral("Delete"));
        app.press(QStringLiteral("Del"));
        app.settle();
    }
    // Synced, with no word of a change the service refused.
    bool syncedAtNoon()
    {
        const QString line = app.syncStatus();
        return line.startsWith(QStringLiteral("Synced 12:00")) && !line.contains(u';');
    }

    // How many objects of `resource` the service holds whose `key` reads `value`, and how many the library holds,
    // deleted ones left out.
    qsizetype storedWith(QByteArrayView resource, const char *field, const QString &value)
    {
        const std::vector<QJsonObject> objects = app.service().storedAll(resource);
        return std::count_if(objects.begin(), objects.end(),
                             [&](const QJsonObject &object) { return object.value(field).toString() == value; });
    }
    template <class T>
    qsizetype heldWith(const char *field, const QString &value)
    {
        return qsizetype(app.store()
                             .managedObjectContext()
                             ->fetch<T>(ostore::where::key(QString::fromLatin1(field)) == value
                                        && ostore::where::isNull(QStringLiteral("deletedDate")))
                             .size());
    }
    // The rows of the list shown that read `title`.
    qsizetype rowsShown(const QString &list, const QString &title)
    {
        app.selectHome(list);
        const QStringList rows = app.centreRows();
        return std::count_if(rows.begin(), rows.end(), [&](const QString &row) { return row.endsWith(title); });
    }
    // Moves the selected rows to `list` through the toolbar's Move menu.
    void moveSelectedTo(const QString &list)
    {
        app.toolbarMoveMenu([&list](QMenu &menu) {
            for (QAction *action : menu.actions()) {
                if (action->text() == list) {
                    menu.setActiveAction(action);
                    QTest::keyClick(&menu, Qt::Key_Return);
                    return;
                }
            }
        });
        app.settle();
    }

    AppDriver app;
};

QByteArray taskPath(qint64 task)
{
    return "/tasks/" + QByteArray::number(task) + ".json";
}

} // namespace

TEST_F(SyncFeature, AfterTwoFailedSyncsTheSyncButtonStillReachesTheServiceAndTheLineSaysTheLastOneFailed)
{
    app.givenSignedIn(QStringLiteral("ann"), QStringLiteral("secret1"), /*autoSync=*/true);
    app.service().enableState();
    // The connection is cut at the tags, twice: the start-up sync and the first press of Sync.
    app.service().on("GET", "/tags.json").drop();
    app.launch();
    app.waitForService([this] { return app.service().hasRequest("GET", "/tags.json"); });
    waitForTheEndOfTheSync();
    EXPECT_TRUE(failedAtNoonBecause(QStringLiteral("service failed"))) << app.syncStatus().toStdString();

    // The session the press starts may begin and end between two looks: what lasts is the service's log and the count
    // of ended syncs.
    const int ended = app.syncsEnded();
    const qsizetype tags = requests("GET", "/tags.json");
    app.clickToolbar(QStringLiteral("Sync"));
    app.waitForService([&] { return app.syncsEnded() > ended && requests("GET", "/tags.json") > tags; });
    waitForTheEndOfTheSync();
    EXPECT_TRUE(failedAtNoonBecause(QStringLiteral("service failed"))) << app.syncStatus().toStdString();

    app.service().on("GET", "/tags.json").clear().pass();
    app.service().clearRequests();
    app.clickToolbar(QStringLiteral("Sync"));
    app.waitForService([this] { return requests("GET", "/tags.json") == 2; });
    waitForTheEndOfTheSync();
    EXPECT_TRUE(app.syncStatus().startsWith(QStringLiteral("Synced 12:00"))) << app.syncStatus().toStdString();
}

// A sync succeeds only when every request it made went through. One whose push the service refused, or whose reads it
// answered with a failure, leaves the line at "Sync failed" and what it did not send or read to the next sync.
TEST_F(SyncFeature, ASyncWithARefusedPushOrAFailedReadSaysItFailedAndTheNextOneDoesWhatItLeft)
{
    app.givenSignedIn(QStringLiteral("ann"), QStringLiteral("secret1"), /*autoSync=*/true);
    app.service().enableState();
    const qint64 calls = app.service().seedProject(QStringLiteral("Calls"));
    const qint64 callAnn = app.service().seedTask(QStringLiteral("Call Ann"), calls);
    app.launch();
    app.waitForService([this] { return app.taskTitled(QStringLiteral("Call Ann")) && !app.store().isSyncing(); });
    waitForTheEndOfTheSync();
    ASSERT_TRUE(app.syncStatus().startsWith(QStringLiteral("Synced 12:00"))) << app.syncStatus().toStdString();

    using Route = std::pair<QByteArray, QByteArray>;
    struct Case
    {
        const char *what;
        std::vector<Route> failing;
        int status;
        // The failing routes are all the sync asks for.
        bool everyRequest;
        // What the user or another device does before the failing sync.
        std::function<void()> meanwhile;
        // The next sync did what the failed one left.
        std::function<bool()> done;
    };
    const QByteArray callsPath = "/task_lists/" + QByteArray::number(calls) + ".json";
    const std::vector<Case> cases = {
        {"a refused push",
         {{"PUT", "/tasks/" + QByteArray::number(callAnn) + ".json"}},
         503,
         false,
         [this] {
             app.selectHome(QStringLiteral("Calls"));
             app.clickCheckBox(QStringLiteral("Call Ann"));
         },
         [this, callAnn] {
             return app.service().stored("tasks", callAnn)->value("status").toString() == QLatin1String("completed");
         }},
        {"every request answered 503",
         {{"GET", "/account.json"},
          {"GET", "/friendships.json"},
          {"GET", "/friendships/invites.json"},
          {"GET", "/task_lists.json"},
          {"GET", "/task_lists/pending.json"},
          {"GET", "/task_lists/archived.json"},
          {"GET", "/task_lists/declined.json"},
          {"GET", "/tasks/inbox.json"},
          {"GET", "/tags.json"}},
         503,
         true,
         [this] { app.service().seedTask(QStringLiteral("Call Bob")); },
         [this] { return app.taskTitled(QStringLiteral("Call Bob")) != nullptr; }},
        {"the Inbox's read answered 500",
         {{"GET", "/tasks/inbox.json"}},
         500,
         false,
         [this] { app.service().seedTask(QStringLiteral("Call Cy")); },
         [this] { return app.taskTitled(QStringLiteral("Call Cy")) != nullptr; }},
        {"a project's read answered 503",
         {{"GET", callsPath}},
         503,
         false,
         [this, calls] { app.service().seedTask(QStringLiteral("Call Di"), calls); },
         [this] { return app.taskTitled(QStringLiteral("Call Di")) != nullptr; }},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.what);
        for (const auto &[method, path] : c.failing)
            app.service().on(method, path).reply(c.status);
        c.meanwhile();
        app.service().clearRequests();
        app.clickToolbar(QStringLiteral("Sync"));
        app.waitForService([this] { return app.service().hasRequest("GET", "/tags.json"); });
        waitForTheEndOfTheSync();
        EXPECT_TRUE(failedAtNoonBecause(QStringLiteral("service failed"))) << app.syncStatus().toStdString();
        EXPECT_FALSE(c.done());
        for (const FakeSyncService::Request &request : app.service().requests())
            EXPECT_TRUE(!c.everyRequest
                        || std::find(c.failing.begin(), c.failing.end(), Route(request.method, request.path))
                            != c.failing.end())
                << request.method.toStdString() << ' ' << request.path.toStdString() << " did not fail";

        for (const auto &[method, path] : c.failing)
            app.service().on(method, path).clear();
        app.clickToolbar(QStringLiteral("Sync"));
        app.waitForService([&c, this] { return c.done() && !app.store().isSyncing(); });
        waitForTheEndOfTheSync();
        EXPECT_TRUE(app.syncStatus().startsWith(QStringLiteral("Synced 12:00"))) << app.syncStatus().toStdString();
    }
}

TEST_F(SyncFeature, AfterAWrongPasswordTheRightOneTypedInTheIncorrectPasswordWindowSyncs)
{
    app.givenSignedIn(QStringLiteral("ann"), QStringLiteral("secret1"), /*autoSync=*/true);
    app.service().enableState();
    // The stored password and the first one typed are refused.
    app.service().on("GET", "/account.json").reply(401).reply(401).pass();
    app.launch();
    for (const QString &password : {QStringLiteral("wrong1"), QStringLiteral("right2")}) {
        SCOPED_TRACE(password.toStdString());
        // The window asks, at the start and again once the service refused the password typed into it.
        app.waitForService([this] {
            knvt::AuthenticationFailureWindow *asking = app.app().authenticationFailureWindowController();
            // While the service checks a password the field is only read: it keeps the keyboard, not the typing.
            const QLineEdit *field = asking != nullptr
                ? asking->window()->findChild<QLineEdit *>(QStringLiteral("passwordSecureTextField"))
                : nullptr;
            return field != nullptr && field->isEnabled() && !field->isReadOnly();
        });
        if (password == QLatin1String("right2")) {
            EXPECT_TRUE(failedAtNoonBecause(QStringLiteral("password refused"))) << app.syncStatus().toStdString();
        } else {
            // A sync opened it: the user goes to it first. Refused, it keeps the keyboard for the next try.
            app.goToThePasswordWindow();
        }
        // A refused password stays in the field, selected to be typed over.
        app.typeOver(QStringLiteral("passwordSecureTextField"), password);
        app.clickButton(QStringLiteral("saveButton"));
        // The service's check of each, then the sync the right one resumes.
        app.waitForService([&] { return requests("GET", "/account.json") >= (password == "wrong1" ? 2 : 4); });
    }
    waitForTheEndOfTheSync();
    EXPECT_EQ(app.service().lastRequest("GET", "/account.json")->header("Authorization"),
              "Basic " + QByteArray("ann:right2").toBase64());
    EXPECT_TRUE(app.service().hasRequest("GET", "/tags.json"));
    EXPECT_TRUE(app.syncStatus().startsWith(QStringLiteral("Synced 12:00"))) << app.syncStatus().toStdString();
}

// Another device moves a task the user is editing, or archives its project, while the user's tick of it waits for its
// push: the task stays the one object it was, the form stays open with what was typed (or, once the task may no longer
// be changed, closes and gives it back), and the tick goes out next.
TEST_F(SyncFeature, ATaskMovedOrArchivedElsewhereStaysUnderItsOpenFormAndItsUnpushedTickIsPushed)
{
    struct Case
    {
        const char *elsewhere;
        std::function<void(qint64 garden, qint64 shed, qint64 paint)> change;
        QString listAfter;
        bool archived;
    };
    const std::vector<Case> cases = {
        {"moved to a project read later",
         [this](qint64, qint64 shed, qint64 paint) {
             app.service().update("tasks", paint, {{"task_list_id", shed}});
         },
         QStringLiteral("Shed"), false},
        {"moved to the Inbox",
         [this](qint64, qint64, qint64 paint) {
             app.service().update("tasks", paint, {{"task_list_id", QJsonValue::Null}});
         },
         QString(), false},
        {"its project archived",
         [this](qint64 garden, qint64, qint64) {
             app.service().update("task_lists", garden,
                                  {{"archived_at", knvt::test::fixtureDate(1)}, {"status", "completed"}});
         },
         QStringLiteral("Garden"), true},
    };
    app.givenSignedIn(QStringLiteral("ann"), QStringLiteral("secret1"), /*autoSync=*/true);
    app.service().enableState();
    app.launch();
    // A press of Sync while the start-up sync still runs adds no sync of its own, and that one may have read the
    // tasks before the service had Paint.
    app.waitForService([this] { return app.syncsEnded() >= 1 && !app.store().isSyncing(); });
    for (const Case &c : cases) {
        SCOPED_TRACE(c.elsewhere);
        const qint64 garden = app.service().seedProject(QStringLiteral("Garden"));
        const qint64 shed = app.service().seedProject(QStringLiteral("Shed"));
        const qint64 paint = app.service().seedTask(QStringLiteral("Paint"), garden);
        app.clickToolbar(QStringLiteral("Sync"));
        app.waitForService([this] { return app.taskTitled(QStringLiteral("Paint")) && !app.store().isSyncing(); });
        KNVTCDTask *task = app.taskTitled(QStringLiteral("Paint"));
        ASSERT_NE(task, nullptr);

        // The next sync has pushed and waits for its pulls when the user ticks the task and starts to edit it.
        app.service().clearRequests();
        app.service().on("GET", "/account.json").hold();
        app.clickToolbar(QStringLiteral("Sync"));
        app.waitForService([this] { return app.service().hasRequest("GET", "/account.json"); });
        app.selectHome(QStringLiteral("Garden"));
        app.clickCheckBox(QStringLiteral("Paint"));
        app.selectRows({QStringLiteral("Paint")});
        app.clickToolbar(QStringLiteral("Edit"));
        app.typeIn(QStringLiteral("titleTextField"), QStringLiteral(" the fence"));
        const qsizetype alerts = app.alertsShown().size();
        if (c.archived)
            app.answerAlert(QStringLiteral("OK"));
        c.change(garden, shed, paint);
        app.service().on("GET", "/account.json").clear().pass();
        app.service().release("GET", "/account.json");
        app.waitForService([this] { return !app.store().isSyncing(); });

        ASSERT_EQ(app.taskTitled(QStringLiteral("Paint")), task) << "the same object";
        EXPECT_EQ(task->taskList() ? task->taskList()->title() : QString(), c.listAfter);
        EXPECT_EQ(task->taskList() && task->taskList()->archivedDate().isValid(), c.archived);
        EXPECT_TRUE(task->isCompleted());
        if (c.archived) {
            ASSERT_EQ(app.alertsShown().size(), alerts + 1);
            EXPECT_TRUE(app.alertsShown().last().endsWith(QStringLiteral("What you typed:\n\nPaint the fence [OK]")))
                << app.alertsShown().last().toStdString();
            EXPECT_TRUE(app.openEditors().isEmpty());
        } else {
            EXPECT_EQ(app.alertsShown().size(), alerts) << "nothing went away";
            ASSERT_FALSE(app.openEditors().isEmpty()) << "the form stays open";
            EXPECT_EQ(app.fieldText(QStringLiteral("titleTextField")), QStringLiteral("Paint the fence"));
            app.press(QStringLiteral("Escape"));
            app.settle();
        }

        app.service().clearRequests();
        app.clickToolbar(QStringLiteral("Sync"));
        app.waitForService(
            [this] { return app.service().hasRequest("GET", "/tags.json") && !app.store().isSyncing(); });
        EXPECT_EQ(app.service().stored("tasks", paint)->value("status").toString(), QStringLiteral("completed"))
            << "the tick was pushed";
        app.service().remove("tasks", paint);
        app.service().remove("task_lists", garden);
        app.service().remove("task_lists", shed);
        app.clickToolbar(QStringLiteral("Sync"));
        app.waitForService([this] { return !app.taskTitled(QStringLiteral("Paint")) && !app.store().isSyncing(); });
    }
}

// Another device changes the notes of a task; the user ticks it while the sync that brings those notes is pulling.
TEST_F(SyncFeature, ATickMadeWhileAPullBringsNewNotesOfTheTaskSurvivesAndIsPushed)
{
    const qint64 call = givenCallAnnPulledThenGivenNewNotesElsewhere();
    app.service().clearRequests();
    app.service().on("GET", "/account.json").hold();
    app.clickToolbar(QStringLiteral("Sync"));
    app.waitForService([this] { return app.service().hasRequest("GET", "/account.json"); });
    app.selectHome(QStringLiteral("Calls"));
    app.clickCheckBox(QStringLiteral("Call Ann"));
    app.service().on("GET", "/account.json").clear().pass();
    app.service().releaseAll();
    app.waitForService([this] { return app.service().hasRequest("GET", "/tags.json") && !app.store().isSyncing(); });

    KNVTCDTask *task = app.taskTitled(QStringLiteral("Call Ann"));
    ASSERT_NE(task, nullptr);
    EXPECT_TRUE(task->isCompleted()) << "the tick survives the pull";
    EXPECT_EQ(task->notes(), QStringLiteral("Her new number")) << "and the pull's notes stay";

    app.service().clearRequests();
    app.clickToolbar(QStringLiteral("Sync"));
    app.waitForService([this] { return app.service().hasRequest("GET", "/tags.json") && !app.store().isSyncing(); });
    const std::optional<QJsonObject> stored = app.service().stored("tasks", call);
    ASSERT_TRUE(stored.has_value());
    EXPECT_EQ(stored->value("status").toString(), QStringLiteral("completed")) << "the tick was pushed";
    EXPECT_EQ(stored->value("description").toString(), QStringLiteral("Her new number"));
}

// The sync has applied the service's new notes of a task and waits for its last pull when the user writes notes of
// their own and saves them: the user's notes are what the library keeps, and they go out with the next sync.
TEST_F(SyncFeature, NotesTheUserSavesWhileASyncRunsOutliveTheNotesItPulledBefore)
{
    const qint64 call = givenCallAnnPulledThenGivenNewNotesElsewhere();
    app.service().clearRequests();
    app.service().on("GET", "/tags.json").hold();
    app.clickToolbar(QStringLiteral("Sync"));
    app.waitForService([this] { return app.service().hasRequest("GET", "/tags.json"); });
    app.selectHome(QStringLiteral("Calls"));
    app.selectRows({QStringLiteral("Call Ann")});
    app.clickToolbar(QStringLiteral("Edit"));
    app.typeIn(QStringLiteral("notesTextView"), QStringLiteral("Ask about Sunday"));
    app.clickButton(QStringLiteral("saveButton"));
    // The form saves at once, while the sync still waits.
    ASSERT_FALSE(app.store().managedObjectContext()->hasChanges());
    app.service().on("GET", "/tags.json").clear().pass();
    app.service().releaseAll();
    app.waitForService([this] { return !app.store().isSyncing(); });

    KNVTCDTask *task = app.taskTitled(QStringLiteral("Call Ann"));
    ASSERT_NE(task, nullptr);
    EXPECT_EQ(task->notes(), QStringLiteral("Ask about Sunday"));

    app.clickToolbar(QStringLiteral("Sync"));
    app.waitForService([&] {
        return app.service().hasRequest("PUT", "/tasks/" + QByteArray::number(call) + ".json")
            && !app.store().isSyncing();
    });
    EXPECT_EQ(app.service().stored("tasks", call)->value("description").toString(), QStringLiteral("Ask about Sunday"));
}

// Another device moves a task of the Inbox into a project whose read then fails: nothing is removed on the strength of
// that sync, so the task stays the object it was, with the title the user gave it whose push failed too, and the next
// sync moves it into the project and pushes the title.
TEST_F(SyncFeature, AnInboxTaskMovedIntoAProjectWhoseReadFailsStaysTheSameObjectAndKeepsItsUnsentTitle)
{
    const std::vector<qint64> ids = givenInboxPulled({QStringLiteral("Call Ann"), QStringLiteral("Call Bob")});
    const qint64 calls = app.service().seedProject(QStringLiteral("Calls"));
    const QByteArray callsPath = "/task_lists/" + QByteArray::number(calls) + ".json";
    pressSync();
    const struct
    {
        qint64 task;
        QString title;
        QString editedTitle; // empty: not edited
    } cases[] = {{ids[0], QStringLiteral("Call Ann"), QString()},
                 {ids[1], QStringLiteral("Call Bob"), QStringLiteral("Call Bob at home")}};
    for (const auto &c : cases) {
        SCOPED_TRACE(c.title.toStdString());
        KNVTCDTask *task = app.taskTitled(c.title);
        ASSERT_NE(task, nullptr);
        const QString title = c.editedTitle.isEmpty() ? c.title : c.editedTitle;
        if (!c.editedTitle.isEmpty()) {
            renameTask(c.title, c.editedTitle);
            app.service().on("PUT", taskPath(c.task)).reply(503);
        }
        app.service().update("tasks", c.task, {{"task_list_id", calls}});
        app.service().on("GET", callsPath).reply(503);
        pressSync();
        EXPECT_TRUE(failedAtNoonBecause(QStringLiteral("service failed"))) << app.syncStatus().toStdString();
        EXPECT_EQ(app.taskTitled(title), task) << "the same object, with its title";

        app.service().on("GET", callsPath).clear();
        app.service().on("PUT", taskPath(c.task)).clear();
        pressSync();
        ASSERT_EQ(app.taskTitled(title), task);
        ASSERT_NE(task->taskList(), nullptr);
        EXPECT_EQ(task->taskList()->title(), QStringLiteral("Calls"));
        EXPECT_EQ(storedTitle(c.task), title);
        EXPECT_TRUE(app.syncStatus().startsWith(QStringLiteral("Synced 12:00"))) << app.syncStatus().toStdString();
    }
}

// The service answers 404 once to what it still holds: the read of a project, the completion or the deletion of a task.
// The sync says it failed; the next one brings the project back, since the service still lists it, and sends the
// completion or the deletion again, which the service then takes.
TEST_F(SyncFeature, AProjectOrATaskChangeAnswered404OnceWhileTheServiceHoldsItEndsAsTheUserLeftIt)
{
    const std::vector<qint64> ids = givenInboxPulled({QStringLiteral("Call Ann"), QStringLiteral("Call Bob")});
    const qint64 garden = app.service().seedProject(QStringLiteral("Garden"));
    app.service().seedTask(QStringLiteral("Dig"), garden);
    pressSync();
    ASSERT_NE(app.taskTitled(QStringLiteral("Dig")), nullptr);
    const struct
    {
        const char *what;
        std::function<void()> change;
        QByteArray method;
        QByteArray path;
        std::function<bool()> done;
    } cases[] = {
        {"a project's read", [&] { app.service().seedTask(QStringLiteral("Weed"), garden); }, "GET",
         "/task_lists/" + QByteArray::number(garden) + ".json",
         [this] {
             const KNVTCDTask *weed = app.taskTitled(QStringLiteral("Weed"));
             return weed && weed->taskList() && weed->taskList()->title() == QLatin1String("Garden");
         }},
        {"a completion",
         [this] {
             app.selectHome(QStringLiteral("Inbox"));
             app.clickCheckBox(QStringLiteral("Call Ann"));
         },
         "PUT", taskPath(ids[0]),
         [&] {
             const KNVTCDTask *task = app.taskTitled(QStringLiteral("Call Ann"));
             return task && task->isCompleted() && storedCompleted(ids[0]);
         }},
        {"a deletion",
         [this] {
             app.selectHome(QStringLiteral("Inbox"));
             app.selectRows({QStringLiteral("Call Bob")});
             app.answerAlert(QStringLiteral("Delete"));
             app.press(QStringLiteral("Del"));
             app.settle();
         },
         "DELETE", taskPath(ids[1]),
         [&] { return !app.taskTitled(QStringLiteral("Call Bob")) && !app.service().stored("tasks", ids[1]); }}};
    for (const auto &c : cases) {
        SCOPED_TRACE(c.what);
        c.change();
        app.service().on(c.method, c.path).json(404, "{}").pass();
        pressSync();
        EXPECT_TRUE(failedAtNoonBecause(QStringLiteral("service failed"))) << app.syncStatus().toStdString();
        EXPECT_FALSE(c.done());

        pressSync();
        EXPECT_TRUE(c.done());
        EXPECT_TRUE(app.syncStatus().startsWith(QStringLiteral("Synced 12:00"))) << app.syncStatus().toStdString();
    }
}

// The service refuses a new task, or a new title, as it is (422): the task stays with what the user typed, the line
// names it with the service's reason for as long as it is refused, the other changes of the same sync go out, and once
// the service takes it the line says "Synced".
TEST_F(SyncFeature, AChangeTheServiceRefusesIsKeptAndNamedWhileTheOtherChangesArePushed)
{
    const std::vector<qint64> ids =
        givenInboxPulled({QStringLiteral("Call Ann"), QStringLiteral("Call Bob"), QStringLiteral("Call Cy")});
    const struct
    {
        const char *what;
        std::function<void()> change;
        QByteArray method;
        QByteArray path;
        QString title;
        qint64 other;
    } cases[] = {{"a new task",
                  [this] {
                      app.clickToolbar(QStringLiteral("New Task"));
                      app.typeIn(QStringLiteral("titleTextField"), QStringLiteral("Buy milk"));
                      app.pressReturn();
                      app.settle();
                  },
                  "POST", "/tasks.json", QStringLiteral("Buy milk"), ids[1]},
                 {"a new title",
                  [this] { renameTask(QStringLiteral("Call Ann"), QStringLiteral("Call Ann about Sunday")); }, "PUT",
                  taskPath(ids[0]), QStringLiteral("Call Ann about Sunday"), ids[2]}};
    for (const auto &c : cases) {
        SCOPED_TRACE(c.what);
        c.change();
        app.selectHome(QStringLiteral("Inbox"));
        app.clickCheckBox(c.other == ids[1] ? QStringLiteral("Call Bob") : QStringLiteral("Call Cy"));
        app.service().on(c.method, c.path).json(422, R"({"title":["is too long"]})");
        for (int refused = 0; refused < 2; ++refused) {
            pressSync();
            // The sync itself went through.
            const QString line = app.syncStatus();
            EXPECT_TRUE(line.startsWith(QStringLiteral("Synced 12:00"))
                        && line.endsWith(QStringLiteral("; the service refused “%1” (title is too long)").arg(c.title)))
                << line.toStdString();
            EXPECT_NE(app.taskTitled(c.title), nullptr) << "what the user typed is kept";
            EXPECT_TRUE(storedCompleted(c.other)) << "the other change went out";
        }

        app.service().on(c.method, c.path).clear();
        pressSync();
        EXPECT_TRUE(syncedAtNoon()) << app.syncStatus().toStdString();
        ASSERT_NE(app.taskTitled(c.title), nullptr);
        EXPECT_EQ(storedTitle(*app.taskTitled(c.title)->numericIdentifier()), c.title);
    }
}

// A read fails; the push-only sync that an edit starts a moment later reads nothing, so the line keeps the failure
// instead of going back to the success before it, until a sync reads again.
TEST_F(SyncFeature, APushOnlySyncAfterAFailedReadKeepsTheFailureOnTheLine)
{
    app.store().setPushSyncingEnabled(true);
    const std::vector<qint64> ids = givenInboxPulled({QStringLiteral("Call Ann")});
    app.service().seedTask(QStringLiteral("Call Bob"));
    app.service().on("GET", "/tasks/inbox.json").reply(503);
    pressSync();
    ASSERT_TRUE(failedAtNoonBecause(QStringLiteral("service failed"))) << app.syncStatus().toStdString();

    // The push waits ten seconds after the last save; the scenario does not.
    knvt::Timing::setScale(0.01);
    const int ended = app.syncsEnded();
    app.service().clearRequests();
    app.selectHome(QStringLiteral("Inbox"));
    app.clickCheckBox(QStringLiteral("Call Ann"));
    app.waitForService([&] { return app.syncsEnded() > ended && storedCompleted(ids[0]); });
    knvt::Timing::setScale(1.0);
    waitForTheEndOfTheSync();
    EXPECT_FALSE(app.service().hasRequest("GET", "/tasks/inbox.json")) << "the sync read nothing";
    EXPECT_TRUE(failedAtNoonBecause(QStringLiteral("service failed"))) << app.syncStatus().toStdString();

    app.service().on("GET", "/tasks/inbox.json").clear();
    pressSync();
    EXPECT_NE(app.taskTitled(QStringLiteral("Call Bob")), nullptr);
    EXPECT_TRUE(app.syncStatus().startsWith(QStringLiteral("Synced 12:00"))) << app.syncStatus().toStdString();
}

// The service no longer serves this version: the sync has ended by the time the alert that says so asks, and the line
// says why rather than "Syncing" until the alert is answered; so does Sync, disabled.
TEST_F(SyncFeature, TheLineSaysANewerVersionIsNeededWhileTheAlertAsks)
{
    givenInboxPulled({QStringLiteral("Call Ann")});
    app.service().on("GET", "/account.json").json(410, "{}");
    QString lineWhileAsked;
    app.answerAlert(QStringLiteral("OK"), {.whileShown = [&] { lineWhileAsked = app.syncStatus(); }});
    pressSync();
    app.waitForService([&] { return !lineWhileAsked.isEmpty(); });
    EXPECT_TRUE(lineWhileAsked.startsWith(QStringLiteral("Sync failed 12:00"))
                && lineWhileAsked.endsWith(QStringLiteral("(newer version needed)")))
        << lineWhileAsked.toStdString();
    // Sync, disabled now, says why too, in its tooltip and to a screen reader.
    const QString why = QStringLiteral("Sync stopped because the sync service needs a newer version of Quillvane. "
                                       "Update Quillvane with your system's package manager to sync again.");
    EXPECT_FALSE(app.toolbarEnabled(QStringLiteral("Sync")));
    EXPECT_EQ(app.toolbarHelp(QStringLiteral("Sync")), (QStringList{why, why}));
}

// Another device archives a project, whether or not it closes it first: the project shows under Archived and stays
// there through later syncs, and the projects archived before it keep their tasks.
TEST_F(SyncFeature, AProjectArchivedElsewhereShowsUnderArchivedWhateverItsStatus)
{
    app.givenSignedIn(QStringLiteral("ann"), QStringLiteral("secret1"), /*autoSync=*/true);
    app.service().enableState();
    const qint64 shed = app.service().seedProject(QStringLiteral("Shed"));
    app.service().seedTask(QStringLiteral("Paint"), shed);
    app.service().update("task_lists", shed, {{"archived_at", knvt::test::fixtureDate(1)}});
    app.launch();
    app.waitForService([this] { return app.syncsEnded() >= 1 && !app.store().isSyncing(); });
    waitForTheEndOfTheSync();
    const struct
    {
        const char *status;
        QString project;
        QString task;
    } cases[] = {{"actionable", QStringLiteral("Garden"), QStringLiteral("Dig")},
                 {"someday", QStringLiteral("Attic"), QStringLiteral("Sort")},
                 {"completed", QStringLiteral("Yard"), QStringLiteral("Rake")}};
    QStringList archived{QStringLiteral("[ ] Shed")};
    for (const auto &c : cases) {
        SCOPED_TRACE(c.status);
        const qint64 project = app.service().seedProject(c.project);
        app.service().update("task_lists", project, {{"status", c.status}});
        app.service().seedTask(c.task, project);
        pressSync();
        ASSERT_NE(app.taskTitled(c.task), nullptr);

        app.service().update("task_lists", project, {{"archived_at", knvt::test::fixtureDate(2)}});
        pressSync();
        // Another device then adds to it, and the next sync reads it again.
        app.service().seedTask(c.task + QStringLiteral(" again"), project);
        pressSync();
        EXPECT_FALSE(app.homeRows().contains(QStringLiteral("  ") + c.project))
            << app.homeRows().join(u'|').toStdString();
        archived.append((c.status == QLatin1String("completed") ? QStringLiteral("[x] ") : QStringLiteral("[ ] "))
                        + c.project);
        archived.sort();
        app.selectHome(QStringLiteral("Archived"));
        QStringList shown = app.centreRows();
        shown.sort();
        EXPECT_EQ(shown, archived);
        for (const QString &task : {QStringLiteral("Paint"), c.task, c.task + QStringLiteral(" again")})
            EXPECT_NE(app.taskTitled(task), nullptr) << task.toStdString();
        EXPECT_TRUE(app.syncStatus().startsWith(QStringLiteral("Synced 12:00"))) << app.syncStatus().toStdString();
    }
}

// The service answers the read of a project 404 once, while the project holds a task the user edited during the sync,
// one the user added and one whose new title the service refuses: none of them is lost, and once the service answers
// as it should again, it holds all three, each once.
TEST_F(SyncFeature, AProjectRead404OnceKeepsTheUsersUnsentWorkInItAndTheServiceGetsItOnce)
{
    app.givenSignedIn(QStringLiteral("ann"), QStringLiteral("secret1"), /*autoSync=*/true);
    app.service().enableState();
    const qint64 garden = app.service().seedProject(QStringLiteral("Garden"));
    app.service().seedTask(QStringLiteral("Dig"), garden);
    const qint64 weed = app.service().seedTask(QStringLiteral("Weed"), garden);
    app.launch();
    app.waitForService([this] { return app.syncsEnded() >= 1 && !app.store().isSyncing(); });
    waitForTheEndOfTheSync();
    app.service().on("PUT", taskPath(weed)).json(422, R"({"title":["is too long"]})");
    renameTask(QStringLiteral("Weed"), QStringLiteral("Weed the beds"), QStringLiteral("Garden"));
    pressSync();
    ASSERT_TRUE(app.syncStatus().contains(QStringLiteral("the service refused"))) << app.syncStatus().toStdString();

    // Another device adds to the project, so the next sync reads it; the user works in it while that read waits.
    app.service().seedTask(QStringLiteral("Water"), garden);
    const QByteArray gardenPath = "/task_lists/" + QByteArray::number(garden) + ".json";
    app.service().on("GET", gardenPath).json(404, "{}").hold().pass();
    app.service().clearRequests();
    const int ended = app.syncsEnded();
    app.clickToolbar(QStringLiteral("Sync"));
    app.waitForService([&] { return app.service().hasRequest("GET", gardenPath); });
    renameTask(QStringLiteral("Dig"), QStringLiteral("Dig deep"), QStringLiteral("Garden"));
    app.clickToolbar(QStringLiteral("New Task"));
    app.typeIn(QStringLiteral("titleTextField"), QStringLiteral("Plant"));
    app.pressReturn();
    app.saves().advance(1.0);
    app.settle();
    app.service().release("GET", gardenPath);
    app.waitForService([&] { return app.syncsEnded() > ended; });
    waitForTheEndOfTheSync();
    for (const QString &title :
         {QStringLiteral("Dig deep"), QStringLiteral("Plant"), QStringLiteral("Weed the beds")}) {
        const KNVTCDTask *task = app.taskTitled(title);
        EXPECT_TRUE(task && task->taskList() && task->taskList()->title() == QLatin1String("Garden"))
            << title.toStdString() << " kept in its project";
    }

    app.service().on("PUT", taskPath(weed)).clear();
    pressSync();
    pressSync();
    QStringList held;
    for (const QJsonObject &task : app.service().storedAll("tasks")) {
        if (task.value("task_list_id").toInteger() == garden)
            held.append(task.value("title").toString());
    }
    held.sort();
    EXPECT_EQ(held, (QStringList{"Dig deep", "Plant", "Water", "Weed the beds"}));
    EXPECT_TRUE(syncedAtNoon()) << app.syncStatus().toStdString();
}

// The service answers a completion and a deletion 200 with a body that is no answer of its own (a hotel's sign-in
// page), or with JSON that holds no task: the sync failed, and the next one sends both again.
TEST_F(SyncFeature, ACompletionAndADeletionAnsweredWithAnUnreadableBodyAreSentAgain)
{
    const std::vector<qint64> ids =
        givenInboxPulled({QStringLiteral("Call Ann"), QStringLiteral("Call Bob"), QStringLiteral("Call Cy"),
                          QStringLiteral("Call Di"), QStringLiteral("Call Ed"), QStringLiteral("Call Flo")});
    const struct
    {
        QByteArray body;
        QByteArray type;
        qint64 completed;
        QString completedTitle;
        qint64 deleted;
        QString deletedTitle;
        // An empty body is a deletion's answer (204), never an update's, whose answer holds the object.
        bool deletionDone;
    } cases[] = {
        {"<html>Sign in to the hotel Wi-Fi</html>", "text/html", ids[0], QStringLiteral("Call Ann"), ids[1],
         QStringLiteral("Call Bob"), false},
        {"{}", "application/json", ids[2], QStringLiteral("Call Cy"), ids[3], QStringLiteral("Call Di"), false},
        {"", "application/json", ids[4], QStringLiteral("Call Ed"), ids[5], QStringLiteral("Call Flo"), true}};
    for (const auto &c : cases) {
        SCOPED_TRACE(c.body.toStdString());
        // Both answered 200 with the body; the service made the deletion, not the completion.
        app.service().on("PUT", taskPath(c.completed)).reply(200, c.body, {{"Content-Type", c.type}});
        app.service().on("DELETE", taskPath(c.deleted)).rewrite(200, c.body);
        app.selectHome(QStringLiteral("Inbox"));
        app.clickCheckBox(c.completedTitle);
        deleteTask(c.deletedTitle);
        pressSync();
        EXPECT_TRUE(failedAtNoonBecause(QStringLiteral("unreadable reply"))) << app.syncStatus().toStdString();
        EXPECT_FALSE(storedCompleted(c.completed));

        app.service().on("PUT", taskPath(c.completed)).clear();
        app.service().on("DELETE", taskPath(c.deleted)).clear();
        pressSync();
        EXPECT_TRUE(storedCompleted(c.completed));
        EXPECT_FALSE(app.service().stored("tasks", c.deleted).has_value());
        EXPECT_EQ(requests("DELETE", taskPath(c.deleted).constData()), c.deletionDone ? 1 : 2);
        EXPECT_TRUE(syncedAtNoon()) << app.syncStatus().toStdString();
    }
}

// The user's picture never reads (a page instead of an image) while another device deletes tasks: each sync removes
// what was deleted and reads what did not change by its tag, and the line names the picture, sync after sync.
TEST_F(SyncFeature, APictureThatNeverReadsIsNamedAndStopsNoRemoval)
{
    app.service()
        .on("GET", "/users/42/avatar/medium.png")
        .reply(200, "<html>Sign in to the hotel Wi-Fi</html>", {{"Content-Type", "text/html"}});
    const std::vector<qint64> ids = givenInboxPulled({QStringLiteral("Call Ann"), QStringLiteral("Call Bob")});
    app.service().update("users", 42,
                         {{"avatar_content_type", "image/png"}, {"avatar_updated_at", knvt::test::fixtureDate(60)}});
    // Read whole by the first of the syncs below only.
    app.service().seed("tags", {{"title", "Errands"}});
    for (std::size_t deleted = 0; deleted < ids.size(); ++deleted) {
        SCOPED_TRACE(deleted);
        app.service().remove("tasks", ids[deleted]);
        app.service().clearRequests();
        pressSync();
        EXPECT_EQ(app.taskTitled(deleted == 0 ? QStringLiteral("Call Ann") : QStringLiteral("Call Bob")), nullptr);
        EXPECT_TRUE(app.service().hasRequest("GET", "/users/42/avatar/medium.png")) << "still due";
        const QString line = app.syncStatus();
        EXPECT_TRUE(line.startsWith(QStringLiteral("Sync failed 12:00")) && line.contains(QStringLiteral("picture"))
                    && line.endsWith(QStringLiteral("(unreadable reply)")))
            << line.toStdString();
        EXPECT_EQ(app.service().lastRequest("GET", "/tags.json")->status, deleted == 0 ? 200 : 304)
            << "read by the tag the sync before learnt";
    }
}

// The service does not allow a deletion, every time it is asked: the task is back, the line says the sync went through
// and names the deletion undone once, and the next sync sends nothing of it and reads every collection, unchanged, by
// its tag.
TEST_F(SyncFeature, ADeletionTheServiceDoesNotAllowIsUndoneAndNamedOnce)
{
    const std::vector<qint64> ids = givenInboxPulled({QStringLiteral("Call Ann"), QStringLiteral("Call Bob")});
    app.service().on("DELETE", taskPath(ids[1])).json(403, "{}");
    deleteTask(QStringLiteral("Call Bob"));
    pressSync();
    EXPECT_NE(app.taskTitled(QStringLiteral("Call Bob")), nullptr);
    app.selectHome(QStringLiteral("Inbox"));
    EXPECT_TRUE(app.centreRows().contains(QStringLiteral("[ ] Call Bob"))) << app.centreRows().join(u'|').toStdString();
    const QString line = app.syncStatus();
    EXPECT_TRUE(line.startsWith(QStringLiteral("Synced 12:00"))
                && line.endsWith(QStringLiteral("; the service did not allow “Call Bob”, undone")))
        << line.toStdString();

    app.service().clearRequests();
    pressSync();
    EXPECT_FALSE(app.service().hasRequest("DELETE", taskPath(ids[1])));
    for (const FakeSyncService::Request &request : app.service().requests())
        EXPECT_EQ(request.status, 304) << request.method.toStdString() << ' ' << request.path.toStdString();
    EXPECT_TRUE(syncedAtNoon()) << app.syncStatus().toStdString();
}

// The service refuses two new titles as they are: the line names the first and counts the other; a title of 600
// characters takes one line of it, cut with "…", the line stays within three lines, and its tooltip says it all.
TEST_F(SyncFeature, RefusedChangesAreAllCountedOnALineOfAtMostThreeLines)
{
    const std::vector<qint64> ids = givenInboxPulled({QStringLiteral("Call Ann"), QStringLiteral("Call Bob")});
    for (const qint64 id : ids)
        app.service().on("PUT", taskPath(id)).json(422, R"({"title":["is too long"]})");
    renameTask(QStringLiteral("Call Ann"), QStringLiteral("Call Ann about Sunday"));
    renameTask(QStringLiteral("Call Bob"), QStringLiteral("Call Bob about Monday"));
    pressSync();
    QString line = app.syncStatus();
    EXPECT_TRUE(line.startsWith(QStringLiteral("Synced 12:00"))
                && line.contains(QStringLiteral("the service refused “Call "))
                && line.endsWith(QStringLiteral("and 1 more (title is too long)")))
        << line.toStdString();

    app.service().on("PUT", taskPath(ids[1])).clear();
    QString longTitle;
    while (longTitle.size() < 600)
        longTitle += QStringLiteral("Call Ann about the plans for Sunday, ");
    longTitle.truncate(599);
    longTitle += u'?';
    renameTask(QStringLiteral("Call Ann about Sunday"), longTitle);
    pressSync();
    line = app.syncStatus();
    EXPECT_TRUE(line.startsWith(QStringLiteral("Synced 12:00")) && line.contains(QStringLiteral("…"))
                && line.endsWith(QStringLiteral("(title is too long)")))
        << line.toStdString();
    EXPECT_LE(app.syncStatusLines(), 3);
    EXPECT_TRUE(app.syncStatusShowsWhole());
    EXPECT_TRUE(app.syncStatusToolTip().startsWith(QStringLiteral("Synced 12:00"))
                && app.syncStatusToolTip().contains(longTitle)
                && app.syncStatusToolTip().endsWith(QStringLiteral("(title is too long)")))
        << app.syncStatusToolTip().toStdString();
}

// The service answers 404 once to a change of what a task holds, while it still holds it: a comment edited (answered
// 503 first), a watcher removed, a tag taken off. The change stays, the read of the task brings the object back with the
// user's change over it, and the next sync sends the change, which the service takes.
TEST_F(SyncFeature, AChangeOfWhatATaskHoldsAnswered404OnceWhileTheServiceHoldsItReachesTheService)
{
    app.givenSignedIn(QStringLiteral("ann"), QStringLiteral("secret1"), /*autoSync=*/true);
    FakeSyncService &service = app.service();
    service.enableState();
    service.seed("users", knvt::test::user(43, QStringLiteral("ned"), {{"first_name", "Ned"}}));
    const qint64 club = service.seedProject(QStringLiteral("Club"));
    service.seed("task_list_collaborators",
                 {{"task_list_id", club}, {"user_id", 43}, {"status", "accepted"}, {"role", "editor"}});
    const qint64 water = service.seedTask(QStringLiteral("Water plants"), club);
    const qint64 comment = service.seed(
        "comments",
        {{"text", "See you at six"}, {"commentable_id", water}, {"commentable_type", "Task"}, {"user_id", 42}});
    const qint64 watcher = service.seed("task_watchers", {{"task_id", water}, {"user_id", 43}});
    const qint64 errand = service.seed("tags", {{"title", "errand"}});
    const qint64 link =
        service.seed("tagged_items", {{"tag_id", errand}, {"taggable_id", water}, {"taggable_type", "Task"}});
    app.launch();
    app.waitForService([this] { return app.syncsEnded() >= 1 && !app.store().isSyncing(); });
    waitForTheEndOfTheSync();
    ASSERT_TRUE(syncedAtNoon()) << app.syncStatus().toStdString();

    const QString edited = QStringLiteral("See you at six, or seven");
    const auto editWaterPlants = [this](const QString &tokens) {
        app.selectHome(QStringLiteral("Club"));
        app.selectRows({QStringLiteral("Water plants")});
        app.clickToolbar(QStringLiteral("Edit"));
        app.removeLastToken(tokens);
        app.clickButton(QStringLiteral("saveButton"));
        app.saves().advance(1.0);
        app.settle();
    };
    const struct
    {
        const char *what;
        std::function<void()> change;
        QByteArray method;
        QByteArray path;
        std::vector<int> faults;
        std::function<bool()> done;
    } cases[] = {
        {"a comment edited",
         [&] {
             app.selectHome(QStringLiteral("Club"));
             app.selectRows({QStringLiteral("Water plants")});
             app.clickDetailCommentButton(QStringLiteral("See you at six"), QStringLiteral("Edit"));
             app.typeIn(QStringLiteral("commentTextView"), QStringLiteral(", or seven"));
             app.pressCtrlReturn();
             app.wait(1);
         },
         "PUT",
         "/comments/" + QByteArray::number(comment) + ".json",
         {503, 404},
         [&] {
             const KNVTCDTask *task = app.taskTitled(QStringLiteral("Water plants"));
             const std::vector<KNVTCDTaskComment *> comments =
                 task ? task->commentsOrderedByCreatedDate() : std::vector<KNVTCDTaskComment *>();
             return service.stored("comments", comment)->value("text").toString() == edited && comments.size() == 1
                 && comments.front()->text() == edited;
         }},
        {"a watcher removed",
         [&] { editWaterPlants(QStringLiteral("watchersTokenField")); },
         "DELETE",
         "/task_watchers/" + QByteArray::number(watcher) + ".json",
         {404},
         [&] { return !service.stored("task_watchers", watcher).has_value(); }},
        {"a tag taken off",
         [&] { editWaterPlants(QStringLiteral("tagsTokenField")); },
         "DELETE",
         "/tagged_items/" + QByteArray::number(link) + ".json",
         {404},
         [&] { return !service.stored("tagged_items", link).has_value(); }},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.what);
        c.change();
        FakeSyncService::Route route = service.on(c.method, c.path);
        for (const int status : c.faults)
            route.json(status, "{}");
        route.pass();
        for (size_t fault = 0; fault < c.faults.size(); ++fault) {
            pressSync();
            EXPECT_TRUE(failedAtNoonBecause(QStringLiteral("service failed"))) << app.syncStatus().toStdString();
            EXPECT_FALSE(c.done());
        }
        pressSync();
        EXPECT_TRUE(c.done());
        EXPECT_TRUE(syncedAtNoon()) << app.syncStatus().toStdString();
    }
}

// The service does not allow a new task once (a role lowered for a while, a fault of its own): the task stays with its
// notes, named once; the syncs after it send it no more and say "Synced", and once the user changes it, it goes out and
// the service holds it once.
TEST_F(SyncFeature, ANewTaskTheServiceDoesNotAllowStaysWithItsNotesAndGoesOutOnceTheUserChangesIt)
{
    givenInboxPulled({QStringLiteral("Call Ann")});
    app.service().seedProject(QStringLiteral("Garden"));
    pressSync();
    app.service().on("POST", "/tasks.json").json(403, "{}").pass();
    app.selectHome(QStringLiteral("Garden"));
    newTask(QStringLiteral("Plant roses"), QStringLiteral("Red ones, by the fence"));
    pressSync();
    const QString line = app.syncStatus();
    EXPECT_TRUE(line.startsWith(QStringLiteral("Synced 12:00"))
                && line.endsWith(QStringLiteral("; the service did not allow “Plant roses” in “Garden”")))
        << line.toStdString();

    for (int clean = 0; clean < 2; ++clean) {
        SCOPED_TRACE(clean);
        pressSync();
        const KNVTCDTask *task = app.taskTitled(QStringLiteral("Plant roses"));
        ASSERT_NE(task, nullptr);
        EXPECT_EQ(task->notes(), QStringLiteral("Red ones, by the fence"));
        EXPECT_TRUE(task->taskList() && task->taskList()->title() == QLatin1String("Garden"));
        EXPECT_LE(storedTitled(QStringLiteral("Plant roses")), 1);
        EXPECT_TRUE(syncedAtNoon()) << "named once: " << app.syncStatus().toStdString();
    }

    renameTask(QStringLiteral("Plant roses"), QStringLiteral("Plant red roses"), QStringLiteral("Garden"));
    pressSync();
    EXPECT_EQ(storedTitled(QStringLiteral("Plant red roses")) + storedTitled(QStringLiteral("Plant roses")), 1);
    EXPECT_EQ(heldTitled(QStringLiteral("Plant red roses")), 1);
    EXPECT_TRUE(syncedAtNoon()) << app.syncStatus().toStdString();
}

// The service makes a new task and its answer is lost: cut short, a 201 without the task, or the program killed while
// the create was on its way. After a sync during the fault (or the program started again) and a clean one, the service
// and the library hold the task once: before it is sent again, the Inbox is asked what the service made of it.
TEST_F(SyncFeature, ANewTaskWhoseCreationsAnswerIsLostIsMadeOnce)
{
    FakeSyncService &service = app.service();
    // Sends the create, which the service makes, and loses its answer; then syncs during the fault.
    const auto faulty = [&](const std::function<void(FakeSyncService::Route &)> &script) {
        return [&, script] {
            FakeSyncService::Route route = service.on("POST", "/tasks.json");
            script(route);
            pressSync();
            EXPECT_TRUE(app.syncStatus().startsWith(QStringLiteral("Sync failed 12:00")))
                << app.syncStatus().toStdString();
            pressSync();
            route.clear();
        };
    };
    const struct
    {
        const char *fault;
        std::function<void()> lost;
    } cases[] = {{"cut short", faulty([](FakeSyncService::Route &route) { route.truncate(); })},
                 {"201 without the task", faulty([](FakeSyncService::Route &route) { route.rewrite(201); })},
                 {"killed", [&] {
                      // Another process syncs the library and is killed (SIGKILL) while its create waits for the service.
                      service.on("POST", "/tasks.json").hold();
                      app.endProcess();
                      service.clearRequests();
                      QProcess child;
                      QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
                      environment.insert(QStringLiteral("KNVT_SYNC_API_URL"), service.baseURL());
                      child.setProcessEnvironment(environment);
                      child.start(QStringLiteral(KNVT_SYNC_CHILD), {QStringLiteral("ann"), QStringLiteral("secret1")});
                      ASSERT_TRUE(child.waitForStarted());
                      EXPECT_TRUE(knvt::test::waitUntil([&] { return service.hasRequest("POST", "/tasks.json"); }))
                          << child.readAllStandardError().toStdString();
                      ::kill(pid_t(child.processId()), SIGKILL);
                      ASSERT_TRUE(child.waitForFinished());
                      const size_t made = service.storedAll("tasks").size();
                      service.on("POST", "/tasks.json").clear();
                      service.releaseAll();
                      ASSERT_TRUE(knvt::test::waitUntil([&] { return service.storedAll("tasks").size() > made; }));
                      service.clearRequests();
                      app.launch();
                      app.waitForService(
                          [&] { return service.hasRequest("GET", "/tags.json") && !app.store().isSyncing(); });
                      waitForTheEndOfTheSync();
                      EXPECT_FALSE(service.hasRequest("POST", "/tasks.json"));
                  }}};
    givenInboxPulled({QStringLiteral("Call Ann")});
    for (const auto &c : cases) {
        SCOPED_TRACE(c.fault);
        const QString title = QStringLiteral("Buy milk, %1").arg(QLatin1String(c.fault));
        app.selectHome(QStringLiteral("Inbox"));
        newTask(title);
        c.lost();
        pressSync();
        EXPECT_EQ(storedTitled(title), 1);
        EXPECT_EQ(heldTitled(title), 1);
        EXPECT_TRUE(syncedAtNoon()) << app.syncStatus().toStdString();
    }
}

// Another device deletes a comment the user edited before the edit reached the service: the comment goes here too,
// and the user is told, with what was written, in an alert of the application's own.
TEST_F(SyncFeature, ACommentEditedHereAndDeletedElsewhereGoesAndWhatWasWrittenIsGivenBack)
{
    const std::vector<qint64> ids = givenInboxPulled({QStringLiteral("Water plants")});
    FakeSyncService &service = app.service();
    const qint64 comment = service.seed(
        "comments",
        {{"text", "See you at six"}, {"commentable_id", ids[0]}, {"commentable_type", "Task"}, {"user_id", 42}});
    pressSync();
    app.selectHome(QStringLiteral("Inbox"));
    app.selectRows({QStringLiteral("Water plants")});
    app.clickDetailCommentButton(QStringLiteral("See you at six"), QStringLiteral("Edit"));
    app.typeIn(QStringLiteral("commentTextView"), QStringLiteral(", or seven"));
    app.pressCtrlReturn();
    app.wait(1);

    service.remove("comments", comment);
    const qsizetype alerts = app.alertsShown().size();
    pressSync();
    app.waitForService([&] { return app.alertsShown().size() > alerts; });
    EXPECT_EQ(app.alertsShown().value(alerts),
              QStringLiteral("The comment you edited on “Water plants” was deleted elsewhere. / What you wrote had not "
                             "reached the sync service:\n\nSee you at six, or seven [OK]"));
    const KNVTCDTask *task = app.taskTitled(QStringLiteral("Water plants"));
    ASSERT_NE(task, nullptr);
    EXPECT_TRUE(task->commentsOrderedByCreatedDate().empty());
}

// The service does not allow a new task in a project another device archived meanwhile: the task stays, unsent, and
// goes out once a sync shows the project in use again, so that the service holds it once.
TEST_F(SyncFeature, ANewTaskRefusedInAProjectArchivedElsewhereGoesOutOnceTheProjectIsInUseAgain)
{
    givenInboxPulled({QStringLiteral("Call Ann")});
    const qint64 garden = app.service().seedProject(QStringLiteral("Garden"));
    pressSync();
    app.selectHome(QStringLiteral("Garden"));
    newTask(QStringLiteral("Plant roses"));
    app.service().update("task_lists", garden, {{"archived_at", knvt::test::fixtureDate(1)}});
    app.service().on("POST", "/tasks.json").json(403, "{}").pass();
    pressSync();
    EXPECT_TRUE(app.syncStatus().endsWith(QStringLiteral("; the service did not allow “Plant roses” in “Garden”")))
        << app.syncStatus().toStdString();
    EXPECT_EQ(heldTitled(QStringLiteral("Plant roses")), 1);
    EXPECT_EQ(storedTitled(QStringLiteral("Plant roses")), 0);

    app.service().update("task_lists", garden, {{"archived_at", QJsonValue::Null}});
    pressSync();
    pressSync();
    EXPECT_EQ(storedTitled(QStringLiteral("Plant roses")), 1);
    EXPECT_EQ(heldTitled(QStringLiteral("Plant roses")), 1);
    EXPECT_TRUE(syncedAtNoon()) << app.syncStatus().toStdString();
}

// The service makes a new object and answers with a failure of its own (500, a gateway's 502 or 504), or the
// connection closes before the answer: whatever the kind, after the failed sync and two clean ones the service and the
// library hold it once, and the line says "Synced".
TEST_F(SyncFeature, ACreationTheServiceMadeButAnsweredWithAFailureIsMadeOnce)
{
    givenInboxPulled({QStringLiteral("Water plants")});
    FakeSyncService &service = app.service();
    service.seedProject(QStringLiteral("Garden"));
    pressSync();
    ASSERT_TRUE(syncedAtNoon()) << app.syncStatus().toStdString();

    const struct
    {
        const char *kind;
        QByteArray path;
        QByteArray resource;
        const char *key;
        std::function<void(const QString &)> make;
        std::function<qsizetype(const QString &)> held;
        // The list whose rows show it; empty where no list does.
        QString shownIn;
    } kinds[] = {
        {"Inbox task", "/tasks.json", "tasks", "title",
         [&](const QString &title) {
             app.selectHome(QStringLiteral("Inbox"));
             newTask(title);
         },
         [&](const QString &title) { return heldWith<KNVTCDTask>("title", title); }, QStringLiteral("Inbox")},
        {"project task", "/tasks.json", "tasks", "title",
         [&](const QString &title) {
             app.selectHome(QStringLiteral("Garden"));
             newTask(title);
         },
         [&](const QString &title) { return heldWith<KNVTCDTask>("title", title); }, QStringLiteral("Garden")},
        {"comment", "/comments.json", "comments", "text",
         [&](const QString &text) {
             app.selectHome(QStringLiteral("Inbox"));
             app.selectRows({QStringLiteral("Water plants")});
             app.clickToolbar(QStringLiteral("Comment"));
             app.typeIn(QStringLiteral("commentTextView"), text);
             app.pressCtrlReturn();
             app.wait(1);
         },
         [&](const QString &text) { return heldWith<KNVTCDTaskComment>("text", text); }, QString()},
        {"tag", "/tags.json", "tags", "title",
         [&](const QString &title) {
             app.openNewTagSheet();
             app.typeIn(QStringLiteral("titleTextField"), title);
             app.clickButton(QStringLiteral("saveButton"));
             app.wait(1);
         },
         [&](const QString &title) { return heldWith<KNVTCDTag>("title", title); }, QString()},
        {"project", "/task_lists.json", "task_lists", "title",
         [&](const QString &title) {
             app.chooseMenu(QStringLiteral("File"), QStringLiteral("New Project"));
             app.typeIn(QStringLiteral("titleTextField"), title);
             app.pressReturn();
             app.wait(1);
         },
         [&](const QString &title) { return heldWith<KNVTCDTaskList>("title", title); }, QString()},
    };
    const struct
    {
        const char *name;
        std::function<void(FakeSyncService::Route &)> script;
    } faults[] = {
        {"500", [](FakeSyncService::Route &route) { route.rewrite(500, R"({"error":"Internal Server Error"})"); }},
        {"502", [](FakeSyncService::Route &route) { route.rewrite(502, "<html>Bad Gateway</html>"); }},
        {"504", [](FakeSyncService::Route &route) { route.rewrite(504); }},
        {"dropped", [](FakeSyncService::Route &route) { route.dropAfterAnswering(); }},
    };
    for (const auto &kind : kinds) {
        for (const auto &fault : faults) {
            const QString name = QStringLiteral("%1 %2").arg(QLatin1String(kind.kind), QLatin1String(fault.name));
            SCOPED_TRACE(name.toStdString());
            kind.make(name);
            FakeSyncService::Route route = service.on("POST", kind.path);
            fault.script(route);
            pressSync();
            EXPECT_TRUE(app.syncStatus().startsWith(QStringLiteral("Sync failed 12:00")))
                << app.syncStatus().toStdString();
            EXPECT_EQ(storedWith(kind.resource, kind.key, name), 1) << "made by the failed sync";
            route.clear();
            pressSync();
            pressSync();
            EXPECT_EQ(storedWith(kind.resource, kind.key, name), 1);
            EXPECT_EQ(kind.held(name), 1);
            if (!kind.shownIn.isEmpty()) {
                EXPECT_EQ(rowsShown(kind.shownIn, name), 1) << app.centreRows().join('|').toStdString();
            }
            EXPECT_TRUE(syncedAtNoon()) << app.syncStatus().toStdString();
        }
    }
}

// The answer to a new task's creation is lost, and before the next sync the user leaves the task, deletes it, moves it
// to a project, or retitles it: the deleted task does not come back and is gone on the service too, the moved one is
// made once, in the project, and the retitled one once, with the new title. When the user's other device made the same
// task before that sync, nothing tells which of the two copies the service holds is the user's: both stay there and are
// shown, the user's own row says it is theirs, and the line names it with the way out, sync after sync, until the user
// acts on it, before the read that finds the two or after its words. A retitle or a move goes to one of the service's
// copies rather than making a third; a deletion of the user's own row sends nothing, and the line names the service's
// two copies, which stay, until the user deletes one of them.
TEST_F(SyncFeature, WhatTheUserDoesToATaskWhoseCreationIsInDoubtIsDoneToOneCopy)
{
    givenInboxPulled({QStringLiteral("Call Ann")});
    FakeSyncService &service = app.service();
    const qint64 garden = service.seedProject(QStringLiteral("Garden"));
    pressSync();
    const QString inbox = QStringLiteral("Inbox");
    const struct
    {
        const char *what;
        // `mark`: what the user's own row says above its title once the line names it, else empty.
        std::function<void(const QString &title, const QString &mark)> meanwhile;
        // The title the task ends with, and where; an empty list: nowhere.
        QString endTitle;
        QString endList;
    } cases[] = {
        {"deleted", [&](const QString &title, const QString &mark) { deleteTask(title, mark); },
         QStringLiteral("deleted"), QString()},
        {"moved",
         [&](const QString &title, const QString &) {
             app.selectHome(inbox);
             app.selectRows({title});
             moveSelectedTo(QStringLiteral("Garden"));
         },
         QStringLiteral("moved"), QStringLiteral("Garden")},
        {"retitled", [&](const QString &title, const QString &) { renameTask(title, title + QStringLiteral(" at home")); },
         QStringLiteral("retitled at home"), inbox},
        // Last: it stays named.
        {"left alone", [](const QString &, const QString &) {}, QStringLiteral("left alone"), inbox},
    };
    const struct
    {
        const char *name;
        bool made;
        // The user's other device makes the same task before the next sync.
        bool elsewhere;
        // The user acts only once the line has named the task.
        bool afterTheWords;
        std::function<void(FakeSyncService::Route &)> script;
    } faults[] = {
        {"made, dropped", true, false, false, [](FakeSyncService::Route &route) { route.dropAfterAnswering(); }},
        {"made, 502", true, false, false, [](FakeSyncService::Route &route) { route.rewrite(502); }},
        {"not made, 503", false, false, false, [](FakeSyncService::Route &route) { route.json(503, "{}"); }},
        {"made twice, named", true, true, true, [](FakeSyncService::Route &route) { route.dropAfterAnswering(); }},
        {"made twice", true, true, false, [](FakeSyncService::Route &route) { route.dropAfterAnswering(); }},
    };
    qsizetype posts = requests("POST", "/tasks.json");
    for (const auto &fault : faults) {
        for (const auto &c : cases) {
            SCOPED_TRACE(std::string(c.what) + ", " + fault.name);
            const QString title =
                QStringLiteral("Buy milk %1 %2").arg(QLatin1String(fault.name), QLatin1String(c.what));
            const QString endTitle = title.left(title.size() - qsizetype(qstrlen(c.what))) + c.endTitle;
            const bool deleted = c.endList.isEmpty();
            const bool leftAlone = c.endList == inbox && c.endTitle == QLatin1String(c.what);
            // Left alone, a task named stays named, whenever the user might have acted: it is tried once, last.
            if (leftAlone && fault.afterTheWords)
                continue;
            // The line shortens the title to fit; it names one task, with no other.
            const QString named = QStringLiteral("” may already be on the service twice: keep yours, or delete it");
            const QString namedDeleted =
                QStringLiteral("”, deleted here, may be on the service twice: delete what you do not want");
            const QString mark = QStringLiteral("yours, not sent");
            const auto lineNames = [&](const QString &words) {
                const QString line = app.syncStatus();
                return line.startsWith(QStringLiteral("Synced 12:00")) && line.contains(QStringLiteral("; “Buy"))
                    && line.endsWith(words) && line.count(u';') == 1;
            };
            app.selectHome(inbox);
            newTask(title);
            FakeSyncService::Route route = service.on("POST", "/tasks.json");
            fault.script(route);
            pressSync();
            EXPECT_EQ(storedTitled(title), fault.made ? 1 : 0);
            route.clear();
            if (fault.elsewhere) {
                QJsonObject same = service.storedAll("tasks").back();
                for (const char *own : {"id", "created_at", "updated_at"})
                    same.remove(own);
                service.seed("tasks", same);
            }
            if (!fault.afterTheWords)
                c.meanwhile(title, QString());
            pressSync();
            if (fault.elsewhere) {
                if (deleted && !fault.afterTheWords) {
                    EXPECT_TRUE(lineNames(namedDeleted)) << app.syncStatus().toStdString();
                } else if (leftAlone || fault.afterTheWords) {
                    EXPECT_TRUE(lineNames(named)) << app.syncStatus().toStdString();
                    EXPECT_EQ(rowsShown(inbox, title), 3) << "the user's own row and the service's two";
                    EXPECT_EQ(app.centreRowsSaying(mark), 1) << "the user's own";
                } else {
                    EXPECT_TRUE(syncedAtNoon()) << app.syncStatus().toStdString();
                }
            }
            if (fault.afterTheWords) {
                c.meanwhile(title, mark);
                pressSync();
            }
            // Named until the case settles: two more clean syncs say so.
            const bool staysNamed = fault.elsewhere && (leftAlone || deleted);
            for (int more = 0; more < (staysNamed ? 2 : 1); ++more) {
                pressSync();
                if (staysNamed) {
                    EXPECT_TRUE(lineNames(deleted ? namedDeleted : named))
                        << "until the case settles: " << app.syncStatus().toStdString();
                } else {
                    EXPECT_TRUE(syncedAtNoon()) << app.syncStatus().toStdString();
                }
            }
            posts += 1 + (!fault.made && !deleted ? 1 : 0);
            EXPECT_EQ(requests("POST", "/tasks.json"), posts) << "no creation sent twice";

            // The service's copies, whatever the user did; here, those and the user's own row while it stands.
            const qsizetype copies = fault.elsewhere ? 2 : deleted ? 0 : 1;
            const qsizetype held = copies + (fault.elsewhere && leftAlone ? 1 : 0);
            const qsizetype endStored = storedTitled(endTitle) + (endTitle == title ? 0 : storedTitled(title));
            EXPECT_EQ(endStored, copies);
            EXPECT_EQ(heldTitled(endTitle) + (endTitle == title ? 0 : heldTitled(title)), held);
            // The other device's copy stays where it was made, unchanged by what the user did to theirs.
            const qsizetype untouched = fault.elsewhere && !leftAlone ? (deleted ? 2 : 1) : 0;
            EXPECT_EQ(rowsShown(inbox, title), untouched + (leftAlone ? held : 0))
                << app.centreRows().join('|').toStdString();
            if (deleted) {
                if (fault.elsewhere) {
                    // The user deletes one of the service's two: the one left settles it, and the line says no more.
                    deleteTask(title);
                    pressSync();
                    EXPECT_TRUE(syncedAtNoon()) << app.syncStatus().toStdString();
                    EXPECT_EQ(storedTitled(title), 1);
                    EXPECT_EQ(heldTitled(title), 1);
                    EXPECT_EQ(rowsShown(inbox, title), 1) << app.centreRows().join('|').toStdString();
                }
                continue;
            }
            if (!leftAlone) {
                EXPECT_EQ(rowsShown(c.endList, endTitle), 1) << app.centreRows().join('|').toStdString();
            }
            const qint64 endListId = c.endList == inbox ? 0 : garden;
            const std::vector<QJsonObject> tasks = service.storedAll("tasks");
            EXPECT_EQ(std::count_if(tasks.begin(), tasks.end(),
                                    [&](const QJsonObject &task) {
                                        return task.value("title").toString() == endTitle
                                            && task.value("task_list_id").toInteger() == endListId;
                                    }),
                      leftAlone ? copies : 1);
        }
    }
}

// The service answers the creation of a new task, in the Inbox or in a project, 404. The task is kept and named once;
// the read that follows shows its list on the service, so it goes once more. Answered 404 in every session, it is not
// sent again until the user changes it; answered so once, it is made then, once.
TEST_F(SyncFeature, ANewTaskAnswered404IsNamedOnceAndSentAgainOnceItsListIsShownOrItIsChanged)
{
    givenInboxPulled({QStringLiteral("Call Ann")});
    app.service().seedProject(QStringLiteral("Garden"));
    pressSync();
    qsizetype sent = 0;
    for (const QString &list : {QStringLiteral("Inbox"), QStringLiteral("Garden")}) {
        for (const bool everySession : {true, false}) {
            const QString title = QStringLiteral("Plant roses %1 %2").arg(list, everySession ? QStringLiteral("always") : QStringLiteral("once"));
            SCOPED_TRACE(title.toStdString());
            FakeSyncService::Route route = app.service().on("POST", "/tasks.json");
            route.json(404, "{}");
            app.selectHome(list);
            newTask(title);
            pressSync();
            const QString words = list == QLatin1String("Inbox")
                ? QStringLiteral("; the service did not allow “%1”").arg(title)
                : QStringLiteral("; the service did not allow “%1” in “%2”").arg(title, list);
            EXPECT_TRUE(app.syncStatus().endsWith(words)) << app.syncStatus().toStdString();
            if (!everySession)
                route.clear();
            for (int clean = 0; clean < 3; ++clean) {
                SCOPED_TRACE(clean);
                pressSync();
                EXPECT_TRUE(syncedAtNoon()) << "named once: " << app.syncStatus().toStdString();
            }
            sent += 2;
            EXPECT_EQ(requests("POST", "/tasks.json"), sent);
            EXPECT_EQ(storedTitled(title), everySession ? 0 : 1);
            EXPECT_EQ(heldTitled(title), 1);
            EXPECT_EQ(rowsShown(list, title), 1) << app.centreRows().join('|').toStdString();
            route.clear();
            if (!everySession)
                continue;
            renameTask(title, title + QStringLiteral(" red"), list);
            pressSync();
            EXPECT_EQ(requests("POST", "/tasks.json"), ++sent);
            EXPECT_EQ(storedTitled(title + QStringLiteral(" red")), 1);
            EXPECT_TRUE(syncedAtNoon()) << app.syncStatus().toStdString();
        }
    }
}

// A task tagged with a new tag: the tag's link goes out only once the service has made the tag. Refused (403), the tag
// is named once and its link never sent; failed (503), the link waits for the tag's next, successful, creation.
TEST_F(SyncFeature, ATagsLinkWaitsForTheTagAndGoesWithItsRefusal)
{
    givenInboxPulled({QStringLiteral("Call Ann"), QStringLiteral("Call Bob")});
    const auto tag = [this](const QString &task, const QString &tagTitle) {
        app.selectHome(QStringLiteral("Inbox"));
        app.selectRows({task});
        app.clickToolbar(QStringLiteral("Edit"));
        app.addToken(QStringLiteral("tagsTokenField"), tagTitle);
        app.clickButton(QStringLiteral("saveButton"));
        app.saves().advance(1.0);
        app.settle();
    };

    app.service().on("POST", "/tags.json").json(403, "{}");
    tag(QStringLiteral("Call Ann"), QStringLiteral("errand"));
    pressSync();
    EXPECT_TRUE(app.syncStatus().endsWith(QStringLiteral("; the service did not allow “errand”")))
        << app.syncStatus().toStdString();
    for (int session = 0; session < 10; ++session) {
        SCOPED_TRACE(session);
        pressSync();
        EXPECT_TRUE(syncedAtNoon()) << app.syncStatus().toStdString();
    }
    EXPECT_EQ(requests("POST", "/tagged_items.json"), 0);
    EXPECT_EQ(requests("POST", "/tags.json"), 1);

    app.service().on("POST", "/tags.json").clear().json(503, "{}").pass();
    tag(QStringLiteral("Call Bob"), QStringLiteral("garage"));
    pressSync();
    EXPECT_TRUE(failedAtNoonBecause(QStringLiteral("service failed"))) << app.syncStatus().toStdString();
    EXPECT_EQ(requests("POST", "/tagged_items.json"), 0);
    pressSync();
    EXPECT_EQ(storedWith("tags", "title", QStringLiteral("garage")), 1);
    const std::vector<QJsonObject> links = app.service().storedAll("tagged_items");
    ASSERT_EQ(links.size(), 1u);
    EXPECT_EQ(app.service().stored("tags", links.front().value("tag_id").toInteger())->value("title").toString(),
              QStringLiteral("garage"));
    EXPECT_TRUE(syncedAtNoon()) << app.syncStatus().toStdString();
}
