// Every kind of item list follows the store's changes in place, and what it then shows is exactly what a list built
// afresh shows: seeded random edits of one or a few tasks (ticked, moved, renamed, rescheduled, tagged, archived,
// deleted, made), changes of projects and the midnight refresh, each saved, and after each save every list compared
// row by row with a new list of the same kind.

#include "ListTest.h"

#include "lists/KNVTFocusTaskListItemsTableViewController.h"
#include "lists/KNVTSearchItemsOutlineViewController.h"
#include "lists/KNVTTagsItemsOutlineViewController.h"
#include "lists/KNVTTaskListItemsOutlineViewController.h"
#include "lists/KNVTTaskListItemsTableViewController.h"
#include "lists/KNVTTaskListsOutlineViewController.h"

#include "app/HomeModel.h"
#include "app/KNVTHomeViewController.h"

#include "accounts/KNVTNotificationsViewController.h"
#include "accounts/KNVTUserDetailModel.h"
#include "accounts/KNVTUserViewController.h"
#include "accounts/KNVTUsersModel.h"
#include "accounts/KNVTUsersViewController.h"
#include "accounts/KNVTUsersWindowController.h"

#include "editors/KNVTTaskViewController.h"
#include "editors/KNVTTaskViewModel.h"

#include "lists/ItemsOutlineModel.h"
#include "lists/ItemsTableModel.h"

#include "support/CheckedModel.h"
#include "support/RefusedWrites.h"
#include "support/WaitUntil.h"

#include "uikit/ItemDataRole.h"

#include "model/KNVTCDModel.h"

#include "objectstore/Context.h"
#include "objectstore/Coordinator.h"

#include "model/KNVTCDTag.h"
#include "model/KNVTCDTask.h"
#include "model/KNVTCDTaskList.h"
#include "model/KNVTCDUser.h"

#include "foundation/DateAdditions.h"

#include <QRandomGenerator>

#include <functional>
#include <memory>

namespace {

class ListUpdatesTest : public ListTest
{
protected:
    // A list of one kind as the test follows it, and how to build a new one of the same kind.
    struct Followed
    {
        QString name;
        std::function<std::unique_ptr<KNVTTaskStoreItemsViewController>()> make;
        std::unique_ptr<KNVTTaskStoreItemsViewController> list;
    };

    void follow(const QString &name, std::function<std::unique_ptr<KNVTTaskStoreItemsViewController>()> make)
    {
        Followed followed{name, std::move(make), nullptr};
        followed.list = followed.make();
        followed.list->view()->show();
        m_lists.push_back(std::move(followed));
    }

    static QString describe(const knvt::ItemRow &row)
    {
        if (row.isHeader())
            return QStringLiteral("# ") + row.title;
        return QStringLiteral("%1 [%2] %3 | %4 | today %5 edit %6 box %7 tasks %8/%9")
            .arg(row.objectID.zid)
            .arg(row.checkBoxState)
            .arg(row.title, row.subtitle)
            .arg(row.today)
            .arg(row.canEdit)
            .arg(row.checkBoxEnabled)
            .arg(row.numberOfUncompletedTasks)
            .arg(row.numberOfTasks);
    }

    static QStringList describe(const KNVTTaskStoreItemsViewController &list)
    {
        QStringList lines;
        for (int i = 0; i < list.numberOfRows(); ++i)
            lines << describe(*list.rowAt(i));
        return lines;
    }

    // A search goes through the library a share at a time, each share as much as a millisecond's work, so on a busy
    // machine a search list shows its rows only once its search has ended.
    static void waitForItsSearch(KNVTTaskStoreItemsViewController &list)
    {
        if (const auto *search = dynamic_cast<const KNVTSearchItemsOutlineViewController *>(&list)) {
            ASSERT_TRUE(knvt::test::waitUntil([search] { return !search->isSearching(); }));
        }
    }

    // Every followed list against a new one of its kind; rows must be equal in everything they show.
    void expectEveryListAsBuiltAfresh(const QString &step)
    {
        for (Followed &followed : m_lists) {
            const std::unique_ptr<KNVTTaskStoreItemsViewController> fresh = followed.make();
            ASSERT_NO_FATAL_FAILURE(waitForItsSearch(*fresh));
            ASSERT_NO_FATAL_FAILURE(waitForItsSearch(*followed.list));
            const QStringList shown = describe(*followed.list);
            const QStringList built = describe(*fresh);
            ASSERT_EQ(shown, built) << qPrintable(followed.name) << " after " << qPrintable(step);
            for (int i = 0; i < fresh->numberOfRows(); ++i)
                ASSERT_TRUE(*followed.list->rowAt(i) == *fresh->rowAt(i))
                    << qPrintable(followed.name) << " row " << i << " after " << qPrintable(step);
        }
    }

