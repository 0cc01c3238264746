// Forms, sheets and windows whose object goes away underneath them (another window, a sync): they close and say why,
// giving back what the user typed, and a tag deleted while it is a token of the form keeps its title.

#include "AppDriver.h"

#include "store/KNVTTaskStore.h"

#include "model/KNVTCDTag.h"
#include "model/KNVTCDTask.h"
#include "model/KNVTCDTaskComment.h"
#include "model/KNVTCDTaskList.h"

#include <QApplication>

#include <gtest/gtest.h>

#include <functional>

using knvt::features::AppDriver;
using Input = knvt::ScriptedAlertPresenter::Input;

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
    KNVTCDTask *fence = app.givenTask(QStringLiteral("Fence"), {.synced = true});
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
    KNVTCDTask *prune = app.givenTask(QStringLiteral("Prune"), {.synced = true});
    KNVTCDTaskList *orchard = app.givenProject(QStringLiteral("Orchard"), {.synced = true});
    app.givenTask(QStringLiteral("Sweep"), {.tags = {QStringLiteral("chore")}});
    KNVTCDTag *chore = app.store().tagForTitle(QStringLiteral("chore"));
    ASSERT_NE(chore, nullptr);
    struct Case
    {
        QString form;
        std::function<void()> open;
        KNVTCDTaskStoreObject *object;
        QString said;
    };
    // The alert names what went and where it was shown; what the user typed comes back in it, to be copied from there.
    const QString inMain = QStringLiteral(" / The form for it in the window “Quillvane” closed.");
    const QString lost = QStringLiteral(" Your changes were not saved.");
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
         paint, QStringLiteral("The task “Paint” was deleted elsewhere.") + inMain + lost + typed("Paint twice")},
        // Every change the form held comes back, not only its texts: chips, ticks.
        {QStringLiteral("task edit form with a chip and a tick"),
         [&] {
             app.selectHome(QStringLiteral("Inbox"));
             app.selectRows({QStringLiteral("Fence")});
             app.clickToolbar(QStringLiteral("Edit"));
             app.typeIn(QStringLiteral("titleTextField"), QStringLiteral(" posts"));
             app.addToken(QStringLiteral("tagsTokenField"), QStringLiteral("weekend"));
             app.tick(QStringLiteral("dueDateCheckBoxButton"));
         },
         fence,
         QStringLiteral("The task “Fence” was deleted elsewhere.") + inMain + lost
             + typed("Fence posts\n\nTags: weekend\n\nDue: ticked")},
        {QStringLiteral("project editor"),
         [&] {
             app.editHomeEntry(QStringLiteral("Garden"));
             app.typeIn(QStringLiteral("titleTextField"), QStringLiteral(" beds"));
         },
         garden, QStringLiteral("The project “Garden” was deleted elsewhere.") + inMain + lost + typed("Garden beds")},
        {QStringLiteral("area editor"), [&] { app.editHomeEntry(QStringLiteral("House")); }, house,
         QStringLiteral("The area “House” was deleted elsewhere.") + inMain + lost + QStringLiteral(" [OK]")},
        {QStringLiteral("tag editor"), [&] { app.openRenameTagSheet(QStringLiteral("errand")); }, errand,
         QStringLiteral("The tag “errand” was deleted elsewhere.") + inMain + lost + QStringLiteral(" [OK]")},
        {QStringLiteral("project information"), [&] { app.viewHomeEntry(QStringLiteral("Shed")); }, shed,
         QStringLiteral("The project “Shed” was deleted elsewhere.") + inMain + QStringLiteral(" [OK]")},
        {QStringLiteral("task window"), [&] { app.doubleClickRow(QStringLiteral("Mow")); }, mow,
         QStringLiteral("The task “Mow” was deleted elsewhere. / Its window closed. [OK]")},
        {QStringLiteral("comment composer in a task window"),
         [&] {
             app.selectHome(QStringLiteral("Inbox"));
             app.doubleClickRow(QStringLiteral("Weed"));
             app.pressInTaskWindow(QStringLiteral("Weed"), QStringLiteral("Comment"));
             app.typeWhereTheFocusIs(QStringLiteral("Roots first"));
         },
         weed,
         QStringLiteral("The task “Weed” was deleted elsewhere. / Its window closed.") + lost + typed("Roots first")},
        {QStringLiteral("comment composer"),
         [&] {
             app.selectHome(QStringLiteral("Inbox"));
             app.selectRows({QStringLiteral("Rake")});
             app.clickToolbar(QStringLiteral("Comment"));
             app.typeIn(QStringLiteral("commentTextView"), QStringLiteral("Leaves"));
         },
         rake, QStringLiteral("The task “Rake” was deleted elsewhere.") + inMain + lost + typed("Leaves")},
        {QStringLiteral("comment editor"),
         [&] {
             app.selectHome(QStringLiteral("Inbox"));
             app.selectRows({QStringLiteral("Sow")});
             app.clickDetailCommentButton(QStringLiteral("Mine"), QStringLiteral("Edit"));
             app.typeIn(QStringLiteral("commentTextView"), QStringLiteral(" too"));
         },
         mine, QStringLiteral("The comment “Mine” was deleted elsewhere.") + inMain + lost + typed("Mine too")},
        // A title the sync closed in the middle of its typing, up to the space before the next word, comes back once.
        {QStringLiteral("task edit form typed up to a space"),
         [&] {
             app.selectHome(QStringLiteral("Inbox"));
             app.selectRows({QStringLiteral("Prune")});
             app.clickToolbar(QStringLiteral("Edit"));
             app.typeIn(QStringLiteral("titleTextField"), QStringLiteral(" the "));
         },
         prune, QStringLiteral("The task “Prune” was deleted elsewhere.") + inMain + lost + typed("Prune the")},
        {QStringLiteral("project editor typed up to a space"),
         [&] {
             app.editHomeEntry(QStringLiteral("Orchard"));
             app.typeIn(QStringLiteral("titleTextField"), QStringLiteral(" and "));
         },
         orchard,
         QStringLiteral("The project “Orchard” was deleted elsewhere.") + inMain + lost + typed("Orchard and")},
        {QStringLiteral("tag editor typed up to a space"),
         [&] {
             app.openRenameTagSheet(QStringLiteral("chore"));
             app.typeIn(QStringLiteral("titleTextField"), QStringLiteral("s to "));
         },
         chore, QStringLiteral("The tag “chore” was deleted elsewhere.") + inMain + lost + typed("chores to")},
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

