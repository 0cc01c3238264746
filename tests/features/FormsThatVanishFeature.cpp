// Forms and sheets whose object goes away underneath them (another window, a sync): they close and say why, and a
// tag deleted while it is a token of the form keeps its title.

#include "AppDriver.h"

#include "store/KNVTTaskStore.h"

#include "model/KNVTCDTag.h"
#include "model/KNVTCDTask.h"
#include "model/KNVTCDTaskList.h"

#include <gtest/gtest.h>

#include <functional>

using knvt::features::AppDriver;

namespace {

class FormsThatVanishFeature : public ::testing::Test
{
protected:
    AppDriver app;
};

} // namespace

TEST_F(FormsThatVanishFeature, AFormWhoseObjectASyncRemovedClosesAndSaysWhy)
{
    KNVTCDTask *paint = app.givenTask(QStringLiteral("Paint"), {.synced = true});
    KNVTCDTaskList *garden = app.givenProject(QStringLiteral("Garden"), {.synced = true});
    KNVTCDTaskList *house = app.givenArea(QStringLiteral("House"), {.synced = true});
    KNVTCDTaskList *shed = app.givenProject(QStringLiteral("Shed"), {.synced = true});
    app.givenTask(QStringLiteral("Buy stamps"), {.tags = {QStringLiteral("errand")}});
    KNVTCDTag *errand = app.store().tagForTitle(QStringLiteral("errand"));
    ASSERT_NE(errand, nullptr);
    struct Case
    {
        QString form;
        std::function<void()> open;
        KNVTCDTaskStoreObject *object;
        QString said;
    };
    const QString lost = QStringLiteral(" / Your changes were not saved. [OK]");
    const std::vector<Case> cases = {
        {QStringLiteral("task edit form"),
         [&] {
             app.selectHome(QStringLiteral("Inbox"));
             app.selectRows({QStringLiteral("Paint")});
             app.clickToolbar(QStringLiteral("Edit"));
             app.typeIn(QStringLiteral("titleTextField"), QStringLiteral(" twice"));
         },
         paint, QStringLiteral("The task was deleted elsewhere.") + lost},
        {QStringLiteral("project editor"),
         [&] {
             app.editHomeEntry(QStringLiteral("Garden"));
             app.typeIn(QStringLiteral("titleTextField"), QStringLiteral(" beds"));
         },
         garden, QStringLiteral("The project was deleted elsewhere.") + lost},
        {QStringLiteral("area editor"), [&] { app.editHomeEntry(QStringLiteral("House")); }, house,
         QStringLiteral("The area was deleted elsewhere.") + lost},
        {QStringLiteral("tag editor"), [&] { app.openRenameTagSheet(QStringLiteral("errand")); }, errand,
         QStringLiteral("The tag was deleted elsewhere.") + lost},
        {QStringLiteral("project information"), [&] { app.viewHomeEntry(QStringLiteral("Shed")); }, shed,
         QStringLiteral("The project was deleted elsewhere. /  [OK]")},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.form.toStdString());
        c.open();
        ASSERT_FALSE(app.openEditors().isEmpty());
        const qsizetype before = app.alertsShown().size();
        app.answerAlert(QStringLiteral("OK"));
        app.givenRemovedBySync(c.object);
        app.settle();
        EXPECT_TRUE(app.openEditors().isEmpty());
        ASSERT_EQ(app.alertsShown().size(), before + 1);
        EXPECT_EQ(app.alertsShown().last(), c.said);
    }
}

TEST_F(FormsThatVanishFeature, ATagDeletedWhileItIsATokenOfTheNewTaskFormKeepsItsTitleAndIsMadeAgainOnSave)
{
    app.givenTask(QStringLiteral("Buy stamps"), {.tags = {QStringLiteral("errand")}});
    KNVTCDTag *errand = app.store().tagForTitle(QStringLiteral("errand"));
    ASSERT_NE(errand, nullptr);
    const QUrl deleted = errand->uri();
    app.selectHome(QStringLiteral("Inbox"));
    app.clickToolbar(QStringLiteral("New Task"));
    app.typeIn(QStringLiteral("titleTextField"), QStringLiteral("Post letters"));
    app.addToken(QStringLiteral("tagsTokenField"), QStringLiteral("errand"));
    ASSERT_EQ(app.tokensAsRead(QStringLiteral("tagsTokenField")), QStringList{"errand"});

    app.givenRemovedBySync(errand);
    EXPECT_EQ(app.fieldText(QStringLiteral("tagsTokenField")), QStringLiteral("errand"));
    EXPECT_EQ(app.tokensAsRead(QStringLiteral("tagsTokenField")), QStringList{"errand"});

    app.pressReturn();
    app.wait(1);
    KNVTCDTask *letters = app.taskTitled(QStringLiteral("Post letters"));
    ASSERT_NE(letters, nullptr);
    ASSERT_EQ(letters->tags().size(), 1u);
    EXPECT_EQ(letters->tags().front()->title(), QStringLiteral("errand"));
    EXPECT_NE(letters->tags().front()->uri(), deleted) << "made again, as a typed new tag is";
}
