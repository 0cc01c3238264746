#include "foundation/KNVTDeque.h"

#include <QString>
#include <QStringList>

#include <gtest/gtest.h>

#include <memory>

TEST(KNVTDeque, FrontIsTheLastStoredAndBackTheFirst)
{
    KNVTDeque<QString> deque;
    deque.pushFrontObject("a");
    deque.pushFrontObject("b");
    deque.pushBackObject("c");
    EXPECT_EQ(deque.objects(), (QList<QString>{"c", "a", "b"}));
    EXPECT_EQ(deque.numberOfObjects(), 3);
    EXPECT_EQ(deque.frontObject(), "b");
    EXPECT_EQ(deque.backObject(), "c");
    EXPECT_EQ(deque.numberOfObjects(), 3);
}

TEST(KNVTDeque, OneEndIsLastInFirstOutAndAcrossIsFirstInFirstOut)
{
    KNVTDeque<int> deque;
    for (int i = 1; i <= 3; ++i)
        deque.pushFrontObject(i);
    EXPECT_EQ(deque.popFrontObject(), 3);
    EXPECT_EQ(deque.popBackObject(), 1);
    EXPECT_EQ(deque.popBackObject(), 2);
    EXPECT_EQ(deque.numberOfObjects(), 0);

    for (int i = 1; i <= 3; ++i)
        deque.pushBackObject(i);
    EXPECT_EQ(deque.popBackObject(), 3);
    EXPECT_EQ(deque.popFrontObject(), 1);
    EXPECT_EQ(deque.popFrontObject(), 2);
}

TEST(KNVTDeque, AnEmptyDequeGivesNothingAndStaysEmpty)
{
    KNVTDeque<int> values;
    EXPECT_EQ(values.popFrontObject(), std::nullopt);
    EXPECT_EQ(values.popBackObject(), std::nullopt);
    EXPECT_EQ(values.frontObject(), std::nullopt);
    EXPECT_EQ(values.backObject(), std::nullopt);
    EXPECT_EQ(values.numberOfObjects(), 0);
    EXPECT_TRUE(values.objects().isEmpty());

    KNVTDeque<std::shared_ptr<QString>> pointers;
    EXPECT_EQ(pointers.popFrontObject(), nullptr);
    EXPECT_EQ(pointers.popBackObject(), nullptr);
    EXPECT_EQ(pointers.frontObject(), nullptr);
    EXPECT_EQ(pointers.numberOfObjects(), 0);
}

TEST(KNVTDeque, SettingObjectsCopiesThemBothWays)
{
    KNVTDeque<QString> deque;
    deque.pushFrontObject("old");
    QStringList given{"x", "y"};
    deque.setObjects(given);
    given.append("z");
    given[0] = "changed";
    EXPECT_EQ(deque.backObject(), "x");
    EXPECT_EQ(deque.frontObject(), "y");
    EXPECT_EQ(deque.numberOfObjects(), 2);

    QList<QString> read = deque.objects();
    read.clear();
    EXPECT_EQ(deque.numberOfObjects(), 2);

    deque.setObjects({});
    EXPECT_EQ(deque.numberOfObjects(), 0);
    EXPECT_EQ(deque.frontObject(), std::nullopt);
}

TEST(KNVTDeque, DescribesItselfBackFirst)
{
    KNVTDeque<QString> deque;
    EXPECT_EQ(deque.description(), "KNVTDeque -- (\n)");
    deque.pushFrontObject("a");
    deque.pushFrontObject("b");
    deque.pushBackObject("c");
    EXPECT_EQ(deque.description(), "KNVTDeque -- (\n    c,\n    a,\n    b\n)");

    KNVTDeque<int> numbers;
    numbers.pushFrontObject(7);
    EXPECT_EQ(numbers.description(), "KNVTDeque -- (\n    7\n)");
}

TEST(KNVTDequeDeathTest, RefusesANullObject)
{
    KNVTDeque<std::shared_ptr<QString>> deque;
    EXPECT_DEATH(deque.pushFrontObject(nullptr), "KNVTDeque:pushFrontObject assertion failed");
    EXPECT_DEATH(deque.pushBackObject(nullptr), "KNVTDeque:pushBackObject assertion failed");
    EXPECT_DEATH(deque.setObjects({std::make_shared<QString>("x"), nullptr}), "KNVTDeque:setObjects assertion failed");
}
