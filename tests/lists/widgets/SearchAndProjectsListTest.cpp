// The list of search results and the list of projects and areas: where they differ from the list of tagged tasks.

#include "OutlineListTest.h"

#include "lists/KNVTSearchItemsOutlineViewController.h"
#include "lists/KNVTTagsItemsOutlineViewController.h"
#include "lists/KNVTTaskListsOutlineViewController.h"
#include "lists/KNVTTaskTableCellView.h"

#include "model/KNVTCDTask.h"

#include "support/WaitUntil.h"

#include "foundation/Defaults.h"
#include "foundation/NotificationCenter.h"
#include "uikit/KNVTPreferenceKeys.h"
#include "uikit/TableViewAdditions.h"

namespace {

class SearchAndProjectsListTest : public OutlineListTest
{
protected:
    std::unique_ptr<KNVTSearchItemsOutlineViewController> search(const QString &text)
    {
        auto list = make<KNVTSearchItemsOutlineViewController>();
        list->setSearchString(text);
        settle();
        return list;
    }

    static void setPreviewLines(int lines)
    {
        knvt::Defaults::standard().setValue(QString::fromLatin1(KNVTTaskNotesNumberOfPreviewLines), lines);
        knvt::NotificationCenter::defaultCenter().post(
            QString::fromLatin1(KNVTTaskNotesNumberOfPreviewLinesDidChangeNotification), nullptr);
    }
};

} // namespace

TEST_F(SearchAndProjectsListTest, SearchFindsTitlesAndNotesAndSortsSomedayByTheTasksList)
{
    auto &b = build();
    KNVTCDTaskList *shelf = b.project(QStringLiteral("Shelf"), {.status = 1});
    KNVTCDTaskList *old = b.project(QStringLiteral("Old"), {.archived = true});
    b.task(QStringLiteral("Invoice alone"), {.status = 1});
    b.task(QStringLiteral("send it"), {.list = shelf, .status = 1, .notes = QStringLiteral("the INVOICE")});
    KNVTCDTask *paid =
        b.task(QStringLiteral("Invoice paid"), {.list = old, .status = 4, .statusModified = now().addDays(-2)});
    KNVTCDTask *filed = b.task(QStringLiteral("Invoice filed"), {.status = 4, .statusModified = now().addDays(-1)});
    b.task(QStringLiteral("Invoice gone"), {.synced = true})->markAsDeleted();
    b.task(QStringLiteral("other"));
    save();

    auto list = search(QStringLiteral("invoice"));
    EXPECT_EQ(rowsOf(*list),
              (QStringList{"# Incomplete", "[ ] send it", "# Someday", "[ ] Invoice alone", "# Completed",
                           "[x] Invoice filed", "[x] Invoice paid"}));
    EXPECT_FALSE(list->rowAt(*list->cellIndexForObjectValue(paid->uri()))->checkBoxEnabled);
    EXPECT_TRUE(list->rowAt(*list->cellIndexForObjectValue(filed->uri()))->checkBoxEnabled);

    // Nothing selected prints an empty body.
    EXPECT_TRUE(list->HTMLStringForPrinting().endsWith(QStringLiteral("<body class=\"print\"></body></html>")));

    for (const QString &text : {QStringLiteral("qqq"), QString()}) {
        auto none = search(text);
        EXPECT_EQ(none->numberOfRows(), 0) << text.toStdString();
        EXPECT_EQ(knvt::labelText(none->outlineView()), QStringLiteral("No Results"));
    }
    // The same text again changes nothing; a store change finds new matches.
    list->setSearchString(QStringLiteral("invoice"));
    b.task(QStringLiteral("invoice new"));
    save();
    EXPECT_EQ(list->tasks().size(), 5u);
}

