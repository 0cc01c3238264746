#include "foundation/CollectionAdditions.h"

#include <QList>
#include <QSet>
#include <QString>

#include <gtest/gtest.h>

#include <memory>
#include <utility>
#include <vector>

namespace {

struct Item
{
    virtual ~Item() = default;
};
struct Task : Item
{};
struct RecurringTask : Task
{};
struct Tag : Item
{};

using Window = std::pair<QStringList, QList<qsizetype>>;

// Every window the enumeration hands out, copied as a caller that keeps them must.
std::vector<Window> windows(const QStringList &array, qsizetype count, knvt::EnumerationOptions options,
                            qsizetype stopAfter = -1)
{
    std::vector<Window> seen;
    knvt::enumerateNumberOfConsecutiveObjects(
        array, count, options, [&](const QList<QString> &objects, const knvt::IndexSet &indexes, bool &stop) {
            seen.emplace_back(objects, knvt::indexes(indexes));
            if (qsizetype(seen.size()) == stopAfter)
                stop = true;
        });
    return seen;
}

} // namespace

TEST(ClassTests, MemberMeansExactlyThatClassAndKindIncludesSubclasses)
{
    auto task = std::make_shared<Task>();
    auto recurring = std::make_shared<RecurringTask>();
    auto tag = std::make_shared<Tag>();
    const QList<std::shared_ptr<Item>> items{recurring, tag, recurring, nullptr};

    EXPECT_FALSE(knvt::containsMemberOfClass<Task>(items));
    EXPECT_TRUE(knvt::containsKindOfClass<Task>(items));
    EXPECT_TRUE(knvt::containsMemberOfClass<RecurringTask>(items));
    EXPECT_EQ(knvt::numberOfInstancesForMembersOfClass<Task>(items), 0);
    EXPECT_EQ(knvt::numberOfInstancesForKindOfClass<Task>(items), 2);
    EXPECT_EQ(knvt::numberOfInstancesForKindOfClass<Item>(items), 3);
    EXPECT_EQ(knvt::numberOfInstancesForMembersOfClass<Item>(items), 0);

    const std::vector<Item *> raw{task.get(), recurring.get(), task.get()};
    EXPECT_TRUE(knvt::containsMemberOfClass<Task>(raw));
    EXPECT_EQ(knvt::numberOfInstancesForMembersOfClass<Task>(raw), 2);
    EXPECT_EQ(knvt::numberOfInstancesForKindOfClass<Task>(raw), 3);
    EXPECT_FALSE(knvt::containsKindOfClass<Tag>(raw));
    EXPECT_FALSE(knvt::containsKindOfClass<Item>(std::vector<Item *>{}));
}

TEST(Indexes, AreListedInAscendingOrder)
{
    EXPECT_EQ(knvt::indexes(knvt::IndexSet{5, 1, 3}), (QList<qsizetype>{1, 3, 5}));
    EXPECT_TRUE(knvt::indexes(knvt::IndexSet{}).isEmpty());
}

TEST(ConsecutiveObjects, SlideForwardOneElementAtATime)
{
    const QStringList abc{"a", "b", "c"};
    EXPECT_EQ(windows(abc, 2, knvt::EnumerationOptions::None),
              (std::vector<Window>{{{"a", "b"}, {0, 1}}, {{"b", "c"}, {1, 2}}}));
    EXPECT_EQ(windows(abc, 1, knvt::EnumerationOptions::None),
              (std::vector<Window>{{{"a"}, {0}}, {{"b"}, {1}}, {{"c"}, {2}}}));
    EXPECT_EQ(windows(abc, 3, knvt::EnumerationOptions::None), (std::vector<Window>{{{"a", "b", "c"}, {0, 1, 2}}}));
    EXPECT_TRUE(windows(abc, 4, knvt::EnumerationOptions::None).empty());
    EXPECT_TRUE(windows({}, 1, knvt::EnumerationOptions::None).empty());
}

TEST(ConsecutiveObjects, StopEndsTheEnumeration)
{
    const QStringList abcd{"a", "b", "c", "d"};
    EXPECT_EQ(windows(abcd, 2, knvt::EnumerationOptions::None, 1), (std::vector<Window>{{{"a", "b"}, {0, 1}}}));
    EXPECT_EQ(windows(abcd, 2, knvt::EnumerationOptions::None, 2).size(), 2u);
}

TEST(ConsecutiveObjects, InReverseTheIndexesStayWithTheirObjects)
{
    const QStringList abcd{"a", "b", "c", "d"};
    EXPECT_EQ(windows(abcd, 2, knvt::EnumerationOptions::Reverse),
              (std::vector<Window>{{{"d", "c"}, {2, 3}}, {{"c", "b"}, {1, 2}}, {{"b", "a"}, {0, 1}}}));
    EXPECT_EQ(windows(abcd, 3, knvt::EnumerationOptions::Reverse),
              (std::vector<Window>{{{"d", "c", "b"}, {1, 2, 3}}, {{"c", "b", "a"}, {0, 1, 2}}}));
}

TEST(ConsecutiveObjectsDeathTest, NeedAPositiveCount)
{
    EXPECT_DEATH(windows({"a"}, 0, knvt::EnumerationOptions::None),
                 "QList:enumerateNumberOfConsecutiveObjects assertion failed");
}

TEST(ComparedToSet, ReportsWhatWasAddedAndWhatWasRemoved)
{
    const QSet<QString> before{"a", "b"};
    const QSet<QString> after{"b", "c"};
    QSet<QString> added{"stale"};
    QSet<QString> removed{"stale"};
    knvt::comparedToSet(before, after, added, removed);
    EXPECT_EQ(added, QSet<QString>{"c"});
    EXPECT_EQ(removed, QSet<QString>{"a"});

    knvt::comparedToSet(before, QSet<QString>{"b", "a"}, added, removed);
    EXPECT_TRUE(added.isEmpty());
    EXPECT_TRUE(removed.isEmpty());

    knvt::comparedToSet(QSet<QString>{}, before, added, removed);
    EXPECT_EQ(added, before);
    EXPECT_TRUE(removed.isEmpty());
}

TEST(ComparedToSet, AnOutputMayBeOneOfTheInputs)
{
    QSet<int> members{1, 2};
    QSet<int> removed;
    knvt::comparedToSet(members, QSet<int>{2, 3}, members, removed);
    EXPECT_EQ(members, QSet<int>{3});
    EXPECT_EQ(removed, QSet<int>{1});
}
