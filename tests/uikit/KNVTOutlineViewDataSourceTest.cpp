#include "uikit/KNVTOutlineViewDataSource.h"
#include "uikit/KNVTOutlineViewDataSourceRemoveUpdateObject.h"

#include <QAbstractItemModelTester>
#include <QSignalSpy>
#include <QTreeView>
#include <QUrl>

#include <gtest/gtest.h>

namespace {

using Section = KNVTOutlineViewSection;
using Marker = KNVTOutlineViewDataSourceRemoveUpdateObject;
using DataSource = KNVTOutlineViewDataSource;

QUrl uri(int number)
{
    return QUrl(QStringLiteral("x-quillvane://store/Task/p%1").arg(number));
}

QVariant marked(const QVariant &element)
{
    return Marker::outlineViewDataSourceRemoveUpdateObjectWithRemovedObject(element);
}

// Replaces child `row` of `section` by a marker, the way an owner marks a row for removal.
void markChild(const Section::Pointer &section, int row)
{
    QVariantList children = section->children();
    children[row] = marked(children.at(row));
    section->setChildren(children);
}

QStringList displayed(const QAbstractItemModel &model, const QModelIndex &parent = QModelIndex())
{
    QStringList texts;
    for (int row = 0; row < model.rowCount(parent); ++row)
        texts.append(model.index(row, 0, parent).data().toString());
    return texts;
}

// Where the model said rows went: "parent-row:first-last", the parent row -1 for the top level.
QStringList removals(const QSignalSpy &spy)
{
    QStringList list;
    for (const QList<QVariant> &arguments : spy) {
        const auto parent = arguments.at(0).value<QModelIndex>();
        list.append(QStringLiteral("%1:%2-%3")
                        .arg(parent.isValid() ? parent.row() : -1)
                        .arg(arguments.at(1).toInt())
                        .arg(arguments.at(2).toInt()));
    }
    return list;
}

class KNVTOutlineViewDataSourceTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        incomplete->setChildren({uri(1), uri(2), uri(3), uri(4)});
        scheduled->setChildren({uri(5)});
        completed->setChildren({uri(6), uri(7)});
        source.setSections({Section::item(incomplete), Section::item(scheduled), Section::item(completed)});
    }

    Section::Pointer incomplete = Section::create(QStringLiteral("Incomplete"), QStringLiteral("To Do"));
    Section::Pointer scheduled = Section::create(QStringLiteral("Scheduled"), QStringLiteral("Later"));
    Section::Pointer completed = Section::create(QStringLiteral("Completed"), QStringLiteral("Done"));
    QTreeView view;
    DataSource source{&view};
    QAbstractItemModelTester tester{&source, QAbstractItemModelTester::FailureReportingMode::Fatal};
};

TEST_F(KNVTOutlineViewDataSourceTest, ShowsSectionsAsGroupRowsAboveTheirChildren)
{
    EXPECT_EQ(view.model(), &source);
    EXPECT_EQ(source.outlineView(), &view);
    EXPECT_EQ(source.numberOfSections(), 3);
    EXPECT_EQ(source.numberOfChildrenInSectionAtIndex(0), 4);
    EXPECT_EQ(Section::fromItem(source.sectionAtIndex(1)), scheduled);
    EXPECT_EQ(displayed(source), (QStringList{"To Do", "Later", "Done"}));

    const QModelIndex group = source.index(2, 0);
    EXPECT_EQ(group.data(DataSource::SectionIdentifierRole).toString(), QStringLiteral("Completed"));
    EXPECT_FALSE(group.data(knvt::ObjectUriRole).isValid());
    EXPECT_TRUE(source.flags(group).testFlag(Qt::ItemIsEnabled));
    EXPECT_FALSE(source.flags(group).testFlag(Qt::ItemIsSelectable));
    EXPECT_TRUE(view.isFirstColumnSpanned(2, QModelIndex()));

    const QModelIndex row = source.index(1, 0, group);
    EXPECT_EQ(row.data(knvt::ObjectUriRole).toUrl(), uri(7));
    EXPECT_EQ(row.data().toString(), uri(7).toString());
    EXPECT_TRUE(source.flags(row).testFlag(Qt::ItemIsSelectable));
    EXPECT_EQ(source.parent(row), group);

    // Children that are not URIs are shown by their text and carry no object.
    scheduled->setChildren({QStringLiteral("Someday Tasks")});
    EXPECT_EQ(displayed(source, source.index(1, 0)), QStringList{"Someday Tasks"});
    EXPECT_FALSE(source.index(0, 0, source.index(1, 0)).data(knvt::ObjectUriRole).isValid());
}

TEST_F(KNVTOutlineViewDataSourceTest, RemovingTheLastChildOfASectionRemovesTheSectionInTheSameBatch)
{
    QSignalSpy removed(&source, &QAbstractItemModel::rowsRemoved);
    source.beginUpdates();
    EXPECT_TRUE(source.isUpdating());
    EXPECT_FALSE(view.updatesEnabled());
    markChild(scheduled, 0);
    // Until the commit the marked row still shows its object.
    EXPECT_EQ(source.index(0, 0, source.index(1, 0)).data(knvt::ObjectUriRole).toUrl(), uri(5));
    source.endUpdates();

    EXPECT_FALSE(source.isUpdating());
    EXPECT_TRUE(view.updatesEnabled());
    EXPECT_EQ(removals(removed), (QStringList{"1:0-0", "-1:1-1"}));
    EXPECT_EQ(displayed(source), (QStringList{"To Do", "Done"}));
    EXPECT_EQ(scheduled->numberOfChildren(), 0);
    EXPECT_EQ(source.sections(), (QVariantList{Section::item(incomplete), Section::item(completed)}));
}

