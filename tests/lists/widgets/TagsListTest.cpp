// The list of tagged tasks: its sections and orders, the selection and scroll position across store changes, the
// tags vanishing under it, drags and drops, and what it prints. The shared outline mechanics are tested here.

#include "OutlineListTest.h"

#include "lists/KNVTTagsItemsOutlineViewController.h"

#include "uikit/TableViewAdditions.h"

#include <QTest>

namespace {

class TagsListTest : public OutlineListTest
{
protected:
    std::unique_ptr<KNVTTagsItemsOutlineViewController> show(const std::vector<KNVTCDTag *> &tags)
    {
        auto list = make<KNVTTagsItemsOutlineViewController>();
        list->setTags(tags);
        settle();
        return list;
    }

    KNVTCDTask *tagged(KNVTCDTag *tag, const QString &title, const knvt::test::TaskOptions &options = {})
    {
        KNVTCDTask *task = build().task(title, options);
        task->addTag(tag);
        return task;
    }
};

// A host that looks at the list at the moment it is told of a selection change.
class InspectingHost : public RecordingListHost
{
public:
    void taskStoreItemsViewControllerSelectionDidChange(KNVTTaskStoreItemsViewController *controller) override
    {
        RecordingListHost::taskStoreItemsViewControllerSelectionDidChange(controller);
        if (inspect)
            inspect();
    }
    std::function<void()> inspect;
};

} // namespace

TEST_F(TagsListTest, ShowsTheTaggedTasksInTheirSectionsEachInItsOrder)
{
    auto &b = build();
    KNVTCDTag *errand = b.tag(QStringLiteral("errand"));
    KNVTCDTag *unused = b.tag(QStringLiteral("unused"));
    KNVTCDTaskList *garden = b.project(QStringLiteral("Garden"));
    KNVTCDTaskList *shelf = b.project(QStringLiteral("Shelf"), {.status = 1});
    tagged(errand, QStringLiteral("b open"));
    tagged(errand, QStringLiteral("a open"), {.list = garden, .orderIndex = 1});
    tagged(errand, QStringLiteral("c open"), {.list = garden, .orderIndex = 0});
    tagged(errand, QStringLiteral("old open"), {.archived = true});
    tagged(errand, QStringLiteral("z later"), {.start = now().addDays(2)});
    tagged(errand, QStringLiteral("y later"), {.start = now().addDays(3)});
    tagged(errand, QStringLiteral("Beta day"), {.status = 1});
    tagged(errand, QStringLiteral("alpha day"), {.list = shelf, .status = 1});
    tagged(errand, QStringLiteral("early"), {.status = 4, .statusModified = now().addDays(-3)});
    tagged(errand, QStringLiteral("recent"), {.status = 5, .statusModified = now().addDays(-1)});
    tagged(errand, QStringLiteral("gone"), {.synced = true})->markAsDeleted();
    b.task(QStringLiteral("untagged"));
    save();

    auto list = show({errand});
    EXPECT_EQ(rowsOf(*list),
              (QStringList{"# Incomplete", "[ ] c open", "[ ] a open", "[ ] b open", "[ ] old open", "# Scheduled",
                           "[ ] z later", "[ ] y later", "# Someday", "[ ] alpha day", "[ ] Beta day", "# Completed",
                           "[-] recent", "[x] early"}))
        << "an open archived task is not scheduled; a someday task stays under Someday in a someday list";
    EXPECT_EQ(list->rowAt(2)->subtitle, QStringLiteral("Garden")) << "rows name the task's list";
    EXPECT_TRUE(list->outlineView()->isExpanded(sectionIndex(*list, QStringLiteral("Completed"))));
    EXPECT_FALSE(knvt::isLabelVisible(list->outlineView()));
    // The header rows are the group rows: they cannot be selected.
    EXPECT_FALSE(list->outlineModel()->flags(sectionIndex(*list, QStringLiteral("Incomplete"))) & Qt::ItemIsSelectable);

    auto empty = show({unused});
    EXPECT_EQ(empty->numberOfRows(), 0);
    EXPECT_EQ(knvt::labelText(empty->outlineView()), QStringLiteral("No Tasks"));
    EXPECT_TRUE(knvt::isLabelVisible(empty->outlineView()));

    // Without any tag every task that is not deleted.
    EXPECT_EQ(show({})->tasks().size(), 11u);
}

