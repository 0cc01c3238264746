// The item lists as a screen reader reads them: the list's name and empty text, each painted row's text, description,
// box state and buttons, the numbering Qt's own events use, and the keys that pass over section headers.

#include "OutlineListTest.h"

#include "lists/ItemViewAccessible.h"
#include "lists/KNVTFocusTaskListItemsTableViewController.h"
#include "lists/KNVTSearchItemsOutlineViewController.h"
#include "lists/KNVTTaskListsOutlineViewController.h"
#include "lists/KNVTTaskStoreItemsTableView.h"

#include "model/KNVTCDTaskList.h"

#include "support/WaitUntil.h"

#include <QAccessible>
#include <QAccessibleActionInterface>
#include <QTest>

#include <algorithm>

namespace {

class ItemViewAccessibilityTest : public OutlineListTest
{
protected:
    std::unique_ptr<KNVTFocusTaskListItemsTableViewController> focusList(unsigned int focusType)
    {
        auto list = std::make_unique<KNVTFocusTaskListItemsTableViewController>(&m_host);
        list->view()->resize(400, 900);
        list->setFocusTaskList(focusType);
        list->view()->show();
        settle();
        return list;
    }

    static QAccessibleInterface *listOf(KNVTTaskStoreItemsViewController &list)
    {
        return QAccessible::queryAccessibleInterface(list.focusView());
    }

    // The element of the row showing `title`, or nullptr.
    static QAccessibleInterface *rowNamed(QAccessibleInterface *list, const QString &title)
    {
        for (int i = 0; i < list->childCount(); ++i) {
            QAccessibleInterface *row = list->child(i);
            if (row
                && (row->text(QAccessible::Name) == title
                    || row->text(QAccessible::Name).startsWith(title + QStringLiteral(", "))))
                return row;
        }
        return nullptr;
    }

    static QStringList names(QAccessibleInterface *list)
    {
        QStringList out;
        for (int i = 1; i < list->childCount(); ++i)
            out << list->child(i)->text(QAccessible::Name);
        return out;
    }

    static QString box(QAccessibleInterface *row)
    {
        const QAccessible::State state = row->state();
        if (!state.checkable)
            return QStringLiteral("none");
        return state.checkStateMixed ? QStringLiteral("mixed")
                                     : (state.checked ? QStringLiteral("checked") : QStringLiteral("unchecked"));
    }
};

} // namespace

TEST_F(ItemViewAccessibilityTest, ATaskListIsNamedAfterWhatItShowsAndItsRowsReadTheirTextAndBoxes)
{
    auto &b = build();
    b.task(QStringLiteral("Pay rent"), {.due = now().addDays(-1), .notes = QStringLiteral("Before Friday")});
    KNVTCDTask *called = b.task(QStringLiteral("Call Ann"));
    called->markAsCompleted();
    KNVTCDTask *skipped = b.task(QStringLiteral("Skip the party"));
    skipped->markAsCancelled();
    save();
    auto list = focusList(KNVTFocusTypeInbox);
    QAccessibleInterface *view = listOf(*list);
    ASSERT_NE(view, nullptr);
    EXPECT_EQ(view->role(), QAccessible::List);
    EXPECT_EQ(view->text(QAccessible::Name), QStringLiteral("Inbox"));
    EXPECT_TRUE(view->state().extSelectable);
    EXPECT_EQ(names(view),
              (QStringList{"Incomplete", "Pay rent, due Mar 3, overdue", "Completed", "Call Ann, completed",
                           "Skip the party, cancelled"}));

    QAccessibleInterface *rent = rowNamed(view, QStringLiteral("Pay rent"));
    ASSERT_NE(rent, nullptr);
    EXPECT_EQ(rent->role(), QAccessible::ListItem);
    EXPECT_EQ(rent->text(QAccessible::Description), QStringLiteral("Before Friday"));
    EXPECT_EQ(box(rent), QStringLiteral("unchecked"));
    EXPECT_EQ(box(rowNamed(view, QStringLiteral("Call Ann"))), QStringLiteral("checked"));
    EXPECT_EQ(box(rowNamed(view, QStringLiteral("Skip the party"))), QStringLiteral("mixed"));
    QAccessibleInterface *header = rowNamed(view, QStringLiteral("Incomplete"));
    ASSERT_NE(header, nullptr);
    EXPECT_EQ(box(header), QStringLiteral("none"));
    EXPECT_FALSE(header->state().selectable);
    EXPECT_TRUE(header->actionInterface()->actionNames().isEmpty());
}

