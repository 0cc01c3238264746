// Saves the library refuses: the user hears of each once, and the windows show what the library holds.

#include "AppDriver.h"

#include "lists/ItemRow.h"
#include "lists/KNVTTaskStoreItemsViewController.h"

#include "store/KNVTTaskStore.h"

#include "model/KNVTCDTask.h"

#include "support/RefusedWrites.h"

#include <QAbstractItemView>
#include <QImage>
#include <QTest>

#include <gtest/gtest.h>

using knvt::features::AppDriver;

namespace {

const QString kRefused = QStringLiteral("Your change could not be saved. / The library file is read-only. [OK]");

class RefusedSaveFeature : public ::testing::Test
{
protected:
    // The check box of the centre row of that title as it is drawn, with the mouse resting on it.
    QImage drawnCheckBox(const QString &title)
    {
        KNVTTaskStoreItemsViewController *list = app.centreItems();
        for (int row = 0; row < list->numberOfRows(); ++row) {
            if (list->rowAt(row)->title != title)
                continue;
            QAbstractItemView *view = app.centreView();
            const QRect box = QRect(4, 14, 22, 22).translated(view->visualRect(list->indexForRow(row)).topLeft());
            QTest::mouseMove(view->viewport(), box.center());
            app.settle();
            return view->viewport()->grab(box).toImage();
        }
        ADD_FAILURE() << "no row " << title.toStdString();
        return {};
    }

    AppDriver app;
};

} // namespace

TEST_F(RefusedSaveFeature, TickingABoxTheLibraryRefusesShowsOneAlertAndTheBoxStaysUnticked)
{
    app.givenTask(QStringLiteral("Pay rent"));
    app.givenTask(QStringLiteral("Call Ann"));
    app.selectRows({QStringLiteral("Pay rent")});
    const QStringList open = app.centreRows();
    ASSERT_EQ(open, (QStringList{"# Incomplete", "[ ] Call Ann", "[ ] Pay rent"}));
    const QImage unticked = drawnCheckBox(QStringLiteral("Pay rent"));

    ASSERT_TRUE(knvt::test::refuseWrites(app.store()));
    app.answerAlert(QStringLiteral("OK"));
    app.clickCheckBox(QStringLiteral("Pay rent"));
    EXPECT_EQ(app.alertsShown(), QStringList{kRefused});
    EXPECT_EQ(app.centreRows(), open);
    EXPECT_EQ(drawnCheckBox(QStringLiteral("Pay rent")), unticked);
    EXPECT_EQ(app.rightPane(), QStringLiteral("Pay rent")) << "still selected";
    // The list built again from the library's objects shows the task open too.
    app.selectHome(QStringLiteral("Today"));
    app.selectHome(QStringLiteral("Inbox"));
    EXPECT_EQ(app.centreRows(), open);
    EXPECT_EQ(app.alertsShown().size(), 1) << "one alert for one refused save";

    // The box of the task's detail beside the list goes the same way.
    app.selectRows({QStringLiteral("Pay rent")});
    app.answerAlert(QStringLiteral("OK"));
    app.clickDetailCheckBox();
    EXPECT_EQ(app.alertsShown(), (QStringList{kRefused, kRefused}));
    EXPECT_EQ(app.detailRows().value(0), QStringLiteral("title [ ] Pay rent"));
    EXPECT_EQ(app.centreRows(), open);

    // Once the library takes writes again, the same click ticks the box and stores it.
    ASSERT_TRUE(knvt::test::refuseWrites(app.store(), false));
    app.clickCheckBox(QStringLiteral("Pay rent"));
    EXPECT_EQ(app.centreRows(), (QStringList{"# Incomplete", "[ ] Call Ann", "# Completed", "[x] Pay rent"}));
    EXPECT_NE(drawnCheckBox(QStringLiteral("Pay rent")), unticked);
    EXPECT_EQ(app.alertsShown().size(), 2);
    EXPECT_FALSE(app.store().managedObjectContext()->hasChanges());
}

TEST_F(RefusedSaveFeature, QuittingWhileTheLibraryRefusesAnEditTellsTheUserAndTheNextStartShowsWhatWasStored)
{
    app.givenTask(QStringLiteral("Paint"));
    app.selectRows({QStringLiteral("Paint")});
    app.clickToolbar(QStringLiteral("Edit"));
    app.typeIn(QStringLiteral("titleTextField"), QStringLiteral(" the fence"));
    app.pressReturn();
    ASSERT_EQ(app.saves().pendingCount(), 1) << "the form saves a moment later";
    ASSERT_TRUE(knvt::test::refuseWrites(app.store()));

    // The user quits before the form's save has run.
    app.answerAlert(QStringLiteral("OK"));
    app.quit();
    EXPECT_EQ(app.alertsShown(), QStringList{kRefused});

    app.relaunch();
    EXPECT_NE(app.taskTitled(QStringLiteral("Paint")), nullptr);
    EXPECT_EQ(app.taskTitled(QStringLiteral("Paint the fence")), nullptr);
    EXPECT_EQ(app.centreRows(), (QStringList{"# Incomplete", "[ ] Paint"}));
    EXPECT_EQ(app.alertsShown().size(), 1);
}
