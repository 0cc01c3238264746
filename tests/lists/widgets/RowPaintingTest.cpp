// What the row delegate paints where pixels are the behaviour: the completion box of a selected row must stand out
// from the selection highlight in every state.

#include "lists/ItemRow.h"
#include "lists/ItemRowDelegate.h"
#include "lists/KNVTTaskTableCellView.h"

#include "support/FakeClock.h"
#include "support/RenderedPixels.h"

#include "uikit/ColorAdditions.h"
#include "uikit/KNVTCheckBox.h"
#include "uikit/KNVTSourceListTableCellView.h"

#include <QImage>
#include <QPainter>
#include <QStandardItemModel>

#include <gtest/gtest.h>

using knvt::ItemRow;
using knvt::ItemRowKind;
using knvt::test::near;

namespace {

const QColor kHighlight(48, 140, 198);

// Points of the 22 x 22 box at (4, 14) of a task row: on its ring, inside the tick only, inside the circle clear of
// the tick.
const QPoint Ring(4, 25);
const QPoint TickOnly(11, 25);
const QPoint CircleOnly(15, 32);

class RowPaintingTest : public ::testing::Test
{
protected:
    // `windowActive`: false paints the row as a window behind another shows it.
    QImage paint(const ItemRow &row, bool selected, bool windowActive = true)
    {
        QStandardItemModel model(1, 1);
        model.setData(model.index(0, 0), QVariant::fromValue(&row), knvt::ItemRowRole);
        QStyleOptionViewItem option;
        option.rect = QRect(0, 0, 400, 50);
        option.state = QStyle::State_Enabled;
        if (windowActive)
            option.state |= QStyle::State_Active;
        if (selected)
            option.state |= QStyle::State_Selected;
        option.palette.setColor(QPalette::Active, QPalette::Highlight, kHighlight);
        option.palette.setColor(QPalette::Inactive, QPalette::Highlight, kHighlight);
        QImage image(400, 50, QImage::Format_ARGB32);
        image.fill(Qt::white);
        QPainter painter(&image);
        knvt::ItemRowDelegate delegate;
        delegate.paint(&painter, option, model.index(0, 0));
        return image;
    }

    static ItemRow task(int state, bool enabled = true)
    {
        ItemRow row;
        row.kind = ItemRowKind::Task;
        row.title = QStringLiteral("Return the drill");
        row.avatarHidden = true;
        row.checkBoxState = state;
        row.closed = state != KNVTCheckBoxStateNone;
        row.checkBoxEnabled = enabled;
        return row;
    }

    static std::string describe(const QColor &color) { return color.name(QColor::HexArgb).toStdString(); }
};

} // namespace

TEST_F(RowPaintingTest, ASelectedRowDrawsItsBoxWhiteWithTheTickOrCrossInTheHighlight)
{
    QImage image = paint(task(KNVTCheckBoxStateNone), true);
    EXPECT_TRUE(near(image.pixelColor(Ring), Qt::white, 24)) << describe(image.pixelColor(Ring));
    EXPECT_TRUE(near(image.pixelColor(TickOnly), kHighlight)) << "an open box is a ring on the highlight";

    for (int state : {KNVTCheckBoxStateTick, KNVTCheckBoxStateCross}) {
        image = paint(task(state), true);
        EXPECT_TRUE(near(image.pixelColor(CircleOnly), Qt::white, 24)) << describe(image.pixelColor(CircleOnly));
        if (state == KNVTCheckBoxStateTick) {
            EXPECT_TRUE(near(image.pixelColor(TickOnly), kHighlight, 24)) << describe(image.pixelColor(TickOnly));
        }
    }

    ItemRow project = task(KNVTCheckBoxStateNone);
    project.kind = ItemRowKind::Project;
    image = paint(project, true);
    EXPECT_TRUE(near(image.pixelColor(Ring), Qt::white, 24)) << "project: " << describe(image.pixelColor(Ring));

    // A box I may not use is still seen on the highlight, fainter than one I may.
    image = paint(task(KNVTCheckBoxStateNone, false), true);
    const QColor faint = image.pixelColor(Ring);
    EXPECT_GT(faint.lightness(), kHighlight.lightness() + 40) << describe(faint);
    EXPECT_LT(faint.lightness(), 250) << describe(faint);
}

