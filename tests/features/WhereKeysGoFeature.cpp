// Where a key goes, whoever opened the window in front and whatever the window manager does with it: a stand-in for
// the window manager activates a window the application shows without the keyboard never, at once, late or twice,
// and the keys are typed one by one as the window system delivers them. Nothing typed reaches a window the
// application opened by itself, no key answers it and what held the keyboard stays as it was; the user's own questions
// come up with the keyboard; a waiting window alone with the keyboard answers keys once it has been seen.

#include "AppDriver.h"

#include "app/KNVTMainWindowController.h"
#include "app/KNVTTasksAppDelegate.h"

#include "store/KNVTTaskStore.h"

#include "hotkeys/KNVTShortcutRecorderControl.h"

#include "uikit/Announcement.h"
#include "uikit/KeyboardOwner.h"
#include "uikit/Popover.h"

#include "support/FakeWindowSystem.h"
#include "support/WaitUntil.h"

#include <QAction>
#include <QApplication>
#include <QLabel>
#include <QLineEdit>
#include <QPointer>
#include <QPushButton>

#include <gtest/gtest.h>

#include <algorithm>
#include <functional>

using knvt::features::AppDriver;
using Activation = knvt::test::FakeWindowSystem::Activation;
using knvt::test::FakeWindowSystem;
using Input = knvt::ScriptedAlertPresenter::Input;

namespace {

class WhereKeysGoFeature : public ::testing::Test
{
protected:
    WhereKeysGoFeature()
    {
        app.givenSignedIn(QStringLiteral("ann"), QStringLiteral("secret1"), /*autoSync=*/true);
        app.service().enableState();
        app.givenPerson(QStringLiteral("Ben"), 3);
        app.givenPerson(QStringLiteral("Cat"), 3);
        app.givenProject(QStringLiteral("Garden"), {.members = {QStringLiteral("Ben")}});
        for (const char *title : {"Apples", "Beans", "Carrots"})
            app.givenTask(QString::fromLatin1(title));
        app.launch();
        app.waitForService([this] { return app.syncsEnded() > 0; });
    }

    QWidget *passwordWindow()
    {
        knvt::AuthenticationFailureWindow *asking = app.app().authenticationFailureWindowController();
        return asking != nullptr ? asking->window() : nullptr;
    }
    QString typedAsPassword()
    {
        const QWidget *window = passwordWindow();
        const auto *field =
            window != nullptr ? window->findChild<QLineEdit *>(QStringLiteral("passwordSecureTextField")) : nullptr;
        return field != nullptr ? field->text() : QStringLiteral("(no password window)");
    }
    // A sync whose password the service refuses: the application opens its window by itself.
    void aSyncIsRefused()
    {
        const int ended = app.syncsEnded();
        app.service().on("GET", "/account.json").reply(401).pass();
        app.store().sync();
        app.waitForService([this, ended] { return passwordWindow() != nullptr && app.syncsEnded() > ended; });
    }
    // The user goes to the password window and types the right one: the service checks it, takes it, and the sync it
    // resumes ends before the next round refuses another.
    void answerThePasswordWindow()
    {
        const int ended = app.syncsEnded();
        app.goToThePasswordWindow();
        app.typeIn(QStringLiteral("passwordSecureTextField"), QStringLiteral("secret1"));
        app.clickButton(QStringLiteral("saveButton"));
        app.waitForService([this, ended] { return passwordWindow() == nullptr && app.syncsEnded() > ended; });
    }

