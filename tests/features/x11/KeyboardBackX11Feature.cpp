// On a real X server with its window manager, which activates a window of its own choice when one maps or closes:
// after the question about what is typed in a form, and after the password window that waited beside the form, the
// keyboard goes back into the form, never to the window behind it.

#include "AppDriver.h"

#include "app/KNVTTasksAppDelegate.h"

#include "store/KNVTTaskStore.h"

#include "support/FakeSyncService.h"
#include "support/WaitUntil.h"

#include <QApplication>
#include <QLineEdit>
#include <QProcess>

#include <gtest/gtest.h>

using knvt::features::AppDriver;
using Input = knvt::ScriptedAlertPresenter::Input;

TEST(KeyboardBackX11Feature, CancelInTheQuestionBeforeTypingIsDroppedLeavesTheKeysInTheForm)
{
    AppDriver app;
    app.givenTask(QStringLiteral("Paint"));
    app.givenTask(QStringLiteral("Mow"));
    app.selectRows({QStringLiteral("Paint")});
    app.clickToolbar(QStringLiteral("Edit"));
    app.typeIn(QStringLiteral("titleTextField"), QStringLiteral(" twice"));
    app.answerAlert(QStringLiteral("Cancel"), {.input = Input::Pointer});
    app.closeByTheWindowButton(QStringLiteral("Quillvane"));
    // The window system activates the form's window a moment after the question went.
    const auto inTheTitle = [&app] { return app.focusedControl() == QLatin1String("titleTextField"); };
    EXPECT_TRUE(knvt::test::waitUntil(inTheTitle)) << "not the list behind the form";
    app.closePopover();

    app.doubleClickRow(QStringLiteral("Mow"));
    app.pressInTaskWindow(QStringLiteral("Mow"), QStringLiteral("Edit"));
    app.typeIn(QStringLiteral("titleTextField"), QStringLiteral(" now"));
    app.answerAlert(QStringLiteral("Cancel"), {.input = Input::Pointer});
    app.pressInTaskWindow(QStringLiteral("Mow"), QStringLiteral("Done"));
    EXPECT_TRUE(knvt::test::waitUntil(inTheTitle))
        << "not the window's Today button but " << app.focusedControl().toStdString() << " in "
        << (QApplication::activeWindow() ? QApplication::activeWindow()->objectName().toStdString()
                                         : std::string("none"));
    EXPECT_EQ(app.fieldText(QStringLiteral("titleTextField")), QStringLiteral("Mow now"));
}

TEST(KeyboardBackX11Feature, ThePasswordWindowTheUserWentToAndPutAwayGivesTheKeysBackToTheForm)
{
    AppDriver app;
    app.useTheXServer();
    app.givenSignedIn(QStringLiteral("ann"), QStringLiteral("secret1"), /*autoSync=*/true);
    app.service().enableState();
    app.givenTask(QStringLiteral("Mow"));
    app.launch();
    app.waitForService([&] { return app.syncsEnded() > 0; });
    app.doubleClickRow(QStringLiteral("Mow"));
    app.pressInTaskWindow(QStringLiteral("Mow"), QStringLiteral("Edit"));
    app.typeIn(QStringLiteral("titleTextField"), QStringLiteral(" now"));

    app.service().on("GET", "/account.json").reply(401).pass();
    app.store().sync();
    app.waitForService([&] { return app.app().authenticationFailureWindowController() != nullptr; });
    QWidget *window = app.app().authenticationFailureWindowController()->window();
    // The user clicks into it, and then its Cancel, with the pointer, which the window manager sees as well; the keys
    // typed once the X server gave a window the keyboard go there.
    const auto click = [window](const char *name) {
        auto *control = window->findChild<QWidget *>(QLatin1String(name));
        const QPoint at = control->mapToGlobal(control->rect().center());
        QProcess::execute(QStringLiteral("xdotool"),
                          {QStringLiteral("mousemove"), QString::number(at.x()), QString::number(at.y()),
                           QStringLiteral("click"), QStringLiteral("1")});
    };
    const auto keyboardIn = [](const QWidget *shown) {
        QProcess xdotool;
        xdotool.start(QStringLiteral("xdotool"), {QStringLiteral("getwindowfocus")});
        xdotool.waitForFinished();
        return xdotool.readAllStandardOutput().trimmed().toULongLong() == shown->winId();
    };
    click("passwordSecureTextField");
    ASSERT_TRUE(
        knvt::test::waitUntil([&] { return QApplication::activeModalWidget() == window && keyboardIn(window); }));
    app.typeOnTheKeyboard({QStringLiteral("P"), QStringLiteral("W")});
    EXPECT_EQ(window->findChild<QLineEdit *>(QStringLiteral("passwordSecureTextField"))->text(), QStringLiteral("pw"));
    click("cancelButton");
    ASSERT_TRUE(knvt::test::waitUntil([&] {
        const QWidget *focused = QApplication::focusWidget();
        return focused != nullptr && focused->objectName() == QLatin1String("titleTextField")
            && keyboardIn(focused->window());
    })) << "the keyboard goes back into the form";
    app.typeOnTheKeyboard({QStringLiteral("SPCE"), QStringLiteral("O"), QStringLiteral("K")});
    EXPECT_EQ(app.fieldText(QStringLiteral("titleTextField")), QStringLiteral("Mow now ok"));
}
