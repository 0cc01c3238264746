// The rows of both item models follow a new set of sections in place, by moves row by row and, past 64 moves, by one
// layout change: whatever the old and the new rows are, the model ends up showing exactly the new ones, its views
// hear only well-formed row operations (QAbstractItemModelTester), and every row the view kept an index of
// (selected, current, expanded) is still found at that index afterwards.

#include "lists/ItemViews.h"
#include "lists/ItemsOutlineModel.h"
#include "lists/ItemsTableModel.h"

#include "support/CheckedModel.h"

#include <QListView>
#include <QRandomGenerator>
#include <QScrollBar>
#include <QStringListModel>
#include <QTreeView>

#include <gtest/gtest.h>

#include <algorithm>
#include <memory>
#include <type_traits>

namespace {

using knvt::ItemRow;
using knvt::ListSection;

ItemRow taskRow(int id, const QString &title)
{
    ItemRow row;
    row.kind = knvt::ItemRowKind::Task;
    row.objectID = ostore::ObjectID{1, id};
    row.uri = QUrl(QStringLiteral("x-test://store/KNVTCDTask/p%1").arg(id));
    row.title = title;
    return row;
}

ListSection section(const QString &identifier, std::vector<ItemRow> rows, bool showsHeader = true)
{
    return ListSection{KNVTOutlineViewSection::create(identifier, identifier + QStringLiteral(" header")),
                       std::move(rows), showsHeader};
}

// Sections A..F, each present or not, holding rows of ids 1..n in a random order with random titles: the same id
// may move between sections from one set to the next, and titles change.
std::vector<ListSection> randomSections(QRandomGenerator &random, int objects)
{
    const QStringList identifiers{"A", "B", "C", "D", "E", "F"};
    QStringList shown;
    for (const QString &identifier : identifiers)
        if (random.bounded(3) != 0)
            shown << identifier;
    // Sections come in any order.
    for (int i = int(shown.size()) - 1; i > 0; --i)
        shown.swapItemsAt(i, int(random.bounded(i + 1)));
    std::vector<ListSection> sections;
    for (const QString &identifier : shown)
        sections.push_back(section(identifier, {}, identifier != QStringLiteral("F")));
    if (sections.empty())
        return sections;
    std::vector<int> ids;
    for (int id = 1; id <= objects; ++id)
        if (random.bounded(4) != 0)
            ids.push_back(id);
    for (int i = int(ids.size()) - 1; i > 0; --i)
        std::swap(ids[size_t(i)], ids[size_t(random.bounded(i + 1))]);
    for (int id : ids)
        sections[size_t(random.bounded(int(sections.size())))].rows.push_back(
            taskRow(id, QStringLiteral("task %1 v%2").arg(id).arg(random.bounded(2))));
    // The lists never show an empty section.
    std::erase_if(sections, [](const ListSection &s) { return s.rows.empty(); });
    return sections;
}

QStringList linesOf(const std::vector<ListSection> &sections)
{
    QStringList lines;
    for (const ListSection &s : sections) {
        lines << QStringLiteral("# %1 (%2)").arg(s.name()).arg(s.showsHeader);
        for (const ItemRow &row : s.rows)
            lines << QStringLiteral("%1 %2 %3").arg(row.objectID.zid).arg(row.title, row.uri.toString());
    }
    return lines;
}

QStringList outlineLines(const knvt::ItemsOutlineModel &model)
{
    QStringList lines;
    for (int s = 0; s < model.rowCount(); ++s) {
        const QModelIndex parent = model.index(s, 0);
        lines << QStringLiteral("# %1 (%2)").arg(parent.data().toString()).arg(model.sections()[size_t(s)].showsHeader);
        for (int r = 0; r < model.rowCount(parent); ++r) {
            const ItemRow *row = model.itemRowAt(model.index(r, 0, parent));
            lines << QStringLiteral("%1 %2 %3").arg(row->objectID.zid).arg(row->title, row->uri.toString());
        }
    }
    return lines;
}

QStringList tableLines(const knvt::ItemsTableModel &model)
{
    QStringList lines;
    for (int r = 0; r < model.rowCount(); ++r) {
        const ItemRow *row = model.rowAt(r);
        lines << (row->isHeader() ? QStringLiteral("# ") + row->title
                                  : QStringLiteral("%1 %2").arg(row->objectID.zid).arg(row->title));
    }
    return lines;
}

QStringList flatLinesOf(const std::vector<ListSection> &sections)
{
    QStringList lines;
    for (const ListSection &s : sections) {
        if (s.showsHeader)
            lines << QStringLiteral("# ") + s.name();
        for (const ItemRow &row : s.rows)
            lines << QStringLiteral("%1 %2").arg(row.objectID.zid).arg(row.title);
    }
    return lines;
}

// Indexes of every item row with the object each stood for.
template <class Model>
std::vector<std::pair<QPersistentModelIndex, qint64>> keptIndexes(Model &model, const QModelIndex &parent = {})
{
    std::vector<std::pair<QPersistentModelIndex, qint64>> kept;
    for (int r = 0; r < model.rowCount(parent); ++r) {
        const QModelIndex index = model.index(r, 0, parent);
        const auto *row = index.data(knvt::ItemRowRole).template value<const ItemRow *>();
        if (row && !row->isHeader())
            kept.emplace_back(index, row->objectID.zid);
        if (model.rowCount(index) > 0) {
            auto children = keptIndexes(model, index);
            kept.insert(kept.end(), children.begin(), children.end());
        }
    }
    return kept;
}

bool contains(const std::vector<ListSection> &sections, qint64 zid)
{
    return std::any_of(sections.begin(), sections.end(), [zid](const ListSection &s) {
        return std::any_of(s.rows.begin(), s.rows.end(), [zid](const ItemRow &row) { return row.objectID.zid == zid; });
    });
}

template <class Model>
void expectIndexesFollowTheirRows(const std::vector<std::pair<QPersistentModelIndex, qint64>> &kept,
                                  const std::vector<ListSection> &target, int round)
{
    for (const auto &[index, zid] : kept) {
        if (!contains(target, zid)) {
            EXPECT_FALSE(index.isValid()) << "round " << round << ": the index of a removed row " << zid;
            continue;
        }
        ASSERT_TRUE(index.isValid()) << "round " << round << ": the index of row " << zid << " was lost";
        const auto *row = index.data(knvt::ItemRowRole).template value<const ItemRow *>();
        ASSERT_NE(row, nullptr);
        EXPECT_EQ(row->objectID.zid, zid) << "round " << round;
    }
}

TEST(ListRowsTest, RandomChangesLeaveBothModelsShowingExactlyTheNewRowsWithEveryKeptIndexOnItsRow)
{
    QRandomGenerator random(20261207);
    knvt::ItemsOutlineModel outline;
    knvt::ItemsTableModel table;
    knvt::test::CheckedModel checkedOutline(&outline);
    knvt::test::CheckedModel checkedTable(&table);
    QTreeView tree;
    tree.setModel(&outline);
    QListView flat;
    flat.setModel(&table);
    std::vector<ListSection> target;
    for (int round = 0; round < 300; ++round) {
        // Mostly new random sections of a few dozen rows, which move row by row. Every tenth round brings 400 rows,
        // and the two rounds after it deal those same rows out anew within their sections: far more than 64 moves,
        // which one layout change arranges, twice in a row.
        if (round % 10 == 1 || round % 10 == 2) {
            for (ListSection &s : target)
                for (int i = int(s.rows.size()) - 1; i > 0; --i)
                    std::swap(s.rows[size_t(i)], s.rows[size_t(random.bounded(i + 1))]);
        } else {
            target = randomSections(random, round % 10 == 0 ? 400 : 24);
        }
        const auto outlineKept = keptIndexes(outline);
        const auto tableKept = keptIndexes(table);
        tree.expandAll();
        outline.updateSections(target);
        table.updateSections(target);
        ASSERT_EQ(outlineLines(outline), linesOf(target)) << "round " << round;
        ASSERT_EQ(tableLines(table), flatLinesOf(target)) << "round " << round;
        expectIndexesFollowTheirRows<knvt::ItemsOutlineModel>(outlineKept, target, round);
        expectIndexesFollowTheirRows<knvt::ItemsTableModel>(tableKept, target, round);
        ASSERT_EQ(checkedOutline.complaints() + checkedTable.complaints(), QStringList()) << "round " << round;
    }
    // Both models took the layout road in the dealing rounds (an empty round aside), and moved rows one by one in the
    // others.
    EXPECT_GE(checkedOutline.heard().layouts, 50);
    EXPECT_GE(checkedTable.heard().layouts, 50);
    EXPECT_GT(checkedOutline.heard().moves, 0);
    EXPECT_GT(checkedTable.heard().moves, 0);
}

TEST(ListRowsTest, ASectionThatOnlyChangesItsRowsKeepsTheViewsExpansionAndSelection)
{
    knvt::ItemsOutlineModel model;
    QTreeView view;
    view.setModel(&model);
    model.updateSections({section("A", {taskRow(1, "one"), taskRow(2, "two"), taskRow(3, "three")}),
                          section("B", {taskRow(4, "four")})});
    view.expandAll();
    view.selectionModel()->select(model.index(1, 0, model.index(0, 0)), QItemSelectionModel::Select);
    view.selectionModel()->setCurrentIndex(model.index(2, 0, model.index(0, 0)), QItemSelectionModel::NoUpdate);

    // "two" moves to B and changes its title, "three" moves up; a section C appears before A.
    model.updateSections({section("C", {taskRow(5, "five")}), section("A", {taskRow(3, "three"), taskRow(1, "one")}),
                          section("B", {taskRow(4, "four"), taskRow(2, "two!")})});

    const QModelIndexList selected = view.selectionModel()->selectedIndexes();
    ASSERT_EQ(selected.size(), 1);
    EXPECT_EQ(selected.front().data().toString(), QStringLiteral("two!"));
    EXPECT_EQ(view.selectionModel()->currentIndex().data().toString(), QStringLiteral("three"));
    EXPECT_TRUE(view.isExpanded(model.indexForSection(1))) << "A stays open";
    EXPECT_TRUE(view.isExpanded(model.indexForSection(2))) << "B stays open";
    EXPECT_FALSE(view.isExpanded(model.indexForSection(0))) << "a new section opens only when its list opens it";
}

TEST(ListRowsTest, OneMovedRowIsOneMoveAndAChangedTitleOneDataChange)
{
    knvt::ItemsTableModel model;
    std::vector<ItemRow> rows;
    for (int id = 1; id <= 100; ++id)
        rows.push_back(taskRow(id, QStringLiteral("task %1").arg(id)));
    model.updateSections({section("A", rows)});
    int moves = 0, inserts = 0, removes = 0, changes = 0, resets = 0, layouts = 0;
    QObject::connect(&model, &QAbstractItemModel::rowsMoved, &model, [&] { ++moves; });
    QObject::connect(&model, &QAbstractItemModel::rowsInserted, &model, [&] { ++inserts; });
    QObject::connect(&model, &QAbstractItemModel::rowsRemoved, &model, [&] { ++removes; });
    QObject::connect(&model, &QAbstractItemModel::dataChanged, &model, [&] { ++changes; });
    QObject::connect(&model, &QAbstractItemModel::modelReset, &model, [&] { ++resets; });
    QObject::connect(&model, &QAbstractItemModel::layoutChanged, &model, [&] { ++layouts; });

    ItemRow moved = rows[10];
    moved.title = QStringLiteral("renamed");
    rows.erase(rows.begin() + 10);
    rows.insert(rows.begin() + 80, moved);
    model.updateSections({section("A", rows)});

    EXPECT_EQ(moves, 1);
    EXPECT_EQ(changes, 1);
    EXPECT_EQ(inserts + removes + resets + layouts, 0);
    EXPECT_EQ(model.rowAt(81)->title, QStringLiteral("renamed")) << "the header, then 80 rows before it";
}

// A sync that changes thousands of rows must not tell the views of them one by one (a tree view walks its rows to
// place each one): neighbouring changed rows of a section reach the views as one data change, and no unchanged row
// is among them, whatever else the same update moves or re-heads.
template <class Model>
void expectChangedRowsToldInRuns(const char *modelName)
{
    struct Case
    {
        const char *name;
        std::vector<int> changedInA; // ids of A's rows 1..10 that get a new title
        std::vector<int> changedInB; // ids of B's rows 11..15
        bool hideHeaderOfB;
        std::vector<std::pair<int, int>> runs; // (section, first..last as "first*100+last")
    };
    const Case cases[] = {
        {"one row", {4}, {}, false, {{0, 303}}},
        {"a run and a lone row", {2, 3, 4, 7}, {}, false, {{0, 103}, {0, 606}}},
        {"runs in two sections", {9, 10}, {11, 12}, false, {{0, 809}, {1, 1}}},
        {"B loses its header between the runs", {1, 2, 3, 4, 5, 6, 7, 8, 9, 10}, {15}, true, {{0, 9}, {1, 404}}},
    };
    for (const Case &c : cases) {
        Model model;
        std::vector<ItemRow> a, b;
        for (int id = 1; id <= 10; ++id)
            a.push_back(taskRow(id, QStringLiteral("task %1").arg(id)));
        for (int id = 11; id <= 15; ++id)
            b.push_back(taskRow(id, QStringLiteral("task %1").arg(id)));
        model.updateSections({section("A", a), section("B", b)});
        for (int id : c.changedInA)
            a[size_t(id - 1)].title += QStringLiteral("!");
        for (int id : c.changedInB)
            b[size_t(id - 11)].title += QStringLiteral("!");
        std::vector<std::pair<int, int>> told;
        QObject::connect(&model, &QAbstractItemModel::dataChanged, &model,
                         [&model, &told](const QModelIndex &top, const QModelIndex &bottom) {
                             EXPECT_EQ(top.parent(), bottom.parent());
                             // The outline's sections are its top rows: a new header is no row's change.
                             if (std::is_same_v<Model, knvt::ItemsOutlineModel> && !top.parent().isValid())
                                 return;
                             int sectionOf = top.parent().isValid() ? top.parent().row() : 0;
                             int first = top.row(), last = bottom.row();
                             if (!top.parent().isValid()) {
                                 // The table's rows are flat: A's header, its ten rows, then B's header when shown.
                                 const int startOfB = model.rowCount() == 17 ? 12 : 11;
                                 sectionOf = first > 10 ? 1 : 0;
                                 first -= sectionOf == 0 ? 1 : startOfB;
                                 last -= sectionOf == 0 ? 1 : startOfB;
                             }
                             told.emplace_back(sectionOf, first * 100 + last);
                         });
        model.updateSections({section("A", a), section("B", b, !c.hideHeaderOfB)});
        EXPECT_EQ(told, c.runs) << modelName << ": " << c.name;
    }
}

TEST(ListRowsTest, NeighbouringChangedRowsReachTheViewsAsOneDataChange)
{
    expectChangedRowsToldInRuns<knvt::ItemsTableModel>("table");
    expectChangedRowsToldInRuns<knvt::ItemsOutlineModel>("outline");
}

// A view places each changed row it is told of by walking the rows above it: of a change of many rows it is told only
// those on screen, at any scroll position, and nothing when none of them is.
TEST(ListRowsTest, AViewIsToldOnlyOfTheChangedRowsOnScreen)
{
    QStringList titles;
    for (int i = 0; i < 300; ++i)
        titles << QStringLiteral("task %1").arg(i);
    QStringListModel model(titles);
    QTreeView view;
    knvt::setUpItemView(&view);
    view.setModel(&model);
    view.resize(240, 200);
    view.show();
    const int height = view.visualRect(model.index(0, 0)).height();
    ASSERT_GT(height, 0);
    struct Case
    {
        const char *name;
        int scrolledBy; // pixels
        int first, last;
    };
    const Case cases[] = {
        {"at the top, a change of every row", 0, 0, 299},
        {"half a row down, a change from the middle of the screen on", height * 5 / 2, 4, 299},
        {"far down, a change above the screen", height * 200, 0, 150},
        {"far down, a change that ends on screen", height * 200, 100, 203},
        {"far down, a change below the screen", height * 200, 250, 299},
    };
    for (const Case &c : cases) {
        view.verticalScrollBar()->setValue(c.scrolledBy);
        int shownFirst = -1, shownLast = -1;
        for (int r = c.first; r <= c.last; ++r)
            if (view.visualRect(model.index(r, 0)).intersects(view.viewport()->rect())) {
                shownFirst = shownFirst < 0 ? r : shownFirst;
                shownLast = r;
            }
        std::vector<std::pair<int, int>> told;
        knvt::tellChangedRowsOnScreen(
            &view, model.index(c.first, 0), model.index(c.last, 0),
            [&told](const QModelIndex &first, const QModelIndex &last) { told.emplace_back(first.row(), last.row()); });
        const std::vector<std::pair<int, int>> expected =
            shownFirst < 0 ? std::vector<std::pair<int, int>>{} : std::vector{std::pair{shownFirst, shownLast}};
        EXPECT_EQ(told, expected) << c.name;
    }
}

} // namespace