    // What holds the keyboard: how the user got there, the keys typed before and after a window comes up, and what it
    // holds in the end.
    struct Holder
    {
        const char *name;
        std::function<void()> take;
        QStringList before;
        QStringList after;
        std::function<QString()> holds;
        QString holding;
        std::function<void()> leave;
    };
    // `round` tells the rounds apart: each records a chord of its own.
    std::vector<Holder> holders(int round)
    {
        const QString chord = QStringLiteral("Ctrl+Alt+") + QChar(u'E' + round);
        const auto popoverSearch = [this] {
            const QWidget *popup = QApplication::activePopupWidget();
            const auto *search =
                popup != nullptr ? popup->findChild<QLineEdit *>(QStringLiteral("searchField")) : nullptr;
            const bool ticked = app.sharingRows().join(u' ').contains(QStringLiteral("Cat"));
            return search != nullptr ? search->text() + (ticked ? QStringLiteral(", Cat ticked") : QString())
                                     : QStringLiteral("(no popover)");
        };
        return {
            {"a text field", [this] { app.clickToolbar(QStringLiteral("New Task")); }, AppDriver::keysOf("buy mi"),
             AppDriver::keysOf("lk"), [this] { return app.fieldText(QStringLiteral("titleTextField")); },
             QStringLiteral("buy milk"), [this] { app.closePopover(); }},
            // A tag cut in two would be two tokens.
            {"a token field",
             [this] {
                 app.clickToolbar(QStringLiteral("New Task"));
                 app.typeIn(QStringLiteral("tagsTokenField"), QString());
             },
             AppDriver::keysOf("garde"), AppDriver::keysOf("ning") << QStringLiteral("Return"),
             [this] { return app.tokensAsRead(QStringLiteral("tagsTokenField")).join(u','); },
             QStringLiteral("gardening"), [this] { app.closePopover(); }},
            {"a list",
             [this] { app.selectRows({QStringLiteral("Apples")}); },
             {QStringLiteral("Down")},
             {QStringLiteral("Down")},
             [this] { return app.selectedRowTitles().join(u','); },
             QStringLiteral("Carrots"),
             [] {}},
            // The people popover of the sharing settings: its search and the person ticked in it.
            {"a popover's search",
             [this] {
                 app.shareList(QStringLiteral("Garden"));
                 app.tickInPeoplePopover(QStringLiteral("Cat"), true);
                 QWidget *search =
                     QApplication::activePopupWidget()->findChild<QLineEdit *>(QStringLiteral("searchField"));
                 AppDriver::clickWhereItShows(search, search->rect().center());
             },
             AppDriver::keysOf("ca"), AppDriver::keysOf("t"), popoverSearch, QStringLiteral("cat, Cat ticked"),
             [this] {
                 app.closePopover();
                 app.dismissSheet();
             }},
            {"the recorder",
             [this] {
                 app.openPreferences();
                 app.clickShortcutRecorder();
             },
             {},
             {chord},
             [this] { return app.recorderFace(); },
             chord,
             [this] { app.closePreferences(); }},
            {"nothing, another program has it", [this] { windowManager.switchToAnotherProgram(); },
             AppDriver::keysOf("x"), AppDriver::keysOf("yz"), [] { return QString(); }, QString(), [] {}},
        };
    }

    knvt::test::FakeWindowSystem windowManager;
    AppDriver app;
};

} // namespace

