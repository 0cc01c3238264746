// Saves the library refuses: the user hears of each once, and the windows show what the library holds.

#include "AppDriver.h"

#include "app/KNVTMainWindowController.h"

#include "lists/ItemRow.h"
#include "lists/KNVTTaskStoreItemsViewController.h"

#include "store/KNVTTaskStore.h"

#include "model/KNVTCDTask.h"
#include "model/KNVTCDTaskComment.h"
#include "model/KNVTCDUser.h"

#include "support/RefusedWrites.h"
#include "support/SyncFixtures.h"

#include <QAbstractItemView>
#include <QApplication>
#include <QImage>
#include <QJsonDocument>
#include <QLineEdit>
#include <QMessageBox>
#include <QTest>

#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <vector>

using knvt::features::AppDriver;
using Input = knvt::ScriptedAlertPresenter::Input;

namespace {

const QString kRefused = QStringLiteral("Your change could not be saved. / The library file is read-only. [OK]");

class RefusedSaveFeature : public ::testing::Test
{
protected:
    // The check box of the centre row of that title as it is drawn, with the mouse resting on it.
    QImage drawnCheckBox(const QString &title)
    {
        KNVTTaskStoreItemsViewController *list = app.centreItems();
        for (int row = 0; row < list->numberOfRows(); ++row) {
            if (list->rowAt(row)->title != title)
                continue;
            QAbstractItemView *view = app.centreView();
            const QRect box = QRect(4, 14, 22, 22).translated(view->visualRect(list->indexForRow(row)).topLeft());
            QTest::mouseMove(view->viewport(), box.center());
            app.settle();
            return view->viewport()->grab(box).toImage();
        }
        ADD_FAILURE() << "no row " << title.toStdString();
        return {};
    }

    AppDriver app;
};

} // namespace

TEST_F(RefusedSaveFeature, TickingABoxTheLibraryRefusesShowsOneAlertAndTheBoxStaysUnticked)
{
    app.givenTask(QStringLiteral("Pay rent"));
    app.givenTask(QStringLiteral("Call Ann"));
    app.selectRows({QStringLiteral("Pay rent")});
    const QStringList open = app.centreRows();
    ASSERT_EQ(open, (QStringList{"# Incomplete", "[ ] Call Ann", "[ ] Pay rent"}));
    const QImage unticked = drawnCheckBox(QStringLiteral("Pay rent"));

    ASSERT_TRUE(knvt::test::refuseWrites(app.store()));
    app.answerAlert(QStringLiteral("OK"));
    app.clickCheckBox(QStringLiteral("Pay rent"));
    EXPECT_EQ(app.alertsShown(), QStringList{kRefused});
    EXPECT_EQ(app.centreRows(), open);
    EXPECT_EQ(drawnCheckBox(QStringLiteral("Pay rent")), unticked);
    EXPECT_EQ(app.rightPane(), QStringLiteral("Pay rent")) << "still selected";
    // The list built again from the library's objects shows the task open too.
    app.selectHome(QStringLiteral("Today"));
    app.selectHome(QStringLiteral("Inbox"));
    EXPECT_EQ(app.centreRows(), open);
    EXPECT_EQ(app.alertsShown().size(), 1) << "one alert for one refused save";

    // The box of the task's detail beside the list goes the same way.
    app.selectRows({QStringLiteral("Pay rent")});
    app.answerAlert(QStringLiteral("OK"));
    app.clickDetailCheckBox();
    EXPECT_EQ(app.alertsShown(), (QStringList{kRefused, kRefused}));
    EXPECT_EQ(app.detailRows().value(0), QStringLiteral("title [ ] Pay rent"));
    EXPECT_EQ(app.centreRows(), open);

    // Once the library takes writes again, the same click ticks the box and stores it.
    ASSERT_TRUE(knvt::test::refuseWrites(app.store(), false));
    app.clickCheckBox(QStringLiteral("Pay rent"));
    EXPECT_EQ(app.centreRows(), (QStringList{"# Incomplete", "[ ] Call Ann", "# Completed", "[x] Pay rent"}));
    EXPECT_NE(drawnCheckBox(QStringLiteral("Pay rent")), unticked);
    EXPECT_EQ(app.alertsShown().size(), 2);
    EXPECT_FALSE(app.store().managedObjectContext()->hasChanges());
}

