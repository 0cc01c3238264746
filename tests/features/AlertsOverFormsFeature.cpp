// The application's own alerts over the forms the user types into, answered on the real alert with the pointer or the
// keys: an answer never closes a form, the keyboard goes back where it was, every window asks before its typing is
// dropped, and an alert fits its screen and stands in front of the window it concerns.

#include "AppDriver.h"

#include "app/KNVTTasksAppDelegate.h"

#include "model/KNVTCDTask.h"

#include "support/ScopedKeyboardLayout.h"
#include "uikit/KNVTPreferenceKeys.h"

#include <QAbstractButton>
#include <QApplication>
#include <QMessageBox>
#include <QPlainTextEdit>
#include <QPointer>
#include <QScreen>
#include <QWindow>

#include <gtest/gtest.h>

#include <functional>

using knvt::features::AppDriver;
using Input = knvt::ScriptedAlertPresenter::Input;

namespace {

QString discardQuestion(const QString &typed)
{
    return QStringLiteral("Discard What You Typed? / What you typed has not been saved:\n\n%1 [Cancel, Discard]")
        .arg(typed);
}

const char *inputName(Input input)
{
    switch (input) {
    case Input::Pointer: return "pointer";
    case Input::Return: return "Return";
    case Input::Escape: return "Escape";
    case Input::Script: return "script";
    case Input::Scenario: return "the scenario's own input";
    }
    return "";
}

// A form the user typed into: how it opens, the field typed in and what it holds then.
struct TypedForm
{
    const char *name;
    std::function<void()> open;
    QString field;
    QString holds;
};

class AlertsOverFormsFeature : public ::testing::Test
{
protected:
    // The forms of the main window and of a task window, each with something typed.
    std::vector<TypedForm> typedForms()
    {
        return {
            {"new task",
             [this] {
                 app.clickToolbar(QStringLiteral("New Task"));
                 app.typeIn(QStringLiteral("titleTextField"), QStringLiteral("Buy mi"));
             },
             QStringLiteral("titleTextField"), QStringLiteral("Buy mi")},
            {"edit",
             [this] {
                 app.selectRows({QStringLiteral("Paint")});
                 app.clickToolbar(QStringLiteral("Edit"));
                 app.typeIn(QStringLiteral("titleTextField"), QStringLiteral(" twice"));
             },
             QStringLiteral("titleTextField"), QStringLiteral("Paint twice")},
            {"comment composer",
             [this] {
                 app.selectRows({QStringLiteral("Paint")});
                 app.clickToolbar(QStringLiteral("Comment"));
                 app.typeIn(QStringLiteral("commentTextView"), QStringLiteral("Soon"));
             },
             QStringLiteral("commentTextView"), QStringLiteral("Soon")},
            {"edit form of a task window",
             [this] {
                 app.doubleClickRow(QStringLiteral("Mow"));
                 app.pressInTaskWindow(QStringLiteral("Mow"), QStringLiteral("Edit"));
                 app.typeIn(QStringLiteral("titleTextField"), QStringLiteral(" now"));
             },
             QStringLiteral("titleTextField"), QStringLiteral("Mow now")},
            {"comment composer of a task window",
             [this] {
                 app.doubleClickRow(QStringLiteral("Mow"));
                 app.pressInTaskWindow(QStringLiteral("Mow"), QStringLiteral("Comment"));
                 app.typeWhereTheFocusIs(QStringLiteral("Later"));
             },
             QStringLiteral("commentTextView"), QStringLiteral("Later")},
        };
    }

    AppDriver app;
};

} // namespace

TEST_F(AlertsOverFormsFeature, CancelInTheDiscardQuestionKeepsTheFormItsTypingAndTheKeyboardWhateverTheInput)
{
    app.givenTask(QStringLiteral("Paint"));
    app.givenTask(QStringLiteral("Mow"));
    app.saveGivens();
    app.selectHome(QStringLiteral("Inbox"));
    for (const TypedForm &form : typedForms()) {
        for (const Input input : {Input::Pointer, Input::Return, Input::Escape}) {
            SCOPED_TRACE(std::string(form.name) + ", Cancel by " + inputName(input));
            form.open();
            ASSERT_EQ(app.fieldText(form.field), form.holds);
            app.answerAlert(QStringLiteral("Cancel"), {.input = input});
            app.pressWhereTheFocusIs(QStringLiteral("Ctrl+Q"));
            EXPECT_EQ(app.alertsShown().last(), discardQuestion(form.holds));
            EXPECT_EQ(app.alerts().pendingAnswerCount(), 0);
            EXPECT_EQ(app.fieldText(form.field), form.holds) << "the form stays open with what was typed";
            EXPECT_EQ(app.focusedControl(), form.field) << "the keys go on where the user was typing";
            app.closePopover();
        }
    }
}