TEST_F(TagsListTest, TickingARowMovesItUnderCompletedWithTheSelectionAndScrollKept)
{
    auto &b = build();
    KNVTCDTag *errand = b.tag(QStringLiteral("errand"));
    for (int i = 0; i < 40; ++i)
        tagged(errand, QStringLiteral("task %1").arg(i, 2, 10, QLatin1Char('0')));
    save();
    auto list = show({errand});
    list->view()->resize(400, 300);
    list->view()->show();
    settle();
    KNVTCDTask *ticked = list->tasks()[20];
    KNVTCDTask *other = list->tasks()[22];
    select(*list, {ticked, other});
    list->outlineView()->verticalScrollBar()->setValue(200);
    m_host.selectionChanges = 0;

    list->toggleStatus(ticked->uri());
    settle();

    EXPECT_EQ(list->sectionIdentifiers(), (QStringList{"Incomplete", "Completed"}));
    EXPECT_EQ(rowsOf(*list).last(), QStringLiteral("[x] task 20"));
    EXPECT_EQ(titles(list->selectedTasks()), (QStringList{"task 22", "task 20"}));
    EXPECT_EQ(list->outlineView()->verticalScrollBar()->value(), 200);
    EXPECT_EQ(m_host.selectionChanges, 0) << "the same two tasks are selected: nothing to tell";
}

TEST_F(TagsListTest, AStoreChangeKeepsTheSectionsOpenTheSelectionAndTheScrollAndTellsTheHostOnceWhenItIsApplied)
{
    InspectingHost host;
    auto &b = build();
    KNVTCDTag *errand = b.tag(QStringLiteral("errand"));
    for (int i = 0; i < 30; ++i)
        tagged(errand, QStringLiteral("task %1").arg(i, 2, 10, QLatin1Char('0')));
    tagged(errand, QStringLiteral("done"), {.status = 4});
    save();
    KNVTTagsItemsOutlineViewController list(&host);
    list.view()->resize(400, 300);
    list.setTags({errand});
    list.view()->show();
    settle();
    KNVTCDTask *kept = list.tasks()[10];
    KNVTCDTask *deleted = list.tasks()[11];
    select(list, {kept, deleted});
    list.outlineView()->verticalScrollBar()->setValue(150);
    host.selectionChanges = 0;

    bool expanded = false;
    QStringList selected;
    int scroll = -1;
    host.inspect = [&] {
        expanded = list.outlineView()->isExpanded(sectionIndex(list, QStringLiteral("Completed")));
        selected = titles(list.selectedTasks());
        scroll = list.outlineView()->verticalScrollBar()->value();
    };
    deleted->markAsDeleted();
    save();
    // Applied in place within the store's notification: nothing is left for a later pass.
    EXPECT_EQ(host.selectionChanges, 1) << "one of two selected tasks is gone";
    EXPECT_TRUE(expanded);
    EXPECT_EQ(selected, QStringList{"task 10"});
    EXPECT_EQ(scroll, 150);
    // Later changes the user makes are reported again, each once: a click on another row, then Ctrl+A.
    const QModelIndex clicked = list.indexForRow(list.cellIndexForObjectValue(list.tasks()[12]->uri()).value_or(-1));
    ASSERT_TRUE(clicked.isValid());
    list.outlineView()->scrollTo(clicked);
    QTest::mouseClick(list.outlineView()->viewport(), Qt::LeftButton, {},
                      list.outlineView()->visualRect(clicked).center());
    EXPECT_EQ(host.selectionChanges, 2);
    EXPECT_EQ(selected, QStringList{"task 13"}) << "the clicked row alone";
    QTest::keyClick(list.outlineView(), Qt::Key_A, Qt::ControlModifier);
    EXPECT_EQ(host.selectionChanges, 3);
}