TEST_F(ItemViewAccessibilityTest, TodaysTintAndTheNotesAreTheRowsDescription)
{
    auto &b = build();
    b.task(QStringLiteral("Water the ferns"), {.start = now().addSecs(-3600), .notes = QStringLiteral("Twice")});
    save();
    auto list = focusList(KNVTFocusTypeInbox);
    QAccessibleInterface *row = rowNamed(listOf(*list), QStringLiteral("Water the ferns"));
    ASSERT_NE(row, nullptr);
    EXPECT_EQ(row->text(QAccessible::Description), QStringLiteral("Today. Twice"));
}

TEST_F(ItemViewAccessibilityTest, TheBoxIsTheRowsToggleActionAndItCompletesTheTask)
{
    auto &b = build();
    KNVTCDTask *rent = b.task(QStringLiteral("Pay rent"));
    KNVTCDUser *ann = b.user(QStringLiteral("Ann"));
    KNVTCDTaskList *theirs = b.project(QStringLiteral("Theirs"), {.owner = ann, .myRole = knvt::test::NoRole});
    b.task(QStringLiteral("Not mine"), {.list = theirs, .assignee = ann});
    save();
    auto list = focusList(KNVTFocusTypeInbox);
    QAccessibleInterface *view = listOf(*list);
    QAccessibleInterface *row = rowNamed(view, QStringLiteral("Pay rent"));
    ASSERT_NE(row, nullptr);
    ASSERT_NE(row->actionInterface(), nullptr);
    EXPECT_EQ(row->actionInterface()->actionNames(), QStringList{QAccessibleActionInterface::toggleAction()});
    row->actionInterface()->doAction(QAccessibleActionInterface::toggleAction());
    settle();
    EXPECT_TRUE(rent->isCompleted());
    QAccessibleInterface *after = rowNamed(view, QStringLiteral("Pay rent"));
    ASSERT_NE(after, nullptr);
    EXPECT_EQ(box(after), QStringLiteral("checked"));
}

TEST_F(ItemViewAccessibilityTest, AClosedProjectOffersItsArchiveButtonAsAnActionThatArchivesIt)
{
    auto &b = build();
    b.project(QStringLiteral("Garden"));
    KNVTCDTaskList *shelf = b.project(QStringLiteral("Shelf"));
    shelf->markAsCompleted();
    save();
    auto list = make<KNVTTaskListsOutlineViewController>();
    list->view()->show();
    settle();
    QAccessibleInterface *view = listOf(*list);
    EXPECT_EQ(view->text(QAccessible::Name), QStringLiteral("Projects and Areas"));
    QAccessibleInterface *open = rowNamed(view, QStringLiteral("Garden"));
    ASSERT_NE(open, nullptr);
    EXPECT_EQ(open->actionInterface()->actionNames(), QStringList{QAccessibleActionInterface::toggleAction()});
    QAccessibleInterface *closed = rowNamed(view, QStringLiteral("Shelf"));
    ASSERT_NE(closed, nullptr);
    EXPECT_EQ(box(closed), QStringLiteral("checked"));
    EXPECT_EQ(closed->actionInterface()->actionNames(),
              (QStringList{QAccessibleActionInterface::toggleAction(), QStringLiteral("Archive")}));
    closed->actionInterface()->doAction(QStringLiteral("Archive"));
    settle();
    EXPECT_TRUE(shelf->isArchived());
    EXPECT_EQ(rowNamed(view, QStringLiteral("Shelf")), nullptr) << "an archived project leaves the list";
}

