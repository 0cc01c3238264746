// The empty-state label and the small widget additions the lists and rows use.
#include "uikit/MenuAdditions.h"
#include "uikit/OutlineViewAdditions.h"
#include "uikit/TableViewAdditions.h"
#include "uikit/TextFieldAdditions.h"
#include "uikit/ViewAdditions.h"

#include <QAccessible>
#include <QApplication>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QPointer>
#include <QStandardItemModel>
#include <QTest>
#include <QTreeView>

#include <gtest/gtest.h>

#include "support/WaitUntil.h"

namespace {

class EmptyStateLabelTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        view.setModel(&model);
        view.setProperty("rowHeight", 20);
        view.resize(400, 300);
        view.show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(&view));
    }

    QRect expectedFrame(const QLabel *label)
    {
        const QRectF frame = knvt::emptyStateLabelFrame(view.viewport()->width(), 20, label->sizeHint());
        return QRect(qRound(frame.x()), qRound(frame.y()), label->sizeHint().width(), label->sizeHint().height());
    }

    QStandardItemModel model;
    QTreeView view;
};

TEST_F(EmptyStateLabelTest, AnEmptyTextBeforeAnyOtherMakesNoLabel)
{
    knvt::setLabelText(&view, QString());
    knvt::setLabelText(&view, QStringLiteral(""));
    EXPECT_EQ(knvt::label(&view), nullptr);
    EXPECT_TRUE(knvt::labelText(&view).isNull());
    EXPECT_FALSE(knvt::isLabelVisible(&view));
}

TEST_F(EmptyStateLabelTest, ATextShowsALargeGreyLabelInTheThirdRow)
{
    knvt::setLabelText(&view, QStringLiteral("No Tasks"));
    QLabel *label = view.findChild<QLabel *>(QStringLiteral("emptyListLabel"));
    ASSERT_NE(label, nullptr);
    EXPECT_EQ(label, knvt::label(&view));
    EXPECT_EQ(knvt::labelText(&view), QStringLiteral("No Tasks"));
    EXPECT_TRUE(knvt::isLabelVisible(&view));
    EXPECT_TRUE(label->isVisible());
    EXPECT_EQ(label->font().pixelSize(), 22);
    EXPECT_EQ(label->geometry(), expectedFrame(label));
    // Centred in the band of the third row, whatever the height of the font's lines.
    EXPECT_GT(label->geometry().center().y(), 40);
    EXPECT_LT(label->geometry().center().y(), 60);

    // Grey text, not black: the darkest pixel of the drawn label is a middle grey.
    const QImage drawn = view.viewport()->grab(label->geometry()).toImage();
    int darkest = 255;
    for (int y = 0; y < drawn.height(); ++y) {
        for (int x = 0; x < drawn.width(); ++x)
            darkest = qMin(darkest, qGray(drawn.pixel(x, y)));
    }
    EXPECT_GT(darkest, 90);
    EXPECT_LT(darkest, 170);
}

TEST_F(EmptyStateLabelTest, AnEmptyTextHidesTheLabelAndANewTextCentresItAgain)
{
    knvt::setLabelText(&view, QStringLiteral("No Tasks"));
    QLabel *label = knvt::label(&view);
    const int shortWidth = label->width();

    knvt::setLabelText(&view, QString());
    EXPECT_EQ(knvt::label(&view), label) << "the label is kept";
    EXPECT_FALSE(knvt::isLabelVisible(&view));
    EXPECT_EQ(knvt::labelText(&view), QStringLiteral(""));
    EXPECT_FALSE(knvt::labelText(&view).isNull());

    knvt::setLabelText(&view, QStringLiteral("No Tasks In This Project"));
    EXPECT_TRUE(knvt::isLabelVisible(&view));
    EXPECT_GT(label->width(), shortWidth);
    EXPECT_EQ(label->geometry(), expectedFrame(label));
}

TEST_F(EmptyStateLabelTest, TheLabelStaysCentredWhenTheViewIsResized)
{
    knvt::setLabelText(&view, QStringLiteral("No Tasks"));
    QLabel *label = knvt::label(&view);
    view.resize(600, 300);
    knvt::test::waitUntil([&] { return label->geometry() == expectedFrame(label); });
    EXPECT_EQ(label->geometry(), expectedFrame(label));
    EXPECT_NEAR(label->geometry().center().x(), view.viewport()->width() / 2, 1);
}

TEST_F(EmptyStateLabelTest, WithoutARowHeightTheFirstRowDecides)
{
    view.setProperty("rowHeight", QVariant());
    model.appendRow(new QStandardItem(QStringLiteral("Task")));
    EXPECT_EQ(knvt::tableRowHeight(&view), view.sizeHintForRow(0));
    model.clear();
    EXPECT_EQ(knvt::tableRowHeight(&view), view.fontMetrics().height());
}

TEST_F(EmptyStateLabelTest, ReplacingTheLabelDeletesTheOldOne)
{
    QPointer<QLabel> first = knvt::makeLabel(&view);
    auto *second = new QLabel;
    knvt::setLabel(&view, second);
    EXPECT_TRUE(first.isNull());
    EXPECT_EQ(knvt::label(&view), second);
    knvt::setLabel(&view, nullptr);
    EXPECT_EQ(knvt::label(&view), nullptr);
}

class OutlineItemsTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        // Row order when all is expanded: Focus, Inbox, Today, Projects, Garden.
        auto *focus = new QStandardItem(QStringLiteral("Focus"));
        focus->appendRow(new QStandardItem(QStringLiteral("Inbox")));
        focus->appendRow(new QStandardItem(QStringLiteral("Today")));
        auto *projects = new QStandardItem(QStringLiteral("Projects"));
        projects->appendRow(new QStandardItem(QStringLiteral("Garden")));
        model.appendRow(focus);
        model.appendRow(projects);
        view.setModel(&model);
        view.expandAll();
    }

    QStringList names(const QModelIndexList &indexes)
    {
        QStringList result;
        for (const QModelIndex &index : indexes)
            result << index.data().toString();
        return result;
    }

    QStandardItemModel model;
    QTreeView view;
};