// A sync takes away what the form the user is typing in edits: the form closes, the alert that says so waits without
// the keyboard and gives back the whole text, and the keys typed on act on nothing (no row chosen by its letters, no
// new form, no answer to the alert) until the user clicks somewhere.
TEST_F(FormsThatVanishFeature, TheKeysTypedAfterASyncTookTheFormAwayActOnNothingAndTheAlertGivesTheWholeTextBack)
{
    KNVTCDTask *paint = app.givenTask(QStringLiteral("Paint"), {.synced = true});
    KNVTCDTask *mow = app.givenTask(QStringLiteral("Mow"), {.synced = true});
    KNVTCDTask *rake = app.givenTask(QStringLiteral("Rake"), {.synced = true});
    KNVTCDTask *sow = app.givenTask(QStringLiteral("Sow"), {.synced = true});
    KNVTCDTaskComment *mine = app.store().commentWithText(QStringLiteral("Mine"), sow);
    app.givenTask(QStringLiteral("Nettles"));
    const QString inMain = QStringLiteral(" / The form for it in the window “Quillvane” closed.");
    const struct
    {
        const char *form;
        std::function<void()> open;
        KNVTCDTaskStoreObject *object;
        QString field;
        QString said;
    } rows[] = {
        {"edit form",
         [&] {
             app.selectRows({QStringLiteral("Paint")});
             app.clickToolbar(QStringLiteral("Edit"));
             app.typeIn(QStringLiteral("titleTextField"), QStringLiteral(" the shed"));
         },
         paint, QStringLiteral("titleTextField"), QStringLiteral("The task “Paint” was deleted elsewhere.") + inMain},
        {"edit form of a task window",
         [&] {
             app.doubleClickRow(QStringLiteral("Mow"));
             app.pressInTaskWindow(QStringLiteral("Mow"), QStringLiteral("Edit"));
             app.typeIn(QStringLiteral("titleTextField"), QStringLiteral(" the shed"));
         },
         mow, QStringLiteral("titleTextField"),
         QStringLiteral("The task “Mow” was deleted elsewhere. / Its window closed.")},
        {"comment composer",
         [&] {
             app.selectRows({QStringLiteral("Rake")});
             app.clickToolbar(QStringLiteral("Comment"));
             app.typeIn(QStringLiteral("commentTextView"), QStringLiteral("the shed"));
         },
         rake, QStringLiteral("commentTextView"), QStringLiteral("The task “Rake” was deleted elsewhere.") + inMain},
        {"comment editor",
         [&] {
             app.selectRows({QStringLiteral("Sow")});
             app.clickDetailCommentButton(QStringLiteral("Mine"), QStringLiteral("Edit"));
             app.typeIn(QStringLiteral("commentTextView"), QStringLiteral(" the shed"));
         },
         mine, QStringLiteral("commentTextView"), QStringLiteral("The comment “Mine” was deleted elsewhere.") + inMain},
    };
    for (const auto &row : rows) {
        SCOPED_TRACE(row.form);
        app.selectHome(QStringLiteral("Inbox"));
        row.open();
        const QString typed = app.fieldText(row.field);
        bool waitedWithoutTheKeyboard = false;
        QStringList afterwards;
        QString quitAsked;
        app.answerAlert(QStringLiteral("OK"),
                        {.whileShown =
                             [&] {
                                 // The user types on, not having seen the form go, and tries Ctrl+N and Return.
                                 app.typeWhereTheFocusIs(QStringLiteral(" n and more"));
                                 app.pressWhereTheFocusIs(QStringLiteral("Ctrl+N"));
                                 app.pressWhereTheFocusIs(QStringLiteral("Return"));
                                 waitedWithoutTheKeyboard = QApplication::activeModalWidget() == nullptr;
                                 afterwards = app.openEditors();
                                 // Quit asks before it drops the only copy of the typing, which the alert holds.
                                 app.answerAlert(QStringLiteral("Cancel"));
                                 app.pressWhereTheFocusIs(QStringLiteral("Ctrl+Q"));
                                 quitAsked = app.alertsShown().last();
                             },
                         .input = Input::Pointer});
        app.givenRemovedBySync(row.object);
        app.settle();
        EXPECT_TRUE(waitedWithoutTheKeyboard);
        EXPECT_EQ(afterwards.size(), 1) << "only the alert: " << afterwards.join(' ').toStdString();
        EXPECT_FALSE(app.selectedRowTitles().contains(QStringLiteral("Nettles"))) << "no row chosen by its letters";
        EXPECT_EQ(app.newTaskWindows(), 0);
        const QStringList asked = app.alertsShown();
        ASSERT_GE(asked.size(), 2);
        EXPECT_EQ(asked.at(asked.size() - 2),
                  row.said + QStringLiteral(" Your changes were not saved. What you typed:\n\n") + typed
                      + QStringLiteral(" [OK]"));
        EXPECT_TRUE(quitAsked.startsWith(QStringLiteral("Discard What You Typed?")) && quitAsked.contains(typed))
            << quitAsked.toStdString();
        // The click on OK went somewhere: the keys work again.
        app.typeInSearch(QStringLiteral("Nett"));
        EXPECT_TRUE(app.centreRows().contains(QStringLiteral("[ ] Nettles")));
        app.typeInSearch(QString());
    }
}