TEST_F(RefusedSaveFeature, QuittingWhileTheLibraryRefusesAnEditTellsTheUserAndTheNextStartShowsWhatWasStored)
{
    app.givenSharedProject(QStringLiteral("Club"), {.members = {QStringLiteral("Ann")}});
    app.givenTask(QStringLiteral("Paint"), {.list = QStringLiteral("Club")});
    app.selectHome(QStringLiteral("Club"));
    app.selectRows({QStringLiteral("Paint")});
    app.clickToolbar(QStringLiteral("Assign"));
    app.choosePopUp(QStringLiteral("assigneePopUpButton"), QStringLiteral("Ann (ann)"));
    app.clickButton(QStringLiteral("saveButton"));
    ASSERT_EQ(app.saves().pendingCount(), 1) << "the assignment saves a moment later";
    ASSERT_TRUE(knvt::test::refuseWrites(app.store()));

    // The user quits before the assignment's save has run.
    app.answerAlert(QStringLiteral("OK"));
    app.quit();
    EXPECT_EQ(app.alertsShown(), QStringList{kRefused});

    app.relaunch();
    const KNVTCDTask *paint = app.taskTitled(QStringLiteral("Paint"));
    ASSERT_NE(paint, nullptr);
    EXPECT_NE(paint->assignee() ? paint->assignee()->username() : QString(), QStringLiteral("ann"));
    EXPECT_EQ(app.alertsShown().size(), 1);
}

// Whichever form it was typed in, a change the library refuses stays in its form, which is still open with all the
// user typed; its Save stores it once the library takes writes again.
TEST_F(RefusedSaveFeature, ATypedChangeTheLibraryRefusesStaysInItsOpenFormUntilASaveTakesIt)
{
    app.givenTask(QStringLiteral("Paint"));
    KNVTCDTask *ship = app.givenTask(QStringLiteral("Ship release"));
    app.store().commentWithText(QStringLiteral("Mine"), ship);
    app.givenProject(QStringLiteral("Garden"));
    app.saveGivens();
    const auto comments = [ship] {
        QStringList texts;
        for (const KNVTCDTaskComment *comment : ship->commentsOrderedByCreatedDate())
            texts << comment->text();
        return texts;
    };
    struct Form
    {
        const char *window;
        std::function<void()> open;
        QString field;
        QString typed;
        QString shown; // what the field holds then
        std::function<void()> save;
        std::function<bool()> stored;
    };
    const auto pressReturn = [this] { app.pressReturn(); };
    const auto pressCtrlReturn = [this] { app.pressCtrlReturn(); };
    const auto clickSave = [this] { app.clickButton(QStringLiteral("saveButton")); };
    const std::vector<Form> forms = {
        {"the new task popover", [this] { app.press(QStringLiteral("Ctrl+N")); }, QStringLiteral("titleTextField"),
         QStringLiteral("Buy stamps"), QStringLiteral("Buy stamps"), pressReturn,
         [this] { return app.taskTitled(QStringLiteral("Buy stamps")) != nullptr; }},
        {"the edit popover",
         [this] {
             app.selectRows({QStringLiteral("Paint")});
             app.clickToolbar(QStringLiteral("Edit"));
         },
         QStringLiteral("titleTextField"), QStringLiteral(" the fence"), QStringLiteral("Paint the fence"), pressReturn,
         [this] { return app.taskTitled(QStringLiteral("Paint the fence")) != nullptr; }},
        {"the comment composer",
         [this] {
             app.selectRows({QStringLiteral("Ship release")});
             app.clickToolbar(QStringLiteral("Comment"));
         },
         QStringLiteral("commentTextView"), QStringLiteral("Ship it"), QStringLiteral("Ship it"), pressCtrlReturn,
         [comments] { return comments().contains(QStringLiteral("Ship it")); }},
        {"the comment editor", [this] { app.clickDetailCommentButton(QStringLiteral("Mine"), QStringLiteral("Edit")); },
         QStringLiteral("commentTextView"), QStringLiteral(" edited"), QStringLiteral("Mine edited"), pressCtrlReturn,
         [comments] { return comments().contains(QStringLiteral("Mine edited")); }},
        {"the project's edit sheet", [this] { app.editHomeEntry(QStringLiteral("Garden")); },
         QStringLiteral("titleTextField"), QStringLiteral(" Club"), QStringLiteral("Garden Club"), clickSave,
         [this] { return app.homeRows().contains(QStringLiteral("  Garden Club")); }},
        {"the new tag sheet", [this] { app.openNewTagSheet(); }, QStringLiteral("titleTextField"),
         QStringLiteral("errand"), QStringLiteral("errand"), clickSave,
         [this] { return app.store().tagForTitle(QStringLiteral("errand")) != nullptr; }},
    };
    for (const Form &form : forms) {
        SCOPED_TRACE(form.window);
        form.open();
        app.typeIn(form.field, form.typed);
        const QStringList open = app.openEditors();
        ASSERT_EQ(open.size(), 1);
        ASSERT_TRUE(knvt::test::refuseWrites(app.store()));
        const qsizetype told = app.alertsShown().size();
        app.answerAlert(QStringLiteral("OK"));
        form.save();
        EXPECT_EQ(app.alertsShown().mid(told), QStringList{kRefused});
        EXPECT_EQ(app.openEditors(), open) << "the form stays";
        EXPECT_EQ(app.fieldText(form.field), form.shown);
        EXPECT_FALSE(form.stored());

        ASSERT_TRUE(knvt::test::refuseWrites(app.store(), false));
        form.save();
        EXPECT_TRUE(app.openEditors().isEmpty());
        EXPECT_TRUE(form.stored());
        EXPECT_EQ(app.alertsShown().size(), told + 1);
    }
    EXPECT_FALSE(app.store().managedObjectContext()->hasChanges());
}

