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

#include "model/KNVTCDTag.h"
#include "model/KNVTCDTask.h"
#include "model/KNVTCDTaskList.h"

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

    // Every followed list against a new one of its kind; rows must be equal in everything they show.
    void expectEveryListAsBuiltAfresh(const QString &step)
    {
        for (Followed &followed : m_lists) {
            const std::unique_ptr<KNVTTaskStoreItemsViewController> fresh = followed.make();
            const QStringList shown = describe(*followed.list);
            const QStringList built = describe(*fresh);
            ASSERT_EQ(shown, built) << qPrintable(followed.name) << " after " << qPrintable(step);
            for (int i = 0; i < fresh->numberOfRows(); ++i)
                ASSERT_TRUE(*followed.list->rowAt(i) == *fresh->rowAt(i))
                    << qPrintable(followed.name) << " row " << i << " after " << qPrintable(step);
        }
    }

    std::vector<Followed> m_lists;
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

    for (unsigned int type = 0; type <= 7; ++type)
        follow(QStringLiteral("focus list %1").arg(type), [type] {
            auto list = std::make_unique<KNVTFocusTaskListItemsTableViewController>(nullptr);
            list->setFocusTaskList(type);
            return list;
        });
    follow(QStringLiteral("table of Garden"), [garden] {
        auto list = std::make_unique<KNVTTaskListItemsTableViewController>(nullptr);
        list->setTaskList(garden);
        return list;
    });
    follow(QStringLiteral("outline of Garden"), [garden] {
        auto list = std::make_unique<KNVTTaskListItemsOutlineViewController>(nullptr);
        list->setTaskList(garden);
        return list;
    });
    follow(QStringLiteral("tag errand"), [errand] {
        auto list = std::make_unique<KNVTTagsItemsOutlineViewController>(nullptr);
        list->setTags({errand});
        return list;
    });
    follow(QStringLiteral("tags errand and home"), [errand, home] {
        auto list = std::make_unique<KNVTTagsItemsOutlineViewController>(nullptr);
        list->setTags({errand, home});
        return list;
    });
    follow(QStringLiteral("search alpha"), [] {
        auto list = std::make_unique<KNVTSearchItemsOutlineViewController>(nullptr);
        list->setSearchString(QStringLiteral("alpha"));
        return list;
    });
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

} // namespace