    // Every model the test follows, checked as its views would check it.
    struct Checked
    {
        QString name;
        QAbstractItemModel *model;
        // The rows of the same model built afresh now; empty for the item lists, which are compared above.
        std::function<QStringList()> fresh;
        // The roles that tell its rows apart.
        QList<int> identity;
        std::unique_ptr<knvt::test::CheckedModel> checked;
    };

    void check(const QString &name, QAbstractItemModel *model, std::function<QStringList()> fresh,
               const QList<int> &identity)
    {
        Checked checked{name, model, std::move(fresh), identity, std::make_unique<knvt::test::CheckedModel>(model)};
        checked.checked->keepEveryRow(identity);
        m_checked.push_back(std::move(checked));
    }

    // Every row of a model, depth first, with what it shows and what a screen reader reads.
    static QStringList linesOf(const QAbstractItemModel &model, const QModelIndex &parent = QModelIndex(),
                               const QString &indent = QString())
    {
        QStringList lines;
        for (int row = 0; row < model.rowCount(parent); ++row) {
            const QModelIndex index = model.index(row, 0, parent);
            lines << indent
                    + QStringList{index.data().toString(), index.data(Qt::AccessibleTextRole).toString(),
                                  index.data(Qt::AccessibleDescriptionRole).toString(),
                                  index.data(knvt::ObjectUriRole).toString(), index.data(Qt::CheckStateRole).toString()}
                          .join(u'|');
            lines << linesOf(model, index, indent + QStringLiteral("  "));
        }
        return lines;
    }

    // The item lists as built afresh, then every other followed model: the same rows as a new one, no complaint of
    // the model tester, and every kept index on its row; then the indexes are taken again for the next step.
    void expectEveryModelAsBuiltAfresh(const QString &step)
    {
        expectEveryListAsBuiltAfresh(step);
        if (HasFatalFailure())
            return;
        for (Checked &followed : m_checked) {
            if (followed.fresh) {
                ASSERT_EQ(linesOf(*followed.model), followed.fresh())
                    << qPrintable(followed.name) << " after " << qPrintable(step);
            }
            ASSERT_EQ(followed.checked->complaints(), QStringList())
                << qPrintable(followed.name) << " after " << qPrintable(step);
            ASSERT_EQ(followed.checked->rowsThatLeftTheirIndex(), QStringList())
                << qPrintable(followed.name) << " after " << qPrintable(step);
            followed.checked->keepEveryRow(followed.identity);
        }
    }

    // Every kind of item list, each named by what it shows.
    void followEveryItemList(KNVTCDTaskList *project, KNVTCDTag *tag, KNVTCDTag *otherTag, const QString &search)
    {
        for (unsigned int type = 0; type <= 7; ++type)
            follow(QStringLiteral("focus list %1").arg(type), [type] {
                auto list = std::make_unique<KNVTFocusTaskListItemsTableViewController>(nullptr);
                list->setFocusTaskList(type);
                return list;
            });
        follow(QStringLiteral("table of %1").arg(project->title()), [project] {
            auto list = std::make_unique<KNVTTaskListItemsTableViewController>(nullptr);
            list->setTaskList(project);
            return list;
        });
        follow(QStringLiteral("outline of %1").arg(project->title()), [project] {
            auto list = std::make_unique<KNVTTaskListItemsOutlineViewController>(nullptr);
            list->setTaskList(project);
            return list;
        });
        follow(QStringLiteral("tag %1").arg(tag->title()), [tag] {
            auto list = std::make_unique<KNVTTagsItemsOutlineViewController>(nullptr);
            list->setTags({tag});
            return list;
        });
        follow(QStringLiteral("tags %1 and %2").arg(tag->title(), otherTag->title()), [tag, otherTag] {
            auto list = std::make_unique<KNVTTagsItemsOutlineViewController>(nullptr);
            list->setTags({tag, otherTag});
            return list;
        });
        follow(QStringLiteral("search %1").arg(search), [search] {
            auto list = std::make_unique<KNVTSearchItemsOutlineViewController>(nullptr);
            list->setSearchString(search);
            return list;
        });
    }