// What a service's reply brought in is saved by the application, not by the user: the library's refusal of it waits
// beside what the user is typing, and the space typed on goes into the field, never to the alert's OK.
TEST_F(RefusedSaveFeature, TheRefusalOfWhatAServiceReplyBroughtWaitsWithoutTheKeyboard)
{
    app.service()
        .on("GET", "/account.json")
        .json(200,
              QJsonDocument(
                  knvt::test::account(7, knvt::test::user(42, QStringLiteral("ann"), {{"first_name", "Annie"}}), 5))
                  .toJson(QJsonDocument::Compact))
        .hold();
    // A start on a library signed in, automatic sync off, asks the service for the account at once.
    app.givenSignedIn();
    app.endProcess();
    app.launch();
    app.waitForService([this] { return app.service().count("GET", "/account.json") == 1; });
    ASSERT_TRUE(knvt::test::refuseWrites(app.store()));
    app.typeInSearch(QStringLiteral("pay"));

    QString typedWhileItWaits;
    bool waitedWithoutTheKeyboard = false;
    app.answerAlert(QStringLiteral("OK"),
                    {.whileShown =
                         [&] {
                             app.typeKeyByKey({QStringLiteral("Space")});
                             typedWhileItWaits = app.mainWindow().searchField()->text();
                             const QWidgetList windows = QApplication::topLevelWidgets();
                             waitedWithoutTheKeyboard =
                                 std::any_of(windows.cbegin(), windows.cend(), [](const QWidget *window) {
                                     return qobject_cast<const QMessageBox *>(window) != nullptr && window->isVisible();
                                 });
                         },
                     .input = Input::Pointer});
    app.service().release("GET", "/account.json");
    app.waitForService([this] { return app.alerts().pendingAnswerCount() == 0 && !app.alertsShown().isEmpty(); });
    EXPECT_EQ(app.alertsShown(), QStringList{kRefused});
    EXPECT_TRUE(app.alerts().requests().last().opener == knvt::Opener::Application);
    EXPECT_TRUE(waitedWithoutTheKeyboard) << "no space answered it: it is still up";
    EXPECT_EQ(typedWhileItWaits, QStringLiteral("pay "));
}
