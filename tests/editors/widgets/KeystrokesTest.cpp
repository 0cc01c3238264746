#include "EditorsFixture.h"

#include "editors/KNVTAreaEditWindowController.h"
#include "editors/KNVTAreaNewWindowController.h"
#include "editors/KNVTProjectEditWindowController.h"
#include "editors/KNVTProjectNewWindowController.h"
#include "editors/KNVTScheduleTasksWindowController.h"
#include "editors/KNVTTagEditWindowController.h"
#include "editors/KNVTTagNewWindowController.h"
#include "editors/KNVTTaskCommentEditViewController.h"
#include "editors/KNVTTaskCommentNewViewController.h"
#include "editors/KNVTTaskEditWindowController.h"
#include "editors/KNVTTaskNewWindowController.h"
#include "editors/KNVTTasksAssignWindowController.h"

#include "uikit/KNVTDatePicker.h"

#include "support/NotificationRecorder.h"

#include <QComboBox>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QVBoxLayout>

#include <functional>

namespace {

// Types into every line and text field of `window`, steps every pop-up and calendar, as a user fills a form in.
void typeEverywhere(QWidget *window)
{
    for (QLineEdit *line : window->findChildren<QLineEdit *>()) {
        if (line->isVisible() && line->isEnabled())
            QTest::keyClicks(line, "ab 1");
    }
    for (QPlainTextEdit *text : window->findChildren<QPlainTextEdit *>())
        QTest::keyClicks(text, "note");
    for (QComboBox *popUp : window->findChildren<QComboBox *>()) {
        if (popUp->isEnabled())
            QTest::keyClick(popUp, Qt::Key_Down);
    }
    for (KNVTDatePicker *calendar : window->findChildren<KNVTDatePicker *>())
        QTest::keyClick(calendar, Qt::Key_Right);
}

// A window holding a view controller's view, and owning the controller beside it.
QWidget *hosted(KNVTViewController *controller)
{
    auto *window = new QWidget;
    window->setObjectName(controller->metaObject()->className());
    auto *layout = new QVBoxLayout(window);
    layout->addWidget(controller->view());
    controller->setParent(window);
    return window;
}

class KeystrokesTest : public EditorsFixture
{};

TEST_F(KeystrokesTest, TypingInAnyFormOrSheetSavesNothingBeforeSave)
{
    KNVTCDUser *ann = user("Ann", "Lee", "ann");
    KNVTCDTaskList *club = taskList("Club", {{ann}});
    KNVTCDTaskList *home = taskList("Home", {}, true);
    KNVTCDTask *paint = task("Paint", club);
    KNVTCDTaskComment *note = comment(paint, "Mine", me);
    KNVTCDTag *cellar = tag("Cellar");
    save();
    QWidget host;
    host.resize(700, 600);
    host.show();

    const std::vector<std::function<QWidget *()>> makers = {
        [&] { return new KNVTTaskNewWindowController(KNVTTaskNewViewController::Values{.taskList = club}); },
        [&] { return new KNVTTaskEditWindowController(paint, &host); },
        [&] { return new KNVTTasksAssignWindowController({paint}, &host); },
        [&] { return new KNVTScheduleTasksWindowController({paint}, &host); },
        [&] { return new KNVTAreaNewWindowController(&host); },
        [&] { return new KNVTProjectNewWindowController(&host); },
        [&] { return new KNVTAreaEditWindowController(home, &host); },
        [&] { return new KNVTProjectEditWindowController(club, &host); },
        [&] { return new KNVTTagNewWindowController(&host); },
        [&] { return new KNVTTagEditWindowController(cellar, &host); },
        [&] { return hosted(new KNVTTaskCommentNewViewController(paint, QString())); },
        [&] { return hosted(new KNVTTaskCommentEditViewController(note, QString())); },
    };
    knvt::test::NotificationRecorder changes({QString::fromLatin1(KNVTTaskStoreDidChangeNotification)});
    for (const auto &open : makers) {
        std::unique_ptr<QWidget> window(open());
        window->show();
        typeEverywhere(window.get());
        settle();
        EXPECT_TRUE(changes.notifications().empty()) << window->objectName().toStdString();
        EXPECT_TRUE(saves.requestedDelays().empty()) << window->objectName().toStdString();
    }
}

} // namespace
