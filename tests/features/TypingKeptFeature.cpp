// Whatever would drop what the user typed, in whichever window, asks first: Cancel keeps the typing and the keyboard in
// the field it left, and one Discard drops all of it. A stray click or the opening command used again leaves a form
// with typing open. The keyboard comes back where it was when a window or an alert closes, a window opens where Space
// and Return change nothing, and the row after a deleted one takes its place.

#include "AppDriver.h"

#include "app/KNVTTasksAppDelegate.h"

#include "store/KNVTTaskStore.h"

#include "model/KNVTCDTask.h"

#include "support/ScopedKeyboardLayout.h"
#include "uikit/KNVTPreferenceKeys.h"

#include <QApplication>

#include <functional>
#include <map>

#include <gtest/gtest.h>

using knvt::features::AppDriver;
using Input = knvt::ScriptedAlertPresenter::Input;

namespace {

// A window the user typed into or changed, and the roads that would drop what is held there: steps as take() reads
// them, those that only leave a form popover (a stray click, its command used again) marked with "~".
struct Typed
{
    const char *name;
    QString open;
    QString field;
    // What the field holds, and what the question shows of it when that differs (a password, a chip, a date).
    QString holds;
    QString roads;
    QString shows{};
    // Where the keys go on after Cancel, when not in the field (the button that left the field's pane).
    QString keyboard{};
    // How the user answers the question: on the real alert where it must take the keyboard from the control.
    Input answer = Input::Script;
};

class TypingKeptFeature : public ::testing::Test
{
protected:
    void SetUp() override
    {
        app.givenDefault(QString::fromLatin1(KNVTQuickTaskEntryKeyboardShortcutHotKey),
                         QVariantMap{{"keyCode", 31}, {"modifiers", 768}});
    }

    // Steps a user takes, each a verb and its words: "toolbar|New Task; type|titleTextField|Buy mi".
    void take(const QString &steps)
    {
        using Words = QStringList;
        const std::map<QString, std::function<void(const Words &)>> verbs = {
            {"toolbar", [this](const Words &s) { app.clickToolbar(s[1]); }},
            {"select", [this](const Words &s) { app.selectRows({s[1]}); }},
            // What a detail that goes lets go of goes with it, as in the running event loop.
            {"click row", [this](const Words &s) { app.selectRows({s[1]}), app.deleteWhatWasLetGo(); }},
            {"click below the rows", [this](const Words &) { app.clickBelowTheRows(), app.deleteWhatWasLetGo(); }},
            {"day", [this](const Words &s) { app.clickDay(QDate::fromString(s[1], Qt::ISODate)); }},
            {"recorder", [this](const Words &) { app.clickShortcutRecorder(); }},
            {"home", [this](const Words &s) { app.selectHome(s[1]); }},
            {"click", [this](const Words &s) { app.clickHomeEntry(s[1]); }},
            {"type", [this](const Words &s) { app.typeIn(s[1], s[2]); }},
            {"retype", [this](const Words &s) { app.typeOver(s[1], s[2]); }},
            {"keys", [this](const Words &s) { app.typeWhereTheFocusIs(s[1]); }},
            {"press", [this](const Words &s) { app.press(s[1]); }},
            {"key", [this](const Words &s) { app.pressWhereTheFocusIs(s[1]); }},
            {"answer", [this](const Words &s) { app.answerAlert(s[1], {.input = Input::Pointer}); }},
            {"menu", [this](const Words &s) { app.chooseMenu(s[1], s[2]); }},
            {"edit", [this](const Words &s) { app.editHomeEntry(s[1]); }},
            {"rename", [this](const Words &s) { app.openRenameTagSheet(s[1]); }},
            {"detach", [this](const Words &) { app.detachPopover(); }},
            {"hot key", [this](const Words &) { app.pressAnywhere(QStringLiteral("Ctrl+Shift+O")); }},
            {"pane", [this](const Words &s) { app.openPreferences(), app.choosePreferencePane(s[1]); }},
            {"sign out", [this](const Words &) { take("pane|Account; button|signOutButton"); }},
            {"people", [this](const Words &) { app.openPeopleWindow(); }},
            {"button", [this](const Words &s) { app.clickButton(s[1]); }},
            {"open", [this](const Words &s) { app.doubleClickRow(s[1]); }},
            {"close", [this](const Words &s) { app.closeByTheWindowButton(s[1]); }},
            {"in Mow", [this](const Words &s) { app.pressInTaskWindow(QStringLiteral("Mow"), s[1]); }},
            {"keys in Mow", [this](const Words &s) { app.pressKeysInTaskWindow(QStringLiteral("Mow"), s[1]); }},
            {"comment", [this](const Words &s) { app.clickDetailCommentButton(s[1], QStringLiteral("Edit")); }},
            {"password window", [this](const Words &) { app.goToThePasswordWindow(); }},
            {"reader", [this](const Words &s) { app.doActionAsAReaderDoes(s[1], s[2]); }},
            {"reader types", [this](const Words &s) { app.insertTextAsAReaderDoes(s[1], s[2]); }},
            {"share", [this](const Words &s) { app.shareList(s[1]); }},
            {"tick", [this](const Words &s) { app.tickInPeoplePopover(s[1], true); }},
        };
        for (const QString &step : steps.split(QStringLiteral("; "), Qt::SkipEmptyParts)) {
            const Words words = step.split(QLatin1Char('|'));
            ASSERT_TRUE(verbs.contains(words[0])) << "no step " << step.toStdString();
            verbs.at(words[0])(words);
        }
    }