// A search of many tasks: a newer text replaces one still being found, the rows are made unfilled and filled when
// read, a row no one has read is found by its object, and the scroll bar the view sizes from each section's first row
// is the one QTreeView sizes by asking every row.
TEST_F(SearchAndProjectsListTest, ASearchOfManyTasksFillsItsRowsWhenTheyAreRead)
{
    auto &b = build();
    std::vector<KNVTCDTask *> tasks;
    for (int i = 0; i < 3000; ++i)
        tasks.push_back(b.task(QStringLiteral("Match %1").arg(i), {.status = i % 7 == 0 ? 4 : 1, .orderIndex = i}));
    b.task(QStringLiteral("other"));
    save();

    auto list = make<KNVTSearchItemsOutlineViewController>();
    list->setSearchString(QStringLiteral("match"));
    list->setSearchString(QStringLiteral("match 1"));
    ASSERT_TRUE(knvt::test::waitUntil([&list] { return !list->isSearching(); }));
    // "Match 1", "Match 10" to "Match 19", "Match 100" to "Match 199", "Match 1000" to "Match 1999", and two headers.
    ASSERT_EQ(list->numberOfRows(), 1 + 10 + 100 + 1000 + 2);
    EXPECT_EQ(list->sectionIdentifiers(), (QStringList{"Someday", "Completed"}));
    const knvt::ItemRow &last = list->outlineModel()->sections().back().rows.back();
    EXPECT_TRUE(last.unfilled) << "a row below the visible ones was made";
    const std::optional<int> row = list->cellIndexForObjectValue(tasks[1995]->uri());
    ASSERT_TRUE(row);
    EXPECT_EQ(list->rowAt(*row)->title, QStringLiteral("Match 1995"));
    EXPECT_FALSE(list->rowAt(*row)->unfilled);

    auto *view = list->outlineView();
    for (const int height : {600, 130, 45}) {
        const auto scrollBar = [view, height](bool shareHeight) {
            view->setSectionRowsShareHeight(shareHeight);
            view->resize(400, height + 1);
            view->resize(400, height);
            const QScrollBar *bar = view->verticalScrollBar();
            return QList<int>{bar->maximum(), bar->pageStep(), bar->singleStep()};
        };
        EXPECT_EQ(scrollBar(true), scrollBar(false)) << height;
    }
}

TEST_F(SearchAndProjectsListTest, ProjectsAndAreasStandInTheirFourSections)
{
    auto &b = build();
    b.project(QStringLiteral("Beta"), {.orderIndex = 2});
    b.project(QStringLiteral("Alpha"), {.orderIndex = 3});
    KNVTCDTaskList *done = b.project(QStringLiteral("Done"), {.orderIndex = 1});
    done->markAsCompleted();
    b.project(QStringLiteral("Filed"), {.archived = true});
    b.area(QStringLiteral("Home"));
    b.project(QStringLiteral("Later"), {.status = 1});
    b.area(QStringLiteral("Zeta"), {.status = 1});
    b.area(QStringLiteral("Alpha area"), {.status = 1});
    KNVTCDTaskList *pending = b.project(QStringLiteral("Pending"), {.owner = b.user(QStringLiteral("Ann"))});
    pending->setTaskListCollaboratorStatus(1);
    save();

    auto list = make<KNVTTaskListsOutlineViewController>();
    EXPECT_EQ(rowsOf(*list),
              (QStringList{"# Active Projects", "[x] Done", "[ ] Beta", "[ ] Alpha", "# Active Areas", "[ ] Home",
                           "# Someday Projects", "[ ] Later", "# Someday Areas", "[ ] Zeta", "[ ] Alpha area"}))
        << "a completed project that is not archived is active; someday areas keep the store's order";
    select(*list, {done});
    EXPECT_EQ(list->selectedItems().size(), 1u);
    EXPECT_TRUE(list->selectedTasks().empty());

    // A store change keeps the selection.
    b.project(QStringLiteral("New"));
    save();
    settle();
    ASSERT_EQ(list->selectedTaskLists().size(), 1u);
    EXPECT_EQ(list->selectedTaskLists().front(), done);
    EXPECT_EQ(m_host.selectionChanges, 1) << "only the user's own selection";

    list->print();
    EXPECT_EQ(m_beeper.count(), 1);

    // Dragged out, but nothing dropped here changes anything: a tag over a row is shown as a move and then refused.
    const auto drag = dragOf(*list, {done});
    ASSERT_NE(drag, nullptr);
    EXPECT_EQ(*knvt::ObjectReferencePayload::read(*drag), QList<QUrl>{done->uri()});
    QMimeData tags;
    knvt::ObjectReferencePayload::write(tags, {b.tag(QStringLiteral("t"))->uri()}, QString());
    EXPECT_EQ(list->validateDrop(tags, rowIndex(*list, done), -1, true).operation, Qt::MoveAction);
    EXPECT_FALSE(list->acceptDrop(tags, rowIndex(*list, done), -1, true));
    EXPECT_EQ(list->validateDrop(*drag, rowIndex(*list, done), -1, true).operation, Qt::IgnoreAction);

    auto empty = std::make_unique<KNVTTaskListsOutlineViewController>(&m_host);
    (void)empty;
}