TEST_F(TagsListTest, AShownTagThatGoesLeavesTheListEmptyWithNothingToClick)
{
    auto &b = build();
    KNVTCDTag *errand = b.tag(QStringLiteral("errand"));
    KNVTCDTag *home = b.tag(QStringLiteral("home"));
    KNVTCDTask *both = tagged(errand, QStringLiteral("both"));
    both->addTag(home);
    tagged(errand, QStringLiteral("errand only"));
    b.task(QStringLiteral("untagged"));
    save();

    // Removed by a sync: the tag never is marked deleted here; it simply stops resolving.
    auto alone = show({errand});
    ASSERT_EQ(alone->tasks().size(), 2u);
    auto pair = show({errand, home});
    deleteElsewhere(errand);
    settle();
    for (auto *list : {alone.get(), pair.get()}) {
        EXPECT_EQ(list->numberOfRows(), 0) << "neither every task nor the other tag's tasks";
        EXPECT_EQ(knvt::labelText(list->outlineView()), QStringLiteral("No Tasks"));
        EXPECT_FALSE(list->tags().has_value());
    }

    // Deleted here after a sync: only marked with a deleted date.
    KNVTCDTag *work = b.tag(QStringLiteral("work"));
    tagged(work, QStringLiteral("report"));
    KNVTCDTag *phone = b.tag(QStringLiteral("phone"));
    tagged(work, QStringLiteral("call"))->addTag(phone);
    knvt::test::TaskStoreBuilder::synced(phone, 77);
    save();
    auto marked = show({work, phone});
    ASSERT_EQ(marked->numberOfRows(), 2);
    phone->setDeletedDate(now());
    save();
    settle();
    EXPECT_EQ(marked->numberOfRows(), 0);
    EXPECT_EQ(knvt::labelText(marked->outlineView()), QStringLiteral("No Tasks"));
    // Store changes from now on only refresh the label; new tags bring rows back.
    b.task(QStringLiteral("another"))->addTag(work);
    save();
    EXPECT_EQ(marked->numberOfRows(), 0);
    marked->setTags({work});
    EXPECT_EQ(marked->tasks().size(), 3u);
}

TEST_F(TagsListTest, AReorderKeepsEachProjectsOwnOrder)
{
    auto &b = build();
    KNVTCDTag *t = b.tag(QStringLiteral("t"));
    KNVTCDTaskList *p = b.project(QStringLiteral("P"));
    KNVTCDTaskList *q = b.project(QStringLiteral("Q"));
    KNVTCDTask *a = tagged(t, QStringLiteral("a"), {.list = p, .orderIndex = 0});
    KNVTCDTask *bb = b.task(QStringLiteral("b"), {.list = p, .orderIndex = 1});
    KNVTCDTask *c = tagged(t, QStringLiteral("c"), {.list = p, .orderIndex = 2});
    KNVTCDTask *d = b.task(QStringLiteral("d"), {.list = p, .orderIndex = 3});
    KNVTCDTask *x = tagged(t, QStringLiteral("x"), {.list = q, .orderIndex = 0});
    KNVTCDTask *y = b.task(QStringLiteral("y"), {.list = q, .orderIndex = 1});
    save();
    for (KNVTCDTask *task : {a, bb, c, d, x, y})
        task->setChangedKeysString(QString());
    save();
    auto list = show({t});
    ASSERT_EQ(rowsOf(*list), (QStringList{"# Incomplete", "[ ] a", "[ ] x", "[ ] c"}));

    auto mime = dragOf(*list, {c});
    EXPECT_TRUE(drop(*list, *mime, sectionIndex(*list, QStringLiteral("Incomplete")), 0));
    settle();

    EXPECT_EQ(c->taskListOrderIndex(), 0);
    EXPECT_EQ(bb->taskListOrderIndex(), 1);
    EXPECT_EQ(a->taskListOrderIndex(), 2);
    EXPECT_EQ(d->taskListOrderIndex(), 3);
    EXPECT_EQ(x->taskListOrderIndex(), 0);
    EXPECT_EQ(y->taskListOrderIndex(), 1);
    for (KNVTCDTask *untouched : {bb, d, x, y})
        EXPECT_TRUE(untouched->changedKeysString().isEmpty()) << untouched->title().toStdString() << " was written";
    EXPECT_EQ(rowsOf(*list), (QStringList{"# Incomplete", "[ ] c", "[ ] x", "[ ] a"}));
}