TEST_F(RowPaintingTest, AnUnselectedRowKeepsTheTintOrTheGreyOfABoxIMayNotUse)
{
    QImage image = paint(task(KNVTCheckBoxStateNone), false);
    EXPECT_TRUE(near(image.pixelColor(Ring), knvt::defaultTintColor(), 24)) << describe(image.pixelColor(Ring));
    image = paint(task(KNVTCheckBoxStateTick), false);
    EXPECT_TRUE(near(image.pixelColor(TickOnly), Qt::white, 24)) << describe(image.pixelColor(TickOnly));
    image = paint(task(KNVTCheckBoxStateNone, false), false);
    EXPECT_TRUE(near(image.pixelColor(Ring), KNVTCheckBox::lightGrayColor(), 24)) << describe(image.pixelColor(Ring));
}

TEST_F(RowPaintingTest, TheArchiveButtonOfASelectedProjectIsWhiteLikeItsTexts)
{
    ItemRow project = task(KNVTCheckBoxStateTick);
    project.kind = ItemRowKind::Project;
    project.completed = true;
    project.canEdit = true;
    // The archive picture's lid, in its 16 x 16 frame at the right of the row.
    const QPoint lid(400 - 26 + 8, 14 + 4);
    QImage image = paint(project, false);
    EXPECT_TRUE(near(image.pixelColor(lid), Qt::black, 24)) << describe(image.pixelColor(lid));
    image = paint(project, true);
    EXPECT_TRUE(near(image.pixelColor(lid), Qt::white, 24)) << describe(image.pixelColor(lid));
}

// A start date's blue would vanish into the blue highlight: on a selected row it takes the colour of the row's title,
// in a window in front or behind.
TEST_F(RowPaintingTest, ASelectedRowDrawsItsStartDateInTheColourOfItsTitle)
{
    const QColor blue = KNVTTaskTableCellView::startDateColor(QPalette());
    const knvt::test::FakeClock clock(QDateTime(QDate(2015, 3, 4), QTime(10, 20)));
    for (const ItemRowKind kind : {ItemRowKind::Task, ItemRowKind::Project}) {
        ItemRow row = task(KNVTCheckBoxStateNone);
        row.kind = kind;
        row.startDate = clock.now().addDays(30);
        const auto bluePixels = [&blue](const QImage &image) {
            int count = 0;
            for (int y = 0; y < image.height(); ++y)
                for (int x = 0; x < 120; ++x)
                    count += near(image.pixelColor(x, y), blue, 12);
            return count;
        };
        EXPECT_GT(bluePixels(paint(row, false)), 10) << "unselected, the start is blue";
        for (const bool windowActive : {true, false})
            EXPECT_EQ(bluePixels(paint(row, true, windowActive)), 0) << int(kind) << " active " << windowActive;
    }
}

// The sharing picture of a shared list's home row, in the colour of the row's title (black, or white when selected)
// on a grey ground, paint after paint.
TEST_F(RowPaintingTest, ASharedListsHomeRowPaintsItsSharingPictureInTheColourOfItsTitle)
{
    QStandardItemModel model(1, 1);
    model.setData(model.index(0, 0), QStringLiteral("Garden"));
    model.setData(model.index(0, 0), true, KNVTSourceListTableCellView::ShowsSharedIconButtonRole);
    KNVTSourceListTableCellView delegate;
    const QRect button = KNVTSourceListTableCellView::layoutForSize(QSizeF(200, 20), false, QString(), true)
                             .sharedIconButtonFrame.toAlignedRect();
    for (const bool selected : {false, true, false, true}) {
        QStyleOptionViewItem option;
        option.rect = QRect(0, 0, 200, 20);
        option.state =
            QStyle::State_Enabled | QStyle::State_Active | (selected ? QStyle::State_Selected : QStyle::State_None);
        QImage image(200, 20, QImage::Format_ARGB32);
        image.fill(Qt::gray);
        QPainter painter(&image);
        delegate.paint(&painter, option, model.index(0, 0));
        painter.end();
        const QColor title = option.palette.color(selected ? QPalette::HighlightedText : QPalette::Text);
        int pixels = 0;
        for (int y = button.top(); y <= button.bottom(); ++y)
            for (int x = button.left(); x <= button.right(); ++x)
                pixels += near(image.pixelColor(x, y), title, 24);
        EXPECT_GT(pixels, 6) << "selected " << selected;
    }
}
