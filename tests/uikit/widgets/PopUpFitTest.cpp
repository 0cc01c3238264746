// A pop-up whose rows change while its list is open fits the list to them again and keeps the row the keyboard is on.
#include "uikit/PopUpFit.h"

#include "support/WaitUntil.h"

#include <QAbstractItemView>
#include <QComboBox>
#include <QCoreApplication>
#include <QTest>

#include <gtest/gtest.h>

#include <functional>

namespace {

// The rows of the open list that show their whole height inside it.
int wholeRowsShown(const QComboBox &popUp)
{
    const QAbstractItemView *list = popUp.view();
    int shown = 0;
    for (int row = 0; row < popUp.count(); ++row) {
        const QRect rect = list->visualRect(popUp.model()->index(row, 0));
        if (rect.isValid() && rect.top() >= 0 && rect.bottom() < list->viewport()->height())
            ++shown;
    }
    return shown;
}

} // namespace

TEST(PopUpFit, AnOpenListGrowsAndShrinksWithItsRowsAndKeepsTheKeyboardsRow)
{
    QWidget window;
    window.resize(300, 500);
    QComboBox popUp(&window);
    popUp.move(20, 20);
    popUp.addItems({QStringLiteral("Inbox"), QStringLiteral("Garden")});
    knvt::keepPopUpFittingItsRows(&popUp);
    window.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&window));
    popUp.showPopup();
    ASSERT_TRUE(knvt::test::waitUntil([&] { return popUp.view()->isVisible(); }));
    popUp.view()->setCurrentIndex(popUp.model()->index(1, 0));

    const struct
    {
        const char *change;
        std::function<void()> make;
        int rows;
    } changes[] = {
        {"rows added",
         [&] {
             popUp.addItems({QStringLiteral("House"), QStringLiteral("Work"), QStringLiteral("Car")});
         },
         5},
        {"rows removed",
         [&] {
             popUp.removeItem(4);
             popUp.removeItem(3);
         },
         3},
    };
    for (const auto &c : changes) {
        SCOPED_TRACE(c.change);
        c.make();
        const int rowHeight = popUp.view()->visualRect(popUp.model()->index(0, 0)).height();
        // Every row whole, and no empty space below the last.
        EXPECT_TRUE(knvt::test::waitUntil([&] {
            return wholeRowsShown(popUp) == c.rows && popUp.view()->viewport()->height() < (c.rows + 1) * rowHeight;
        })) << wholeRowsShown(popUp)
            << " of " << popUp.count() << " in " << popUp.view()->viewport()->height();
        EXPECT_TRUE(popUp.view()->isVisible());
        EXPECT_EQ(popUp.view()->currentIndex().row(), 1) << "the keyboard stays on Garden";
    }
}