TEST_F(TagsListTest, TasksIMayNotEditAreNeitherDraggedNorTaggedNorTicked)
{
    auto &b = build();
    KNVTCDTag *t = b.tag(QStringLiteral("t"));
    KNVTCDTag *other = b.tag(QStringLiteral("other"));
    KNVTCDTaskList *r = b.project(QStringLiteral("R"), {.archived = true});
    KNVTCDTask *pump = tagged(t, QStringLiteral("pump"), {.list = r});
    pump->setArchived(true);
    KNVTCDTaskList *shared =
        b.project(QStringLiteral("Shared"), {.owner = b.user(QStringLiteral("Ann")), .myRole = knvt::test::NoRole});
    KNVTCDTask *theirs = tagged(t, QStringLiteral("theirs"), {.list = shared});
    KNVTCDTask *mine = tagged(t, QStringLiteral("mine"));
    auto tagList = std::make_unique<QMimeData>();
    save();
    auto list = show({t});

    EXPECT_EQ(dragOf(*list, {pump}), nullptr);
    select(*list, {pump, theirs});
    EXPECT_EQ(dragOf(*list, {}), nullptr) << "the selection has nothing I may change either";
    const auto mixed = dragOf(*list, {pump, mine});
    ASSERT_NE(mixed, nullptr);
    EXPECT_EQ(*knvt::ObjectReferencePayload::read(*mixed), QList<QUrl>{mine->uri()});

    knvt::ObjectReferencePayload::write(*tagList, {other->uri()}, QString());
    EXPECT_EQ(list->validateDrop(*tagList, rowIndex(*list, pump), -1, true).operation, Qt::IgnoreAction);
    EXPECT_FALSE(list->acceptDrop(*tagList, rowIndex(*list, pump), -1, true));
    settle();
    EXPECT_TRUE(pump->isArchived());
    EXPECT_EQ(pump->tags().size(), 1u);

    EXPECT_FALSE(list->rowAt(*list->cellIndexForObjectValue(theirs->uri()))->checkBoxEnabled);
    EXPECT_TRUE(list->rowAt(*list->cellIndexForObjectValue(mine->uri()))->checkBoxEnabled);
    list->toggleStatus(theirs->uri());
    EXPECT_EQ(m_beeper.count(), 1);
    EXPECT_FALSE(theirs->isCompleted());
}

TEST_F(TagsListTest, ADropFromAnotherProcessIsRefusedAndChangesNothing)
{
    auto &b = build();
    KNVTCDTag *t = b.tag(QStringLiteral("t"));
    KNVTCDTag *other = b.tag(QStringLiteral("other"));
    KNVTCDTask *open = tagged(t, QStringLiteral("open"));
    tagged(t, QStringLiteral("more"));
    save();
    auto list = show({t});
    auto tasks = dragOf(*list, {open});
    QMimeData tags;
    knvt::ObjectReferencePayload::write(tags, {other->uri()}, QString());
    for (const QMimeData *mime : {static_cast<const QMimeData *>(tasks.get()), static_cast<const QMimeData *>(&tags)}) {
        for (const QModelIndex &target : {sectionIndex(*list, QStringLiteral("Incomplete")), rowIndex(*list, open)}) {
            EXPECT_EQ(list->validateDrop(*mime, target, 0, false).operation, Qt::IgnoreAction);
            EXPECT_FALSE(list->acceptDrop(*mime, target, 0, false));
        }
    }
    settle();
    EXPECT_FALSE(open->taskListOrderIndex().has_value());
    EXPECT_EQ(open->tags().size(), 1u);
    EXPECT_FALSE(store().managedObjectContext()->hasChanges());
}