    static QAbstractItemModel *model(KNVTTaskStoreItemsViewController &list)
    {
        if (auto *table = dynamic_cast<KNVTTaskStoreItemsTableViewController *>(&list))
            return table->tableModel();
        if (auto *outline = dynamic_cast<KNVTTaskStoreItemsOutlineViewController *>(&list))
            return outline->outlineModel();
        return nullptr;
    }

    std::vector<Followed> m_lists;
    std::vector<Checked> m_checked;
};

TEST_F(ListUpdatesTest, EveryListAfterEverySaveShowsWhatAListBuiltAfreshShows)
{
    auto &b = build();
    QRandomGenerator random(725);
    KNVTCDUser *ann = b.user(QStringLiteral("Ann"));
    KNVTCDTaskList *garden = b.project(QStringLiteral("Garden"));
    KNVTCDTaskList *house = b.area(QStringLiteral("House"));
    KNVTCDTaskList *boat = b.project(QStringLiteral("Boat"), {.status = 1});
    std::vector<KNVTCDTaskList *> lists{nullptr, garden, house, boat};
    KNVTCDTag *errand = b.tag(QStringLiteral("errand"));
    KNVTCDTag *home = b.tag(QStringLiteral("home"));
    std::vector<KNVTCDTask *> tasks;
    auto makeTask = [&](int n) {
        KNVTCDTask *task =
            b.task(QStringLiteral("task %1 %2").arg(n % 7).arg(n % 3 == 0 ? "alpha" : "beta"),
                   {.list = lists[size_t(random.bounded(int(lists.size())))], .orderIndex = qint64(random.bounded(6))});
        if (random.bounded(2) == 0)
            task->addTag(errand);
        if (random.bounded(3) == 0)
            task->addTag(home);
        tasks.push_back(task);
    };
    for (int n = 0; n < 40; ++n)
        makeTask(n);
    save();

    followEveryItemList(garden, errand, home, QStringLiteral("alpha"));
    follow(QStringLiteral("projects and areas"),
           [] { return std::make_unique<KNVTTaskListsOutlineViewController>(nullptr); });
    expectEveryListAsBuiltAfresh(QStringLiteral("the start"));

    const QStringList edits{"tick",  "untick",   "cancel", "title",   "notes",    "start later", "start today",
                            "due",   "no dates", "move",   "someday", "archive",  "delete",      "new",
                            "order", "tag",      "untag",  "assign",  "unassign", "today"};
    int made = 1000;
    for (int round = 0; round < 160; ++round) {
        QString step;
        // Mostly one task; now and then two or three in one save.
        const int count = random.bounded(5) == 0 ? 2 + random.bounded(2) : 1;
        for (int i = 0; i < count; ++i) {
            std::vector<KNVTCDTask *> live;
            for (KNVTCDTask *task : tasks)
                if (!task->isDeleted() && !task->deletedDate().isValid())
                    live.push_back(task);
            KNVTCDTask *task = live[size_t(random.bounded(int(live.size())))];
            const QString edit = edits[random.bounded(int(edits.size()))];
            step += QStringLiteral("%1 %2 of \"%3\"; ").arg(round).arg(edit, task->title());
            if (edit == QLatin1String("tick"))
                task->markAsCompleted();
            else if (edit == QLatin1String("untick"))
                task->markAsUncompleted();
            else if (edit == QLatin1String("cancel"))
                task->markAsCancelled();
            else if (edit == QLatin1String("title"))
                task->setTitle(
                    QStringLiteral("task %1 %2").arg(random.bounded(9)).arg(random.bounded(2) ? "alpha" : "gamma"));
            else if (edit == QLatin1String("notes"))
                task->setNotes(random.bounded(2) ? QStringLiteral("alpha notes") : QStringLiteral("other"));
            else if (edit == QLatin1String("start later"))
                task->setStartDate(now().addDays(1 + random.bounded(5)));
            else if (edit == QLatin1String("start today"))
                task->setStartDate(now().addSecs(-3600));
            else if (edit == QLatin1String("due"))
                task->setDueDate(now().addDays(random.bounded(4) - 1));
            else if (edit == QLatin1String("no dates")) {
                task->setStartDate({});
                task->setDueDate({});
            } else if (edit == QLatin1String("move"))
                task->setTaskList(lists[size_t(random.bounded(int(lists.size())))]);
            else if (edit == QLatin1String("someday"))
                task->setStatus(KNVTTaskStatusSomeday);
            else if (edit == QLatin1String("archive"))
                task->setArchived(!task->isArchived());
            else if (edit == QLatin1String("delete"))
                task->markAsDeleted();
            else if (edit == QLatin1String("new"))
                makeTask(made++);
            else if (edit == QLatin1String("order"))
                task->setTaskListOrderIndex(random.bounded(6));
            else if (edit == QLatin1String("tag"))
                task->addTag(random.bounded(2) ? errand : home);
            else if (edit == QLatin1String("untag"))
                task->removeTag(random.bounded(2) ? errand : home);
            else if (edit == QLatin1String("assign"))
                task->setAssignee(ann);
            else if (edit == QLatin1String("unassign"))
                task->setAssignee(b.me());
            else if (edit == QLatin1String("today"))
                task->setStatus(KNVTTaskStatusActionable), task->setStartDate(now().addSecs(-60));
        }
        // Now and then a project changes, or the day turns.
        if (round % 23 == 11) {
            garden->setTitle(garden->title() == QLatin1String("Garden") ? QStringLiteral("Yard")
                                                                        : QStringLiteral("Garden"));
            step += QStringLiteral("Garden renamed; ");
        }
        if (round % 31 == 17) {
            boat->setStatus(boat->status() == 1 ? 2 : 1);
            step += QStringLiteral("Boat's status changed; ");
        }
        save();
        expectEveryListAsBuiltAfresh(step);
        if (HasFatalFailure())
            return;
        if (round % 40 == 39) {
            m_clock.advance(24 * 3600);
            store().systemTimeZoneDidChangeNotification();
            expectEveryListAsBuiltAfresh(QStringLiteral("the day turned"));
            if (HasFatalFailure())
                return;
        }
    }
}

// More than 64 rows changing place in one update take the diff's other road: one layout change instead of a move a
// row. Two such updates in a row, so that the second starts from what the first arranged.
TEST_F(ListUpdatesTest, TwoLargeReorderingsInARowRearrangeTheItemAndHomeModelsByOneLayoutChangeEach)
{
    auto &b = build();
    KNVTCDTaskList *garden = b.project(QStringLiteral("Garden"));
    constexpr int count = 100;
    std::vector<KNVTCDTask *> tasks;
    std::vector<KNVTCDTaskList *> projects;
    for (int n = 0; n < count; ++n) {
        tasks.push_back(b.task(QStringLiteral("task %1").arg(n), {.list = garden, .orderIndex = n}));
        projects.push_back(b.project(QStringLiteral("project %1").arg(n, 3, 10, QLatin1Char('0'))));
    }
    save();

    const auto followItems = [this](const QString &name, auto make) {
        follow(name, make);
        check(name, model(*m_lists.back().list), {}, {knvt::ObjectUriRole});
    };
    followItems(QStringLiteral("table of Garden"), [garden] {
        auto list = std::make_unique<KNVTTaskListItemsTableViewController>(nullptr);
        list->setTaskList(garden);
        return list;
    });
    followItems(QStringLiteral("outline of Garden"), [garden] {
        auto list = std::make_unique<KNVTTaskListItemsOutlineViewController>(nullptr);
        list->setTaskList(garden);
        return list;
    });
    followItems(QStringLiteral("projects and areas"),
                [] { return std::make_unique<KNVTTaskListsOutlineViewController>(nullptr); });
    KNVTHomeViewController home(nullptr);
    home.view();
    check(QStringLiteral("home"), home.model(),
          [] {
              KNVTHomeViewController fresh(nullptr);
              fresh.view();
              return linesOf(*fresh.model());
          },
          {knvt::ObjectUriRole});
    expectEveryModelAsBuiltAfresh(QStringLiteral("the start"));
    ASSERT_FALSE(HasFatalFailure());

    // The tasks' order and the projects' titles reversed, then dealt out anew: hardly a row keeps its place.
    const std::vector<std::function<int(int)>> places{[](int n) { return count - 1 - n; },
                                                      [](int n) { return (n * 37) % count; }};
    for (size_t round = 0; round < places.size(); ++round) {
        for (int n = 0; n < count; ++n) {
            const int place = places[round](n);
            tasks[size_t(n)]->setTaskListOrderIndex(place);
            projects[size_t(n)]->setTitle(QStringLiteral("project %1").arg(place, 3, 10, QLatin1Char('0')));
        }
        for (Checked &followed : m_checked)
            followed.checked->forget();
        save();
        const QString step = QStringLiteral("large reordering %1").arg(round + 1);
        expectEveryModelAsBuiltAfresh(step);
        ASSERT_FALSE(HasFatalFailure());
        for (const Checked &followed : m_checked) {
            const knvt::test::CheckedModel::Heard &heard = followed.checked->heard();
            EXPECT_EQ(heard.layouts, 1) << qPrintable(followed.name) << " after " << qPrintable(step);
            EXPECT_EQ(heard.moves + heard.resets, 0) << qPrintable(followed.name) << " after " << qPrintable(step);
        }
    }
}

TEST_F(ListUpdatesTest, ChangesThatComeAnyWayLeaveEveryFollowedModelAsBuiltAfreshWithItsIndexesOnTheirRows)
{
    auto &b = build();
    QRandomGenerator random(3301);
    KNVTCDUser *ann = b.user(QStringLiteral("Ann"));
    KNVTCDUser *bea = b.user(QStringLiteral("Bea"));
    KNVTCDTaskList *garden = b.project(QStringLiteral("Garden"), {.members = {ann, bea}});
    KNVTCDTaskList *house = b.area(QStringLiteral("House"));
    std::vector<KNVTCDTaskList *> lists{nullptr, garden, house};
    KNVTCDTag *errand = b.tag(QStringLiteral("errand"));
    std::vector<KNVTCDTask *> tasks;
    for (int n = 0; n < 90; ++n) {
        KNVTCDTask *task = b.task(QStringLiteral("task %1").arg(n % 13),
                                  {.list = lists[size_t(n % 3)], .orderIndex = qint64(random.bounded(9))});
        if (n % 4 == 0)
            task->addTag(errand);
        tasks.push_back(task);
    }
    save();
    KNVTCDTask *shown = tasks[1];

    // Item lists, each model also checked.
    const auto followItems = [this](const QString &name, auto make) {
        follow(name, make);
        KNVTTaskStoreItemsViewController *list = m_lists.back().list.get();
        QAbstractItemModel *model = nullptr;
        if (auto *table = dynamic_cast<KNVTTaskStoreItemsTableViewController *>(list))
            model = table->tableModel();
        else if (auto *outline = dynamic_cast<KNVTTaskStoreItemsOutlineViewController *>(list))
            model = outline->outlineModel();
        check(name, model, {}, {knvt::ObjectUriRole});
    };
    followItems(QStringLiteral("Inbox"), [] {
        auto list = std::make_unique<KNVTFocusTaskListItemsTableViewController>(nullptr);
        list->setFocusTaskList(KNVTFocusTypeInbox);
        return list;
    });
    followItems(QStringLiteral("table of Garden"), [garden] {
        auto list = std::make_unique<KNVTTaskListItemsTableViewController>(nullptr);
        list->setTaskList(garden);
        return list;
    });
    followItems(QStringLiteral("tag errand"), [errand] {
        auto list = std::make_unique<KNVTTagsItemsOutlineViewController>(nullptr);
        list->setTags({errand});
        return list;
    });

    // The home list.
    const auto homeLines = [] {
        KNVTHomeViewController fresh(nullptr);
        fresh.view();
        return linesOf(*fresh.model());
    };
    KNVTHomeViewController home(nullptr);
    home.view();
    check(QStringLiteral("home"), home.model(), homeLines, {knvt::ObjectUriRole});

    // The people window with Ann chosen: everybody and Ann's memberships.
    const auto openPeople = [ann] {
        auto window = std::make_unique<KNVTUsersWindowController>();
        window->usersViewController()->setSelectedUser(ann);
        return window;
    };
    const std::unique_ptr<KNVTUsersWindowController> people = openPeople();
    check(QStringLiteral("people"), people->usersViewController()->model(),
          [&] { return linesOf(*openPeople()->usersViewController()->model()); }, {knvt::ObjectUriRole});
    check(QStringLiteral("Ann's memberships"), people->userViewController()->model(),
          [&] { return linesOf(*openPeople()->userViewController()->model()); }, {knvt::ObjectUriRole});

    // The detail of one task.
    KNVTTaskViewController detail(shown);
    detail.view();
    const auto detailLines = [shown] {
        KNVTTaskViewController fresh(shown);
        fresh.view();
        return linesOf(*fresh.model());
    };
    check(QStringLiteral("task detail"), detail.model(), detailLines,
          {KNVTTaskViewModel::KindRole, knvt::ObjectUriRole});
    expectEveryModelAsBuiltAfresh(QStringLiteral("the start"));
    ASSERT_FALSE(HasFatalFailure());

    // Edits of the task, its list, a person and a few other tasks, made through `context`.
    int round = 0;
    const auto edit = [&](ostore::Context &context) {
        const auto own = [&context](ostore::Object *object) { return context.existingObject(object->objectID()); };
        auto *task = static_cast<KNVTCDTask *>(own(shown));
        task->setTitle(QStringLiteral("shown %1").arg(++round));
        task->setNotes(round % 2 ? QStringLiteral("notes") : QString());
        static_cast<KNVTCDTaskList *>(own(garden))
            ->setTitle(round % 2 ? QStringLiteral("Yard") : QStringLiteral("Garden"));
        static_cast<KNVTCDUser *>(own(bea))->setFirstName(round % 2 ? QStringLiteral("Abby") : QStringLiteral("Bea"));
        for (int i = 0; i < 3; ++i) {
            auto *other = static_cast<KNVTCDTask *>(own(tasks[size_t(2 + random.bounded(int(tasks.size()) - 2))]));
            if (random.bounded(2))
                other->setTaskList(static_cast<KNVTCDTaskList *>(own(garden)));
            else
                other->markAsCompleted();
        }
    };

    // A sync session's merge.
    {
        ostore::Context session(store().persistentStoreCoordinator());
        edit(session);
        ostore::ChangeSet saved;
        QObject::connect(&session, &ostore::Context::didSave, &session,
                         [&saved](const ostore::ChangeSet &changes) { saved = changes; });
        ASSERT_TRUE(session.save());
        store().managedObjectContext()->mergeChanges(saved, ostore::ChangeOrigin::Merge);
    }
    expectEveryModelAsBuiltAfresh(QStringLiteral("a sync merge"));
    ASSERT_FALSE(HasFatalFailure());

    // Another process's writes, read again.
    {
        ostore::Coordinator other(KNVTCDModel());
        ASSERT_TRUE(other.open(store().persistentStoreCoordinator()->path()));
        ostore::Context writer(&other);
        edit(writer);
        ASSERT_TRUE(writer.save());
    }
    store().changedExternally();
    expectEveryModelAsBuiltAfresh(QStringLiteral("another process's save"));
    ASSERT_FALSE(HasFatalFailure());

    // A save the library refuses: its changes are rolled back, and every model shows what the library holds.
    ASSERT_TRUE(knvt::test::refuseWrites(store()));
    edit(*store().managedObjectContext());
    EXPECT_FALSE(store().saveUserChanges());
    ASSERT_TRUE(knvt::test::refuseWrites(store(), false));
    expectEveryModelAsBuiltAfresh(QStringLiteral("a refused save"));
    ASSERT_FALSE(HasFatalFailure());

    // Saves of more tasks than are placed one by one: new orders and titles, ticks, moves.
    for (int big = 0; big < 3; ++big) {
        edit(*store().managedObjectContext());
        for (KNVTCDTask *task : tasks) {
            if (task == shown || random.bounded(10) < 2)
                continue;
            switch (random.bounded(4)) {
            case 0: task->setTaskListOrderIndex(random.bounded(9)); break;
            case 1: task->setTitle(QStringLiteral("task %1").arg(random.bounded(13))); break;
            case 2: task->isCompleted() ? task->markAsUncompleted() : task->markAsCompleted(); break;
            default: task->setTaskList(lists[size_t(random.bounded(int(lists.size())))]); break;
            }
        }
        save();
        expectEveryModelAsBuiltAfresh(QStringLiteral("a save of many tasks %1").arg(big));
        ASSERT_FALSE(HasFatalFailure());
    }
}

TEST_F(ListUpdatesTest, EveryListFollowsTheClockAcrossStartAndDueTimesAndMidnightAsAListBuiltAfreshShows)
{
    auto &b = build();
    QRandomGenerator random(3317);
    KNVTCDTaskList *garden = b.project(QStringLiteral("Garden"));
    KNVTCDTaskList *house = b.area(QStringLiteral("House"));
    std::vector<KNVTCDTaskList *> lists{nullptr, garden, house};
    KNVTCDTag *errand = b.tag(QStringLiteral("errand"));
    KNVTCDTag *home = b.tag(QStringLiteral("home"));
    // Times of day over yesterday, today and the next two days, on the minute, some on midnight itself, as the
    // service and peers in other zones set them.
    const QDateTime yesterday = knvt::zeroHundredHoursDateForDate(now()).addDays(-1);
    auto someTime = [&]() -> QDateTime {
        switch (random.bounded(6)) {
        case 0: return {};
        case 1: return yesterday.addDays(1 + random.bounded(3));
        default: return yesterday.addSecs(60 * qint64(random.bounded(4 * 24 * 60)));
        }
    };
    std::vector<KNVTCDTask *> tasks;
    for (int n = 0; n < 60; ++n) {
        KNVTCDTask *task =
            b.task(QStringLiteral("task %1 %2").arg(n % 9).arg(n % 4 == 0 ? "alpha" : "beta"),
                   {.list = lists[size_t(random.bounded(int(lists.size())))], .orderIndex = qint64(random.bounded(6))});
        task->setStartDate(someTime());
        task->setDueDate(someTime());
        if (random.bounded(8) == 0)
            task->setStatus(KNVTTaskStatusSomeday);
        else if (random.bounded(8) == 0)
            task->markAsCompleted();
        if (random.bounded(2) == 0)
            task->addTag(errand);
        if (random.bounded(3) == 0)
            task->addTag(home);
        tasks.push_back(task);
    }
    save();
    settle();
    // Every kind of item list, each model also checked.
    followEveryItemList(garden, errand, home, QStringLiteral("alpha"));
    for (Followed &followed : m_lists)
        check(followed.name, model(*followed.list), {}, {knvt::ObjectUriRole});
    expectEveryModelAsBuiltAfresh(QStringLiteral("the start"));
    ASSERT_FALSE(HasFatalFailure());

    // What the alarm must wait for: the next midnight, or the first date of a task the clock can still move before it.
    auto nextInstant = [&] {
        QDateTime next = knvt::tomorrowAtZeroHundredHours();
        const QDateTime current = m_clock.now();
        for (KNVTCDTask *task : tasks) {
            if (task->isDeleted() || task->deletedDate().isValid() || task->isArchived())
                continue;
            for (const QDateTime &date : {task->startDate(), task->dueDate()})
                if (date.isValid() && date > current && date < next)
                    next = date;
        }
        return next;
    };
    const QDateTime end = yesterday.addDays(4);
    int steps = 0;
    for (int round = 0; m_clock.now() < end && round < 400; ++round) {
        QString step;
        // Now and then a save gives a task a time later today or tomorrow, which the alarm must then wait for, or
        // takes a task's dates away with the task.
        if (round % 3 == 0) {
            std::vector<KNVTCDTask *> live;
            for (KNVTCDTask *task : tasks)
                if (!task->isDeleted() && !task->deletedDate().isValid())
                    live.push_back(task);
            KNVTCDTask *task = live[size_t(random.bounded(int(live.size())))];
            const QDateTime date = m_clock.now().addSecs(60 * qint64(1 + random.bounded(36 * 60)));
            const int edit = random.bounded(6);
            step = QStringLiteral("\"%1\" %2 %3; ").arg(task->title()).arg(edit).arg(date.toString(Qt::ISODate));
            if (edit <= 1)
                task->setStartDate(date);
            else if (edit <= 3)
                task->setDueDate(date);
            else if (edit == 4)
                task->setArchived(!task->isArchived());
            else
                task->markAsDeleted();
            save();
            settle();
            expectEveryModelAsBuiltAfresh(step);
            ASSERT_FALSE(HasFatalFailure());
        }
        ASSERT_TRUE(m_sandbox.alarm().isArmed()) << qPrintable(step);
        ASSERT_EQ(m_sandbox.alarm().fireDate(), nextInstant()) << qPrintable(step);
        // The clock reaches the alarm's date itself, where "at or before now" first holds.
        const QDateTime date = m_sandbox.alarm().fireDate();
        step += QStringLiteral("the clock reached %1").arg(date.toString(Qt::ISODate));
        m_clock.setNow(date);
        ASSERT_TRUE(m_sandbox.alarm().fire());
        settle();
        expectEveryModelAsBuiltAfresh(step);
        ASSERT_FALSE(HasFatalFailure());
        ++steps;
    }
    // The clock went through every date of the tasks and three midnights.
    EXPECT_GT(steps, 60);
}

} // namespace