// The user deletes the task of a task window whose form holds typing: the alert answers that delete, so it comes up
// with the keyboard, and it says the task was deleted, not deleted elsewhere.
TEST_F(FormsThatVanishFeature, ATaskTheUserDeletesHereIsNotSaidToBeDeletedElsewhereAndItsAlertAnswersTheDelete)
{
    app.givenTask(QStringLiteral("Mow"));
    app.selectHome(QStringLiteral("Inbox"));
    app.doubleClickRow(QStringLiteral("Mow"));
    app.pressInTaskWindow(QStringLiteral("Mow"), QStringLiteral("Edit"));
    app.typeIn(QStringLiteral("titleTextField"), QStringLiteral(" now"));
    app.selectRows({QStringLiteral("Mow")});
    app.answerAlert(QStringLiteral("Delete"));
    app.answerAlert(QStringLiteral("OK"), {.input = Input::Return});
    app.press(QStringLiteral("Del"));
    app.settle();
    EXPECT_EQ(app.taskTitled(QStringLiteral("Mow")), nullptr);
    EXPECT_EQ(app.alerts().pendingAnswerCount(), 0) << "Return answered it";
    EXPECT_EQ(app.alertsShown().last(),
              QStringLiteral("The task “Mow” was deleted. / Its window closed. Your changes "
                             "were not saved. What you typed:\n\nMow now [OK]"));
}