TEST_F(AlertsOverFormsFeature, AnAlertAboutOneWindowLeavesTheFormsOfEveryOtherAlone)
{
    KNVTCDTask *mow = app.givenTask(QStringLiteral("Mow"), {.synced = true});
    app.givenTask(QStringLiteral("Paint"));
    app.givenTask(QStringLiteral("Weed"));
    app.saveGivens();
    app.selectHome(QStringLiteral("Inbox"));

    // A sync removes the task of a task window while a new task is typed in the main window: OK clicked in the
    // alert about that window leaves the new task as it was, the keyboard in its title.
    app.doubleClickRow(QStringLiteral("Mow"));
    app.clickToolbar(QStringLiteral("New Task"));
    app.typeIn(QStringLiteral("titleTextField"), QStringLiteral("Buy mi"));
    app.answerAlert(QStringLiteral("OK"), {.input = Input::Pointer});
    app.givenRemovedBySync(mow);
    app.settle();
    EXPECT_EQ(app.alertsShown().last(),
              QStringLiteral("The task “Mow” was deleted elsewhere. / Its window closed. [OK]"))
        << "it names the task and its window, not the form the keys are in";
    EXPECT_EQ(app.fieldText(QStringLiteral("titleTextField")), QStringLiteral("Buy mi"));
    EXPECT_EQ(app.focusedControl(), QStringLiteral("titleTextField"));
    app.closePopover();

    // "Delete Task?" raised from the main window while a task window's edit form holds typing: the answer deletes
    // the other task and leaves the form open.
    app.doubleClickRow(QStringLiteral("Paint"));
    app.selectRows({QStringLiteral("Weed")});
    app.pressInTaskWindow(QStringLiteral("Paint"), QStringLiteral("Edit"));
    app.typeIn(QStringLiteral("titleTextField"), QStringLiteral(" twice"));
    ASSERT_EQ(app.fieldText(QStringLiteral("titleTextField")), QStringLiteral("Paint twice"));
    app.answerAlert(QStringLiteral("Delete"), {.input = Input::Pointer});
    app.press(QStringLiteral("Ctrl+Backspace"));
    app.settle();
    EXPECT_TRUE(app.alertsShown().last().startsWith(QStringLiteral("Delete Task?")));
    EXPECT_EQ(app.taskTitled(QStringLiteral("Weed")), nullptr);
    EXPECT_EQ(app.fieldText(QStringLiteral("titleTextField")), QStringLiteral("Paint twice"));
}

TEST_F(AlertsOverFormsFeature, EveryWindowAsksBeforeTheTypingInItIsDropped)
{
    knvt::test::ScopedKeyboardLayout us(QStringLiteral("us"));
    app.givenDefault(QString::fromLatin1(KNVTQuickTaskEntryKeyboardShortcutHotKey),
                     QVariantMap{{"keyCode", 31}, {"modifiers", 768}});
    app.givenTask(QStringLiteral("Mow"));
    app.saveGivens();
    app.selectHome(QStringLiteral("Inbox"));
    struct Window
    {
        const char *name;
        std::function<void()> open;
        QString title;
        QString field;
        QString typed;
    };
    const std::vector<Window> windows = {
        {"task window with its edit form",
         [this] {
             app.doubleClickRow(QStringLiteral("Mow"));
             app.pressInTaskWindow(QStringLiteral("Mow"), QStringLiteral("Edit"));
             app.typeIn(QStringLiteral("titleTextField"), QStringLiteral(" now"));
         },
         QStringLiteral("Mow"), QStringLiteral("titleTextField"), QStringLiteral("Mow now")},
        {"task window with its comment composer",
         [this] {
             app.doubleClickRow(QStringLiteral("Mow"));
             app.pressInTaskWindow(QStringLiteral("Mow"), QStringLiteral("Comment"));
             app.typeWhereTheFocusIs(QStringLiteral("Later"));
         },
         QStringLiteral("Mow"), QStringLiteral("commentTextView"), QStringLiteral("Later")},
        {"new-task window torn off the popover",
         [this] {
             app.clickToolbar(QStringLiteral("New Task"));
             app.typeIn(QStringLiteral("titleTextField"), QStringLiteral("Call Ann"));
             app.detachPopover();
         },
         QStringLiteral("New Task"), QStringLiteral("titleTextField"), QStringLiteral("Call Ann")},
        {"quick entry",
         [this] {
             app.pressAnywhere(QStringLiteral("Ctrl+Shift+O"));
             app.typeIn(QStringLiteral("titleTextField"), QStringLiteral("Call Ben"));
         },
         QStringLiteral("New Task"), QStringLiteral("titleTextField"), QStringLiteral("Call Ben")},
    };
    for (const Window &window : windows) {
        SCOPED_TRACE(window.name);
        window.open();
        // Cancel keeps the window and its typing, however the user went to close it.
        for (const char *way : {"close button", "Ctrl+W", "Ctrl+Q"}) {
            SCOPED_TRACE(way);
            const qsizetype asked = app.alertsShown().size();
            app.answerAlert(QStringLiteral("Cancel"));
            if (QString::fromLatin1(way) == QStringLiteral("close button"))
                app.closeByTheWindowButton(window.title);
            else
                app.pressWhereTheFocusIs(QString::fromLatin1(way));
            ASSERT_EQ(app.alertsShown().size(), asked + 1);
            EXPECT_EQ(app.alertsShown().last(), discardQuestion(window.typed));
            EXPECT_EQ(app.fieldText(window.field), window.typed);
        }
        // Discard lets the window go, and nothing typed is written.
        app.answerAlert(QStringLiteral("Discard"));
        app.closeByTheWindowButton(window.title);
        EXPECT_EQ(app.openWindows(), QStringList{"mainWindow"});
        EXPECT_EQ(app.store().tasks().size(), 1u);
        EXPECT_NE(app.taskTitled(QStringLiteral("Mow")), nullptr);
    }
}

