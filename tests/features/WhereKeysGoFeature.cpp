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

#include "support/FakeWindowSystem.h"

#include <QApplication>
#include <QLineEdit>
#include <QPointer>

#include <gtest/gtest.h>

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