    // Each road that drops the typing asks, and Cancel keeps it with the keyboard in its field; a stray click and the
    // command used again keep the form without asking.
    void everyRoadAsksOrKeeps(const std::vector<Typed> &rows)
    {
        for (const Typed &row : rows) {
            take(row.open);
            QWidget *typedIn = QApplication::activeWindow();
            for (QString road : row.roads.split(QStringLiteral("; "))) {
                SCOPED_TRACE(std::string(row.name) + ", " + road.toStdString());
                const bool asks = !road.startsWith(QLatin1Char('~'));
                const qsizetype asked = app.alertsShown().size();
                if (asks)
                    app.answerAlert(QStringLiteral("Cancel"), {.input = row.answer});
                take(road.remove(QLatin1Char('~')));
                ASSERT_EQ(app.alertsShown().size(), asked + (asks ? 1 : 0));
                // What the field holds is shown, once.
                EXPECT_EQ(asks ? app.alertsShown().last().count("\n\n" + (row.shows.isEmpty() ? row.holds : row.shows))
                               : 1,
                          1)
                    << app.alertsShown().last().toStdString();
                // These roads went through another window, which the user leaves again.
                if (asks && (road.startsWith(QLatin1String("press")) || road == QLatin1String("sign out"))) {
                    app.bringToFront(typedIn);
                } else if (!road.startsWith(QLatin1String("click"))) {
                    EXPECT_EQ(app.focusedControl(), row.keyboard.isEmpty() ? row.field : row.keyboard)
                        << "the keys go on in the field the user left";
                }
                EXPECT_EQ(app.fieldText(row.field), row.holds);
            }
            app.answerAlert(QStringLiteral("Discard"));
            app.relaunch();
        }
    }

    knvt::test::ScopedKeyboardLayout us{QStringLiteral("us")};
    AppDriver app;
};

} // namespace