TEST_F(TagsListTest, DropsOnTheSectionsChangeFocusAndStatusOrAskFirst)
{
    auto &b = build();
    KNVTCDTag *t = b.tag(QStringLiteral("t"));
    KNVTCDTag *extra = b.tag(QStringLiteral("extra"));
    KNVTCDTask *first = tagged(t, QStringLiteral("first"));
    KNVTCDTask *second = tagged(t, QStringLiteral("second"));
    KNVTCDTask *closed = tagged(t, QStringLiteral("closed"), {.status = 4});
    KNVTCDTask *later = tagged(t, QStringLiteral("later"), {.start = now().addDays(2)});
    tagged(t, QStringLiteral("maybe"), {.status = 1});
    save();
    auto list = show({t});

    // A task held over a row goes into that row's section: at the top of Incomplete, onto any other section.
    auto validation = list->validateDrop(*dragOf(*list, {later}), rowIndex(*list, second), -1, true);
    EXPECT_EQ(validation.item, sectionIndex(*list, QStringLiteral("Incomplete")));
    EXPECT_EQ(validation.childIndex, -1);
    validation = list->validateDrop(*dragOf(*list, {first}), rowIndex(*list, closed), 0, true);
    EXPECT_EQ(validation.item, sectionIndex(*list, QStringLiteral("Completed")));
    EXPECT_EQ(validation.childIndex, -1);

    EXPECT_TRUE(drop(*list, *dragOf(*list, {later}), sectionIndex(*list, QStringLiteral("Someday"))));
    settle();
    EXPECT_EQ(later->focusType(), KNVTFocusTypeSomeday);

    // Tags go onto a task row only.
    QMimeData tags;
    knvt::ObjectReferencePayload::write(tags, {extra->uri()}, QString());
    EXPECT_FALSE(drop(*list, tags, sectionIndex(*list, QStringLiteral("Incomplete"))));
    EXPECT_TRUE(drop(*list, tags, rowIndex(*list, first)));
    settle();
    EXPECT_EQ(first->tags().size(), 2u);

    // Completed asks once the drop has been answered, with the plural texts for two open tasks.
    m_alerts.answerWithTitle(QStringLiteral("Mark as Completed"));
    EXPECT_TRUE(drop(*list, *dragOf(*list, {first, second, closed}), sectionIndex(*list, QStringLiteral("Completed"))));
    EXPECT_EQ(m_alerts.requests().size(), 0) << "no question inside the drop";
    settle();
    ASSERT_EQ(m_alerts.requests().size(), 1);
    EXPECT_EQ(m_alerts.requests()[0].title, QStringLiteral("Complete Or Cancel Tasks"));
    EXPECT_EQ(m_alerts.requests()[0].message, QStringLiteral("Do you want to complete or cancel these tasks?"));
    EXPECT_EQ(m_alerts.requests()[0].buttonTitles, (QStringList{"Mark as Completed", "Mark as Cancelled", "Cancel"}));
    EXPECT_TRUE(first->isCompleted());
    EXPECT_TRUE(second->isCompleted());

    // Only closed tasks: nothing to ask.
    EXPECT_TRUE(drop(*list, *dragOf(*list, {closed}), sectionIndex(*list, QStringLiteral("Completed"))));
    settle();
    EXPECT_EQ(m_alerts.requests().size(), 1);

    // One open task, cancelled.
    second->markAsUncompleted();
    save();
    m_alerts.answerWithTitle(QStringLiteral("Mark as Cancelled"));
    EXPECT_TRUE(drop(*list, *dragOf(*list, {second}), sectionIndex(*list, QStringLiteral("Completed"))));
    settle();
    ASSERT_EQ(m_alerts.requests().size(), 2);
    EXPECT_EQ(m_alerts.requests()[1].title, QStringLiteral("Complete Or Cancel Task"));
    EXPECT_TRUE(second->isCancelled());

    // Scheduled: the sheet decides; nothing is saved here.
    KNVTCDTask *third = tagged(t, QStringLiteral("third"));
    tagged(t, QStringLiteral("soon"), {.start = now().addDays(1)});
    save();
    EXPECT_TRUE(drop(*list, *dragOf(*list, {third}), sectionIndex(*list, QStringLiteral("Scheduled"))));
    settle();
    EXPECT_EQ(m_mainWindow.requests, QStringList{"schedule third"});
    EXPECT_FALSE(store().managedObjectContext()->hasChanges());
}

TEST_F(TagsListTest, PrintsTheSelectedTasksOrTheTagsSummary)
{
    auto &b = build();
    KNVTCDTag *t = b.tag(QStringLiteral("t"));
    KNVTCDTask *one = tagged(t, QStringLiteral("one"));
    KNVTCDTask *two = tagged(t, QStringLiteral("two"));
    tagged(t, QStringLiteral("three"));
    save();
    auto list = show({t});
    const QString head = QStringLiteral("<html><head><link href=\"%1\" media=\"all\" rel=\"stylesheet\" "
                                        "type=\"text/css\"/></head><body class=\"print\">")
                             .arg(KNVTHTMLPrinter::styleSheetURLString());
    EXPECT_EQ(list->HTMLStringForPrinting(),
              head + KNVTCDTag::HTMLStringForPrintingTags({t}) + QStringLiteral("</body></html>"));
    select(*list, {two, one});
    EXPECT_EQ(list->HTMLStringForPrinting(),
              head + one->HTMLStringForPrinting() + two->HTMLStringForPrinting() + QStringLiteral("</body></html>"));
}
