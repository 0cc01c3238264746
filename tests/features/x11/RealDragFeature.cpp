// On a real X server: the main window is shown and drawn, and a task dragged with the mouse from the centre list
// onto Today in the home list moves there.

#include "../AppDriver.h"

#include "app/HomeModel.h"
#include "app/KNVTHomeOutlineView.h"
#include "app/KNVTHomeViewController.h"
#include "app/KNVTMainWindowController.h"

#include "lists/KNVTTaskStoreItemsTableView.h"
#include "lists/KNVTTaskStoreItemsTableViewController.h"

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

} // namespace

TEST(RealDragFeature, ATaskDraggedOntoTodayWithTheMouseMovesThere)
{
    if (!onX11())
        GTEST_SKIP() << "needs the X server of scripts/with-x11";
    AppDriver app;
    KNVTCDTask *rent = app.givenTask(QStringLiteral("Pay rent"));
    app.launch();
    KNVTMainWindowController &main = app.mainWindow();
    main.move(0, 0);
    main.resize(1100, 700);
    main.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&main));
    app.settle();

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
    xdotool.start(QStringLiteral("xdotool"),
                  {QStringLiteral("mousemove"),   QString::number(from.x()),   QString::number(from.y()),
                   QStringLiteral("sleep"),       QStringLiteral("0.3"),       QStringLiteral("mousedown"),
                   QStringLiteral("1"),           QStringLiteral("mousemove"), QString::number(from.x() + 20),
                   QString::number(from.y() + 5), QStringLiteral("sleep"),     QStringLiteral("0.3"),
                   QStringLiteral("mousemove"),   QString::number(to.x()),     QString::number(to.y()),
                   QStringLiteral("sleep"),       QStringLiteral("0.3"),       QStringLiteral("mousemove"),
                   QString::number(to.x() + 2),   QString::number(to.y()),     QStringLiteral("sleep"),
                   QStringLiteral("0.3"),         QStringLiteral("mouseup"),   QStringLiteral("1")});
    ASSERT_TRUE(xdotool.waitForStarted());
    EXPECT_TRUE(knvt::test::waitUntil([&] { return rent->isToday(); }, std::chrono::seconds(15)));
    xdotool.waitForFinished(5000);
}