namespace {

// What of the alert open now lies off its screen (its frame, its buttons), and whether it gives back `typed` whole in
// an area that scrolls and can be selected, a line a problem.
QStringList alertOffScreenOrTypedLost(const QString &typed)
{
    QMessageBox *box = nullptr; // modal, or waiting beside the typing until the user goes to it
    for (const QWidgetList windows = QApplication::topLevelWidgets(); QWidget * window : windows)
        box = qobject_cast<QMessageBox *>(window) != nullptr && window->isVisible()
            ? qobject_cast<QMessageBox *>(window)
            : box;
    if (box == nullptr)
        return {QStringLiteral("no alert open")};
    QStringList problems;
    const QRect screen = box->screen()->availableGeometry();
    if (!screen.contains(box->frameGeometry()))
        problems << QStringLiteral("the alert is %1 px high on a screen of %2")
                        .arg(box->frameGeometry().height())
                        .arg(screen.height());
    for (QAbstractButton *button : box->buttons())
        if (!screen.contains(QRect(button->mapToGlobal(QPoint()), button->size())))
            problems << button->text() + QStringLiteral(" is off the screen");
    auto *area = box->findChild<QPlainTextEdit *>(QStringLiteral("typedTextView"));
    if (area == nullptr || area->toPlainText() != typed)
        problems << QStringLiteral("the typed text is not given back whole");
    else if (!area->isReadOnly() || !area->textInteractionFlags().testFlag(Qt::TextSelectableByMouse))
        problems << QStringLiteral("the typed text cannot be selected");
    return problems;
}

} // namespace

TEST_F(AlertsOverFormsFeature, AnAlertWithLongTypingFitsItsScreenAndOneOverQuickEntryStandsInFrontOfIt)
{
    knvt::test::ScopedKeyboardLayout us(QStringLiteral("us"));
    app.givenDefault(QString::fromLatin1(KNVTQuickTaskEntryKeyboardShortcutHotKey),
                     QVariantMap{{"keyCode", 31}, {"modifiers", 768}});
    KNVTCDTask *paint = app.givenTask(QStringLiteral("Paint"), {.synced = true});
    app.saveGivens();
    app.selectHome(QStringLiteral("Inbox"));
    QStringList lines;
    for (int line = 1; line <= 120; ++line)
        lines << QStringLiteral("Coat %1").arg(line);
    const QString notes = lines.join(QLatin1Char('\n'));
    app.selectRows({QStringLiteral("Paint")});
    app.clickToolbar(QStringLiteral("Edit"));
    app.typeIn(QStringLiteral("notesTextView"), notes);
    ASSERT_EQ(app.fieldText(QStringLiteral("notesTextView")), notes);

    // The question before the typing is dropped, and the alert when the task went away, with 120 lines of notes.
    QStringList problems{QStringLiteral("not shown")};
    const auto look = [&problems, &notes] { problems = alertOffScreenOrTypedLost(notes); };
    app.answerAlert(QStringLiteral("Cancel"), {.whileShown = look, .input = Input::Pointer});
    app.press(QStringLiteral("Ctrl+Q"));
    EXPECT_EQ(problems, QStringList()) << "discard question";
    problems = QStringList{QStringLiteral("not shown")};
    app.answerAlert(QStringLiteral("OK"), {.whileShown = look, .input = Input::Pointer});
    app.givenRemovedBySync(paint);
    app.settle();
    EXPECT_EQ(problems, QStringList()) << "went-away alert";
    EXPECT_TRUE(app.alertsShown().last().startsWith(QStringLiteral("The task “Paint” was deleted elsewhere.")));

    // Quitting while quick entry holds typing: the question floats over every window as quick entry does.
    app.pressAnywhere(QStringLiteral("Ctrl+Shift+O"));
    app.typeIn(QStringLiteral("titleTextField"), QStringLiteral("Call Ann"));
    bool inFront = false;
    app.answerAlert(QStringLiteral("Cancel"),
                    {.whileShown =
                         [&inFront] {
                             QWidget *box = QApplication::activeModalWidget();
                             inFront = box != nullptr && box->windowFlags().testFlag(Qt::WindowStaysOnTopHint);
                         },
                     .input = Input::Pointer});
    app.press(QStringLiteral("Ctrl+Q"));
    EXPECT_EQ(app.alertsShown().last(), discardQuestion(QStringLiteral("Call Ann")));
    EXPECT_TRUE(inFront) << "the question is not hidden under the quick-entry window";
    EXPECT_EQ(app.newTaskWindows(), 1);
}

