#include "TaskStoreTest.h"

#include <functional>

namespace {

using Items = KNVTTaskStore::Items;

class TaskStoreFocusTest : public TaskStoreTest
{
protected:
    KNVTCDTask *task(const QString &title, const QDateTime &start = {}, const QDateTime &due = {},
                     KNVTCDTaskList *list = nullptr)
    {
        KNVTCDTask *made = store().taskWithTitle(title);
        made->setStartDate(start);
        made->setDueDate(due);
        made->setTaskList(list);
        return made;
    }

    // "<title> <focus>", with "+start" while the task has a start date; a list by its own focus.
    static QString described(ostore::Object *object)
    {
        if (auto *t = dynamic_cast<KNVTCDTask *>(object))
            return QStringLiteral("%1 %2%3").arg(t->title(),
                                                 KNVTCDTask::localizedDisplayNameForFocusType(t->focusType()),
                                                 t->startDate().isValid() ? QStringLiteral(" +start") : QString());
        auto *list = dynamic_cast<KNVTCDTaskList *>(object);
        return QStringLiteral("%1 list %2").arg(list->title(), QString::number(int(list->focusType())));
    }
};

const QDateTime yesterday = QDateTime(QDate(2015, 3, 3), QTime(9, 0));

// Every window, list, menu and drop toggles Today by this one rule: a task in Today only because it is overdue goes
// to Today (today's start) first, and only a task in Today by its start goes to Next.
TEST_F(TaskStoreFocusTest, TodaysToggleTakesEveryItemToTodayUnlessAllAreThereByTheirStart)
{
    const struct
    {
        const char *name;
        std::function<Items()> items;
        QStringList once, twice;
    } rows[] = {
        {"an overdue task", [this] { return Items{task("pay", {}, yesterday)}; }, {"pay Today +start"}, {"pay Today"}},
        {"a task started yesterday",
         [this] { return Items{task("call", yesterday)}; },
         {"call Next"},
         {"call Today +start"}},
        {"a task of Next", [this] { return Items{task("read")}; }, {"read Today +start"}, {"read Next"}},
        {"a started task and an overdue one",
         [this] {
             return Items{task("call", yesterday), task("pay", {}, yesterday)};
         },
         {"call Today +start", "pay Today +start"},
         {"call Next", "pay Today"}},
        {"a project whose task has not started",
         [this] {
             KNVTCDTaskList *garden = store().projectWithTitle(QStringLiteral("Garden"));
             KNVTCDTask *rake = task("rake", {}, {}, garden);
             return Items{garden, rake};
         },
         {"Garden list 1", "rake Today +start"},
         {"Garden list 1", "rake Next"}},
    };
    for (const auto &row : rows) {
        SCOPED_TRACE(row.name);
        const Items items = row.items();
        save();
        const auto state = [&items] {
            QStringList lines;
            for (ostore::Object *item : items)
                lines << described(item);
            return lines;
        };
        store().toggleToday(items);
        EXPECT_EQ(state(), row.once);
        EXPECT_FALSE(context().hasChanges()) << "saved at once";
        store().toggleToday(items);
        EXPECT_EQ(state(), row.twice);
        for (ostore::Object *item : items)
            if (auto *t = dynamic_cast<KNVTCDTask *>(item))
                t->setStatus(4);
        save();
    }
}

// The moves of the menus, the keys and the drops onto the home list's focus entries.
TEST_F(TaskStoreFocusTest, MovingToAFocusListSetsTasksAndListsInOneOrderAndSaves)
{
    KNVTCDUser *ann = insertUser(QStringLiteral("Ann"));
    KNVTCDTaskList *garden = store().projectWithTitle(QStringLiteral("Garden"));
    KNVTCDTask *rake = task("rake", {}, {}, garden);
    KNVTCDTask *hoe = task("hoe", yesterday, {}, garden);
    KNVTCDTask *pay = task("pay", {}, yesterday);
    pay->setAssignee(ann);
    save();

    store().moveItemsToFocus({garden, rake}, KNVTFocusTypeSomeday);
    EXPECT_EQ((QStringList{described(garden), described(rake), described(hoe)}),
              (QStringList{"Garden list 3", "rake Someday", "hoe Someday"}));
    EXPECT_FALSE(context().hasChanges());

    // To Next the tasks go first and the project then takes its remaining open tasks along.
    store().moveItemsToFocus({garden, rake}, KNVTFocusTypeNext);
    EXPECT_EQ((QStringList{described(garden), described(rake), described(hoe)}),
              (QStringList{"Garden list 1", "rake Next", "hoe Next"}));

    store().moveItemsToFocus({garden, hoe}, KNVTFocusTypeToday);
    EXPECT_EQ((QStringList{described(rake), described(hoe)}), (QStringList{"rake Today +start", "hoe Today +start"}));

    // Scheduling is the sheet's: no move.
    store().moveItemsToFocus({pay}, KNVTFocusTypeScheduled);
    EXPECT_EQ(described(pay), QStringLiteral("pay Today"));
    EXPECT_EQ(pay->assignee(), ann);

    // The Inbox takes tasks only, and makes them mine.
    store().moveItemsToFocus({garden, rake, pay}, KNVTFocusTypeInbox);
    EXPECT_EQ(rake->taskList(), nullptr);
    EXPECT_EQ(pay->assignee(), store().me());
    EXPECT_EQ(pay->dueDate(), QDateTime());
    EXPECT_FALSE(garden->isDeleted());
    EXPECT_EQ(hoe->taskList(), garden);
    EXPECT_FALSE(context().hasChanges());
}

} // namespace