TEST_F(OutlineItemsTest, GivesTheItemsOfTheRowsInAscendingOrder)
{
    EXPECT_EQ(names(knvt::itemsAtRowIndexes(&view, {4, 0, 2})), QStringList({"Focus", "Today", "Garden"}));
    EXPECT_EQ(knvt::itemAtRow(&view, 3).data().toString(), QStringLiteral("Projects"));
    EXPECT_TRUE(knvt::itemsAtRowIndexes(&view, {}).isEmpty());
}

TEST_F(OutlineItemsTest, SkipsRowsBeyondTheLastAndCountsOnlyVisibleRows)
{
    EXPECT_EQ(names(knvt::itemsAtRowIndexes(&view, {1, 5, 99})), QStringList({"Inbox"}));
    view.collapse(model.index(0, 0));
    EXPECT_EQ(names(knvt::itemsAtRowIndexes(&view, {0, 1, 2, 3})), QStringList({"Focus", "Projects", "Garden"}));
    EXPECT_FALSE(knvt::itemAtRow(&view, 3).isValid());
}

TEST(MenuAdditions, ASeparatorIsAddedOnlyBetweenItems)
{
    QMenu menu;
    knvt::addSeperatorItem(&menu);
    EXPECT_TRUE(menu.actions().isEmpty());
    EXPECT_FALSE(knvt::isLastItemSeperator(&menu));

    menu.addAction(QStringLiteral("Edit"));
    EXPECT_FALSE(knvt::isLastItemSeperator(&menu));
    knvt::addSeperatorItem(&menu);
    knvt::addSeperatorItem(&menu);
    ASSERT_EQ(menu.actions().size(), 2);
    EXPECT_TRUE(knvt::isLastItemSeperator(&menu));
    EXPECT_FALSE(menu.separatorsCollapsible());
}

TEST(ViewAdditions, SubviewsAreStackedWhereAsked)
{
    QWidget parent;
    auto *a = new QWidget(&parent);
    auto *b = new QWidget(&parent);
    auto *c = new QWidget(&parent);
    auto order = [&] {
        QList<QWidget *> widgets;
        for (QObject *child : parent.children())
            widgets << qobject_cast<QWidget *>(child);
        return widgets;
    };

    auto *inserted = new QWidget;
    knvt::insertSubview(&parent, inserted, 1);
    EXPECT_EQ(order(), QList<QWidget *>({a, inserted, b, c}));
    knvt::insertSubview(&parent, inserted, 0);
    EXPECT_EQ(order(), QList<QWidget *>({inserted, a, b, c}));
    knvt::insertSubview(&parent, inserted, 3);
    EXPECT_EQ(order(), QList<QWidget *>({a, b, c, inserted}));
    knvt::insertSubview(&parent, inserted, 2);
    EXPECT_EQ(order(), QList<QWidget *>({a, b, inserted, c}));

    knvt::bringSubviewToFront(&parent, a);
    EXPECT_EQ(order().last(), a);
    knvt::sendSubviewToBack(&parent, c);
    EXPECT_EQ(order().first(), c);
}

TEST(ViewAdditions, RemovingSubviewsDetachesAndDeletesThem)
{
    QWidget parent;
    QPointer<QWidget> child = new QWidget(&parent);
    knvt::removeSubviews(&parent);
    EXPECT_TRUE(parent.findChildren<QWidget *>().isEmpty());
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    EXPECT_TRUE(child.isNull());
}

TEST(TextFieldAdditions, EditableTurnsAFieldIntoALabelAndBack)
{
    QLineEdit field;
    knvt::setEditable(&field, false);
    EXPECT_TRUE(field.isReadOnly());
    EXPECT_FALSE(field.hasFrame());
    EXPECT_EQ(field.palette().color(QPalette::Base).alpha(), 0);
    knvt::setEditable(&field, true);
    EXPECT_FALSE(field.isReadOnly());
    EXPECT_TRUE(field.hasFrame());
    EXPECT_EQ(field.palette().color(QPalette::Base), QApplication::palette(&field).color(QPalette::Base));
}

TEST_F(EmptyStateLabelTest, TheShownTextIsTheListsDescriptionForAScreenReader)
{
    QAccessibleInterface *list = QAccessible::queryAccessibleInterface(&view);
    ASSERT_NE(list, nullptr);
    knvt::setLabelText(&view, QStringLiteral("No Tasks"));
    EXPECT_EQ(list->text(QAccessible::Description), QStringLiteral("No Tasks"));
    knvt::setLabelText(&view, QStringLiteral("No Results"));
    EXPECT_EQ(list->text(QAccessible::Description), QStringLiteral("No Results"));
    knvt::setLabelVisible(&view, false);
    EXPECT_TRUE(list->text(QAccessible::Description).isEmpty()) << "a list with rows is not described as empty";
    knvt::setLabelVisible(&view, true);
    EXPECT_EQ(list->text(QAccessible::Description), QStringLiteral("No Results"));
    knvt::setLabelText(&view, QString());
    EXPECT_TRUE(list->text(QAccessible::Description).isEmpty());

    view.setAccessibleDescription(QStringLiteral("Tasks due today"));
    knvt::setLabelText(&view, QStringLiteral("No Tasks"));
    knvt::setLabelText(&view, QString());
    EXPECT_EQ(list->text(QAccessible::Description), QStringLiteral("Tasks due today")) << "the list's own stays";
}

} // namespace