TEST_F(TypingKeptFeature, EveryRoadThatWouldDropTypingAsksAndCancelKeepsItWithTheKeyboardInItsField)
{
    KNVTCDTask *paint = app.givenTask(QStringLiteral("Paint"));
    app.givenTask(QStringLiteral("Mow"));
    app.givenProject(QStringLiteral("Garden"));
    app.givenTask(QStringLiteral("Weed"), {.tags = {QStringLiteral("errand")}});
    app.givenTask(QStringLiteral("Sow"), {.due = AppDriver::defaultNow()});
    app.store().commentWithText(QStringLiteral("First"), paint);
    app.saveGivens();
    // A click on another row or on the empty list, whatever the detail then shows, leaves a form popover as it was:
    // the last roads, as the keyboard stays in the list after them.
    const auto popover = [](const QString &command) {
        return "close|Quillvane; key|Ctrl+Q; ~click|Inbox; ~" + command + "; ~click row|Mow; ~click below the rows";
    };
    const QString sheet = QStringLiteral("key|Ctrl+W; key|Ctrl+Q; close|");
    const QString window = QStringLiteral("key|Ctrl+W; key|Ctrl+Q; press|Ctrl+Q; close|");
    const QString taskWindow = QStringLiteral("close|Mow; key|Ctrl+W; key|Ctrl+Q; in Mow|Done; keys in Mow|Escape; "
                                              "~click|Inbox; ~in Mow|");
    everyRoadAsksOrKeeps({
        {"new task", "toolbar|New Task; type|titleTextField|Buy mi", "titleTextField", "Buy mi",
         popover("press|Ctrl+N")},
        {"edit", "select|Paint; toolbar|Edit; type|titleTextField| twice", "titleTextField", "Paint twice",
         popover("toolbar|Edit")},
        // What a screen reader or a voice control changes through the accessible interface counts as a click does.
        {"box ticked by a reader", "toolbar|New Task; reader|dueDateCheckBoxButton|Toggle", "dueDateCheckBoxButton",
         "ticked", popover("press|Ctrl+N"), "Due: ticked"},
        {"title put by a reader", "toolbar|New Task; reader types|titleTextField|Buy milk", "titleTextField",
         "Buy milk", popover("press|Ctrl+N")},
        {"comment composer", "select|Paint; toolbar|Comment; type|commentTextView|Soon", "commentTextView", "Soon",
         popover("toolbar|Comment")},
        {"comment editor", "select|Paint; comment|First; type|commentTextView| draft", "commentTextView", "First draft",
         popover("comment|First")},
        // The detail that opened the editor goes with the empty list, not with another row's detail in its place.
        {"comment editor over the emptied list", "select|Paint; comment|First; type|commentTextView| draft",
         "commentTextView", "First draft", "~click below the rows; close|Quillvane; key|Ctrl+Q"},
        // A tag turns into a chip on a comma; a date picked in the calendar with the pointer.
        {"chip", "toolbar|New Task; type|tagsTokenField|errand,", "tagsTokenField", "errand", popover("press|Ctrl+N"),
         "Tags: errand"},
        {"chip of the edit form", "select|Weed; toolbar|Edit; type|tagsTokenField|garden,", "tagsTokenField",
         "errand, garden", popover("toolbar|Edit"), "Tags: errand, garden"},
        {"picked date", "select|Sow; toolbar|Edit; button|dueDateCalendarButton; day|2015-03-09", "dueDateDatePicker",
         "2015-03-09T00:00:00", popover("toolbar|Edit"), "Due Date: 3/9/15"},
        {"edit form of a task window", "open|Mow; in Mow|Edit; type|titleTextField| now", "titleTextField", "Mow now",
         taskWindow + "Edit"},
        {"composer of a task window", "open|Mow; in Mow|Comment; keys|Later", "commentTextView", "Later",
         "close|Mow; in Mow|Done; ~click|Inbox; ~in Mow|Comment"},
        {"new project", "menu|File|New Project; type|titleTextField|Shed", "titleTextField", "Shed",
         sheet + "New Project"},
        {"new area", "menu|File|New Area; type|titleTextField|Home", "titleTextField", "Home", sheet + "New Area"},
        {"new tag", "menu|File|New Tag; type|titleTextField|urgent", "titleTextField", "urgent", sheet + "New Tag"},
        {"edit project", "edit|Garden; type|titleTextField| plot", "titleTextField", "Garden plot",
         sheet + "Edit Project"},
        {"rename tag", "rename|errand; type|titleTextField| run", "titleTextField", "errand run", sheet + "Rename Tag"},
        // Two windows hold typing: the one question shows both.
        {"new project beside quick entry", "hot key; type|titleTextField|Call Ben; menu|File|New Project; keys|Shed",
         "titleTextField", "Shed", "key|Ctrl+Q", "Call Ben\n\nShed"},
        {"torn-off new task", "toolbar|New Task; type|titleTextField|Call Ann; detach", "titleTextField", "Call Ann",
         window + "New Task"},
        {"quick entry", "hot key; type|titleTextField|Call Ben", "titleTextField", "Call Ben", window + "New Task"},
        // A window no other rule names: the sign-in form of the preferences, also once the user left its pane.
        {"sign-in form", "pane|Account; type|usernameTextField|ann", "usernameTextField", "ann", window + "Account"},
        {"sign-in form left for another pane", "pane|Account; type|usernameTextField|ann; pane|Viewing",
         "usernameTextField", "ann", window + "Viewing", QString(), "viewingToolbarItem"},
        // A recording takes every key, Ctrl+Q and Ctrl+W too: the window's button is the road, and the real question
        // takes the keyboard from the recorder for its answer.
        {"shortcut being recorded", "pane|General; recorder", "quickTaskEntryRecorderControl", "Type shortcut",
         "close|General", "Quick Entry shortcut: being recorded", QString(), Input::Pointer},
    });
}

