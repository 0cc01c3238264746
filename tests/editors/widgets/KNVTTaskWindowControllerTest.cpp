#include "EditorsFixture.h"

#include "editors/KNVTTaskCommentNewViewController.h"
#include "editors/KNVTTaskEditViewController.h"
#include "editors/KNVTTaskSheetWindowController.h"
#include "editors/KNVTTaskViewModel.h"
#include "editors/KNVTTaskWindowController.h"
#include "editors/KNVTTasksAssignViewController.h"

#include "uikit/KNVTPreferenceKeys.h"
#include "uikit/KNVTTextField.h"
#include "uikit/KNVTTextView.h"

#include "foundation/Defaults.h"
#include "support/MenuLines.h"

#include "support/WaitUntil.h"

#include <QAction>
#include <QSignalSpy>

namespace {

class Keeper : public KNVTTaskWindowControllerDelegate
{
public:
    void taskWindowControllerWillClose(KNVTTaskWindowController *controller) override { closed.push_back(controller); }
    std::vector<KNVTTaskWindowController *> closed;
};

class KNVTTaskWindowControllerTest : public EditorsFixture
{
protected:
    void SetUp() override
    {
        EditorsFixture::SetUp();
        passport = task("Renew passport");
        save();
        window = std::make_unique<KNVTTaskWindowController>(passport);
        window->setTaskWindowControllerDelegate(&keeper);
        window->show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(window.get()));
    }
    void TearDown() override
    {
        window.reset();
        knvt::Defaults::standard().remove(QString::fromLatin1(KNVTApplicationWillDeleteTasksAlertSuppressionKey));
        EditorsFixture::TearDown();
    }

    KNVTCDTask *passport = nullptr;
    Keeper keeper;
    std::unique_ptr<KNVTTaskWindowController> window;
};

TEST_F(KNVTTaskWindowControllerTest, TheWindowShowsTheTaskUnderAFixedToolbarAndIsTitledWithIt)
{
    EXPECT_EQ(window->windowTitle(), QStringLiteral("Renew passport"));
    EXPECT_FALSE(window->toolbar()->isMovable());
    EXPECT_FALSE(window->toolbar()->isFloatable());
    EXPECT_EQ(window->toolbar()->contextMenuPolicy(), Qt::PreventContextMenu);
    EXPECT_EQ(window->contextMenuPolicy(), Qt::NoContextMenu);
    for (const char *name : {"todayButton", "assignButton", "commentButton", "editButton", "doneButton"})
        EXPECT_NE(window->findChild<QToolButton *>(name), nullptr) << name;
    EXPECT_EQ(window->centralWidget(), window->taskViewController()->view());
    EXPECT_EQ(window->taskViewController()->model()->row(0).text, QStringLiteral("Renew passport"));
    EXPECT_EQ(window->taskViewController()->taskViewControllerDelegate(), nullptr);

    passport->setTitle("Renew both passports");
    save();
    EXPECT_EQ(window->windowTitle(), QStringLiteral("Renew both passports"));
}

TEST_F(KNVTTaskWindowControllerTest, EditFromTheToolbarTogglesAPopoverAndFromAMenuOpensASheet)
{
    QTest::mouseClick(window->editButton(), Qt::LeftButton);
    knvt::Popover *popover = window->taskEditPopover();
    ASSERT_NE(popover, nullptr);
    EXPECT_TRUE(popover->isShown());
    // A form the user types into stays open under an alert, which closes every pop-up.
    EXPECT_EQ(popover->behavior(), knvt::Popover::Behavior::SemiTransient);
    auto *form = popover->findChild<KNVTTaskEditViewController *>();
    ASSERT_NE(form, nullptr);
    EXPECT_EQ(form->taskTitle(), QStringLiteral("Renew passport"));
    window->edit(window->editButton());
    settle();
    EXPECT_EQ(window->taskEditPopover(), nullptr);

    QAction menuItem(QStringLiteral("Edit"));
    window->edit(&menuItem);
    KNVTTaskEditWindowController *sheet = window->taskEditWindowController();
    ASSERT_NE(sheet, nullptr);
    EXPECT_TRUE(sheet->isVisible());
    EXPECT_EQ(sheet->parentWidget(), window.get());
    sheet->taskEditViewController()->titleTextField()->setText("Renew the passport");
    sheet->taskEditViewController()->save();
    EXPECT_FALSE(sheet->isVisible());
    saves.runAll();
    EXPECT_EQ(window->windowTitle(), QStringLiteral("Renew the passport"));
}