// A sync takes away the project whose sharing settings the user is choosing people for: the keys typed on into the
// people popover's search act on nothing once the sheet has gone, and the alert waits for the pointer.
TEST_F(FormsThatVanishFeature, TheKeysTypedOnIntoChoosePeopleAfterASyncTookTheProjectAwayActOnNothing)
{
    app.givenSignedIn();
    app.givenPerson(QStringLiteral("Ben"), 3);
    app.givenPerson(QStringLiteral("Cat"), 3);
    KNVTCDTaskList *garden = app.givenProject(QStringLiteral("Garden"), {.members = {QStringLiteral("Ben")}});
    app.givenTask(QStringLiteral("Nettles"));
    app.saveGivens();
    app.selectHome(QStringLiteral("Inbox"));
    app.shareList(QStringLiteral("Garden"));
    app.tickInPeoplePopover(QStringLiteral("Cat"), true);
    app.typeInSharingSettings(QStringLiteral("ca"));
    bool waitedWithoutTheKeyboard = false;
    app.answerAlert(QStringLiteral("OK"),
                    {.whileShown =
                         [&] {
                             app.typeWhereTheFocusIs(QStringLiteral("t n"));
                             app.pressWhereTheFocusIs(QStringLiteral("Return"));
                             waitedWithoutTheKeyboard = QApplication::activeModalWidget() == nullptr;
                         },
                     .input = Input::Pointer});
    app.givenChangedBySync(garden, [](KNVTCDTaskStoreObject &pulled) {
        dynamic_cast<KNVTCDTaskList &>(pulled).setDeletedDate(AppDriver::defaultNow());
    });
    app.settle();
    EXPECT_TRUE(waitedWithoutTheKeyboard);
    EXPECT_EQ(app.alerts().pendingAnswerCount(), 0);
    EXPECT_EQ(app.alertsShown().last(),
              QStringLiteral("The project “Garden” was deleted elsewhere. / The form for it in "
                             "the window “Quillvane” closed. Your changes were not saved. What you typed:\n\n"
                             "Shared With: Ben (ben), Cat (cat) [OK]"));
    EXPECT_EQ(app.selectedHome(), QStringLiteral("Inbox")) << "no list chosen by its letters";
    EXPECT_TRUE(app.selectedRowTitles().isEmpty()) << "no row chosen by its letters";
    EXPECT_TRUE(app.openEditors().isEmpty());
}