TEST_F(TypingKeptFeature, TheAccountWindowsAndSigningOutAskBeforeTheirTypingIsDropped)
{
    app.givenSignedIn(QStringLiteral("ann"), QStringLiteral("secret1"), /*autoSync=*/true);
    app.service().enableState();
    app.givenPerson(QStringLiteral("Ben"), 3);
    app.givenProject(QStringLiteral("Garden"));
    everyRoadAsksOrKeeps({
        {"account details", "pane|Account; button|detailsButton; retype|firstNameTextField|Annie", "firstNameTextField",
         "Annie", "close|Account Details; key|Ctrl+W; key|Ctrl+Q; press|Ctrl+Q"},
        {"add friend", "people; button|addUserButton; type|usernameTextField|bea", "usernameTextField", "bea",
         "close|Add Friend; key|Ctrl+W; key|Ctrl+Q; press|Ctrl+Q"},
        // The people chosen in the sharing settings, whose invitations go out only with its Share.
        {"people chosen to share with", "share|Garden; tick|Ben; key|Escape", "tableView", "Shared With: Ben (ben)",
         "close|Sharing Settings; key|Ctrl+W; key|Ctrl+Q", QString(), "collaboratingUsersButton"},
        {"quick entry", "hot key; type|titleTextField|Call Ben", "titleTextField", "Call Ben", "sign out"},
    });
    // Sign In Again, once the password was refused: the password it holds shows as dots. The refusal meets whichever
    // sync comes first, this one or an automatic one of the relaunched application's (which would take the Account
    // pane's Sync Now away under a click on a busy machine).
    app.service().on("GET", "/account.json").reply(401).pass();
    app.store().sync();
    app.waitForService([this] { return app.app().authenticationFailureWindowController() != nullptr; });
    everyRoadAsksOrKeeps({{"sign in again",
                           "password window; button|cancelButton; pane|Account; button|authenticateAccountButton; "
                           "type|passwordSecureTextField|newpass2",
                           "passwordSecureTextField", "newpass2", "close|Sign In; key|Ctrl+W; key|Ctrl+Q; press|Ctrl+Q",
                           QString(8, QChar(0x2022))}});
}

TEST_F(TypingKeptFeature, OneQuestionShowsTheTypingOfEveryWindowAndItsDiscardDropsAllOfIt)
{
    app.givenTask(QStringLiteral("Paint"));
    take("select|Paint; toolbar|Edit; type|titleTextField| twice; hot key; keys|Call Ben");
    app.answerAlert(QStringLiteral("Discard"));
    app.pressWhereTheFocusIs(QStringLiteral("Ctrl+Q"));
    ASSERT_EQ(app.alertsShown().size(), 1);
    EXPECT_TRUE(app.alertsShown().last().endsWith(":\n\nPaint twice\n\nCall Ben [Cancel, Discard]"));
    // The quit closes every window as the window system does: nothing is asked twice.
    take("close|New Task; close|Quillvane");
    EXPECT_EQ(app.alertsShown().size(), 1);
}

TEST_F(TypingKeptFeature, TheKeyboardGoesBackWhereItWasWhenAWindowClosesAndANewWindowTakesItWhereNothingChanges)
{
    app.givenProject(QStringLiteral("Garden"));
    app.givenTask(QStringLiteral("Paint"));
    app.givenTask(QStringLiteral("Mow"));
    app.saveGivens();
    const std::pair<QString, QString> cases[] = {
        {"select|Paint; answer|Cancel; key|Del", "list"},
        {"pane|General; key|Ctrl+W", "list"},
        {"open|Mow; key|Escape", "list"},
        {"edit|Garden; key|Escape", "home"},
    };
    for (const auto &[openAndClose, pane] : cases) {
        take(openAndClose);
        EXPECT_EQ(app.focusedPane(), pane) << openAndClose.toStdString();
    }
    // A task window opens on its detail, where Space moves nothing to Today.
    take("home|Inbox; open|Mow; key|Space");
    EXPECT_FALSE(app.taskTitled(QStringLiteral("Mow"))->isToday());
}

