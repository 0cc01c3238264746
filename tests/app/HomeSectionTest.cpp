// The home list's sections, their persisted expansion, and the reorder of lists dropped between rows.

#include "app/KNVTHomeSection.h"
#include "app/KNVTHomeViewController.h"

#include "support/TaskStoreSandbox.h"

#include "foundation/Defaults.h"
#include "uikit/KNVTPreferenceKeys.h"

#include <gtest/gtest.h>

using knvt::HomeEntry;

namespace {

class HomeSectionTest : public ::testing::Test
{
protected:
    void SetUp() override { setExpanded(QVariantList{0, 1, 2, 3, 4}); }
    void setExpanded(const QVariant &value)
    {
        knvt::Defaults::standard().setValue(QString::fromLatin1(KNVTHomeSectionExpandedHomeSectionTypes), value);
    }
    QVariant expanded()
    {
        return knvt::Defaults::standard().value(QString::fromLatin1(KNVTHomeSectionExpandedHomeSectionTypes));
    }
    knvt::test::TaskStoreSandbox m_sandbox;
};

QList<KNVTFocusType> focusTypes(const KNVTHomeSection &section)
{
    QList<KNVTFocusType> types;
    for (const HomeEntry &entry : section.children())
        if (entry.kind == HomeEntry::Kind::FocusList)
            types << entry.focusType;
    return types;
}

} // namespace

TEST_F(HomeSectionTest, FocusShowsDelegatedOnlyWhenItIsMadeWithDelegatedTasks)
{
    KNVTHomeSection without(KNVTHomeSectionTypeFocus);
    EXPECT_EQ(without.numberOfChildren(), 6);
    EXPECT_EQ(focusTypes(without),
              (QList<KNVTFocusType>{KNVTFocusTypeInbox, KNVTFocusTypeToday, KNVTFocusTypeNext, KNVTFocusTypeScheduled,
                                    KNVTFocusTypeSomeday}));
    EXPECT_EQ(without.children().back().item.identifier(), QStringLiteral("TaskLists"));

    auto &b = m_sandbox.build();
    b.task(QStringLiteral("for Ann"), {.assignee = b.user(QStringLiteral("Ann"))});
    ASSERT_TRUE(b.save());
    without.reloadData();
    EXPECT_EQ(without.numberOfChildren(), 6) << "a section is a snapshot";
    KNVTHomeSection with(KNVTHomeSectionTypeFocus);
    EXPECT_EQ(with.numberOfChildren(), 7);
    EXPECT_EQ(with.childAtIndex(5).focusType, KNVTFocusTypeDelegated);
}

TEST_F(HomeSectionTest, FocusIsAlwaysExpandedAndTheOthersFollowTheDefaults)
{
    setExpanded(QVariantList{2});
    EXPECT_TRUE(KNVTHomeSection(KNVTHomeSectionTypeFocus).isExpanded());
    EXPECT_FALSE(KNVTHomeSection(KNVTHomeSectionTypeFocus).isCollapsible());
    EXPECT_FALSE(KNVTHomeSection(KNVTHomeSectionTypeProjects).isExpanded());
    EXPECT_TRUE(KNVTHomeSection(KNVTHomeSectionTypeAreas).isExpanded());
    setExpanded(QVariantList{});
    EXPECT_FALSE(KNVTHomeSection(KNVTHomeSectionTypeArchived).isExpanded());
}

TEST_F(HomeSectionTest, CollapsingAndExpandingWritesEachTypeOnceAtOnce)
{
    KNVTHomeSection projects(KNVTHomeSectionTypeProjects);
    projects.setExpanded(false);
    EXPECT_EQ(expanded().toList(), (QVariantList{0, 2, 3, 4}));
    projects.setExpanded(true);
    projects.setExpanded(true);
    EXPECT_EQ(expanded().toList(), (QVariantList{0, 1, 2, 3, 4}));
    EXPECT_TRUE(projects.isExpanded());
}

TEST_F(HomeSectionTest, NamesAreUpperCaseAndUnknownTypesAreADashWithoutChildren)
{
    EXPECT_EQ(KNVTHomeSection::localizedDisplayNameForHomeSectionType(KNVTHomeSectionTypeAreas),
              QStringLiteral("AREAS"));
    EXPECT_EQ(KNVTHomeSection::localizedDisplayNameForHomeSectionType(5), QStringLiteral("-"));
    EXPECT_EQ(KNVTHomeSection::localizedDisplayNameForHomeSectionType(-1), QStringLiteral("-"));
    EXPECT_EQ(KNVTHomeSection(5).numberOfChildren(), 0);
    // Equal by type, whatever the children.
    EXPECT_TRUE(KNVTHomeSection(KNVTHomeSectionTypeProjects) == KNVTHomeSection(KNVTHomeSectionTypeProjects));
}

TEST_F(HomeSectionTest, ListsAreSortedByMyOrderThenByTitle)
{
    auto &b = m_sandbox.build();
    b.project(QStringLiteral("b"));
    b.project(QStringLiteral("a"));
    b.project(QStringLiteral("z"), {.orderIndex = 0});
    b.project(QStringLiteral("someday"), {.status = 1});
    ASSERT_TRUE(b.save());
    KNVTHomeSection projects(KNVTHomeSectionTypeProjects);
    QStringList titles;
    for (const HomeEntry &entry : projects.children())
        titles << dynamic_cast<KNVTCDTaskList *>(m_sandbox.store().objectForURI(entry.uri))->title();
    EXPECT_EQ(titles, (QStringList{"z", "a", "b"}));
    EXPECT_EQ(KNVTHomeSection(KNVTHomeSectionTypeAreas).numberOfChildren(), 0);
}

TEST(HomeReorder, DroppedListsTakeTheDropPositionInDragOrder)
{
    const QUrl a(QStringLiteral("x:a")), b(QStringLiteral("x:b")), c(QStringLiteral("x:c")), d(QStringLiteral("x:d"));
    EXPECT_EQ(KNVTHomeViewController::reorder({a, b, c, d}, {c, d}, 0), (std::vector<QUrl>{c, d, a, b}));
    EXPECT_EQ(KNVTHomeViewController::reorder({a, b, c}, {a}, 2), (std::vector<QUrl>{b, a, c}));
    // A list that was not in the section (an activated one) is inserted where it was dropped.
    const QUrl e(QStringLiteral("x:e"));
    EXPECT_EQ(KNVTHomeViewController::reorder({a, b}, {e}, 1), (std::vector<QUrl>{a, e, b}));
    EXPECT_EQ(KNVTHomeViewController::reorder({a, b}, {e}, -1), (std::vector<QUrl>{e, a, b}));
}