TEST_F(SearchAndProjectsListTest, DoubleClickShowsAProjectOrTheTasks)
{
    auto &b = build();
    KNVTCDTaskList *garden = b.project(QStringLiteral("Garden"));
    KNVTCDTask *rake = b.task(QStringLiteral("rake invoice"), {.list = garden});
    KNVTCDTaskList *old = b.project(QStringLiteral("Old"), {.archived = true});
    KNVTCDTask *filed = b.task(QStringLiteral("filed invoice"), {.list = old, .archived = true});
    save();

    auto projects = make<KNVTTaskListsOutlineViewController>();
    projects->doubleAction();
    EXPECT_TRUE(m_host.doubleClicked.empty()) << "nothing selected";
    select(*projects, {garden});
    projects->doubleAction();
    EXPECT_EQ(m_host.doubleClicked, std::vector<KNVTCDTaskList *>{garden});

    auto tasks = search(QStringLiteral("invoice"));
    select(*tasks, {rake});
    tasks->doubleAction();
    EXPECT_EQ(m_mainWindow.requests, QStringList{"view"});
    select(*tasks, {rake, filed});
    tasks->doubleAction();
    EXPECT_EQ(m_application.requests, (QStringList{"show filed invoice", "show rake invoice"}))
        << "a task I may not edit opens every selected task in its window";
}

TEST_F(SearchAndProjectsListTest, ThePreviewLinesSetTheRowHeightExceptForProjects)
{
    auto &b = build();
    KNVTCDTag *t = b.tag(QStringLiteral("t"));
    b.task(QStringLiteral("a"))->addTag(t);
    b.project(QStringLiteral("P"));
    save();
    auto projects = make<KNVTTaskListsOutlineViewController>();
    auto tagged = make<KNVTTagsItemsOutlineViewController>();
    tagged->setTags({t});
    settle();
    auto heightOf = [](KNVTTaskStoreItemsOutlineViewController &list) {
        return list.outlineView()->sizeHintForIndex(list.outlineModel()->indexForRow(1)).height();
    };
    EXPECT_EQ(heightOf(*tagged), 50);
    EXPECT_EQ(heightOf(*projects), 50);
    EXPECT_EQ(projects->outlineView()->sizeHintForIndex(projects->outlineModel()->indexForRow(0)).height(), 20);

    setPreviewLines(2);
    EXPECT_EQ(heightOf(*tagged), 90);
    EXPECT_EQ(heightOf(*projects), 50);
    setPreviewLines(0);
    EXPECT_EQ(heightOf(*tagged), 50);
}

// A search of many matches under way while the library is saved a thousand tasks at a time, as a large pull saves in
// passing: from its first rows on, the list never goes empty and keeps its selection, and it ends with the matches
// of the library as it is then, the new ones in, the removed and the renamed out.
TEST_F(SearchAndProjectsListTest, ASearchUnderWayKeepsItsRowsWhileAPullSavesInPassingAndEndsWithCurrentResults)
{
    auto &b = build();
    std::vector<KNVTCDTask *> tasks;
    for (int i = 0; i < 20000; ++i)
        tasks.push_back(b.task(QStringLiteral("Invoice %1").arg(i), {.status = i % 100 ? 4 : 1, .orderIndex = i}));
    save();
    ostore::Context pull(store().persistentStoreCoordinator());
    ostore::Context *mainContext = store().managedObjectContext();
    QObject::connect(&pull, &ostore::Context::didSave, mainContext, [mainContext](const ostore::ChangeSet &changes) {
        mainContext->mergeChanges(changes, ostore::ChangeOrigin::Merge);
    });
    int saves = 0;
    const auto saveAPart = [&] {
        if (saves == 0) {
            pull.remove(pull.existingObject(tasks[2]->objectID()));
            static_cast<KNVTCDTask *>(pull.existingObject(tasks[4]->objectID()))->setTitle(QStringLiteral("Receipt"));
        }
        for (int i = 0; i < 1000; ++i) {
            auto *task = pull.insert<KNVTCDTask>();
            task->setTitle(QStringLiteral("Invoice pulled %1-%2").arg(saves).arg(i));
            task->setStatus(i % 2 ? KNVTTaskStatusCompleted : KNVTTaskStatusSomeday);
        }
        ASSERT_TRUE(pull.save());
        ++saves;
    };

    // One pass of the event loop at a time: one slice of the search each. The few of Someday are shown while the many
    // of Completed are sorted.
    auto list = make<KNVTSearchItemsOutlineViewController>();
    list->setSearchString(QStringLiteral("invoice"));
    while (list->numberOfRows() == 0 && list->isSearching())
        QCoreApplication::processEvents();
    ASSERT_TRUE(list->isSearching()) << "the first rows show before the search ends";
    select(*list, {tasks[0]});
    int emptied = 0;
    for (int pass = 0; pass < 100000 && (saves < 3 || list->isSearching()); ++pass) {
        if (saves < 3 && list->isSearching())
            saveAPart();
        emptied += list->numberOfRows() == 0;
        QCoreApplication::processEvents();
    }
    ASSERT_FALSE(list->isSearching());
    EXPECT_EQ(emptied, 0) << "the list went empty while the search went on";
    EXPECT_EQ(titles(list->selectedTasks()), QStringList{QStringLiteral("Invoice 0")});
    auto fresh = make<KNVTSearchItemsOutlineViewController>();
    fresh->setSearchString(QStringLiteral("invoice"));
    ASSERT_TRUE(knvt::test::waitUntil([&fresh] { return !fresh->isSearching(); }));
    EXPECT_EQ(rowsOf(*list), rowsOf(*fresh));
    EXPECT_EQ(list->numberOfRows(), 20000 - 2 + 3000 + 2);
}