TEST_F(WhereKeysGoFeature, NoKeyReachesAWindowTheApplicationOpensAndTheUsersOwnQuestionsComeUpWithTheKeyboard)
{
    const Activation activations[] = {Activation::Never, Activation::AtOnce, Activation::Late, Activation::Twice};
    for (int round = 0; round < 4; ++round) {
        const Activation activation = activations[round];
        windowManager.setActivation(activation);
        for (const Holder &holder : holders(round)) {
            SCOPED_TRACE(std::string(holder.name) + ", " + FakeWindowSystem::activationName(activation));
            app.selectHome(QStringLiteral("Inbox"));

            // The application opens a window by itself.
            holder.take();
            app.typeKeyByKey(holder.before);
            aSyncIsRefused();
            app.typeKeyByKey(holder.after);
            EXPECT_EQ(typedAsPassword(), QString()) << "no key reached the password window";
            EXPECT_NE(QApplication::activeWindow(), passwordWindow()) << "it does not look active";
            EXPECT_EQ(holder.holds(), holder.holding) << "what had the keyboard goes on as it was";
            holder.leave();
            answerThePasswordWindow();
            EXPECT_EQ(app.storedPassword(QStringLiteral("ann")), QStringLiteral("secret1"));

            // The user asks a question of their own, through a screen reader's press of the toolbar's Delete: it has
            // the keyboard, so Escape answers it. (A pop-up holds the keyboard until the user leaves it: no command of
            // the user's comes from elsewhere meanwhile, and the main window's under the sharing sheet can run none.)
            if (QString::fromLatin1(holder.name) == QLatin1String("a popover's search"))
                continue;
            app.selectHome(QStringLiteral("Inbox"));
            app.selectRows({QStringLiteral("Beans")});
            holder.take();
            app.answerAlert(QStringLiteral("Cancel"), {.input = Input::Escape});
            app.pressToolbarAsAReaderDoes(QStringLiteral("Delete"));
            EXPECT_EQ(app.alerts().pendingAnswerCount(), 0) << "the question was asked and answered by its key";
            EXPECT_TRUE(app.alertsShown().last().startsWith(QStringLiteral("Delete Task?")));
            EXPECT_NE(app.taskTitled(QStringLiteral("Beans")), nullptr);
            if (QApplication::activePopupWidget() != nullptr || app.shortcutRecorder() != nullptr
                || !app.openEditors().isEmpty())
                holder.leave();
        }
    }
}

TEST_F(WhereKeysGoFeature, AWaitingWindowAloneWithTheKeyboardAnswersKeysOnlyOnceItHasBeenActiveForTheGuard)
{
    windowManager.setActivation(Activation::AtOnce);
    // The launcher's tray keeps the application: the main window closes, and the password window is its only one.
    app.closeMainWindow();
    aSyncIsRefused();
    ASSERT_EQ(QApplication::activeWindow(), passwordWindow()) << "the window manager activated it";
    app.typeKeyByKey(AppDriver::keysOf("no"));
    EXPECT_EQ(typedAsPassword(), QString()) << "typed as it came up";
    app.wait(1);

    app.typeKeyByKey(AppDriver::keysOf("pw"));
    EXPECT_EQ(typedAsPassword(), QStringLiteral("pw"));
}