TEST_F(ItemViewAccessibilityTest, AnEmptyListIsDescribedByItsEmptyText)
{
    auto list = focusList(KNVTFocusTypeToday);
    QAccessibleInterface *view = listOf(*list);
    EXPECT_EQ(view->text(QAccessible::Name), QStringLiteral("Today"));
    EXPECT_EQ(view->text(QAccessible::Description), QStringLiteral("No Tasks"));
    EXPECT_EQ(view->childCount(), 1) << "only the hidden header";
    build().task(QStringLiteral("Pay rent"), {.start = now().addSecs(-3600)});
    save();
    settle();
    EXPECT_EQ(view->text(QAccessible::Description), QString());
    EXPECT_EQ(names(view).size(), 2);

    auto results = make<KNVTSearchItemsOutlineViewController>();
    results->setSearchString(QStringLiteral("qqq"));
    results->view()->show();
    settle();
    QAccessibleInterface *found = listOf(*results);
    EXPECT_EQ(found->text(QAccessible::Name), QStringLiteral("Search Results"));
    EXPECT_EQ(found->text(QAccessible::Description), QStringLiteral("No Results"));
}

TEST_F(ItemViewAccessibilityTest, RowsAreNumberedAsTheViewsOwnEventsNumberThemAndKeepTheirElements)
{
    auto &b = build();
    b.task(QStringLiteral("Post the letters"), {.notes = QStringLiteral("stamps")});
    KNVTCDTask *pickUp =
        b.task(QStringLiteral("Pick up the suit"), {.start = now().addDays(2), .notes = QStringLiteral("stamps")});
    save();
    auto list = make<KNVTSearchItemsOutlineViewController>();
    list->setSearchString(QStringLiteral("stamps"));
    list->view()->show();
    settle();
    QAccessibleInterface *view = listOf(*list);
    // Qt's tree views count the (hidden) column header first, then the shown rows top to bottom.
    EXPECT_EQ(view->child(0)->role(), QAccessible::ColumnHeader);
    EXPECT_TRUE(view->child(0)->state().invisible);
    EXPECT_EQ(names(view),
              (QStringList{"Incomplete", "Post the letters", "Scheduled", "Pick up the suit, starts Fri"}));
    for (int i = 0; i < view->childCount(); ++i)
        EXPECT_EQ(view->indexOfChild(view->child(i)), i);

    QAccessibleInterface *suit = view->child(4);
    b.task(QStringLiteral("Buy stamps"));
    save();
    settle();
    ASSERT_EQ(names(view).size(), 5);
    const int moved = view->indexOfChild(suit);
    EXPECT_EQ(moved, 5) << "the row's element stays the row's, one further down";
    EXPECT_EQ(view->child(moved), suit);
    EXPECT_EQ(suit->text(QAccessible::Name), QStringLiteral("Pick up the suit, starts Fri"));

    QWidget *outline = list->focusView();
    outline->activateWindow();
    outline->setFocus();
    list->selectRows({*list->cellIndexForObjectValue(pickUp->uri())});
    settle();
    ASSERT_TRUE(outline->hasFocus());
    EXPECT_EQ(view->focusChild(), suit);
    EXPECT_TRUE(suit->state().focused);
    EXPECT_TRUE(suit->state().selected);
}

