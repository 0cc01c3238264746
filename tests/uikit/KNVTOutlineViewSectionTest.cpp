#include "uikit/KNVTOutlineViewSection.h"

#include <QSet>
#include <QUrl>

#include <gtest/gtest.h>

namespace {

using Section = KNVTOutlineViewSection;

TEST(KNVTOutlineViewSection, StartsExpandableAndCollapsibleWithoutContents)
{
    const Section plain;
    EXPECT_TRUE(plain.isCollapsible());
    EXPECT_TRUE(plain.isExpandable());
    EXPECT_TRUE(plain.identifier().isNull());
    EXPECT_TRUE(plain.name().isNull());
    EXPECT_EQ(plain.numberOfChildren(), 0);

    Section named(QStringLiteral("Scheduled"), QStringLiteral("Later"));
    EXPECT_EQ(named.identifier(), QStringLiteral("Scheduled"));
    EXPECT_EQ(named.name(), QStringLiteral("Later"));
    EXPECT_TRUE(named.isCollapsible());
    EXPECT_TRUE(named.isExpandable());
    named.setChildren({QUrl(QStringLiteral("x-store://t/1")), QUrl(QStringLiteral("x-store://t/2"))});
    EXPECT_EQ(named.numberOfChildren(), 2);
}

TEST(KNVTOutlineViewSection, SectionsWithTheSameIdentifierAreEqualWhateverTheirContents)
{
    const auto old = Section::create(QStringLiteral("Incomplete"), QStringLiteral("Incomplete"));
    old->setChildren({QStringLiteral("a"), QStringLiteral("b")});
    const auto rebuilt = Section::create(QStringLiteral("Incomplete"), QStringLiteral("Offen"));
    rebuilt->setCollapsible(false);

    EXPECT_TRUE(old->isEqual(*rebuilt));
    EXPECT_TRUE(*rebuilt == *old);
    EXPECT_EQ(qHash(*old), qHash(*rebuilt));
    EXPECT_TRUE(old->isEqual(Section::item(rebuilt)));

    // A set keyed by section finds the old entry for the rebuilt section.
    QSet<Section> shown{*old};
    EXPECT_TRUE(shown.contains(*rebuilt));
    EXPECT_EQ(shown.constFind(*rebuilt)->numberOfChildren(), 2);

    EXPECT_FALSE(old->isEqual(Section(QStringLiteral("Completed"), QStringLiteral("Incomplete"))));
}

TEST(KNVTOutlineViewSection, IsNeverEqualToAnythingButASection)
{
    const Section section(QStringLiteral("Someday Projects"), QStringLiteral("Someday"));
    EXPECT_FALSE(section.isEqual(QVariant(QStringLiteral("Someday Projects"))));
    EXPECT_FALSE(section.isEqual(QVariant()));
    EXPECT_FALSE(section.isEqual(QVariant::fromValue(KNVTOutlineViewSection::Pointer())));
    EXPECT_EQ(Section::fromItem(QVariant(QStringLiteral("Someday Projects"))), nullptr);
}

TEST(KNVTOutlineViewSection, WithoutIdentifierEqualsOnlyItself)
{
    const auto anonymous = Section::create();
    const auto other = Section::create();
    const auto empty = Section::create(QStringLiteral(""), QStringLiteral("x"));

    EXPECT_TRUE(anonymous->isEqual(*anonymous));
    EXPECT_TRUE(anonymous->isEqual(Section::item(anonymous)));
    EXPECT_FALSE(anonymous->isEqual(*other));
    EXPECT_FALSE(anonymous->isEqual(*empty));
    EXPECT_FALSE(empty->isEqual(*anonymous));
    // An empty identifier is an identifier.
    EXPECT_TRUE(empty->isEqual(Section(QStringLiteral(""), QStringLiteral("y"))));

    QSet<Section> set{*anonymous, *other};
    EXPECT_EQ(set.size(), 2);
}

} // namespace