TEST_F(KNVTTaskWindowControllerTest, TodayMovesTheTaskToTodayAndBackToNext)
{
    QTest::mouseClick(window->todayButton(), Qt::LeftButton);
    EXPECT_TRUE(passport->isToday());
    EXPECT_EQ(passport->startDate(), day(4));
    EXPECT_FALSE(store->managedObjectContext()->hasChanges());
    QTest::mouseClick(window->todayButton(), Qt::LeftButton);
    EXPECT_EQ(passport->focusType(), KNVTFocusTypeNext);
    EXPECT_FALSE(passport->startDate().isValid());
}

TEST_F(KNVTTaskWindowControllerTest, ATaskOfAnArchivedListCanOnlyBeClosed)
{
    KNVTCDTaskList *trip = taskList("Trip");
    passport->setTaskList(trip);
    save();
    EXPECT_TRUE(window->editButton()->isEnabled());
    trip->setArchived(true);
    save();
    for (QToolButton *button : {window->todayButton(), window->assignButton(), window->commentButton(),
                                window->editButton(), window->markButton(), window->deleteButton()})
        EXPECT_FALSE(button->isEnabled()) << button->objectName().toStdString();
    EXPECT_TRUE(window->doneButton()->isEnabled());
    // Nor do the keys of the commands.
    window->activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(window.get()));
    for (const char *keys : {"Ctrl+.", "Alt+Backspace", "Ctrl+Backspace"})
        QTest::keySequence(window->focusWidget() ? window->focusWidget() : window.get(),
                           QKeySequence(QString::fromLatin1(keys)));
    settle();
    EXPECT_FALSE(passport->isCompletedOrCancelled());
    EXPECT_TRUE(alerts.requests().isEmpty());
    QTest::mouseClick(window->doneButton(), Qt::LeftButton);
    EXPECT_FALSE(window->isVisible());
    EXPECT_EQ(keeper.closed, std::vector<KNVTTaskWindowController *>{window.get()});
}

TEST_F(KNVTTaskWindowControllerTest, DeleteAsksUnlessToldNotToAndTheBoxCountsEvenWithCancel)
{
    alerts.answerWithTitle("Cancel", true);
    window->deleteTask();
    ASSERT_EQ(alerts.requests().size(), 1);
    EXPECT_EQ(alerts.requests()[0].title, QStringLiteral("Delete Task?"));
    EXPECT_EQ(alerts.requests()[0].message, QStringLiteral("This action cannot be undone."));
    EXPECT_EQ(alerts.requests()[0].buttonTitles, (QStringList{"Delete", "Cancel"}));
    EXPECT_TRUE(alerts.requests()[0].showsSuppressionButton);
    EXPECT_FALSE(passport->isDeleted());
    EXPECT_TRUE(window->isVisible());
    EXPECT_TRUE(knvt::Defaults::standard()
                    .value(QString::fromLatin1(KNVTApplicationWillDeleteTasksAlertSuppressionKey))
                    .toBool());

    window->deleteTask();
    EXPECT_EQ(alerts.requests().size(), 1);
    EXPECT_TRUE(passport->isDeleted());
    EXPECT_FALSE(window->isVisible());
    EXPECT_EQ(keeper.closed.size(), 1u);
    EXPECT_EQ(saves.requestedDelays(), std::vector<double>{0.0});
}