// A reader of a list of thousands of rows that the list makes unfilled reads the rows it asks for, numbered as the view
// shows them in every section, and the list fills those rows alone: counting, numbering and finding rows reads none.
TEST_F(ItemViewAccessibilityTest, AReaderOfAListOfThousandsOfRowsFillsOnlyTheRowsItReads)
{
    auto &b = build();
    for (int i = 0; i < 3000; ++i) {
        KNVTCDTask *task = b.task(QStringLiteral("Match %1").arg(i), {.orderIndex = i});
        if (i % 300 == 0)
            task->markAsCompleted();
    }
    save();
    auto list = make<KNVTSearchItemsOutlineViewController>();
    list->view()->resize(400, 200);
    list->view()->show();
    list->setSearchString(QStringLiteral("match"));
    ASSERT_TRUE(knvt::test::waitUntil([&list] { return !list->isSearching(); }));
    settle();
    const auto filled = [&list] {
        int rows = 0;
        for (const knvt::ListSection &section : list->outlineModel()->sections())
            rows += int(std::count_if(section.rows.begin(), section.rows.end(),
                                      [](const knvt::ItemRow &row) { return !row.unfilled; }));
        return rows;
    };
    const int painted = filled();
    QAccessibleInterface *view = listOf(*list);
    // The hidden header, "Incomplete" and its 2,990 tasks, "Completed" and its 10.
    ASSERT_EQ(view->childCount(), 3003);
    const struct
    {
        int child;
        QString name;
    } rows[] = {{1500, QStringLiteral("Match 1504")},
                {2000, QStringLiteral("Match 2005")},
                {2992, QStringLiteral("Completed")}};
    for (const auto &row : rows) {
        QAccessibleInterface *element = view->child(row.child);
        ASSERT_NE(element, nullptr) << row.child;
        EXPECT_TRUE(element->text(QAccessible::Name).startsWith(row.name))
            << element->text(QAccessible::Name).toStdString();
        EXPECT_EQ(view->indexOfChild(element), row.child);
    }
    QAccessibleInterface *lastRow = view->child(3002);
    ASSERT_NE(lastRow, nullptr);
    EXPECT_TRUE(lastRow->text(QAccessible::Name).startsWith(QStringLiteral("Match ")));
    EXPECT_EQ(view->child(3003), nullptr);
    EXPECT_EQ(filled(), painted + 3) << "the rows read below those painted, and no other";
}

TEST_F(ItemViewAccessibilityTest, ArrowKeysPassOverSectionHeadersAndHomeAndEndGoToTheFirstAndLastItem)
{
    auto &b = build();
    b.task(QStringLiteral("a open"));
    b.task(QStringLiteral("b open"));
    b.task(QStringLiteral("later"), {.start = now().addDays(2)});
    b.task(QStringLiteral("done"))->markAsCompleted();
    save();
    auto list = focusList(KNVTFocusTypeInbox);
    ASSERT_EQ(rowsOf(*list),
              (QStringList{"# Incomplete", "[ ] a open", "[ ] b open", "# Scheduled", "[ ] later", "# Completed",
                           "[x] done"}));
    QWidget *view = list->focusView();
    view->activateWindow();
    view->setFocus();
    auto current = [&list]() { return titles(list->selectedTasks()).join(QStringLiteral(",")); };
    ASSERT_EQ(current(), QString()) << "taking the keyboard selects nothing";
    QTest::keyClick(view, Qt::Key_Down);
    EXPECT_EQ(current(), QStringLiteral("a open")) << "the first arrow selects the row the keyboard is on";
    QTest::keyClick(view, Qt::Key_End);
    EXPECT_EQ(current(), QStringLiteral("done"));
    QTest::keyClick(view, Qt::Key_Up);
    EXPECT_EQ(current(), QStringLiteral("later")) << "over the Completed header";
    QTest::keyClick(view, Qt::Key_Up);
    EXPECT_EQ(current(), QStringLiteral("b open")) << "over the Scheduled header";
    QTest::keyClick(view, Qt::Key_Home);
    EXPECT_EQ(current(), QStringLiteral("a open")) << "the first item, not the header above it";
    QTest::keyClick(view, Qt::Key_Up);
    EXPECT_EQ(current(), QStringLiteral("a open")) << "nothing above the first item";
    QTest::keyClick(view, Qt::Key_Down);
    QTest::keyClick(view, Qt::Key_Down);
    EXPECT_EQ(current(), QStringLiteral("later"));
}

TEST_F(ItemViewAccessibilityTest, TheOnlyRowOfAListIsChosenWithTheKeysTheListTookTheKeyboardWith)
{
    build().task(QStringLiteral("Pay rent"));
    save();
    for (Qt::Key key : {Qt::Key_Down, Qt::Key_Up, Qt::Key_Home, Qt::Key_End}) {
        auto list = focusList(KNVTFocusTypeInbox);
        QWidget *view = list->focusView();
        view->activateWindow();
        view->setFocus(Qt::TabFocusReason);
        ASSERT_TRUE(list->selectedTasks().empty());
        QTest::keyClick(view, key);
        EXPECT_EQ(titles(list->selectedTasks()), QStringList{"Pay rent"}) << QKeySequence(key).toString().toStdString();
    }
}