// The open tasks are found and shown before the closed ones are read. A task the user closes in between, or while
// the closed ones are read, would be found twice: it shows once at every pass of the loop, and in its new section
// once the search ends.
TEST_F(SearchAndProjectsListTest, ATaskClosedWhileTheSearchReadsTheClosedOnesShowsOnce)
{
    auto &b = build();
    std::vector<KNVTCDTask *> open;
    for (int i = 0; i < 3000; ++i)
        open.push_back(
            b.task(QStringLiteral("Invoice open %1").arg(i), {.status = KNVTTaskStatusActionable, .orderIndex = i}));
    for (int i = 0; i < 30000; ++i)
        b.task(QStringLiteral("Invoice closed %1").arg(i),
               {.status = KNVTTaskStatusCompleted, .statusModified = now().addSecs(-i)});
    save();

    for (const int closedAt : {0, 1}) {
        SCOPED_TRACE(closedAt == 0 ? "closed as soon as the open tasks show" : "closed a pass later");
        KNVTCDTask *task = open[size_t(closedAt)];
        auto list = make<KNVTSearchItemsOutlineViewController>();
        list->setSearchString(QStringLiteral("invoice"));
        while (list->numberOfRows() == 0 && list->isSearching())
            QCoreApplication::processEvents();
        ASSERT_TRUE(list->isSearching()) << "the open tasks show before the closed ones are read";
        ASSERT_TRUE(list->cellIndexForObjectValue(task->uri()));
        for (int pass = 0; pass < closedAt; ++pass)
            QCoreApplication::processEvents();
        task->setStatus(KNVTTaskStatusCompleted);
        save();
        int most = 0;
        for (int pass = 0; pass < 100000 && list->isSearching(); ++pass) {
            QCoreApplication::processEvents();
            int shown = 0;
            for (const knvt::ListSection &section : list->outlineModel()->sections())
                for (const knvt::ItemRow &row : section.rows)
                    shown += row.objectID == task->objectID();
            most = std::max(most, shown);
        }
        ASSERT_FALSE(list->isSearching());
        EXPECT_EQ(most, 1);
        auto fresh = make<KNVTSearchItemsOutlineViewController>();
        fresh->setSearchString(QStringLiteral("invoice"));
        ASSERT_TRUE(knvt::test::waitUntil([&fresh] { return !fresh->isSearching(); }));
        EXPECT_EQ(rowsOf(*list), rowsOf(*fresh));
        EXPECT_EQ(list->sectionIdentifiers(), (QStringList{"Incomplete", "Completed"}));
    }
}

