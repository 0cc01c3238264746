// The password window a refused sync opens by itself, under the window manager the X server runs (KNVT_WM, set by
// scripts/with-x11; each x11 stage runs one): the window manager's own focus of it is no switch of the user's, the
// keyboard comes back to the form the user left for it, and it is reached through the window manager's switcher with
// the main window shown and minimized. Each row is a road to (or past) the window.

#include "AppDriver.h"

#include "app/KNVTMainWindowController.h"
#include "app/KNVTTasksAppDelegate.h"

#include "store/KNVTTaskStore.h"

#include "support/FakeSyncService.h"
#include "support/OtherXClient.h"
#include "support/WaitUntil.h"
#include "uikit/KeyboardOwner.h"

#include <QApplication>
#include <QLineEdit>
#include <QMessageBox>
#include <QProcess>
#include <QRegularExpression>
#include <QToolBar>
#include <QToolButton>
#include <QWindow>

#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <functional>
#include <ostream>

using knvt::features::AppDriver;
using Input = knvt::ScriptedAlertPresenter::Input;

namespace {

// The window manager of the X server, as scripts/with-x11 names it.
QString windowManager()
{
    const QString named = qEnvironmentVariable("KNVT_WM");
    return named.isEmpty() ? QStringLiteral("openbox") : named;
}

// The name of the window the keys typed on the keyboard reach, as the X server says.
QString keyboardIn()
{
    QProcess xdotool;
    xdotool.start(QStringLiteral("xdotool"), {QStringLiteral("getwindowfocus"), QStringLiteral("getwindowname")});
    xdotool.waitForFinished();
    return QString::fromUtf8(xdotool.readAllStandardOutput()).trimmed();
}

// The keys of the window manager's switcher, pressed in turn until the window is reached. Metacity's (and Mutter's)
// Alt+Tab switches among applications, and Alt+F6 among the windows of the one that has the keyboard.
QStringList switcherKeys()
{
    if (windowManager() == QLatin1String("metacity"))
        return {QStringLiteral("alt+Tab"), QStringLiteral("alt+F6")};
    return {QStringLiteral("alt+Tab")};
}

// A road to (or past) the waiting window, and what the user sees of it.
struct Road
{
    const char *name;
    const char *road;
    std::function<void(AppDriver &)> run;
};

// A row is named by its name in the list of tests.
void PrintTo(const Road &road, std::ostream *out)
{
    *out << road.name;
}

QWidget *refuseTheNextSync(AppDriver &app)
{
    app.service().on("GET", "/account.json").clear().reply(401).pass();
    app.store().sync();
    app.waitForService([&app] { return app.app().authenticationFailureWindowController() != nullptr; });
    QWidget *window = app.app().authenticationFailureWindowController()->window();
    knvt::test::waitUntil([window] { return window->windowHandle()->isExposed(); });
    return window;
}

QLineEdit *passwordField(const QWidget *window)
{
    return window->findChild<QLineEdit *>(QStringLiteral("passwordSecureTextField"));
}

// The keys that type `text` on the X server's keyboard.
QStringList keysOf(const QString &text)
{
    QStringList keys = AppDriver::keysOf(text);
    keys.replaceInStrings(QRegularExpression(QStringLiteral("^Space$")), QStringLiteral("SPCE"));
    return keys;
}

// Whether the keys typed on the keyboard reach `shown`, as the X server says.
bool keyboardInWindow(const QWidget *shown)
{
    QProcess xdotool;
    xdotool.start(QStringLiteral("xdotool"), {QStringLiteral("getwindowfocus")});
    xdotool.waitForFinished();
    return xdotool.readAllStandardOutput().trimmed().toULongLong() == shown->winId();
}

// A click of the pointer on the control of that name, which the window manager sees as well.
void click(const QWidget *window, const char *name)
{
    auto *control = window->findChild<QWidget *>(QLatin1String(name));
    ASSERT_NE(control, nullptr) << name;
    // Where the X server has the window now: the window manager may still move a window it has just placed, and the
    // application hears of that a moment later.
    const QPoint at = control->mapTo(window, control->rect().center());
    QProcess::execute(QStringLiteral("xdotool"),
                      {QStringLiteral("mousemove"), QStringLiteral("--window"), QString::number(window->winId()),
                       QString::number(at.x()), QString::number(at.y()), QStringLiteral("click"), QStringLiteral("1")});
}

// The window manager's stacking, bottom to top, as its switcher and task bar read it.
QList<WId> stacking()
{
    QProcess xprop;
    xprop.start(QStringLiteral("xprop"), {QStringLiteral("-root"), QStringLiteral("_NET_CLIENT_LIST_STACKING")});
    xprop.waitForFinished();
    const QString said = QString::fromLatin1(xprop.readAllStandardOutput());
    QList<WId> windows;
    for (const QString &id : said.mid(said.indexOf(u'#') + 1).split(u',', Qt::SkipEmptyParts))
        windows << id.trimmed().toULongLong(nullptr, 16);
    return windows;
}

// Whether the window manager stacks `upper` over `lower`.
bool stackedOver(const QWidget *upper, const QWidget *lower)
{
    const QList<WId> windows = stacking();
    return windows.contains(lower->winId()) && windows.indexOf(upper->winId()) > windows.indexOf(lower->winId());
}

// The user clicks Edit on the main window's toolbar with the task selected and types " now" in the form's title; the
// form.
QWidget *typeInTheMainWindowsEditForm(AppDriver &app, const QString &task = QStringLiteral("Mow"))
{
    app.selectRows({task});
    for (QToolButton *button : app.mainWindow().toolbar()->findChildren<QToolButton *>())
        if (button->accessibleName() == QLatin1String("Edit"))
            app.clickOnTheScreen(button);
    if (!knvt::test::waitUntil([&app] { return app.focusedControl() == QLatin1String("titleTextField"); }))
        return nullptr;
    app.typeOnTheKeyboard(keysOf(QStringLiteral(" now")));
    return QApplication::focusWidget()->window();
}

// Back from the waiting window the user went to from a task window's Edit form, which was typed " now" into: the keys
// go on into the form's title, the task window kept its place in front of the main window, and it has the keyboard
// once the form is saved.
void expectBackInTheTaskWindowsForm(AppDriver &app)
{
    ASSERT_TRUE(knvt::test::waitUntil([] {
        const QWidget *focused = QApplication::focusWidget();
        return focused != nullptr && focused->objectName() == QLatin1String("titleTextField")
            && keyboardInWindow(focused->window());
    })) << "the keyboard is in "
        << keyboardIn().toStdString();
    app.typeOnTheKeyboard({QStringLiteral("SPCE"), QStringLiteral("O"), QStringLiteral("K")});
    EXPECT_EQ(app.fieldText(QStringLiteral("titleTextField")), QStringLiteral("Mow now ok"));
    QWidget *taskWindow = QApplication::focusWidget()->window()->parentWidget()->window();
    EXPECT_TRUE(stackedOver(taskWindow, &app.mainWindow()))
        << "stacked bottom to top: " << ::testing::PrintToString(stacking()) << "; the task window "
        << taskWindow->winId() << ", the main window " << app.mainWindow().winId();
    app.typeOnTheKeyboard({QStringLiteral("RTRN")});
    EXPECT_TRUE(knvt::test::waitUntil([taskWindow] {
        return keyboardInWindow(taskWindow) && QApplication::activeWindow() == taskWindow;
    })) << "the keyboard is in "
        << keyboardIn().toStdString();
    EXPECT_NE(app.taskTitled(QStringLiteral("Mow now ok")), nullptr);
}

// The user goes to the password window through the window manager's switcher alone, with the main window shown or
// minimized, and answers it: xfwm4 and metacity list no transient dialog there, and a window hidden with a minimized
// one is never reached.
void answerThroughTheSwitcher(AppDriver &app, bool minimized)
{
    if (minimized) {
        app.minimiseMainWindow();
        ASSERT_TRUE(knvt::test::waitUntil([] { return keyboardIn() != QLatin1String("Quillvane"); }));
    }
    QWidget *password = refuseTheNextSync(app);
    ASSERT_TRUE(knvt::test::waitUntil([password] { return password->windowHandle()->isExposed(); }))
        << "hidden with the minimized window";
    const auto reached = [password] {
        return keyboardIn() == QLatin1String("Incorrect Password") && QApplication::activeModalWidget() == password;
    };
    const QStringList keys = switcherKeys();
    for (int presses = 0; presses < 6 && !reached(); ++presses) {
        const QString before = keyboardIn();
        QProcess::execute(QStringLiteral("xdotool"), {QStringLiteral("key"), keys[presses % keys.size()]});
        // Each press moves the keyboard on, however long the window manager takes; the next press is the user's once
        // it has.
        knvt::test::waitUntil([&before] { return keyboardIn() != before; });
        if (keyboardIn() == QLatin1String("Incorrect Password"))
            knvt::test::waitUntil(reached);
    }
    ASSERT_TRUE(reached()) << "the keyboard is in " << keyboardIn().toStdString();
    app.typeOnTheKeyboard(AppDriver::keysOf(QStringLiteral("newpass1")) << QStringLiteral("RTRN"));
    ASSERT_TRUE(knvt::test::waitUntil([&app] { return app.app().authenticationFailureWindowController() == nullptr; }));
    EXPECT_EQ(app.storedPassword(QStringLiteral("ann")), QStringLiteral("newpass1"));
}

// The user goes to the window of that title through the window manager's switcher, as from a window that covers it.
void switchWithTheSwitcherTo(const QString &title)
{
    const QStringList keys = switcherKeys();
    for (int presses = 0; presses < 6 && keyboardIn() != title; ++presses) {
        const QString before = keyboardIn();
        QProcess::execute(QStringLiteral("xdotool"), {QStringLiteral("key"), keys[presses % keys.size()]});
        knvt::test::waitUntil([&before] { return keyboardIn() != before; }, std::chrono::seconds(5));
    }
    ASSERT_EQ(keyboardIn(), title);
}

// The alerts that wait and show, the oldest first.
QList<QWidget *> waitingAlerts()
{
    QList<QWidget *> alerts = knvt::KeyboardOwner::waitingWindows();
    alerts.removeIf([](const QWidget *window) { return qobject_cast<const QMessageBox *>(window) == nullptr; });
    return alerts;
}

// What stands wrongly while the alerts wait: an alert under another window of the application, which hides it.
QStringList alertsStackedUnderAWindow()
{
    QStringList wrong;
    const QList<WId> stacked = stacking();
    const QList<QWidget *> alerts = waitingAlerts();
    for (const QWidget *alert : alerts)
        for (const QWidget *window : QApplication::topLevelWidgets())
            if (window->isVisible() && stacked.contains(window->winId())
                && qobject_cast<const QMessageBox *>(window) == nullptr && !stackedOver(alert, window))
                wrong << knvt::KeyboardOwner::nameOf(alert) + QStringLiteral(" under ") + window->objectName();
    return wrong;
}

// F8 typed on the keyboard reaches the oldest alert that waits, named so, which comes up with the keyboard, and Return
// answers it.
void goToTheAlertByTheKeyAndAnswerIt(AppDriver &app, const QString &name)
{
    app.typeOnTheKeyboard({QStringLiteral("FK08")});
    ASSERT_TRUE(knvt::test::waitUntil([&name] {
        const QWidget *modal = QApplication::activeModalWidget();
        return modal != nullptr && knvt::KeyboardOwner::nameOf(modal) == name && keyboardInWindow(modal);
    })) << name.toStdString()
        << ": the keyboard is in " << keyboardIn().toStdString();
    app.typeOnTheKeyboard({QStringLiteral("RTRN")});
}

const Road roads[] = {
    {"AnotherProgramClosing",
     "another program's window closes while it waits: its focus is the window manager's, and no key reaches it",
     [](AppDriver &app) {
         knvt::test::OtherXClient other;
         other.showFocusedWindow();
         ASSERT_TRUE(knvt::test::waitUntil([&app] { return !app.mainWindow().isActiveWindow(); }));
         QWidget *password = refuseTheNextSync(app);
         ASSERT_EQ(keyboardIn(), QStringLiteral("Another program"));
         other.closeWindow();
         // The window manager hands the focus on to a window of its choice, and the application decides.
         ASSERT_TRUE(knvt::test::waitUntil([] {
             const QString in = keyboardIn();
             return !in.isEmpty() && in != QLatin1String("Another program");
         }));
         app.settle();
         app.typeOnTheKeyboard({QStringLiteral("A"), QStringLiteral("B"), QStringLiteral("C")});
         EXPECT_EQ(passwordField(password)->text(), QString()) << "the keys are in " << keyboardIn().toStdString();
         EXPECT_TRUE(knvt::KeyboardOwner::isWaiting(password));
         EXPECT_NE(QApplication::activeModalWidget(), password);
     }},
    {"PointerThereAndBackToTheForm",
     "the pointer into it from a task window's Edit form, and its Cancel: the keys go back to the form",
     [](AppDriver &app) {
         app.doubleClickRow(QStringLiteral("Mow"));
         app.pressInTaskWindow(QStringLiteral("Mow"), QStringLiteral("Edit"));
         app.typeIn(QStringLiteral("titleTextField"), QStringLiteral(" now"));
         QWidget *form = QApplication::focusWidget()->window();
         QWidget *password = refuseTheNextSync(app);
         // The user clicks it where it shows, in front of the form.
         ASSERT_TRUE(knvt::test::waitUntil([&] { return stackedOver(password, form); }))
             << "stacked bottom to top: " << ::testing::PrintToString(stacking());
         click(password, "passwordSecureTextField");
         ASSERT_TRUE(knvt::test::waitUntil(
             [&] { return QApplication::activeModalWidget() == password && keyboardInWindow(password); }));
         app.typeOnTheKeyboard({QStringLiteral("P"), QStringLiteral("W")});
         EXPECT_EQ(passwordField(password)->text(), QStringLiteral("pw"));
         click(password, "cancelButton");
         expectBackInTheTaskWindowsForm(app);
     }},
    {"KeyThereAndBackToTheForm",
     "F8 from a task window's Edit form, a new password and Return: the keys go back to the form",
     [](AppDriver &app) {
         app.doubleClickRow(QStringLiteral("Mow"));
         app.pressInTaskWindow(QStringLiteral("Mow"), QStringLiteral("Edit"));
         app.typeIn(QStringLiteral("titleTextField"), QStringLiteral(" now"));
         QWidget *password = refuseTheNextSync(app);
         app.typeOnTheKeyboard({QStringLiteral("FK08")});
         ASSERT_TRUE(knvt::test::waitUntil([&] {
             return QApplication::activeModalWidget() == password && keyboardInWindow(password);
         })) << "the keyboard is in "
             << keyboardIn().toStdString();
         app.typeOnTheKeyboard(keysOf(QStringLiteral("newpass1")) << QStringLiteral("RTRN"));
         ASSERT_TRUE(
             knvt::test::waitUntil([&app] { return app.app().authenticationFailureWindowController() == nullptr; }));
         EXPECT_EQ(app.storedPassword(QStringLiteral("ann")), QStringLiteral("newpass1"));
         expectBackInTheTaskWindowsForm(app);
     }},
    {"OpensWhileTheUserSearchesInPeople",
     "it opens as the user types in People's search: People stays in front of the main window with every key",
     [](AppDriver &app) {
         app.openPeopleWindow();
         QWidget *people = QApplication::activeWindow();
         ASSERT_NE(people, nullptr);
         ASSERT_NE(people, &app.mainWindow());
         click(people, "searchField");
         ASSERT_TRUE(knvt::test::waitUntil(
             [&] { return app.focusedControl() == QLatin1String("searchField") && keyboardInWindow(people); }));
         auto *search = qobject_cast<QLineEdit *>(QApplication::focusWidget());
         ASSERT_NE(search, nullptr);
         app.typeOnTheKeyboard(keysOf(QStringLiteral("be")));
         QWidget *password = refuseTheNextSync(app);
         EXPECT_TRUE(knvt::test::waitUntil([&] { return stackedOver(password, people); }))
             << "stacked bottom to top: " << ::testing::PrintToString(stacking()) << "; People " << people->winId()
             << ", the password window " << password->winId();
         app.typeOnTheKeyboard(keysOf(QStringLiteral("a")));
         EXPECT_TRUE(knvt::test::waitUntil([search] { return search->text() == QLatin1String("bea"); }))
             << search->text().toStdString();
         EXPECT_TRUE(keyboardInWindow(people)) << "the keyboard went to " << keyboardIn().toStdString();
         EXPECT_TRUE(stackedOver(people, &app.mainWindow()))
             << "stacked bottom to top: " << ::testing::PrintToString(stacking()) << "; People " << people->winId()
             << ", the main window " << app.mainWindow().winId();
         EXPECT_TRUE(knvt::KeyboardOwner::isWaiting(password));
     }},
    {"AFormClosedBySyncWhileTheUserTypesInAddFriend",
     "it opens as a sync deletes the task of the main window's Edit form while the user types in People's Add Friend: "
     "every key stays in Add Friend, People stays in front",
     [](AppDriver &app) {
         ASSERT_NE(typeInTheMainWindowsEditForm(app), nullptr);
         app.openPeopleWindow();
         QWidget *people = QApplication::activeWindow();
         ASSERT_NE(people, nullptr);
         ASSERT_NE(people, &app.mainWindow());
         click(people, "addUserButton");
         ASSERT_TRUE(
             knvt::test::waitUntil([&app] { return app.focusedControl() == QLatin1String("usernameTextField"); }));
         auto *name = qobject_cast<QLineEdit *>(QApplication::focusWidget());
         ASSERT_NE(name, nullptr);
         app.typeOnTheKeyboard(keysOf(QStringLiteral("groceries for the w")));
         bool keyboardStayed = false;
         bool peopleInFront = false;
         std::string stacked;
         app.answerAlert(QStringLiteral("OK"),
                         {.whileShown =
                              [&] {
                                  app.typeOnTheKeyboard(keysOf(QStringLiteral("eek")));
                                  knvt::test::waitUntil([name] { return name->text().endsWith(u"eek"); });
                                  keyboardStayed = keyboardInWindow(name->window());
                                  peopleInFront = stackedOver(people, &app.mainWindow());
                                  stacked = ::testing::PrintToString(stacking());
                              },
                          .input = Input::Pointer});
         app.givenRemovedBySync(app.taskTitled(QStringLiteral("Mow")));
         ASSERT_TRUE(knvt::test::waitUntil([&app] { return app.alerts().pendingAnswerCount() == 0; }));
         EXPECT_EQ(name->text(), QStringLiteral("groceries for the week"));
         EXPECT_TRUE(keyboardStayed) << "the keyboard went to " << keyboardIn().toStdString();
         EXPECT_TRUE(peopleInFront) << "stacked bottom to top: " << stacked << "; People " << people->winId()
                                    << ", the main window " << app.mainWindow().winId();
         EXPECT_TRUE(app.alertsShown().last().startsWith(QStringLiteral("The task “Mow” was deleted elsewhere.")))
             << app.alertsShown().last().toStdString();
     }},
    {"OpensOverTheMainWindowsEditForm",
     "it opens as the user types in the main window's Edit form: it stands in front of the form, clear of the field "
     "with the window manager's frame, and the form keeps the keys",
     [](AppDriver &app) {
         QWidget *form = typeInTheMainWindowsEditForm(app);
         ASSERT_NE(form, nullptr);
         const QWidget *title = QApplication::focusWidget();
         const QRect field(title->mapToGlobal(QPoint()), title->size());
         QWidget *password = refuseTheNextSync(app);
         // Where it stands once the window manager has framed it: its title bar differs from one to the next.
         ASSERT_TRUE(knvt::test::waitUntil([password] { return password->frameGeometry() != password->geometry(); }))
             << "framed";
         app.settle();
         EXPECT_FALSE(password->frameGeometry().intersects(field))
             << "the frame " << password->frameGeometry().y() << ".." << password->frameGeometry().bottom()
             << " over the field " << field.y() << ".." << field.bottom();
         EXPECT_TRUE(knvt::test::waitUntil([&] { return stackedOver(password, form); }))
             << "stacked bottom to top: " << ::testing::PrintToString(stacking()) << "; the form " << form->winId()
             << ", the password window " << password->winId();
         EXPECT_TRUE(stackedOver(password, &app.mainWindow()));
         app.typeOnTheKeyboard({QStringLiteral("SPCE"), QStringLiteral("O"), QStringLiteral("K")});
         EXPECT_EQ(app.fieldText(QStringLiteral("titleTextField")), QStringLiteral("Mow now ok"));
         EXPECT_TRUE(knvt::KeyboardOwner::isWaiting(password));
     }},
    {"OneSyncClosesTwoForms",
     "one sync takes away the tasks of a task window's Edit form and of the main window's Edit form the user types in: "
     "an alert for each, both waiting at once in front of every window of the application, the line naming the one "
     "typed in, F8 reaching each, each giving back what was typed in its own form",
     [](AppDriver &app) {
         const qint64 garden = app.service().seedProject(QStringLiteral("Garden"));
         const qint64 rake = app.service().seedTask(QStringLiteral("Rake"), garden);
         const qint64 sow = app.service().seedTask(QStringLiteral("Sow"), garden);
         const int ended = app.syncsEnded();
         app.store().sync();
         app.waitForService([&app, ended] { return app.syncsEnded() > ended; });
         app.selectHome(QStringLiteral("Garden"));
         app.doubleClickRow(QStringLiteral("Rake"));
         app.pressInTaskWindow(QStringLiteral("Rake"), QStringLiteral("Edit"));
         app.typeIn(QStringLiteral("titleTextField"), QStringLiteral(" soon"));
         switchWithTheSwitcherTo(QStringLiteral("Quillvane"));
         ASSERT_NE(typeInTheMainWindowsEditForm(app, QStringLiteral("Sow")), nullptr);
         const auto *typedIn = qobject_cast<QLineEdit *>(QApplication::focusWidget());
         ASSERT_TRUE(typedIn != nullptr && typedIn->text() == QLatin1String("Sow now"))
             << "the keyboard is in " << keyboardIn().toStdString();
         const QString sowGone = QStringLiteral("The task “Sow” was deleted elsewhere");
         const QString rakeGone = QStringLiteral("The task “Rake” was deleted elsewhere");
         qsizetype mostAtOnce = 0;
         QStringList stackedUnder{QStringLiteral("never both")};
         QString line;
         const auto bothWait = [&] {
             knvt::test::waitUntil([] { return waitingAlerts().size() == 2; });
             mostAtOnce = waitingAlerts().size();
             knvt::test::waitUntil([] { return alertsStackedUnderAWindow().isEmpty(); });
             stackedUnder = alertsStackedUnderAWindow();
             line = app.waitingLine();
             goToTheAlertByTheKeyAndAnswerIt(app, sowGone);
             goToTheAlertByTheKeyAndAnswerIt(app, rakeGone);
         };
         app.answerAlert(QStringLiteral("OK"),
                         {.whileShown =
                              [&] {
                                  bothWait();
                                  // An alert a failed step left open would hold the scenario for good.
                                  for (QWidget *window : QApplication::topLevelWidgets())
                                      if (auto *alert = qobject_cast<QMessageBox *>(window); alert != nullptr)
                                          alert->reject();
                              },
                          .input = Input::Scenario});
         app.answerAlert(QStringLiteral("OK"), {.input = Input::Scenario});
         app.service().remove("tasks", rake);
         app.service().remove("tasks", sow);
         app.store().sync();
         ASSERT_TRUE(knvt::test::waitUntil(
             [&app] { return app.alerts().pendingAnswerCount() == 0 && app.alerts().requests().size() >= 2; }));
         ASSERT_TRUE(knvt::test::waitUntil([] {
             const QWidgetList windows = QApplication::topLevelWidgets();
             return std::none_of(windows.cbegin(), windows.cend(), [](const QWidget *window) {
                 return qobject_cast<const QMessageBox *>(window) != nullptr && window->isVisible();
             });
         }));
         EXPECT_EQ(mostAtOnce, 2) << "one alert came only once the other was answered";
         EXPECT_EQ(stackedUnder, QStringList());
         EXPECT_EQ(
             line,
             QStringLiteral("The form closed: what you typed is in “%1”. Press F8 to open it. [Open]").arg(sowGone));
         const QString lost = QStringLiteral(" Your changes were not saved. What you typed:\n\n");
         EXPECT_EQ(app.alertsShown().mid(app.alertsShown().size() - 2),
                   (QStringList{sowGone + QStringLiteral(". / The form for it in the window “Quillvane” closed.") + lost
                                    + QStringLiteral("Sow now [OK]"),
                                rakeGone + QStringLiteral(". / Its window closed.") + lost
                                    + QStringLiteral("Rake soon [OK]")}));
     }},
    {"SwitcherWithTheMainWindowShown",
     "the window manager's switcher with the main window shown: it is listed, reached and answered",
     [](AppDriver &app) { answerThroughTheSwitcher(app, /*minimized=*/false); }},
    {"SwitcherWithTheMainWindowMinimized",
     "the window manager's switcher with the main window minimized: it shows, is reached and answered",
     [](AppDriver &app) { answerThroughTheSwitcher(app, /*minimized=*/true); }},
};

// Signed in and synced, with a task; the next sync is refused, and the password window opens by itself.
class WaitingWindowsX11Feature : public ::testing::TestWithParam<Road>
{
protected:
    void SetUp() override
    {
        app.useTheXServer();
        app.givenSignedIn(QStringLiteral("ann"), QStringLiteral("secret1"), /*autoSync=*/true);
        app.service().enableState();
        app.givenTask(QStringLiteral("Mow"));
        app.launch();
        app.waitForService([this] { return app.syncsEnded() > 0; });
    }

    AppDriver app;
};

} // namespace

// One row for each road, under the window manager of the stage.
TEST_P(WaitingWindowsX11Feature, TheWindowManagersFocusIsNoSwitchTheFormGetsTheKeysBackAndTheSwitcherReachesIt)
{
    SCOPED_TRACE(windowManager().toStdString() + ": " + GetParam().road);
    GetParam().run(app);
}

INSTANTIATE_TEST_SUITE_P(Roads, WaitingWindowsX11Feature, ::testing::ValuesIn(roads),
                         [](const ::testing::TestParamInfo<Road> &row) { return std::string(row.param.name); });
