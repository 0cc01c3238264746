// Forms, sheets and windows whose object goes away underneath them (another window, a sync): they close and say why,
// giving back what the user typed, and a tag deleted while it is a token of the form keeps its title.

#include "AppDriver.h"

#include "store/KNVTTaskStore.h"

#include "model/KNVTCDTag.h"
#include "model/KNVTCDTask.h"
#include "model/KNVTCDTaskComment.h"
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
    KNVTCDTask *mow = app.givenTask(QStringLiteral("Mow"), {.synced = true});
    KNVTCDTask *weed = app.givenTask(QStringLiteral("Weed"), {.synced = true});
    KNVTCDTask *rake = app.givenTask(QStringLiteral("Rake"), {.synced = true});
    KNVTCDTask *sow = app.givenTask(QStringLiteral("Sow"), {.synced = true});
    KNVTCDTaskComment *mine = app.store().commentWithText(QStringLiteral("Mine"), sow);
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
    // What the user typed comes back in the alert, to be copied from there.
    const auto typed = [](const char *text) {
        return QStringLiteral(" What you typed:\n\n%1 [OK]").arg(QString::fromUtf8(text));
    };
    const std::vector<Case> cases = {
        {QStringLiteral("task edit form"),
         [&] {
             app.selectHome(QStringLiteral("Inbox"));
             app.selectRows({QStringLiteral("Paint")});
             app.clickToolbar(QStringLiteral("Edit"));
             app.typeIn(QStringLiteral("titleTextField"), QStringLiteral(" twice"));
         },
         paint, QStringLiteral("The task was deleted elsewhere.") + lost.chopped(5) + typed("Paint twice")},
        {QStringLiteral("project editor"),
         [&] {
             app.editHomeEntry(QStringLiteral("Garden"));
             app.typeIn(QStringLiteral("titleTextField"), QStringLiteral(" beds"));
         },
         garden, QStringLiteral("The project was deleted elsewhere.") + lost.chopped(5) + typed("Garden beds")},
        {QStringLiteral("area editor"), [&] { app.editHomeEntry(QStringLiteral("House")); }, house,
         QStringLiteral("The area was deleted elsewhere.") + lost},
        {QStringLiteral("tag editor"), [&] { app.openRenameTagSheet(QStringLiteral("errand")); }, errand,
         QStringLiteral("The tag was deleted elsewhere.") + lost},
        {QStringLiteral("project information"), [&] { app.viewHomeEntry(QStringLiteral("Shed")); }, shed,
         QStringLiteral("The project was deleted elsewhere. /  [OK]")},
        {QStringLiteral("task window"), [&] { app.doubleClickRow(QStringLiteral("Mow")); }, mow,
         QStringLiteral("The task was deleted elsewhere. /  [OK]")},
        {QStringLiteral("comment composer in a task window"),
         [&] {
             app.selectHome(QStringLiteral("Inbox"));
             app.doubleClickRow(QStringLiteral("Weed"));
             app.pressInTaskWindow(QStringLiteral("Weed"), QStringLiteral("Comment"));
             app.typeWhereTheFocusIs(QStringLiteral("Roots first"));
         },
         weed, QStringLiteral("The task was deleted elsewhere.") + lost.chopped(5) + typed("Roots first")},
        {QStringLiteral("comment composer"),
         [&] {
             app.selectHome(QStringLiteral("Inbox"));
             app.selectRows({QStringLiteral("Rake")});
             app.clickToolbar(QStringLiteral("Comment"));
             app.typeIn(QStringLiteral("commentTextView"), QStringLiteral("Leaves"));
         },
         rake, QStringLiteral("The task was deleted elsewhere.") + lost.chopped(5) + typed("Leaves")},
        {QStringLiteral("comment editor"),
         [&] {
             app.selectHome(QStringLiteral("Inbox"));
             app.selectRows({QStringLiteral("Sow")});
             app.clickDetailCommentButton(QStringLiteral("Mine"), QStringLiteral("Edit"));
             app.typeIn(QStringLiteral("commentTextView"), QStringLiteral(" too"));
         },
         mine, QStringLiteral("The comment was deleted elsewhere.") + lost.chopped(5) + typed("Mine too")},
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