// A first section of thousands shows its first rows, in their order, while the rest of it is sorted; the rest comes
// below them, the row the user selected meanwhile stays selected, and the list ends as the store's order has it.
TEST_F(SearchAndProjectsListTest, ALargeFirstSectionShowsItsFirstRowsWhileTheRestIsSorted)
{
    auto &b = build();
    std::vector<std::pair<int, QString>> byOrder;
    for (int i = 0; i < 3000; ++i) {
        const int orderIndex = i * 7919 % 3000;
        const QString title = QStringLiteral("Invoice %1").arg(i);
        b.task(title, {.status = KNVTTaskStatusActionable, .orderIndex = orderIndex});
        byOrder.emplace_back(orderIndex, QStringLiteral("[ ] ") + title);
    }
    for (int i = 0; i < 2000; ++i)
        b.task(QStringLiteral("Invoice done %1").arg(i), {.status = KNVTTaskStatusCompleted});
    save();
    std::sort(byOrder.begin(), byOrder.end());
    QStringList expected{QStringLiteral("# Incomplete")};
    for (const auto &[order, line] : byOrder)
        expected << line;

    auto list = make<KNVTSearchItemsOutlineViewController>();
    list->setSearchString(QStringLiteral("invoice"));
    while (list->numberOfRows() == 0 && list->isSearching())
        QCoreApplication::processEvents();
    ASSERT_TRUE(list->isSearching());
    const QStringList first = rowsOf(*list);
    ASSERT_GT(first.size(), 100) << "more than a window of rows";
    ASSERT_LT(first.size(), expected.size()) << "the first rows show before the rest of the section is sorted";
    EXPECT_EQ(first, expected.mid(0, first.size()));
    list->selectRows({5});
    ASSERT_TRUE(knvt::test::waitUntil([&list] { return !list->isSearching(); }));
    const QStringList all = rowsOf(*list);
    EXPECT_EQ(all.mid(0, expected.size()), expected);
    EXPECT_EQ(all.size(), expected.size() + 1 + 2000);
    ASSERT_EQ(list->selectedTasks().size(), 1u);
    EXPECT_EQ(QStringLiteral("[ ] ") + list->selectedTasks().front()->title(), expected[5]);
}

// A search of many tasks whose first rows are written in scripts the rows' font leaves to fallback fonts shows them once
// it has laid those scripts out on the window's thread, and lays out none of a row below the screen.
TEST_F(SearchAndProjectsListTest, ASearchShowsRowsInOtherScriptsOnceTheirFontsAreLaidOutAndNoRowBelowTheScreen)
{
    auto &b = build();
    const QStringList firstTitles{QString::fromUtf16(u"Invoice for \u05D3\u05E0\u05D4"),
                                  QString::fromUtf16(u"Invoice for \u0623\u062D\u0645\u062F"),
                                  QString::fromUtf16(u"Invoice for \u738B\u7ECF\u7406")};
    for (int i = 0; i < firstTitles.size(); ++i)
        b.task(firstTitles[i], {.status = KNVTTaskStatusActionable, .orderIndex = i});
    for (int i = 0; i < 1500; ++i)
        b.task(QStringLiteral("Invoice %1").arg(i), {.status = KNVTTaskStatusActionable, .orderIndex = 10 + i});
    // Among the first rows the list makes, far below the screen.
    const QString below = QString::fromUtf16(u"Invoice for \uAE40\uBBFC\uC218");
    b.task(below, {.status = KNVTTaskStatusActionable, .orderIndex = 200});
    save();

    auto list = make<KNVTSearchItemsOutlineViewController>();
    list->setSearchString(QStringLiteral("invoice"));
    while (list->numberOfRows() == 0 && list->isSearching())
        QCoreApplication::processEvents();
    ASSERT_GT(list->numberOfRows(), firstTitles.size());
    for (int row = 1; row <= firstTitles.size(); ++row) {
        ASSERT_EQ(list->rowAt(row)->title, firstTitles[row - 1]);
        EXPECT_FALSE(KNVTTaskTableCellView::prepareFallbackFontOfRow(*list->rowAt(row), 50)) << row;
    }
    ASSERT_TRUE(knvt::test::waitUntil([&list] { return !list->isSearching(); }));
    ASSERT_EQ(list->numberOfRows(), 1 + 1504);
    const knvt::ItemRow *belowRow = nullptr;
    for (int row = 1; row < list->numberOfRows() && !belowRow; ++row)
        if (list->rowAt(row)->title == below)
            belowRow = list->rowAt(row);
    ASSERT_TRUE(belowRow);
    EXPECT_TRUE(KNVTTaskTableCellView::prepareFallbackFontOfRow(*belowRow, 50));
}
