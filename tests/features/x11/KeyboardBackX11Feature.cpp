// On a real X server with its window manager, which activates a window of its own choice when one maps or closes:
// after the question about what is typed in a form the keyboard goes back into the form, never to the window behind it
// (after the password window that waited beside the form: WaitingWindowsX11Feature).

#include "AppDriver.h"

#include "support/WaitUntil.h"

#include <QApplication>

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