// The user goes with keys alone to each window the application opens by itself and answers it: the password window, the
// alert that the service needs a newer version, and the alert of a form a sync took away; by the Window menu, by its
// key, by the button of the line under the home list, and by the window manager's switcher, with the main window
// shown and with it minimized. What the user typed meanwhile goes nowhere else.
TEST_F(WhereKeysGoFeature, EveryWindowTheApplicationOpensIsAnsweredByKeysAloneByEveryRoadToIt)
{
    enum class Road { WindowMenu, Key, StatusLine, Switcher };
    const struct
    {
        const char *name;
        Road road;
        bool minimized;
    } roads[] = {
        {"the Window menu", Road::WindowMenu, false},
        {"its key", Road::Key, false},
        {"the button under the home list", Road::StatusLine, false},
        {"the window switcher", Road::Switcher, false},
        {"the window switcher, the main window minimized", Road::Switcher, true},
    };
    // The keys of the road, typed where the keyboard is; the switcher the window manager offers.
    const auto goTo = [this](Road road, QWidget *waiting) {
        switch (road) {
        case Road::WindowMenu:
            app.typeKeyByKey({QStringLiteral("Alt+W"), QStringLiteral("Up"), QStringLiteral("Return")});
            break;
        case Road::Key: app.typeKeyByKey({QStringLiteral("F8")}); break;
        case Road::StatusLine:
            for (int tabs = 0; tabs < 12 && app.focusedControl() != QLatin1String("waitingButton"); ++tabs)
                app.typeKeyByKey({QStringLiteral("Shift+Tab")});
            app.typeKeyByKey({QStringLiteral("Space")});
            break;
        case Road::Switcher: EXPECT_TRUE(windowManager.switchTo(waiting)); break;
        }
    };
    const auto waitingAlert = [] {
        for (QWidget *window : QApplication::topLevelWidgets())
            if (window->isVisible() && knvt::KeyboardOwner::isWaiting(window))
                return window;
        return static_cast<QWidget *>(nullptr);
    };
    // Return answers the alert once it came up with the keyboard, which it does as the application takes in the road.
    const auto answerable = [] {
        EXPECT_TRUE(knvt::test::waitUntil([] { return QApplication::activeModalWidget() != nullptr; }));
    };
    int round = 0;
    for (const auto &road : roads) {
        SCOPED_TRACE(road.name);
        const QString task = QStringLiteral("Weed ") + QString::number(++round);
        app.givenTask(task);
        const auto userIsIn = [&] {
            app.selectHome(QStringLiteral("Inbox"));
            app.selectRows({QStringLiteral("Apples")});
            if (road.minimized) {
                app.minimiseMainWindow();
                windowManager.switchToAnotherProgram();
            }
        };

        // The password window.
        userIsIn();
        aSyncIsRefused();
        if (!road.minimized) {
            EXPECT_EQ(app.waitingLine(), QStringLiteral("“Incorrect Password” is waiting: [Answer]"));
        }
        goTo(road.road, passwordWindow());
        const int ended = app.syncsEnded();
        app.typeKeyByKey(AppDriver::keysOf(QStringLiteral("secret1")) << QStringLiteral("Return"));
        app.waitForService([this, ended] { return passwordWindow() == nullptr && app.syncsEnded() > ended; });
        EXPECT_EQ(app.storedPassword(QStringLiteral("ann")), QStringLiteral("secret1"));
        app.mainWindow().showNormal();

        // The alert of a form a sync took away, which holds what was typed: the keys typed on act on nothing.
        userIsIn();
        if (road.minimized) {
            app.mainWindow().showNormal();
            app.doubleClickRow(task);
            app.pressInTaskWindow(task, QStringLiteral("Edit"));
            app.minimiseMainWindow();
        } else {
            app.selectRows({task});
            app.clickToolbar(QStringLiteral("Edit"));
        }
        app.typeIn(QStringLiteral("titleTextField"), QStringLiteral(" out"));
        QString line;
        app.answerAlert(QStringLiteral("OK"),
                        {.whileShown =
                             [&] {
                                 app.typeKeyByKey(AppDriver::keysOf(QStringLiteral("ed")));
                                 line = app.waitingLine();
                                 goTo(road.road, waitingAlert());
                                 answerable();
                             },
                         .input = Input::Return});
        app.givenRemovedBySync(app.taskTitled(task));
        app.waitForService([this] { return app.alerts().pendingAnswerCount() == 0; });
        EXPECT_TRUE(app.alertsShown().last().endsWith(task + QStringLiteral(" out [OK]")))
            << app.alertsShown().last().toStdString();
        EXPECT_EQ(app.alertsShown().last().count(task + QStringLiteral(" out")), 1)
            << "given back once: " << app.alertsShown().last().toStdString();
        if (!road.minimized) {
            EXPECT_EQ(line,
                      QStringLiteral("The form closed: what you typed is in “The task “%1” was deleted "
                                     "elsewhere”. Press F8 to open it. [Open]")
                          .arg(task));
        }
        app.mainWindow().showNormal();

        // The alert that the service needs a newer version; the user switches sync on again afterwards.
        userIsIn();
        app.answerAlert(QStringLiteral("OK"),
                        {.whileShown =
                             [&] {
                                 goTo(road.road, waitingAlert());
                                 answerable();
                             },
                         .input = Input::Return});
        app.service().on("GET", "/account.json").clear().reply(410).pass();
        app.store().sync();
        app.waitForService([this] { return app.alerts().pendingAnswerCount() == 0; });
        EXPECT_TRUE(app.alertsShown().last().startsWith(QStringLiteral("You need to update your version")));
        app.mainWindow().showNormal();
        app.store().setAutoSyncEnabled(true);
        EXPECT_EQ(app.waitingLine(), QString()) << "nothing waits";
    }
}