TEST_F(AlertsOverFormsFeature, EveryWindowAnswersTheApplicationsKeys)
{
    knvt::test::ScopedKeyboardLayout us(QStringLiteral("us"));
    app.givenDefault(QString::fromLatin1(KNVTQuickTaskEntryKeyboardShortcutHotKey),
                     QVariantMap{{"keyCode", 31}, {"modifiers", 768}});
    app.givenSignedIn("ann", "secret1", /*autoSync=*/true);
    app.service().enableState();
    app.givenProject("Garden");
    app.launch();
    app.waitForService([this] { return app.syncsEnded() > 0; });
    app.selectHome(QStringLiteral("Inbox"));
    // A new task typed in a window of its own, which quitting asks about.
    app.clickToolbar(QStringLiteral("New Task"));
    app.typeIn(QStringLiteral("titleTextField"), QStringLiteral("Call Ann"));
    app.detachPopover();
    ASSERT_EQ(app.newTaskWindows(), 1);
    const auto accountPane = [this](const QString &button) {
        app.openPreferences();
        app.choosePreferencePane("Account");
        app.clickButton(button);
    };
    const struct
    {
        const char *name;
        std::function<void()> open;
    } windows[] = {
        {"Preferences", [this] { app.openPreferences(); }},
        {"People", [this] { app.openPeopleWindow(); }},
        {"quick entry", [this] { app.pressAnywhere(QStringLiteral("Ctrl+Shift+O")); }},
        {"new-task window",
         [this] {
             app.clickToolbar(QStringLiteral("New Task"));
             app.detachPopover();
         }},
        {"new project sheet", [this] { app.chooseMenu(QStringLiteral("File"), QStringLiteral("New Project")); }},
        {"new tag sheet", [this] { app.openNewTagSheet(); }},
        {"Account Details", [&] { accountPane("detailsButton"); }},
        {"Add Friend", [this] { app.openPeopleWindow(), app.clickButton("addUserButton"); }},
        {"Sharing Settings", [this] { app.shareList("Garden"); }},
        {"Incorrect Password, gone to by the user",
         [this] {
             app.service().on("GET", "/account.json").reply(401).pass();
             app.store().sync();
             app.waitForService([this] { return app.app().authenticationFailureWindowController() != nullptr; });
             QWidget *window = app.app().authenticationFailureWindowController()->window();
             AppDriver::clickWhereItShows(window->findChild<QWidget *>("passwordSecureTextField"), QPoint(4, 4));
             app.settle();
         }},
        {"Sign In Again", [&] { accountPane("authenticateAccountButton"); }},
    };
    for (const auto &window : windows) {
        SCOPED_TRACE(window.name);
        window.open();
        const QPointer<QWidget> shown = QApplication::activeWindow();
        ASSERT_NE(shown, nullptr);
        const QStringList open = app.openWindows();
        const int newTaskWindows = app.newTaskWindows();

        const qsizetype asked = app.alertsShown().size();
        app.answerAlert(QStringLiteral("Cancel"));
        app.pressWhereTheFocusIs(QStringLiteral("Ctrl+Q"));
        ASSERT_EQ(app.alertsShown().size(), asked + 1) << "Ctrl+Q asks about the typing elsewhere";
        EXPECT_EQ(app.alertsShown().last(), discardQuestion(QStringLiteral("Call Ann")));
        EXPECT_EQ(app.openWindows(), open);
        app.pressWhereTheFocusIs(QStringLiteral("Ctrl+N"));
        EXPECT_EQ(app.newTaskWindows(), newTaskWindows + 1) << "Ctrl+N opens a new-task window";
        app.pressWhereTheFocusIs(QStringLiteral("Escape"));
        EXPECT_EQ(app.newTaskWindows(), newTaskWindows);
        app.bringToFront(shown);
        app.pressWhereTheFocusIs(QStringLiteral("Ctrl+W"));
        EXPECT_FALSE(shown && shown->isVisible()) << "Ctrl+W closes it";
    }
}