TEST_F(KNVTTaskWindowControllerTest, TheMarkMenuAndTheKeysOfTheWindowActOnItsTask)
{
    window->activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(window.get()));
    auto press = [this](const char *keys) {
        QTest::keySequence(window->focusWidget() ? window->focusWidget() : window.get(),
                           QKeySequence(QString::fromLatin1(keys)));
        settle();
    };
    QMenu *mark = window->markButton()->defaultAction() ? window->markButton()->defaultAction()->menu() : nullptr;
    ASSERT_NE(mark, nullptr);
    // The window keeps its commands current with the task.
    auto markMenu = [mark] { return knvt::test::menuLines(*mark); };
    EXPECT_EQ(markMenu(), (QStringList{"As Completed\tCtrl+.", "As Cancelled\tAlt+Backspace"}));
    press("Ctrl+.");
    EXPECT_TRUE(passport->isCompleted());
    EXPECT_EQ(markMenu().first(), QStringLiteral("As Uncompleted\tCtrl+."));
    press("Ctrl+.");
    EXPECT_FALSE(passport->isCompletedOrCancelled());
    press("Alt+Backspace");
    EXPECT_TRUE(passport->isCancelled());
    EXPECT_FALSE(store->managedObjectContext()->hasChanges()) << "each mark is saved";

    // Delete asks first, as its button does.
    alerts.answerWithTitle("Delete");
    press("Ctrl+Backspace");
    ASSERT_EQ(alerts.requests().size(), 1);
    EXPECT_EQ(alerts.requests()[0].title, QStringLiteral("Delete Task?"));
    EXPECT_TRUE(passport->isDeleted());
    EXPECT_FALSE(window->isVisible());
}

TEST_F(KNVTTaskWindowControllerTest, APullThatDeletesTheTaskClosesItsWindow)
{
    passport->setNumericIdentifier(31);
    save();
    passport->setDeletedDate(now());
    save();
    EXPECT_FALSE(window->isVisible());
    EXPECT_EQ(window->task(), nullptr);
    EXPECT_EQ(keeper.closed.size(), 1u);
}

TEST_F(KNVTTaskWindowControllerTest, TheCommentBoxTakesTheKeyboardFocusSoThatTypingGoesIntoIt)
{
    window->activateWindow();
    ASSERT_TRUE(knvt::test::waitUntil([&] { return window->isActiveWindow(); }));
    QTest::mouseClick(window->commentButton(), Qt::LeftButton);
    ASSERT_NE(window->taskCommentNewPopover(), nullptr);
    auto *text = window->taskCommentNewPopover()->findChild<KNVTTextView *>("commentTextView");
    ASSERT_NE(text, nullptr);
    EXPECT_TRUE(knvt::test::waitUntil([&] { return QApplication::focusWidget() == text; }));
    if (QWidget *focused = QApplication::focusWidget())
        QTest::keyClicks(focused, "On my way");
    EXPECT_EQ(text->toPlainText(), QStringLiteral("On my way"));
}

TEST_F(KNVTTaskWindowControllerTest, CommentAndAssignToggleTheirPopovers)
{
    QTest::mouseClick(window->commentButton(), Qt::LeftButton);
    ASSERT_NE(window->taskCommentNewPopover(), nullptr);
    EXPECT_NE(window->taskCommentNewPopover()->findChild<QWidget *>("commentTextView"), nullptr);
    window->comment(window->commentButton());
    settle();
    EXPECT_EQ(window->taskCommentNewPopover(), nullptr);

    QTest::mouseClick(window->assignButton(), Qt::LeftButton);
    ASSERT_NE(window->assignTaskPopover(), nullptr);
    EXPECT_NE(window->assignTaskPopover()->findChild<QWidget *>("assigneePopUpButton"), nullptr);
    window->assign(window->assignButton());
    settle();
    EXPECT_EQ(window->assignTaskPopover(), nullptr);
}

TEST_F(KNVTTaskWindowControllerTest, TheSheetFormEndsOnDoneAndWhenItsTaskIsDeleted)
{
    QWidget host;
    host.resize(600, 500);
    host.show();
    KNVTTaskSheetWindowController sheet(passport, &host);
    sheet.open();
    EXPECT_EQ(sheet.windowModality(), Qt::WindowModal);
    KNVTTaskWindowController *content = sheet.taskWindowController();
    EXPECT_EQ(content->taskViewController()->model()->row(0).text, QStringLiteral("Renew passport"));
    QSignalSpy finished(&sheet, &QDialog::finished);
    QTest::mouseClick(content->doneButton(), Qt::LeftButton);
    EXPECT_EQ(finished.count(), 1);
    EXPECT_FALSE(sheet.isVisible());

    KNVTTaskSheetWindowController deleting(passport, &host);
    deleting.open();
    QSignalSpy deletingFinished(&deleting, &QDialog::finished);
    alerts.answerWithTitle("Delete");
    deleting.taskWindowController()->deleteTask();
    EXPECT_EQ(deletingFinished.count(), 1);
    EXPECT_TRUE(passport->isDeleted());
    EXPECT_TRUE(keeper.closed.empty());
}

} // namespace
