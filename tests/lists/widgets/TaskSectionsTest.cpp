// The sections of the lists that group tasks by state sort each group in the model's own order.

#include "ListTest.h"

#include "lists/TaskSections.h"

#include "model/KNVTCDTask.h"

#include <algorithm>

namespace {

class TaskSectionsTest : public ListTest
{};

} // namespace

TEST_F(TaskSectionsTest, EachGroupIsInTheOrderOfItsModelComparator)
{
    knvt::test::TaskStoreBuilder make(store().managedObjectContext());
    const knvt::test::GeneratedLibrary library =
        make.generateLibrary({.users = 5, .lists = 6, .tasks = 12000, .tags = 3, .watchers = 0, .now = now()});
    auto &b = build();
    // Ties on every first key, titles differing only in case and accents, and tasks without any key.
    for (const char *title : {"apple", "Apple", "épée", "Epee", "zebra", "Zebra"}) {
        b.task(QString::fromUtf8(title), {.orderIndex = 3});
        b.task(QString::fromUtf8(title), {.due = now().addDays(4), .start = now().addDays(2)});
        b.task(QString::fromUtf8(title), {.status = 1});
        b.task(QString::fromUtf8(title), {.status = 4, .statusModified = now().addDays(-1)});
        b.task(QString::fromUtf8(title), {.status = 4});
    }
    save();
    const knvt::TaskSections sections = knvt::TaskSections::byStatus(store().tasks());
    const KNVTCDTaskStoreObject::Comparator comparators[4] = {
        KNVTCDTask::uncompletedTaskComparator(), KNVTCDTask::scheduledTaskComparator(),
        KNVTCDTask::somedayTaskComparator(), KNVTCDTask::completedTaskComparator()};
    const std::vector<KNVTCDTask *> *groups[4] = {&sections.incomplete, &sections.scheduled, &sections.someday,
                                                  &sections.completed};
    // Big groups are sorted in runs that are then merged.
    EXPECT_GT(sections.incomplete.size(), 2500u);
    for (int i = 0; i < 4; ++i) {
        std::vector<KNVTCDTask *> expected = *groups[i];
        ASSERT_GT(expected.size(), 10u) << "group " << i;
        std::stable_sort(expected.begin(), expected.end(),
                         [&](const KNVTCDTask *a, const KNVTCDTask *c) { return comparators[i](a, c); });
        EXPECT_EQ(sections.sortedGroup(i), expected) << "group " << i;
    }
    (void)library;
}