// A click on the row already chosen, in the main window while another program has the keyboard, takes the keyboard's
// place to the list: the toolbar follows the pane clicked in, and a reader's press of its Delete asks about that row.
TEST_F(WhereKeysGoFeature, AClickInAWindowThatIsNotActiveGivesTheToolbarTheCommandsOfThePaneClickedIn)
{
    app.selectHome(QStringLiteral("Inbox"));
    app.selectRows({QStringLiteral("Beans")});
    app.clickIntoHomeList();
    EXPECT_FALSE(app.toolbarEnabled(QStringLiteral("Delete"))) << "the Inbox is no list to delete";
    windowManager.switchToAnotherProgram();
    app.selectRows({QStringLiteral("Beans")});
    EXPECT_TRUE(app.toolbarEnabled(QStringLiteral("Delete")));
    app.answerAlert(QStringLiteral("Cancel"), {.input = Input::Escape});
    app.pressToolbarAsAReaderDoes(QStringLiteral("Delete"));
    EXPECT_EQ(app.alerts().pendingAnswerCount(), 0) << "the question was asked and answered by its key";
    EXPECT_TRUE(app.alertsShown().last().startsWith(QStringLiteral("Delete Task?")));
}

// The key the announcement names works from the first press wherever the keyboard is: in the Edit form of the main
// window and of a task window (which has no menu bar), with the password window or the alert that the service needs a
// newer version waiting; Go to Waiting Window is enabled as soon as something waits, before any menu opened.
TEST_F(WhereKeysGoFeature, TheKeyToTheWaitingWindowWorksFromEveryFormFromTheFirstPress)
{
    const struct
    {
        const char *name;
        bool inTaskWindow;
        bool newerVersion;
    } rows[] = {
        {"the main window's Edit form, the password window", false, false},
        {"the main window's Edit form, the newer-version alert", false, true},
        {"a task window's Edit form, the password window", true, false},
        {"a task window's Edit form, the newer-version alert", true, true},
    };
    const auto goToWaitingEnabled = [this] {
        const auto *action = app.mainWindow().findChild<QAction *>(QStringLiteral("goToWaitingWindowAction"));
        return action != nullptr && action->isEnabled();
    };
    // What a screen reader finds told in the windows, read again.
    const auto told = [] {
        QStringList texts;
        for (QWidget *window : QApplication::topLevelWidgets())
            if (const knvt::Announcement *notice = knvt::Announcement::of(window);
                notice != nullptr && notice->isVisible() && !notice->accessibleName().isEmpty())
                texts << notice->accessibleName();
        return texts;
    };
    int round = 0;
    for (const auto &row : rows) {
        SCOPED_TRACE(row.name);
        const QString task = QStringLiteral("Prune ") + QString::number(++round);
        app.givenTask(task);
        app.selectHome(QStringLiteral("Inbox"));
        if (row.inTaskWindow) {
            app.doubleClickRow(task);
            app.pressInTaskWindow(task, QStringLiteral("Edit"));
        } else {
            app.selectRows({task});
            app.clickToolbar(QStringLiteral("Edit"));
        }
        app.typeIn(QStringLiteral("notesTextView"), QStringLiteral("roses"));
        EXPECT_FALSE(goToWaitingEnabled()) << "nothing waits yet";

        if (row.newerVersion) {
            bool enabled = false;
            QString line;
            QStringList heard;
            app.answerAlert(QStringLiteral("OK"),
                            {.whileShown =
                                 [&] {
                                     enabled = goToWaitingEnabled();
                                     line = app.waitingLine();
                                     heard = told();
                                     app.typeKeyByKey({QStringLiteral("F8")});
                                     EXPECT_TRUE(knvt::test::waitUntil(
                                         [] { return QApplication::activeModalWidget() != nullptr; }));
                                 },
                             .input = Input::Return});
            app.service().on("GET", "/account.json").clear().reply(410).pass();
            app.store().sync();
            app.waitForService([this] { return app.alerts().pendingAnswerCount() == 0; });
            EXPECT_TRUE(enabled) << "enabled while the alert waits";
            EXPECT_EQ(line, QStringLiteral("“You need to update your version of…” is waiting: [Answer]"))
                << "the line shows the name's start";
            EXPECT_EQ(heard,
                      QStringList{QStringLiteral(
                          "“You need to update your version of Quillvane” is waiting. Press F8 to answer it.")});
            EXPECT_TRUE(app.alertsShown().last().startsWith(QStringLiteral("You need to update your version")));
            app.store().setAutoSyncEnabled(true);
        } else {
            aSyncIsRefused();
            EXPECT_TRUE(goToWaitingEnabled()) << "enabled while the password window waits";
            app.typeKeyByKey({QStringLiteral("F8")});
            const int ended = app.syncsEnded();
            app.typeKeyByKey(AppDriver::keysOf(QStringLiteral("secret1")) << QStringLiteral("Return"));
            app.waitForService([this, ended] { return passwordWindow() == nullptr && app.syncsEnded() > ended; });
            EXPECT_EQ(app.storedPassword(QStringLiteral("ann")), QStringLiteral("secret1"));
        }
        EXPECT_EQ(app.fieldText(QStringLiteral("notesTextView")), QStringLiteral("roses")) << "no key went to the form";
        EXPECT_FALSE(goToWaitingEnabled()) << "nothing waits any more";
        EXPECT_EQ(told(), QStringList()) << "no notice of it stays";
        app.clickButton(QStringLiteral("saveButton"));
        if (row.inTaskWindow)
            app.closeFrontWindow();
    }
}

