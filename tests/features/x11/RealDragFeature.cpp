// On a real X server: the main window is shown and drawn, a task dragged with the mouse from the centre list onto
// Today in the home list moves there, and a tag dragged from the home list onto a task of the centre list tags it.

#include "../AppDriver.h"

#include "app/HomeModel.h"
#include "app/KNVTHomeOutlineView.h"
#include "app/KNVTHomeViewController.h"
#include "app/KNVTMainWindowController.h"

#include "lists/KNVTTaskStoreItemsTableView.h"
#include "lists/KNVTTaskStoreItemsTableViewController.h"

#include "store/KNVTTaskStore.h"

#include "model/KNVTCDTag.h"
#include "model/KNVTCDTask.h"

#include "support/WaitUntil.h"

#include <QGuiApplication>
#include <QProcess>
#include <QScreen>
#include <QTest>

#include <gtest/gtest.h>

using knvt::features::AppDriver;

namespace {

bool onX11()
{
    return QGuiApplication::platformName() == QStringLiteral("xcb");
}

// Presses the left button at `from`, moves past the drag distance and on to `to`, and lets go there, through the X
// server's own pointer.
void dragWithTheMouse(QProcess &xdotool, const QPoint &from, const QPoint &to)
{
    xdotool.start(QStringLiteral("xdotool"),
                  {QStringLiteral("mousemove"),   QString::number(from.x()),   QString::number(from.y()),
                   QStringLiteral("sleep"),       QStringLiteral("0.3"),       QStringLiteral("mousedown"),
                   QStringLiteral("1"),           QStringLiteral("mousemove"), QString::number(from.x() + 20),
                   QString::number(from.y() + 5), QStringLiteral("sleep"),     QStringLiteral("0.3"),
                   QStringLiteral("mousemove"),   QString::number(to.x()),     QString::number(to.y()),
                   QStringLiteral("sleep"),       QStringLiteral("0.3"),       QStringLiteral("mousemove"),
                   QString::number(to.x() + 2),   QString::number(to.y()),     QStringLiteral("sleep"),
                   QStringLiteral("0.3"),         QStringLiteral("mouseup"),   QStringLiteral("1")});
}

// Launches the application with its main window at the screen's top left; false when the window was never drawn.
bool showMainWindow(AppDriver &app)
{
    app.launch();
    KNVTMainWindowController &main = app.mainWindow();
    main.move(0, 0);
    main.resize(1100, 700);
    main.show();
    const bool exposed = QTest::qWaitForWindowExposed(&main);
    app.settle();
    return exposed;
}

} // namespace

TEST(RealDragFeature, ATaskDraggedOntoTodayWithTheMouseMovesThere)
{
    if (!onX11())
        GTEST_SKIP() << "needs the X server of scripts/with-x11";
    AppDriver app;
    KNVTCDTask *rent = app.givenTask(QStringLiteral("Pay rent"));
    ASSERT_TRUE(showMainWindow(app));
    KNVTMainWindowController &main = app.mainWindow();

    // The window is drawn on the screen, not only offscreen.
    const QPixmap shot = main.screen()->grabWindow(main.winId());
    EXPECT_FALSE(shot.isNull());
    EXPECT_GT(shot.width(), 700);

    KNVTTaskStoreItemsTableView *list = app.centreList()->tableView();
    const int row = *app.centreList()->cellIndexForObjectValue(rent->uri());
    const QPoint from = list->viewport()->mapToGlobal(list->visualRect(list->model()->index(row, 0)).center());
    KNVTHomeOutlineView *home = main.homeViewController()->outlineView();
    knvt::HomeModel *model = main.homeViewController()->model();
    const QModelIndex today = model->indexForEntry(knvt::HomeEntry::focusList(KNVTFocusTypeToday));
    const QPoint to = home->viewport()->mapToGlobal(home->visualRect(today).center());

    QProcess xdotool;
    dragWithTheMouse(xdotool, from, to);
    ASSERT_TRUE(xdotool.waitForStarted());
    EXPECT_TRUE(knvt::test::waitUntil([&] { return rent->isToday(); }, std::chrono::seconds(15)));
    xdotool.waitForFinished(5000);
}

TEST(RealDragFeature, ATagDraggedOntoATaskWithTheMouseTagsItWhileTheCentreListStaysAndAClickStillChoosesTheTag)
{
    if (!onX11())
        GTEST_SKIP() << "needs the X server of scripts/with-x11";
    AppDriver app;
    app.givenTask(QStringLiteral("Water the ferns"), {.tags = {QStringLiteral("errand")}});
    KNVTCDTask *rent = app.givenTask(QStringLiteral("Pay rent"));
    ASSERT_TRUE(showMainWindow(app));
    KNVTMainWindowController &main = app.mainWindow();
    ASSERT_EQ(app.selectedHome(), QStringLiteral("Inbox"));

    KNVTHomeOutlineView *home = main.homeViewController()->outlineView();
    const KNVTCDTag *errandTag = app.store().tagForTitle(QStringLiteral("errand"));
    ASSERT_NE(errandTag, nullptr);
    const QModelIndex errand = main.homeViewController()->model()->indexForEntry(knvt::HomeEntry::tag(*errandTag));
    ASSERT_TRUE(errand.isValid());
    const QPoint from = home->viewport()->mapToGlobal(home->visualRect(errand).center());
    KNVTTaskStoreItemsTableView *list = app.centreList()->tableView();
    const int row = *app.centreList()->cellIndexForObjectValue(rent->uri());
    const QPoint to = list->viewport()->mapToGlobal(list->visualRect(list->model()->index(row, 0)).center());

    QProcess xdotool;
    dragWithTheMouse(xdotool, from, to);
    ASSERT_TRUE(xdotool.waitForStarted());
    EXPECT_TRUE(knvt::test::waitUntil([&] { return rent->tags().size() == 1; }, std::chrono::seconds(15)));
    xdotool.waitForFinished(5000);
    ASSERT_EQ(rent->tags().size(), 1u);
    EXPECT_EQ(rent->tags().front()->title(), QStringLiteral("errand"));
    EXPECT_EQ(app.selectedHome(), QStringLiteral("Inbox")) << "the drag chose no entry";

    // A click without a drag chooses the tag as before.
    QProcess click;
    click.start(QStringLiteral("xdotool"),
                {QStringLiteral("mousemove"), QString::number(from.x()), QString::number(from.y()),
                 QStringLiteral("click"), QStringLiteral("1")});
    ASSERT_TRUE(click.waitForStarted());
    EXPECT_TRUE(knvt::test::waitUntil([&] { return app.selectedHome() == QStringLiteral("errand"); },
                                      std::chrono::seconds(15)));
    click.waitForFinished(5000);
}
