#include "uikit/KNVTSourceListTableCellView.h"
#include "uikit/KNVTTableViewGroupRowView.h"

#include <QListView>
#include <QPainter>
#include <QSignalSpy>
#include <QStandardItemModel>
#include <QTest>

#include <gtest/gtest.h>

namespace {

QStandardItem *row(const QString &title, const QString &badge, bool shared)
{
    auto *item = new QStandardItem(title);
    item->setData(badge, KNVTSourceListTableCellView::LabelTextRole);
    item->setData(shared, KNVTSourceListTableCellView::ShowsSharedIconButtonRole);
    item->setEditable(false);
    return item;
}

// The colours used in the badge's part of a painted row.
QImage paintedRow(KNVTSourceListTableCellView &delegate, QStandardItemModel &model, int rowIndex, bool selected)
{
    QImage image(200, 20, QImage::Format_ARGB32);
    image.fill(Qt::transparent);
    QPainter painter(&image);
    QStyleOptionViewItem option;
    option.rect = QRect(0, 0, 200, 20);
    option.state = QStyle::State_Enabled | (selected ? QStyle::State_Selected : QStyle::State_None);
    option.palette.setColor(QPalette::Highlight, QColor(0, 0, 160));
    option.palette.setColor(QPalette::HighlightedText, QColor(255, 255, 0));
    delegate.paint(&painter, option, model.index(rowIndex, 0));
    return image;
}

bool hasColour(const QImage &image, const QRectF &area, auto predicate)
{
    const QRect pixels = area.toAlignedRect().intersected(image.rect());
    for (int y = pixels.top(); y <= pixels.bottom(); ++y)
        for (int x = pixels.left(); x <= pixels.right(); ++x)
            if (predicate(image.pixelColor(x, y)))
                return true;
    return false;
}

TEST(KNVTSourceListTableCellViewWidget, BadgeIsPaintedFaintOrInTheSelectedTextColour)
{
    QStandardItemModel model;
    model.appendRow(row(QStringLiteral("Inbox"), QStringLiteral("12"), false));
    KNVTSourceListTableCellView delegate;
    const auto badge =
        KNVTSourceListTableCellView::layoutForSize(QSizeF(200, 20), false, QStringLiteral("12"), false).labelFrame;
    const auto yellow = [](const QColor &c) { return c.red() > 200 && c.green() > 200 && c.blue() < 80; };
    const auto faintGrey = [](const QColor &c) { return c.alpha() > 20 && c.alpha() < 100 && c.red() < 40; };

    const QImage selected = paintedRow(delegate, model, 0, true);
    EXPECT_TRUE(hasColour(selected, badge, yellow));
    const QImage plain = paintedRow(delegate, model, 0, false);
    EXPECT_FALSE(hasColour(plain, badge, yellow));
    EXPECT_TRUE(hasColour(plain, badge, faintGrey));
}

TEST(KNVTSourceListTableCellViewWidget, SharingButtonClickIsReportedAndDoesNotSelectTheRow)
{
    QStandardItemModel model;
    model.appendRow(row(QStringLiteral("Inbox"), QString(), false));
    model.appendRow(row(QStringLiteral("Garden"), QString(), true));
    QListView list;
    KNVTSourceListTableCellView delegate;
    list.setItemDelegate(&delegate);
    list.setModel(&model);
    list.resize(200, 100);
    list.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&list));
    QSignalSpy clicked(&delegate, &KNVTSourceListTableCellView::sharedIconButtonClicked);

    const QRect second = list.visualRect(model.index(1, 0));
    ASSERT_EQ(second.height(), KNVTSourceListTableCellView::rowHeight);
    const QPoint button = second.topLeft() + QPoint(second.width() - 6, 10);
    QTest::mouseClick(list.viewport(), Qt::LeftButton, {}, button);
    ASSERT_EQ(clicked.count(), 1);
    EXPECT_EQ(clicked.at(0).at(0).value<QModelIndex>(), model.index(1, 0));
    EXPECT_FALSE(list.selectionModel()->isSelected(model.index(1, 0)));

    // The same spot of a row without the button selects the row.
    const QRect first = list.visualRect(model.index(0, 0));
    QTest::mouseClick(list.viewport(), Qt::LeftButton, {}, first.topLeft() + QPoint(first.width() - 6, 10));
    EXPECT_EQ(clicked.count(), 1);
    EXPECT_TRUE(list.selectionModel()->isSelected(model.index(0, 0)));

    // Elsewhere in the shared row: an ordinary selection.
    QTest::mouseClick(list.viewport(), Qt::LeftButton, {}, second.topLeft() + QPoint(40, 10));
    EXPECT_TRUE(list.selectionModel()->isSelected(model.index(1, 0)));
    EXPECT_EQ(clicked.count(), 1);
}

TEST(KNVTTableViewGroupRowView, HeaderIsTheNameCentredOnAPaleBand)
{
    QImage image(200, 20, QImage::Format_ARGB32);
    image.fill(Qt::transparent);
    {
        QPainter painter(&image);
        KNVTTableViewGroupRowView::drawRow(painter, QRectF(0, 0, 200, 20), QStringLiteral("Projects"));
    }
    const QColor band = image.pixelColor(2, 2);
    EXPECT_NEAR(band.alphaF(), 0.8, 0.01);
    EXPECT_GE(band.red(), 250);

    // The dark text pixels sit around the middle.
    QRect text;
    for (int y = 0; y < 20; ++y)
        for (int x = 0; x < 200; ++x)
            if (image.pixelColor(x, y).red() < 200)
                text |= QRect(x, y, 1, 1);
    ASSERT_FALSE(text.isEmpty());
    EXPECT_NEAR(text.center().x(), 100, 3);
    EXPECT_NEAR(text.center().y(), 10, 3);

    const QString cut = KNVTTableViewGroupRowView::displayedText(QStringLiteral("A rather long section name"), 60);
    EXPECT_TRUE(cut.endsWith(QChar(0x2026))) << cut.toStdString();
    EXPECT_EQ(KNVTTableViewGroupRowView::displayedText(QStringLiteral("Focus"), 200), QStringLiteral("Focus"));
}

TEST(KNVTTableViewGroupRowView, DelegatePaintsTheDisplayTextAtHeaderHeight)
{
    QStandardItemModel model;
    model.appendRow(new QStandardItem(QStringLiteral("Areas")));
    QListView list;
    KNVTTableViewGroupRowView *delegate = KNVTTableViewGroupRowView::tableViewGroupRowView(&list);
    list.setItemDelegate(delegate);
    list.setModel(&model);
    list.resize(200, 60);
    EXPECT_EQ(list.sizeHintForRow(0), KNVTTableViewGroupRowView::rowHeight);
}

} // namespace