TEST_F(TypingKeptFeature, AWindowThatClosesGivesTheKeyboardBackToTheFormPopoverWhoseTypingTheUserLeft)
{
    app.givenSignedIn();
    app.givenTask(QStringLiteral("Paint"));
    app.givenTask(QStringLiteral("Mow"));
    app.saveGivens();
    // Each window is opened from the main window's menu bar, whose click takes the keyboard out of the form first.
    for (const QString openAndClose :
         {"pane|General; key|Ctrl+W", "people; key|Ctrl+W", "answer|Cancel; menu|Edit|Delete"}) {
        SCOPED_TRACE(openAndClose.toStdString());
        take("home|Inbox; select|Paint; toolbar|Edit; type|titleTextField| twice");
        take(openAndClose);
        EXPECT_EQ(app.focusedControl(), QStringLiteral("titleTextField"));
        // Backspace takes a letter of the title, never the task being edited.
        take("key|Backspace");
        EXPECT_EQ(app.fieldText(QStringLiteral("titleTextField")), QStringLiteral("Paint twic"));
        EXPECT_NE(app.taskTitled(QStringLiteral("Paint")), nullptr);
        app.closePopover();
    }
}

TEST_F(TypingKeptFeature, ThePasswordWindowAnsweredOverAnEditFormGivesTheKeysBackToTheForm)
{
    app.givenSignedIn(QStringLiteral("ann"), QStringLiteral("secret1"), /*autoSync=*/true);
    app.service().enableState();
    app.givenTask(QStringLiteral("Paint"));
    app.launch();
    app.waitForService([this] { return app.service().hasRequest("GET", "/tags.json") && !app.store().isSyncing(); });
    take("select|Paint; toolbar|Edit; type|titleTextField| twice");
    app.service().on("GET", "/account.json").reply(401).pass();
    app.store().sync();
    app.waitForService([this] { return app.app().authenticationFailureWindowController() != nullptr; });
    // The user goes to the window with a click into its field, and saves the right password.
    QWidget *password = app.app().authenticationFailureWindowController()->window()->findChild<QWidget *>(
        QStringLiteral("passwordSecureTextField"));
    AppDriver::clickWhereItShows(password, password->rect().center());
    app.bringToFront(password->window());
    take("keys|newpass2; key|Return");
    app.waitForService([this] { return app.app().authenticationFailureWindowController() == nullptr; });
    EXPECT_EQ(app.focusedControl(), QStringLiteral("titleTextField"));
    EXPECT_EQ(app.fieldText(QStringLiteral("titleTextField")), QStringLiteral("Paint twice"));
}

TEST_F(TypingKeptFeature, TheRowAfterTheDeletedOnesTakesTheSelectionAndTheKeyboardInEveryList)
{
    app.givenProject(QStringLiteral("Garden"));
    for (const QString title : {"I1", "I2", "I3", "I4", "G1", "G2", "G3", "G4"})
        app.givenTask(title, {.list = title.startsWith('G') ? QStringLiteral("Garden") : QString()});
    for (const QString list : {"Inbox", "Garden"}) {
        // Down goes on from the row that took the place; deleting the last row gives it to the row before.
        take("home|" + list + "; select|" + list.left(1) + "2; answer|Delete; key|Del");
        EXPECT_EQ(app.selectedRowTitles(), QStringList{list.left(1) + "3"}) << list.toStdString();
        take("key|Down; answer|Delete; key|Del");
        EXPECT_EQ(app.selectedRowTitles(), QStringList{list.left(1) + "3"}) << list.toStdString();
    }
    app.givenProject(QStringLiteral("Shed"));
    app.givenProject(QStringLiteral("Yard"));
    take("click|Shed; answer|Delete; key|Del");
    EXPECT_EQ(app.selectedHome(), QStringLiteral("Yard"));
}
