// A sync cut short: the process killed, or a quit that gives up on a reply the service holds back. What that sync
// saved on its way must leave the next one to finish its work.

#include "AppDriver.h"

#include "store/KNVTTaskStore.h"

#include "support/FakeSyncService.h"
#include "support/WaitUntil.h"

#include <QProcess>
#include <QProcessEnvironment>

#include <gtest/gtest.h>

#include <functional>

#include <signal.h>

using knvt::features::AppDriver;

namespace {

// The application's sync ends on the way: the tags, pulled last, are held by the service when it ends.
void quitWhileTheServiceHoldsTheTags(AppDriver &app)
{
    app.clickToolbar(QStringLiteral("Sync"));
    app.waitForService([&app] { return app.service().hasRequest("GET", "/tags.json"); });
    app.endProcess();
}

// Another process syncs the library and is killed (SIGKILL) once it has asked for the tags.
void killASyncingProcessAtTheTags(AppDriver &app)
{
    app.endProcess();
    QProcess child;
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert(QStringLiteral("KNVT_SYNC_API_URL"), app.service().baseURL());
    child.setProcessEnvironment(environment);
    child.start(QStringLiteral(KNVT_SYNC_CHILD), {QStringLiteral("ann"), QStringLiteral("secret1")});
    ASSERT_TRUE(child.waitForStarted());
    EXPECT_TRUE(knvt::test::waitUntil([&] { return app.service().hasRequest("GET", "/tags.json"); }))
        << child.readAllStandardError().toStdString();
    ::kill(pid_t(child.processId()), SIGKILL);
    ASSERT_TRUE(child.waitForFinished());
    EXPECT_TRUE(child.readAllStandardOutput().contains("saved")) << "the pull saved in passing before the kill";
}

} // namespace

// Another device deletes a task of a project and adds thousands of tasks to the Inbox. The pull puts off removing the
// task until every reply is in, and saves in passing while it applies the Inbox; then the sync is cut short. The next
// sync removes the task all the same.
TEST(SyncCutShortFeature, ATaskDeletedElsewhereGoesWithTheNextSyncAfterOneCutShortAfterASaveInPassing)
{
    const struct
    {
        const char *cut;
        std::function<void(AppDriver &)> cutShort;
    } cases[] = {{"kill -9", killASyncingProcessAtTheTags}, {"quit", quitWhileTheServiceHoldsTheTags}};
    for (const auto &test : cases) {
        SCOPED_TRACE(test.cut);
        AppDriver app;
        knvt::test::FakeSyncService &service = app.service();
        app.givenSignedIn(QStringLiteral("ann"), QStringLiteral("secret1"), /*autoSync=*/true);
        service.enableState();
        const qint64 garden = service.seedProject(QStringLiteral("Garden"));
        service.seedTask(QStringLiteral("Dig"), garden);
        const qint64 weed = service.seedTask(QStringLiteral("Weed"), garden);
        app.launch();
        app.waitForService([&] { return app.taskTitled(QStringLiteral("Weed")) && !app.store().isSyncing(); });

        service.remove("tasks", weed);
        for (int i = 0; i < 3000; ++i)
            service.seedTask(QStringLiteral("Inbox %1").arg(i));
        service.on("GET", "/tags.json").hold();
        service.clearRequests();
        test.cutShort(app);

        service.on("GET", "/tags.json").clear().pass();
        service.releaseAll();
        service.clearRequests();
        app.launch();
        app.waitForService([&] { return service.hasRequest("GET", "/tags.json") && !app.store().isSyncing(); });
        EXPECT_EQ(app.taskTitled(QStringLiteral("Weed")), nullptr) << "the task the service deleted stayed";
        EXPECT_NE(app.taskTitled(QStringLiteral("Dig")), nullptr);
        EXPECT_NE(app.taskTitled(QStringLiteral("Inbox 2999")), nullptr);
    }
}