TEST_F(KNVTOutlineViewDataSourceTest, EmptySectionsStayWhenAllowed)
{
    source.setAllowsEmptySections(true);
    source.beginUpdates();
    markChild(scheduled, 0);
    source.endUpdates();
    EXPECT_EQ(displayed(source), (QStringList{"To Do", "Later", "Done"}));
    EXPECT_EQ(source.rowCount(source.index(1, 0)), 0);

    // Without permission, a section that is empty at commit goes, even one the owner did not touch.
    source.setAllowsEmptySections(false);
    source.beginUpdates();
    source.endUpdates();
    EXPECT_EQ(displayed(source), (QStringList{"To Do", "Done"}));
}

TEST_F(KNVTOutlineViewDataSourceTest, AMarkerInTheSectionsRemovesTheWholeSectionWithItsRows)
{
    QSignalSpy reset(&source, &QAbstractItemModel::modelReset);
    QSignalSpy removed(&source, &QAbstractItemModel::rowsRemoved);
    const QPersistentModelIndex lastRow = source.index(1, 0, source.index(2, 0));

    source.beginUpdates();
    QVariantList sections = source.sections();
    sections[0] = marked(sections.at(0));
    source.setSections(sections);
    // Marking is no reset: the rows stay as they are until the commit.
    EXPECT_EQ(reset.count(), 0);
    EXPECT_TRUE(Marker::isMarker(source.sectionAtIndex(0)));
    EXPECT_EQ(source.numberOfChildrenInSectionAtIndex(0), 4);
    EXPECT_EQ(displayed(source), (QStringList{"To Do", "Later", "Done"}));
    source.endUpdates();

    EXPECT_EQ(removals(removed), QStringList{"-1:0-0"});
    EXPECT_EQ(displayed(source), (QStringList{"Later", "Done"}));
    // Rows of later sections still find their section after it moved up.
    ASSERT_TRUE(lastRow.isValid());
    EXPECT_EQ(lastRow.parent().row(), 1);
    EXPECT_EQ(lastRow.data(knvt::ObjectUriRole).toUrl(), uri(7));
    EXPECT_TRUE(view.isFirstColumnSpanned(0, QModelIndex()));
}

TEST_F(KNVTOutlineViewDataSourceTest, TwoMarkedChildrenOfOneSectionGoAndTheRowsBetweenStay)
{
    QSignalSpy removed(&source, &QAbstractItemModel::rowsRemoved);
    source.beginUpdates();
    markChild(incomplete, 1);
    markChild(incomplete, 3);
    source.endUpdates();

    // The second marker is removed at the row it holds once the first is gone.
    EXPECT_EQ(removals(removed), (QStringList{"0:1-1", "0:2-2"}));
    EXPECT_EQ(incomplete->children(), (QVariantList{uri(1), uri(3)}));
    EXPECT_EQ(displayed(source, source.index(0, 0)), (QStringList{uri(1).toString(), uri(3).toString()}));
}

TEST_F(KNVTOutlineViewDataSourceTest, MarksInSeveralPlacesGoInOneCommit)
{
    source.beginUpdates();
    markChild(incomplete, 0);
    markChild(completed, 0);
    markChild(completed, 1);
    QVariantList sections = source.sections();
    sections[1] = marked(sections.at(1));
    source.setSections(sections);
    source.endUpdates();

    EXPECT_EQ(displayed(source), QStringList{"To Do"});
    EXPECT_EQ(incomplete->children(), (QVariantList{uri(2), uri(3), uri(4)}));
    EXPECT_EQ(source.sections(), QVariantList{Section::item(incomplete)});
}

TEST_F(KNVTOutlineViewDataSourceTest, AnyOtherNewSectionArrayResetsTheModel)
{
    QSignalSpy reset(&source, &QAbstractItemModel::modelReset);
    const auto tags = Section::create(QStringLiteral("Tags"), QStringLiteral("Tags"));
    tags->setChildren({uri(9)});
    source.setSections({Section::item(tags), Section::item(incomplete)});
    EXPECT_EQ(reset.count(), 1);
    EXPECT_EQ(displayed(source), (QStringList{"Tags", "To Do"}));
    EXPECT_TRUE(view.isFirstColumnSpanned(1, QModelIndex()));

    // The same array again after a section grew is a reset too, so the view learns of the new row.
    tags->setChildren({uri(9), uri(10)});
    source.setSections(source.sections());
    EXPECT_EQ(reset.count(), 2);
    EXPECT_EQ(source.rowCount(source.index(0, 0)), 2);

    // The returned array is a copy: changing it leaves the model alone.
    QVariantList copy = source.sections();
    copy.clear();
    EXPECT_EQ(source.numberOfSections(), 2);
}

TEST(KNVTOutlineViewDataSource, WorksWithoutAView)
{
    const auto section = Section::create(QStringLiteral("Inbox"), QStringLiteral("Inbox"));
    section->setChildren({uri(1)});
    DataSource source;
    EXPECT_EQ(source.outlineView(), nullptr);
    EXPECT_FALSE(source.allowsEmptySections());
    source.setSections({Section::item(section)});
    source.beginUpdates();
    markChild(section, 0);
    source.endUpdates();
    EXPECT_EQ(source.numberOfSections(), 0);

    QTreeView view;
    source.setOutlineView(&view);
    EXPECT_EQ(view.model(), &source);
    source.setOutlineView(nullptr);
    EXPECT_NE(view.model(), &source);
}

} // namespace