// A form the user left open in the main window closes as the user clicks into another window of the application: the
// keyboard goes where the click went, and the main window stays behind, so that the letters and Returns typed next are
// a search, never the main window's menu keys or commands on its selected task.
TEST_F(WhereKeysGoFeature, AFormLeftOpenClosesUnderAClickIntoAnotherWindowWithoutTakingTheKeyboardThere)
{
    app.openPeopleWindow();
    QWidget *people = QApplication::activeWindow();
    ASSERT_NE(people, nullptr);
    auto *search = people->findChild<QLineEdit *>(QStringLiteral("searchField"));
    ASSERT_NE(search, nullptr);
    const struct
    {
        const char *name;
        bool windowManagerFirst;
    } rows[] = {
        {"the window manager activates the window before the press", true},
        {"the press comes before the window manager's activation", false},
    };
    const auto formOpen = [] {
        const QWidgetList windows = QApplication::topLevelWidgets();
        return std::any_of(windows.cbegin(), windows.cend(), [](const QWidget *window) {
            return qobject_cast<const knvt::Popover *>(window) != nullptr && window->isVisible();
        });
    };
    for (const auto &row : rows) {
        SCOPED_TRACE(row.name);
        app.bringToFront(&app.mainWindow());
        app.selectHome(QStringLiteral("Inbox"));
        app.selectRows({QStringLiteral("Beans")});
        app.clickToolbar(QStringLiteral("Edit"));
        ASSERT_TRUE(formOpen()) << "the form is open, untouched";

        if (row.windowManagerFirst) {
            EXPECT_TRUE(windowManager.switchTo(people));
        }
        AppDriver::clickWhereItShows(search, search->rect().center());
        if (!row.windowManagerFirst) {
            EXPECT_TRUE(windowManager.switchTo(people));
        }
        app.settle();
        app.typeKeyByKey(AppDriver::keysOf(QStringLiteral("bea"))
                         << QStringLiteral("Return") << QStringLiteral("Return"));
        EXPECT_FALSE(formOpen()) << "the form closed";
        EXPECT_EQ(QApplication::activeWindow(), people) << "People stays in front with the keyboard";
        EXPECT_EQ(search->text(), QStringLiteral("bea"));
        EXPECT_NE(app.taskTitled(QStringLiteral("Beans")), nullptr) << "no command of the main window ran";
        EXPECT_TRUE(app.alertsShown().isEmpty()) << app.alertsShown().join(u'|').toStdString();
        search->clear();
    }
}
